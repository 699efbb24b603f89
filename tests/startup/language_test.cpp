#include "startup/language.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "program/messages.h"
#include "support/temp_dir.h"
#include "support/test_platform.h"

namespace rizarode {
namespace {

namespace fs = std::filesystem;
using testing::CurrentDirectoryGuard;
using testing::TempDir;
using testing::TestPlatform;

std::string Detect() {
  TestPlatform t;
  auto program = t.NewProgram();
  DetectLanguage(*program);
  return program->state.languageCode;
}

class DetectLanguageTest : public ::testing::Test {
 protected:
  DetectLanguageTest() : here_(dir_.path()) {}
  void Mark(const std::string& path) { dir_.Write(path, ""); }
  TempDir dir_;
  CurrentDirectoryGuard here_;
};

TEST_F(DetectLanguageTest, NoMarkerGivesDutch) {
  EXPECT_EQ(Detect(), "NL");
  fs::create_directories(dir_ / "GB");
  dir_.Write("GB/OTHER.TXT", "");
  EXPECT_EQ(Detect(), "NL");
}

TEST_F(DetectLanguageTest, FirstDirectoryInTheFixedOrderWins) {
  Mark("ORV/VELDRAK.TXT");
  EXPECT_EQ(Detect(), "ORV");
  Mark("F/VELDRAK.TXT");
  EXPECT_EQ(Detect(), "F");
  Mark("GB/VELDRAK.TXT");
  EXPECT_EQ(Detect(), "GB");
  Mark("D/VELDRAK.TXT");
  EXPECT_EQ(Detect(), "D");
  Mark("NL/VELDRAK.TXT");
  EXPECT_EQ(Detect(), "NL");
}

TEST_F(DetectLanguageTest, NamesMatchInAnyCase) {
  Mark("gb/Veldrak.txt");
  EXPECT_EQ(Detect(), "GB");
  Mark("d/veldrak.TXT");
  EXPECT_EQ(Detect(), "D");
}

TEST_F(DetectLanguageTest, OnlyAFileCountsAsMarker) {
  fs::create_directories(dir_ / "D/VELDRAK.TXT");
  dir_.Write("GB", "a file where a directory belongs");
  Mark("orv/VELDRAK.TXT");
  EXPECT_EQ(Detect(), "ORV");
}

TEST(MessagePatternTest, FAndOrvThroughEveryPattern) {
  // "ORV" is Dutch everywhere.
  EXPECT_EQ(MessageLanguage1("ORV"), Language::kDutch);
  EXPECT_EQ(MessageLanguage2("ORV"), Language::kDutch);
  EXPECT_EQ(MessageLanguage3("ORV"), Language::kDutch);
  EXPECT_FALSE(UsesGermanFormNames("ORV"));
  EXPECT_EQ(DriverRefusalReport("ORV"), DriverRefusalReport("NL"));
  EXPECT_EQ(StartFailureMessage("ORV"), StartFailureMessage("NL"));
  EXPECT_EQ(CloseRefusalMessage("ORV"), CloseRefusalMessage("NL"));
  EXPECT_EQ(InitializingStatus("ORV"), "Initialiseren");
  EXPECT_EQ(NoPrinterMessage("ORV"), NoPrinterMessage("NL"));
  EXPECT_EQ(RestartTitle("ORV"), "Systeeminstellingen wijzigen");

  // "F" has no texts of its own: English, Dutch, nothing, not German.
  EXPECT_EQ(MessageLanguage1("F"), Language::kEnglish);
  EXPECT_EQ(MessageLanguage2("F"), Language::kDutch);
  EXPECT_EQ(MessageLanguage3("F"), std::nullopt);
  EXPECT_FALSE(UsesGermanFormNames("F"));
  EXPECT_EQ(DriverRefusalReport("F"), DriverRefusalReport("GB"));
  EXPECT_EQ(StartFailureMessage("F"), StartFailureMessage("GB"));
  EXPECT_EQ(CloseRefusalMessage("F"), CloseRefusalMessage("NL"));
  EXPECT_EQ(InitializingStatus("F"), std::nullopt);
  EXPECT_EQ(NoPrinterMessage("F"), NoPrinterMessage("GB"));
  EXPECT_EQ(RestartMessage("F"), RestartMessage("GB"));
}

TEST(MessagePatternTest, LanguagesDifferAndTheEmptyCodeRefusesSilently) {
  EXPECT_TRUE(UsesGermanFormNames("D"));
  EXPECT_FALSE(UsesGermanFormNames("NL"));
  EXPECT_NE(DriverRefusalReport("D"), DriverRefusalReport("NL"));
  EXPECT_NE(DriverRefusalReport("GB"), DriverRefusalReport("NL"));
  EXPECT_EQ(InitializingStatus("D"), "Initialisieren");
  EXPECT_EQ(InitializingStatus("GB"), "Initializing");
  EXPECT_EQ(CloseRefusalMessage(""), std::nullopt);
  EXPECT_EQ(CloseRefusalMessage("nl"), std::nullopt);  // codes compare exactly
  // Pattern 1 has English as its fallback, so a message box is never empty.
  EXPECT_EQ(StartFailureMessage(""), StartFailureMessage("GB"));
}

TEST(MessageTextTest, ReportsNameTheRegularFontAndHaveNoLineFeeds) {
  for (const char* code : {"NL", "D", "GB"}) {
    for (const std::string& text :
         {DriverRefusalReport(code), StartFailureMessage(code), NoPrinterMessage(code),
          RestartMessage(code), *CloseRefusalMessage(code)}) {
      EXPECT_EQ(text.find('\n'), std::string::npos) << code;
    }
    EXPECT_NE(DriverRefusalReport(code).find("'RUZeruzaz Ori Standaard (TrueType)'"),
              std::string::npos);
    EXPECT_EQ(DriverRefusalReport(code).substr(DriverRefusalReport(code).size() - 1), "\r");
    EXPECT_NE(StartFailureMessage(code).back(), '\r');
  }
}

// The box for a DOS host without DOSBox: in the run's language only, where
// DOSBox was looked for, and how this system comes by it.
TEST(MessageTextTest, TheMissingDosboxBoxSaysWhatToDoInOneLanguage) {
  const std::string places = "$RIZARODE_DOSBOX\r/usr/bin/dosbox";
  const EmulatorSource package = EmulatorSource::kSystemPackage;
  const EmulatorSource installer = EmulatorSource::kOwnInstaller;
  struct Row {
    const char* code;
    EmulatorSource source;
    const char* firstSentence;
    const char* lookedFor;
    const char* remedy;
  };
  const Row rows[] = {
      {"NL", package, "VELDRAK is een DOS-programma. Op dit systeem", "Gezocht in:",
       "Installeer DOSBox, op Debian met:\r    sudo apt install dosbox\r"},
      {"ORV", package, "VELDRAK is een DOS-programma. Op dit systeem", "Gezocht in:",
       "Installeer DOSBox, op Debian met:\r    sudo apt install dosbox\r"},
      {"D", package, "VELDRAK ist ein DOS-Programm. Auf diesem System", "Gesucht in:",
       "Installieren Sie DOSBox, unter Debian mit:\r    sudo apt install dosbox\r"},
      {"GB", package, "VELDRAK is a DOS program. On this system", "Looked for in:",
       "Install DOSBox, on Debian with:\r    sudo apt install dosbox\r"},
      {"F", package, "VELDRAK is a DOS program. On this system", "Looked for in:",
       "Install DOSBox, on Debian with:\r    sudo apt install dosbox\r"},
      {"NL", installer, "VELDRAK is een DOS-programma. Deze versie van Windows", "Gezocht in:",
       "laat het onderdeel DOSBox aangevinkt"},
      {"D", installer, "VELDRAK ist ein DOS-Programm. Diese Version von Windows", "Gesucht in:",
       "lassen Sie die Komponente DOSBox ausgew\xE4hlt"},
      {"GB", installer, "VELDRAK is a DOS program. This version of Windows", "Looked for in:",
       "leave its component DOSBox selected"},
  };
  for (const Row& row : rows) {
    const std::string text = DosEmulatorMissingMessage(row.code, places, row.source);
    EXPECT_EQ(text.rfind(row.firstSentence, 0), 0u) << text;
    EXPECT_NE(text.find(std::string("\r\r") + row.lookedFor + "\r" + places + "\r\r"),
              std::string::npos) << text;
    EXPECT_NE(text.find(row.remedy), std::string::npos) << text;
    EXPECT_EQ(text.find(row.source == package ? "Windows" : "apt"), std::string::npos) << text;
    for (const char* other : {"Gezocht in:", "Gesucht in:", "Looked for in:"}) {
      if (other != std::string(row.lookedFor)) {
        EXPECT_EQ(text.find(other), std::string::npos) << text;
      }
    }
    EXPECT_EQ(text.find('\n'), std::string::npos);
  }
}

// The box for a missing host keeps the Part's start-failure text, in the
// run's language, as its first lines; where it looked and what to do follow
// in the user's language, for how the program was installed.
TEST(MessageTextTest, TheMissingHostBoxAddsWhereItLookedAndWhatToDo) {
  const EmulatorSource package = EmulatorSource::kSystemPackage;
  const EmulatorSource installer = EmulatorSource::kOwnInstaller;
  const std::string dir = "/home/an/Documenten";
  struct Case { const char* user; EmulatorSource source; const char* lookedIn; const char* remedy; };
  for (const Case& c : {Case{"NL", package, "Gezocht in:", "rizarode-shortcut MAP-VAN-VELDRAK"},
                        Case{"D", package, "Gesucht in:", "rizarode-shortcut ORDNER-VON-VELDRAK"},
                        Case{"GB", package, "Looked in:", "rizarode-shortcut VELDRAKS-DIRECTORY"},
                        Case{"GB", installer, "Looked in:", "install RIZARODE again"},
                        Case{"NL", installer, "Gezocht in:", "installeer RIZARODE opnieuw"}}) {
    const std::string text = HostMissingMessage("NL", c.user, dir, c.source);
    SCOPED_TRACE(text);
    EXPECT_EQ(text.rfind(StartFailureMessage("NL") + "\r\r" + c.lookedIn + "\r" + dir + "\r\r", 0),
              0u);
    EXPECT_NE(text.find(c.remedy), std::string::npos);
    EXPECT_EQ(text.find('\n'), std::string::npos);
  }
}

}  // namespace
}  // namespace rizarode
