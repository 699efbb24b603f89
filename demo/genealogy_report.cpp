#include "genealogy_report.h"

namespace veldrak {
namespace {

std::string Bold(const std::string& text) { return "#BOLD#" + text + "#bold#"; }
std::string Italic(const std::string& text) { return "#ITALIC#" + text + "#italic#"; }
std::string Underline(const std::string& text) { return "#UNDERLINE#" + text + "#underline#"; }

struct Person {
  const char* number;
  const char* name;
  const char* born;
  const char* bornPlace;
  const char* died;  // empty while living
  const char* occupation;
  const char* spouse;
  const char* note;  // empty for none
};

// Windows-1252: "\xEB" is e with diaeresis.
const Person kFamily[] = {
    {"1", "Aldert Brinkhorst", "12 Mar 1801", "Zwartewaal", "3 Nov 1867", "farmer",
     "Geertruida van Ommeren", "Named after his grandfather on his mother's side."},
    {"1.1", "Hendrik Brinkhorst", "2 Feb 1825", "Zwartewaal", "17 Jun 1890", "miller",
     "Johanna Spaargaren", "Took over the mill at Heenvliet in 1851."},
    {"1.2", "Maria Brinkhorst", "30 Sep 1828", "Zwartewaal", "8 Jan 1905", "seamstress",
     "Cornelis Duifhuizen", ""},
    {"1.3", "Willem Brinkhorst", "14 Apr 1831", "Zwartewaal", "2 Aug 1832", "", "",
     "Died in infancy; buried beside the church."},
    {"1.1.1", "Aldert Hendrik Brinkhorst", "9 May 1852", "Heenvliet", "21 Dec 1921",
     "schoolmaster", "Zo\xEB Lammerts", "Kept the parish records from 1880 to 1915."},
    {"1.1.2", "Pieternella Brinkhorst", "11 Nov 1855", "Heenvliet", "4 Mar 1939", "", "", ""},
    {"1.1.3", "Jacobus Brinkhorst", "6 Jul 1858", "Heenvliet", "19 Oct 1930", "carpenter",
     "Alida Verschoor", "Emigrated in 1882; letters home survive."},
    {"1.1.1.1", "Hendrika Brinkhorst", "1 Jan 1880", "Geervliet", "12 Feb 1962", "midwife",
     "Pieter Oudendijk", ""},
    {"1.1.1.2", "Teunis Brinkhorst", "23 Aug 1883", "Geervliet", "5 May 1944", "bargeman",
     "Neeltje Koppelaar", "Lost at sea off Hoek van Holland."},
};

int Generation(const Person& p) {
  int dots = 0;
  for (const char* c = p.number; *c; ++c) dots += *c == '.';
  return dots + 1;
}

std::string Pad(std::string text, std::size_t width) {
  if (text.size() < width) text.append(width - text.size(), ' ');
  return text;
}

void AddPerson(std::vector<std::string>& lines, const Person& p) {
  lines.push_back(Pad(p.number, 9) + Bold(p.name));
  std::string life = std::string("         born ") + p.born + " at " + p.bornPlace;
  if (*p.died) life += ", died " + std::string(p.died);
  lines.push_back(life);
  if (*p.occupation) lines.push_back(std::string("         occupation: ") + p.occupation);
  if (*p.spouse) lines.push_back(std::string("         married ") + Bold(p.spouse));
  if (*p.note) lines.push_back("         " + Italic(p.note));
  lines.push_back("");
}

void AddGeneration(std::vector<std::string>& lines, int generation) {
  static const char* kRoman[] = {"", "I", "II", "III", "IV"};
  lines.push_back(Underline(std::string("Generation ") + kRoman[generation]));
  lines.push_back("");
  for (const Person& p : kFamily) {
    if (Generation(p) == generation) AddPerson(lines, p);
  }
}

void AddReference(std::vector<std::string>& lines, const std::string& reference) {
  if (!reference.empty()) lines.push_back("Reference: " + reference);
}

}  // namespace

std::vector<std::string> DescendantsReport(const DriverChoice& choice,
                                           const std::string& reference) {
  std::vector<std::string> lines;
  lines.push_back("#JOBstart#" + choice.portraitForm + choice.bodyFont);
  lines.push_back(Bold("Descendants of Aldert Brinkhorst (1801-1867)"));
  AddReference(lines, reference);
  lines.push_back(Italic("Compiled from the parish registers of Voorne-Putten"));
  lines.push_back("");
  AddGeneration(lines, 1);
  AddGeneration(lines, 2);
  lines.push_back("                                                        page 1#form#");

  lines.push_back(choice.smallFont + Bold("Descendants of Aldert Brinkhorst") + " (continued)");
  lines.push_back("");
  AddGeneration(lines, 3);
  AddGeneration(lines, 4);
  // The landscape form is chosen right after the form feed, before anything
  // is printed on the new page.
  lines.push_back("                                                        page 2#form#" +
                  choice.landscapeForm);
  lines.push_back(Bold("Overview of all descendants"));
  lines.push_back("");
  lines.push_back(Underline(Pad("No.", 9) + Pad("Name", 28) + Pad("Born", 13) + Pad("Place", 12) +
                            Pad("Died", 13) + Pad("Married", 26) + "Gen."));
  for (const Person& p : kFamily) {
    lines.push_back(Pad(p.number, 9) + Bold(Pad(p.name, 28)) + Pad(p.born, 13) +
                    Pad(p.bornPlace, 12) + Pad(p.died, 13) + Pad(p.spouse, 26) +
                    std::to_string(Generation(p)));
  }
  lines.push_back("");
  lines.push_back(Italic("Nine persons in four generations.") + "  page 3#form##JOBend#");
  return lines;
}

std::vector<std::string> FamilyGroupSheet(const DriverChoice& choice,
                                          const std::string& reference) {
  std::vector<std::string> lines;
  lines.push_back("#JOBstart#" + choice.portraitForm + choice.bodyFont);
  lines.push_back(Bold("Family group sheet"));
  AddReference(lines, reference);
  lines.push_back("");
  lines.push_back("Husband:  " + Bold("Hendrik Brinkhorst") + ", miller, 1825-1890");
  lines.push_back("Wife:     " + Bold("Johanna Spaargaren") + ", 1827-1899");
  lines.push_back("Married:  " + std::string("4 May 1851 at Heenvliet"));
  lines.push_back("");
  lines.push_back(Underline("Children"));
  lines.push_back("  1. " + Bold("Aldert Hendrik Brinkhorst") + "  1852-1921");
  lines.push_back("  2. " + Bold("Pieternella Brinkhorst") + "     1855-1939");
  lines.push_back("  3. " + Bold("Jacobus Brinkhorst") + "         1858-1930");
  lines.push_back("");
  lines.push_back(Italic("Source: marriage register Heenvliet 1851, folio 12.") + "#form##JOBend#");
  return lines;
}

}  // namespace veldrak
