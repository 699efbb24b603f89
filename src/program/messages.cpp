#include "program/messages.h"

namespace rizarode {
namespace {

bool IsDutchCode(const std::string& code) { return code == "NL" || code == "ORV"; }

const char kRegularFontValue[] = "RUZeruzaz Ori Standaard (TrueType)";

}  // namespace

Language MessageLanguage1(const std::string& code) {
  if (IsDutchCode(code)) return Language::kDutch;
  if (code == "D") return Language::kGerman;
  return Language::kEnglish;
}

std::optional<Language> MessageLanguage2(const std::string& code) {
  if (IsDutchCode(code)) return Language::kDutch;
  if (code == "D") return Language::kGerman;
  if (code == "GB") return Language::kEnglish;
  if (code == "F") return Language::kDutch;
  return std::nullopt;
}

std::optional<Language> MessageLanguage3(const std::string& code) {
  if (code == "F") return std::nullopt;
  return MessageLanguage2(code);
}

bool UsesGermanFormNames(const std::string& code) { return code == "D"; }

std::optional<std::string> InitializingStatus(const std::string& code) {
  auto language = MessageLanguage3(code);
  if (!language) return std::nullopt;
  switch (*language) {
    case Language::kDutch: return "Initialiseren";
    case Language::kGerman: return "Initialisieren";
    case Language::kEnglish: return "Initializing";
  }
  return std::nullopt;
}

std::string DriverRefusalReport(const std::string& code) {
  const std::string font = kRegularFontValue;
  switch (MessageLanguage1(code)) {
    case Language::kDutch:
      return "Afdrukken via Windows is uitgeschakeld.\r\r\r"
             "Mogelijke oorzaken:\r\r"
             "De computer is niet opnieuw opgestart!\r"
             "Lettertype '" + font + "' is niet (goed) geinstalleerd.\r"
             "Huidige printer is geen echte printer maar bijv. een plotter.\r";
    case Language::kGerman:
      return "Das Drucken via Windows ist ausgeschalted.\r\r\r"
             "M\xF6gliche Ursachen:\r\r"
             "Der Computer ist nicht aufs neue gestartet worden!\r"
             "Zeichensatz '" + font + "' ist nicht (gut) installiert worden.\r"
             "Heutige Drucker ist kein echte Drucker aber z.B. ein Plotter.\r";
    case Language::kEnglish:
      break;
  }
  return "Printing via Windows has been cancelled.\r\r\r"
         "Causes:\r\r"
         "The computer has not been restarted!\r"
         "Font '" + font + "' is not (correct) installed.\r"
         "The existing printer is not a real printer but for example a plotter.\r";
}

std::string StartFailureMessage(const std::string& code) {
  switch (MessageLanguage1(code)) {
    case Language::kDutch:
      return "Er is een probleem opgetreden tijdens het starten van VELDRAK.\r"
             "De VELDRAK applicatie kan niet worden gevonden.";
    case Language::kGerman:
      return "Ein Problem ist aufgetreten beim starten von VELDRAK.\r"
             "Die VELDRAK Applikation kann nicht gefunden werden.";
    case Language::kEnglish:
      break;
  }
  return "A problem has been occurred during the start of VELDRAK.\r"
         "The VELDRAK application can not be found.";
}

namespace {

// Where the program looked for the host, and how to start it where the host
// is, after how the program was installed.
struct HostMissingTexts {
  const char* lookedIn;
  const char* notThere;
  const char* remedy[2];
};

constexpr HostMissingTexts kDutchHostMissing = {
    "Gezocht in:",
    "Daar staat geen VELDRAK.EXE en geen VELDRAK.PIF. RIZARODE wordt gestart in de map van "
    "VELDRAK.",
    {"Ga naar de map van VELDRAK en start daar rizarode, of maak een menu-item dat het daar "
     "start:\r    rizarode-shortcut MAP-VAN-VELDRAK",
     "Start RIZARODE met zijn snelkoppeling in het menu Start of op het bureaublad, of "
     "installeer RIZARODE opnieuw en kies daarbij de map van VELDRAK."}};

constexpr HostMissingTexts kGermanHostMissing = {
    "Gesucht in:",
    "Dort gibt es weder VELDRAK.EXE noch VELDRAK.PIF. RIZARODE wird im Ordner von VELDRAK "
    "gestartet.",
    {"Wechseln Sie in den Ordner von VELDRAK und starten Sie dort rizarode, oder legen Sie "
     "einen Men\xFC" "eintrag an, der es dort startet:\r    rizarode-shortcut ORDNER-VON-VELDRAK",
     "Starten Sie RIZARODE \xFC" "ber seine Verkn\xFCpfung im Startmen\xFC oder auf dem Desktop, "
     "oder installieren Sie RIZARODE erneut und w\xE4hlen Sie dabei den Ordner von VELDRAK."}};

constexpr HostMissingTexts kEnglishHostMissing = {
    "Looked in:",
    "It holds neither VELDRAK.EXE nor VELDRAK.PIF. RIZARODE is started in VELDRAK's "
    "directory.",
    {"Go to VELDRAK's directory and start rizarode there, or make a menu entry that starts it "
     "there:\r    rizarode-shortcut VELDRAKS-DIRECTORY",
     "Start RIZARODE with its shortcut in the Start menu or on the desktop, or install "
     "RIZARODE again and choose VELDRAK's folder."}};

}  // namespace

std::string HostMissingMessage(const std::string& code, const std::string& userCode,
                               const std::string& directory, EmulatorSource source) {
  const HostMissingTexts* texts = &kEnglishHostMissing;
  switch (MessageLanguage1(userCode)) {
    case Language::kDutch: texts = &kDutchHostMissing; break;
    case Language::kGerman: texts = &kGermanHostMissing; break;
    case Language::kEnglish: break;
  }
  const int from = source == EmulatorSource::kSystemPackage ? 0 : 1;
  return StartFailureMessage(code) + "\r\r" + texts->lookedIn + "\r" + directory + "\r\r" +
         texts->notThere + "\r\r" + texts->remedy[from] + "\r";
}

namespace {

// The box about a missing DOSBox in one language: why the host needs it and
// how to get it, each for where this system's DOSBox comes from (a package,
// the program's installer).
struct DosboxMissingTexts {
  const char* why[2];
  const char* lookedFor;
  const char* remedy[2];
};

constexpr DosboxMissingTexts kDutchDosboxMissing = {
    {"VELDRAK is een DOS-programma. Op dit systeem draait het in DOSBox, maar DOSBox is niet "
     "gevonden.",
     "VELDRAK is een DOS-programma. Deze versie van Windows kan geen DOS-programma's uitvoeren; "
     "VELDRAK heeft daarom DOSBox nodig, maar DOSBox is niet gevonden."},
    "Gezocht in:",
    {"Installeer DOSBox, op Debian met:\r    sudo apt install dosbox\r"
     "of geef het pad van het programma dosbox op in de omgevingsvariabele RIZARODE_DOSBOX.",
     "De installatie van RIZARODE brengt DOSBox mee: start de installatie opnieuw en laat het "
     "onderdeel DOSBox aangevinkt. Of geef het pad van DOSBox.exe op in de omgevingsvariabele "
     "RIZARODE_DOSBOX."}};

constexpr DosboxMissingTexts kGermanDosboxMissing = {
    {"VELDRAK ist ein DOS-Programm. Auf diesem System l\xE4uft es in DOSBox, aber DOSBox wurde "
     "nicht gefunden.",
     "VELDRAK ist ein DOS-Programm. Diese Version von Windows kann keine DOS-Programme "
     "ausf\xFChren; VELDRAK braucht deshalb DOSBox, aber DOSBox wurde nicht gefunden."},
    "Gesucht in:",
    {"Installieren Sie DOSBox, unter Debian mit:\r    sudo apt install dosbox\r"
     "oder geben Sie den Pfad des Programms dosbox in der Umgebungsvariablen RIZARODE_DOSBOX "
     "an.",
     "Das Installationsprogramm von RIZARODE bringt DOSBox mit: Starten Sie es erneut und "
     "lassen Sie die Komponente DOSBox ausgew\xE4hlt. Oder geben Sie den Pfad von DOSBox.exe in "
     "der Umgebungsvariablen RIZARODE_DOSBOX an."}};

constexpr DosboxMissingTexts kEnglishDosboxMissing = {
    {"VELDRAK is a DOS program. On this system it runs in DOSBox, but DOSBox was not found.",
     "VELDRAK is a DOS program. This version of Windows cannot run DOS programs; VELDRAK "
     "therefore needs DOSBox, but DOSBox was not found."},
    "Looked for in:",
    {"Install DOSBox, on Debian with:\r    sudo apt install dosbox\r"
     "or give the path of the dosbox program in the environment variable RIZARODE_DOSBOX.",
     "RIZARODE's installer brings DOSBox: run it again and leave its component DOSBox "
     "selected. Or give the path of DOSBox.exe in the environment variable RIZARODE_DOSBOX."}};

}  // namespace

std::string DosEmulatorMissingMessage(const std::string& code, const std::string& places,
                                      EmulatorSource source) {
  const DosboxMissingTexts* texts = &kEnglishDosboxMissing;
  switch (MessageLanguage1(code)) {
    case Language::kDutch: texts = &kDutchDosboxMissing; break;
    case Language::kGerman: texts = &kGermanDosboxMissing; break;
    case Language::kEnglish: break;
  }
  const int from = source == EmulatorSource::kSystemPackage ? 0 : 1;
  return std::string(texts->why[from]) + "\r\r" + texts->lookedFor + "\r" + places + "\r\r" +
         texts->remedy[from] + "\r";
}

std::optional<std::string> CloseRefusalMessage(const std::string& code) {
  auto language = MessageLanguage2(code);
  if (!language) return std::nullopt;
  std::string first;
  std::string second;
  switch (*language) {
    case Language::kDutch:
      first = "Deze applicatie kunt u niet op deze manier be\xEBindigen.";
      second = "Indien u VELDRAK afsluit wordt ook deze applicatie automatisch be\xEBindigd.";
      break;
    case Language::kGerman:
      first = "Diese Applikation k\xF6nnen Sie nicht auf diese Weise beenden.";
      second = "Wenn Sie VELDRAK beenden wird auch diese Applikation automatisch beendet.";
      break;
    case Language::kEnglish:
      first = "You cannot quit this application in this manner.";
      second = "If you quit VELDRAK this application will be ended automatically.";
      break;
  }
  return first + "\r\r" + second + "\r\r";
}

std::string NoPrinterMessage(const std::string& code) {
  switch (MessageLanguage1(code)) {
    case Language::kDutch:
      return "Afdrukken via Windows is niet mogelijk.\r\r\r"
             "Mogelijke oorzaak:\r\r"
             "Er is geen printer als standaard printer ingesteld.\r";
    case Language::kGerman:
      return "Das Drucken via Windows ist nicht m\xF6glich.\r\r\r"
             "M\xF6gliche Ursache:\r\r"
             "Es ist kein Drucker als Standard Drucker eingestellt.\r";
    case Language::kEnglish:
      break;
  }
  return "Printing via Windows is not possible.\r\r\r"
         "Cause:\r\r"
         "No standard printer has been selected.\r";
}

std::string DriverLinkMessage(const std::string& code, const std::string& path) {
  switch (MessageLanguage1(code)) {
    case Language::kDutch:
      return "Het driverbestand " + path +
             " is een symbolische koppeling.\r\rVerwijder de koppeling en start opnieuw.\r";
    case Language::kGerman:
      return "Die Treiberdatei " + path +
             " ist ein symbolischer Link.\r\rEntfernen Sie den Link und starten Sie neu.\r";
    case Language::kEnglish:
      break;
  }
  return "The driver file " + path +
         " is a symbolic link.\r\rRemove the link and start again.\r";
}

std::string DriverWriteFailureMessage(const std::string& code, const std::string& path,
                                      const std::string& cause) {
  switch (MessageLanguage1(code)) {
    case Language::kDutch:
      return "Het driverbestand " + path + " kan niet worden geschreven:\r" + cause + "\r";
    case Language::kGerman:
      return "Die Treiberdatei " + path + " kann nicht geschrieben werden:\r" + cause + "\r";
    case Language::kEnglish:
      break;
  }
  return "The driver file " + path + " cannot be written:\r" + cause + "\r";
}

std::string SavedJobMessage(const std::string& code, const std::string& note) {
  switch (MessageLanguage1(code)) {
    case Language::kDutch:
      return "Een afdruk kon niet naar de printer en is als bestand bewaard.\r\r" + note + "\r";
    case Language::kGerman:
      return "Ein Druckauftrag konnte nicht zum Drucker und wurde als Datei gespeichert.\r\r" +
             note + "\r";
    case Language::kEnglish:
      break;
  }
  return "A print job could not go to the printer and was saved as a file.\r\r" + note + "\r";
}

std::string KeptJobsMessage(const std::string& code, int count, const std::string& directory,
                            const std::string& why) {
  const std::string n = std::to_string(count);
  const bool one = count == 1;
  switch (MessageLanguage1(code)) {
    case Language::kDutch:
      return (one ? "Een afdruk is niet afgedrukt. Deze blijft" :
                    n + " afdrukken zijn niet afgedrukt. Deze blijven") +
             " bewaard in\r\r" + directory + "\r\ren " + (one ? "wordt" : "worden") +
             " afgedrukt zodra het programma weer start.\r" +
             (why.empty() ? "" : "\rOorzaak: " + why + "\r");
    case Language::kGerman:
      return (one ? "Ein Druckauftrag wurde nicht gedruckt. Er bleibt" :
                    n + " Druckauftr\xE4ge wurden nicht gedruckt. Sie bleiben") +
             " aufbewahrt in\r\r" + directory + "\r\rund " + (one ? "wird" : "werden") +
             " gedruckt, sobald das Programm wieder startet.\r" +
             (why.empty() ? "" : "\rUrsache: " + why + "\r");
    case Language::kEnglish:
      break;
  }
  return (one ? "A print job was not printed. It is" : n + " print jobs were not printed. They are") +
         " kept in\r\r" + directory + "\r\rand " + (one ? "is" : "are") +
         " printed when the program starts again.\r" +
         (why.empty() ? "" : "\rCause: " + why + "\r");
}

std::string AlreadyRunningMessage(const std::string& code, const std::string& directory,
                                  bool inFront) {
  switch (MessageLanguage1(code)) {
    case Language::kDutch:
      return "VELDRAK draait al, gestart vanuit\r\r" + directory +
             "\r\rEen tweede VELDRAK wordt niet gestart: twee tegelijk kunnen hun gegevens "
             "beschadigen.\r" +
             (inFront ? "Het venster van VELDRAK staat nu vooraan.\r" : "");
    case Language::kGerman:
      return "VELDRAK l\xE4uft bereits, gestartet aus\r\r" + directory +
             "\r\rEin zweites VELDRAK wird nicht gestartet: zwei zugleich k\xF6nnen ihre Daten "
             "besch\xE4" "digen.\r" +
             (inFront ? "Das Fenster von VELDRAK ist jetzt vorne.\r" : "");
    case Language::kEnglish:
      break;
  }
  return "VELDRAK is already running, started from\r\r" + directory +
         "\r\rA second VELDRAK is not started: two at once can damage their data.\r" +
         (inFront ? "VELDRAK's window has been brought to the front.\r" : "");
}

std::string CutJobMessage(const std::string& code, const std::string& keptAs) {
  switch (MessageLanguage1(code)) {
    case Language::kDutch:
      return "VELDRAK is gestopt voordat een afdruk klaar was. De onvolledige afdruk is niet "
             "afgedrukt en bewaard als\r\r" + keptAs + "\r";
    case Language::kGerman:
      return "VELDRAK wurde beendet, bevor ein Druckauftrag fertig war. Der unvollst\xE4ndige "
             "Auftrag wurde nicht gedruckt und ist aufbewahrt als\r\r" + keptAs + "\r";
    case Language::kEnglish:
      break;
  }
  return "VELDRAK ended before a print job was complete. The incomplete job was not printed "
         "and is kept as\r\r" + keptAs + "\r";
}

std::string PrintedFileStaysMessage(const std::string& code, const std::string& paths) {
  switch (MessageLanguage1(code)) {
    case Language::kDutch:
      return "Een afdruk is afgedrukt, maar het bestand ervan kon niet worden verwijderd:\r\r" +
             paths + "\rHet wordt niet opnieuw afgedrukt en kan worden gewist.\r";
    case Language::kGerman:
      return "Ein Druckauftrag wurde gedruckt, aber seine Datei konnte nicht entfernt werden:\r\r" +
             paths + "\rSie wird nicht noch einmal gedruckt und kann gel\xF6scht werden.\r";
    case Language::kEnglish:
      break;
  }
  return "A print job was printed, but its file could not be removed:\r\r" + paths +
         "\rIt is not printed again and may be deleted.\r";
}

namespace {

// The notice's texts in one language. A sentence about one document and
// one about several, whose count stands in front.
struct NoticeTexts {
  const char* title;
  const char* printed[2][2];   // around the printer's name
  const char* saved[2];        // before the files
  const char* refused[2][2];   // around the printer's name, before the files
  const char* kept[2];
  const char* open;
  const char* statusWindow;
};

constexpr NoticeTexts kDutchNotice = {
    "Afdrukken uit VELDRAK",
    {{"De afdruk is afgedrukt op ", "."}, {" afdrukken zijn afgedrukt op ", "."}},
    {"De afdruk is als PDF bewaard:", " afdrukken zijn als PDF bewaard:"},
    {{"De afdruk is door ", " geweigerd en bewaard als:"},
     {" afdrukken zijn door ", " geweigerd en bewaard als:"}},
    {"Een afdruk is niet afgedrukt. Deze blijft bewaard en wordt afgedrukt zodra het programma "
     "weer start.",
     " afdrukken zijn niet afgedrukt. Deze blijven bewaard en worden afgedrukt zodra het "
     "programma weer start."},
    "PDF openen",
    "Statusvenster"};

constexpr NoticeTexts kGermanNotice = {
    "Drucken aus VELDRAK",
    {{"Der Druckauftrag wurde auf ", " gedruckt."}, {" Druckauftr\xE4ge wurden auf ", " gedruckt."}},
    {"Der Druckauftrag wurde als PDF gespeichert:", " Druckauftr\xE4ge wurden als PDF gespeichert:"},
    {{"Der Druckauftrag wurde von ", " abgelehnt und gespeichert als:"},
     {" Druckauftr\xE4ge wurden von ", " abgelehnt und gespeichert als:"}},
    {"Ein Druckauftrag wurde nicht gedruckt. Er bleibt aufbewahrt und wird gedruckt, sobald das "
     "Programm wieder startet.",
     " Druckauftr\xE4ge wurden nicht gedruckt. Sie bleiben aufbewahrt und werden gedruckt, sobald "
     "das Programm wieder startet."},
    "PDF \xF6" "ffnen",
    "Statusfenster"};

constexpr NoticeTexts kEnglishNotice = {
    "Printing from VELDRAK",
    {{"The print job was printed on ", "."}, {" print jobs were printed on ", "."}},
    {"The print job was saved as PDF:", " print jobs were saved as PDF:"},
    {{"The print job was refused by ", " and saved as:"},
     {" print jobs were refused by ", " and saved as:"}},
    {"A print job was not printed. It is kept and printed when the program starts again.",
     " print jobs were not printed. They are kept and printed when the program starts again."},
    "Open the PDF",
    "Status window"};

const NoticeTexts& NoticeIn(const std::string& code) {
  switch (MessageLanguage1(code)) {
    case Language::kDutch: return kDutchNotice;
    case Language::kGerman: return kGermanNotice;
    case Language::kEnglish: break;
  }
  return kEnglishNotice;
}

// The sentence for one document, or the count and the one for several.
std::string Counted(int count, const char* const (&texts)[2]) {
  return count == 1 ? std::string(texts[0]) : std::to_string(count) + texts[1];
}

}  // namespace

std::string NoticeTitle(const std::string& code) { return NoticeIn(code).title; }

std::string PrintedNotice(const std::string& code, int count, const std::string& printer) {
  const auto& texts = NoticeIn(code).printed[count == 1 ? 0 : 1];
  return (count == 1 ? std::string() : std::to_string(count)) + texts[0] + printer + texts[1];
}

std::string SavedAsPdfNotice(const std::string& code, int count, const std::string& files) {
  return Counted(count, NoticeIn(code).saved) + "\r" + files;
}

std::string RefusedNotice(const std::string& code, int count, const std::string& printer,
                          const std::string& files) {
  const auto& texts = NoticeIn(code).refused[count == 1 ? 0 : 1];
  return (count == 1 ? std::string() : std::to_string(count)) + texts[0] + printer + texts[1] +
         "\r" + files;
}

std::string KeptNotice(const std::string& code, int count) {
  return Counted(count, NoticeIn(code).kept);
}

std::string OpenPdfLabel(const std::string& code) { return NoticeIn(code).open; }

std::string StatusWindowLabel(const std::string& code) { return NoticeIn(code).statusWindow; }

std::string RestartTitle(const std::string& code) {
  switch (MessageLanguage1(code)) {
    case Language::kDutch: return "Systeeminstellingen wijzigen";
    case Language::kGerman: return " \xC4nderung der Systeemeinstellungen";
    case Language::kEnglish: break;
  }
  return "System Settings Change";
}

std::string RestartMessage(const std::string& code) {
  switch (MessageLanguage1(code)) {
    case Language::kDutch:
      return "U moet nu de computer opnieuw starten alvorens de nieuwe "
             "instellingen effect hebben.\r\r"
             "Wilt U nu de computer opnieuw opstarten?";
    case Language::kGerman:
      return "Sie m\xFCssen Ihren Computer erneut starten weil anders die neue "
             "Einstellungen keine Effekt haben.\r\r"
             "Wollen Sie nun ihren Computer erneut starten?";
    case Language::kEnglish:
      break;
  }
  return "You must restart your computer before the new settings will take "
         "effect.\r\r"
         "Do you want to restart your computer now?";
}

}  // namespace rizarode
