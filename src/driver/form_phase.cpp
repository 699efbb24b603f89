#include "driver/form_phase.h"

#include <optional>

#include "driver/driver_numbers.h"
#include "driver/driver_writer.h"
#include "printer/printer.h"
#include "printing/status_window.h"
#include "program/messages.h"
#include "program/numbers.h"
#include "program/program.h"

namespace rizarode {
namespace {

// Seven inches: anything smaller is no page the host application lays out.
constexpr float kMinimumSide = 10080.0f;
// Line 63 carries the page height less this many twips.
constexpr float kTopMargin = 120.0f;

constexpr int16_t kNormalCandidates[] = {9, 8, 11, 13, 1, 4, 7, 40, 263};
// The form code carries three digits; a larger number would come back from
// the host application as another paper size.
constexpr int16_t kLargestCodedPaperSize = 999;

struct KnownForm {
  int16_t number;
  const char* name;
  bool manualFeed;
  bool line65One;
};

constexpr KnownForm kKnownForms[] = {
    {9, "A4", true, true},        {8, "A3", true, true},
    {11, "A5", false, true},      {13, "B5", false, true},
    {1, "Letter", false, false},  {4, "Ledger", false, true},
    {7, "Executive", false, true}, {40, "Fanfold 12 inch", false, false},
    {263, "Fanfold 12 inch", false, false},
};

struct FormVariant {
  char letter;
  int16_t orientation;
  bool manualFeed;
  const char* germanSuffix;
  const char* otherSuffix;
};

constexpr FormVariant kVariants[] = {
    {'P', kOrientationPortrait, false, "", ""},
    {'p', kOrientationPortrait, true, " manuelle Zufuhr", " handinvoer"},
    {'L', kOrientationLandscape, false, " Querformat", " landscape"},
    {'l', kOrientationLandscape, true, " Querformat manuelle Zufuhr",
     " landscape handinvoer"},
};

struct PageSize {
  float height;
  float width;
};

template <typename Operation>
bool Try(Operation&& operation) {
  try {
    operation();
    return true;
  } catch (const PrinterError&) {
    return false;
  }
}

std::optional<PageSize> MeasurePage(Printer& printer) {
  PageSize size{};
  if (!Try([&] { size.height = printer.Height(); })) return std::nullopt;
  if (!Try([&] { size.width = printer.Width(); })) return std::nullopt;
  return size;
}

std::string CentimetreText(double twips) { return PatternText(twips / 1440.0 * 2.54); }

// An orientation that cannot be read is set anyway: setting it is harmless.
void TurnTo(Printer& printer, int16_t orientation) {
  int16_t current = 0;
  bool known = Try([&] { current = printer.Orientation(); });
  if (!known || current != orientation) {
    Try([&] { printer.SetOrientation(orientation); });
  }
}

// The page as the manual feed presents it, the printer's own bin restored
// afterwards.
std::optional<PageSize> MeasureAtManualFeed(Printer& printer) {
  int16_t savedBin = 0;
  bool saved = Try([&] { savedBin = printer.PaperBin(); });
  Try([&] { printer.SetPaperBin(kPaperBinManual); });
  std::optional<PageSize> size = MeasurePage(printer);
  if (saved) Try([&] { printer.SetPaperBin(savedBin); });
  return size;
}

struct Candidate {
  int16_t number;
  int position;
  FormName name;
};

// One form block. It is written whole or not at all: the host application
// ties the lines of a block together by their order alone, so a block
// without its height or width would lend it those of its neighbour.
bool WriteFormBlock(Printer& printer, DriverWriter& writer,
                    const Candidate& candidate, const FormVariant& variant,
                    bool german) {
  std::optional<PageSize> size = MeasureAtManualFeed(printer);
  if (!size) return false;
  writer.EmptyLine();
  writer.Line("60", candidate.name.base +
                        (german ? variant.germanSuffix : variant.otherSuffix));
  writer.Line("61", FormCode(variant.letter, candidate.number));
  writer.Line("62", "#form#");
  writer.Line("63", SingleText(size->height - kTopMargin));
  writer.Line("64", SingleText(size->width));
  writer.Line("65", candidate.name.line65One ? "1" : "0");
  return true;
}

void ShowDebug(Program& program, const std::string& text) {
  ShowStatus(program, text, "", 0);
}

}  // namespace

std::vector<int16_t> FormCandidates(int16_t debugFlags) {
  if ((debugFlags & kDebugOnlyA4) != 0) return {9};
  if ((debugFlags & kDebugCustomForms) != 0) {
    std::vector<int16_t> all;
    for (int16_t n = 1; n <= kLargestCodedPaperSize; ++n) all.push_back(n);
    return all;
  }
  return {std::begin(kNormalCandidates), std::end(kNormalCandidates)};
}

FormName NameForm(int16_t n, int position, float height, float width) {
  for (const KnownForm& known : kKnownForms) {
    if (known.number == n) return {known.name, known.manualFeed, known.line65One};
  }
  FormName name;
  name.base = Decimal(position) + " - " +
              CentimetreText(static_cast<double>(height) - kTopMargin) + " x " +
              CentimetreText(width) + " cm.";
  return name;
}

std::string FormCode(char variantLetter, int16_t paperSize) {
  return std::string("#FORM-") + variantLetter + ZeroPadded(paperSize, 3) + "#";
}

int16_t RunFormPhase(Program& program, DriverWriter& writer) {
  Printer& printer = program.printer;
  const bool german = UsesGermanFormNames(program.state.languageCode);
  const std::vector<int16_t> candidates = FormCandidates(program.state.debugFlags);
  int16_t formsCount = 0;
  for (std::size_t index = 0; index < candidates.size(); ++index) {
    const int16_t n = candidates[index];
    const int position = static_cast<int>(index) + 1;
    try {
      printer.SetPaperSize(n);
    } catch (const PrinterError& refused) {
      ShowDebug(program, "Error " + Decimal(refused.code()) + " Form " +
                             Decimal(position) + " Type " + Decimal(n) +
                             " NOT installed.");
      continue;
    }
    // A page that cannot be measured cannot be described either.
    std::optional<PageSize> page = MeasurePage(printer);
    if (!page || page->height < kMinimumSide || page->width < kMinimumSide) continue;
    Candidate candidate{n, position, NameForm(n, position, page->height, page->width)};
    ShowDebug(program, "Form " + candidate.name.base + " installed.");
    for (const FormVariant& variant : kVariants) {
      if (variant.manualFeed && !candidate.name.manualFeed) continue;
      TurnTo(printer, variant.orientation);
      if (WriteFormBlock(printer, writer, candidate, variant, german)) ++formsCount;
    }
  }
  return formsCount;
}

}  // namespace rizarode
