#include "system/private_fonts.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/linux/file_registry_store.h"
#include "platform/linux/linux_font_system.h"
#include "support/pdf_printer.h"
#include "platform/linux/pdf_file_device.h"
#include "support/fontconfig_sandbox.h"
#include "support/temp_dir.h"
#include "support/test_platform.h"
#include "system/registry.h"

namespace rizarode {
namespace {

namespace fs = std::filesystem;
using testing::CurrentDirectoryGuard;
using testing::EndCodeOf;
using testing::TempDir;
using testing::TestPlatform;

constexpr char kKey95[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Fonts";
constexpr char kKeyNT[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
constexpr char kRegularValue[] = "RUZeruzaz Ori Standaard (TrueType)";
constexpr char kBoldValue[] = "RUZeruzaz Ori Vet (TrueType)";
constexpr int kWentOn = -1;

const std::string kDutchNoPrinter =
    "Afdrukken via Windows is niet mogelijk.\r\r\rMogelijke oorzaak:\r\r"
    "Er is geen printer als standaard printer ingesteld.\r";
const std::string kGermanNoPrinter =
    "Das Drucken via Windows ist nicht m\xF6glich.\r\r\rM\xF6gliche Ursache:\r\r"
    "Es ist kein Drucker als Standard Drucker eingestellt.\r";
const std::string kEnglishNoPrinter =
    "Printing via Windows is not possible.\r\r\rCause:\r\r"
    "No standard printer has been selected.\r";

std::string Sz(const std::string& text) { return text + '\0'; }

std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class PrivateFontsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    t.fonts.systemDirectory = dir / "windows";
    fs::create_directories(dir / "windows/fonts");
    dir.Write("start/VKCOUR.TTF", "regular face");
    dir.Write("start/VKCOURBD.TTF", "bold face");
    program->state.languageCode = "NL";
    // The printer takes the face only where a test says so.
    t.printer.faces.erase(kPrivateFaceName);
  }

  void AddKey(const std::string& path, bool writable = true) {
    t.registry.keys[path].writable = writable;
  }
  void Register(const std::string& path, const std::string& regular, const std::string& bold) {
    t.registry.keys[path].values[kRegularValue] = {kRegSz, Sz(regular)};
    t.registry.keys[path].values[kBoldValue] = {kRegSz, Sz(bold)};
  }
  void PutInstalledFiles() {
    dir.Write("windows/fonts/VKCOUR.TTF", "installed regular");
    dir.Write("windows/fonts/VKCOURBD.TTF", "installed bold");
  }
  void TakeFaceOnceAdded() {
    t.fonts.onAddFont = [this](const std::string&) { t.printer.faces.insert(kPrivateFaceName); };
  }
  std::string Stored(const std::string& key, const std::string& value) {
    auto& values = t.registry.keys[key].values;
    auto it = values.find(value);
    return it == values.end() ? "<none>" : it->second.data;
  }
  // What the step did, in order: status texts, fonts, events, printer sizes.
  std::vector<std::string> Steps() const {
    std::vector<std::string> steps;
    for (const std::string& e : t.log.events) {
      if (e.rfind("status:", 0) == 0 || e.rfind("fonts.", 0) == 0 || e == "doevents" ||
          e.rfind("printer.fontsize", 0) == 0 || e.rfind("box:", 0) == 0) {
        steps.push_back(e);
      }
    }
    return steps;
  }
  int Run() {
    CurrentDirectoryGuard start(dir / "start");
    return EndCodeOf([&] { CheckPrivateFonts(*program); });
  }

  TempDir dir;
  TestPlatform t;
  std::unique_ptr<Program> program = t.NewProgram();
  const std::string fonts = dir / "windows/fonts/";
};

TEST_F(PrivateFontsTest, DebugFlag16TakesCourierNewAndTestsNothingEvenWithoutPrinter) {
  program->state.debugFlags = kDebugCourierNew;
  t.printer.failing = {"FontName", "SetFontName", "SetFontSize"};
  AddKey(kKey95);
  Register(kKey95, "wrong", "wrong");

  EXPECT_EQ(Run(), kWentOn);
  EXPECT_EQ(program->state.fontFaceName, "Courier New");
  EXPECT_TRUE(t.printer.calls.empty());
  EXPECT_TRUE(Steps().empty());
  EXPECT_TRUE(fs::is_empty(dir / "windows/fonts"));
  EXPECT_EQ(Stored(kKey95, kRegularValue), Sz("wrong"));
}

TEST_F(PrivateFontsTest, FaceTakenAtOnceNeedsNothingMore) {
  // The name read back counts without regard to case; a size the printer
  // refuses does not matter.
  t.printer.faces.insert("RUZERUZAZ ORI");
  t.printer.failing = {"SetFontSize"};
  AddKey(kKey95);

  EXPECT_EQ(Run(), kWentOn);
  EXPECT_EQ(program->state.fontFaceName, "RUZeruzaz Ori");
  EXPECT_EQ(t.printer.calls, (std::vector<std::string>{"fontsize:8", "fontname:RUZeruzaz Ori"}));
  EXPECT_EQ(Steps(), std::vector<std::string>{"printer.fontsize:8"});
  EXPECT_TRUE(fs::is_empty(dir / "windows/fonts"));
  EXPECT_TRUE(t.registry.keys[kKey95].values.empty());
}

TEST_F(PrivateFontsTest, FontsInPlaceButFaceNotTakenMeansThereIsNoPrinter) {
  PutInstalledFiles();
  AddKey(kKey95);
  AddKey(kKeyNT);
  Register(kKey95, "VKCOUR.TTF", "VKCOURBD.TTF");
  Register(kKeyNT, "VKCOUR.TTF", "VKCOURBD.TTF");

  const std::pair<const char*, const std::string*> languages[] = {
      {"NL", &kDutchNoPrinter}, {"ORV", &kDutchNoPrinter}, {"D", &kGermanNoPrinter},
      {"GB", &kEnglishNoPrinter}, {"F", &kEnglishNoPrinter}};
  for (const auto& [code, text] : languages) {
    program->state.languageCode = code;
    EXPECT_EQ(Run(), static_cast<int>(ExitCode::kNoPrinter)) << code;
    ASSERT_FALSE(t.desktop.boxes.empty());
    EXPECT_EQ(t.desktop.boxes.back().text, *text) << code;
    EXPECT_EQ(t.desktop.boxes.back().style, kMbOk);
    EXPECT_EQ(t.desktop.boxes.back().title, "RIZARODE");
  }
  EXPECT_FALSE(t.log.Has("fonts."));
  EXPECT_FALSE(t.log.Has("status:"));
  EXPECT_EQ(dir.Read("windows/fonts/VKCOUR.TTF"), "installed regular");
}

TEST_F(PrivateFontsTest, APrinterThatCannotBeAskedEndsTheProgramWithItsReason) {
  t.printer.failing = {"FontName"};
  EXPECT_EQ(Run(), static_cast<int>(ExitCode::kNoPrinter));
  ASSERT_EQ(t.desktop.boxes.size(), 1u);
  EXPECT_EQ(t.desktop.boxes[0].text.rfind(kDutchNoPrinter, 0), 0u);
  EXPECT_NE(t.desktop.boxes[0].text.find("Printer error 483: FontName failed"), std::string::npos);
  EXPECT_FALSE(t.log.Has("fonts."));
  EXPECT_TRUE(fs::is_empty(dir / "windows/fonts"));
}

class RegistrationValueOffTest : public PrivateFontsTest,
                                 public ::testing::WithParamInterface<const char*> {};

TEST_P(RegistrationValueOffTest, InstallsAgainWithoutCopyingFilesThatAreThere) {
  PutInstalledFiles();
  AddKey(kKey95);
  AddKey(kKeyNT);
  Register(kKey95, GetParam(), "VKCOURBD.TTF");
  Register(kKeyNT, "VKCOUR.TTF", "VKCOURBD.TTF");
  TakeFaceOnceAdded();

  EXPECT_EQ(Run(), kWentOn);
  EXPECT_EQ(dir.Read("windows/fonts/VKCOUR.TTF"), "installed regular");
  EXPECT_EQ(dir.Read("windows/fonts/VKCOURBD.TTF"), "installed bold");
  EXPECT_TRUE(t.log.Has("fonts.add:" + fonts + "VKCOUR.TTF"));
  EXPECT_TRUE(t.log.Has("fonts.add:" + fonts + "VKCOURBD.TTF"));
  for (const char* key : {kKey95, kKeyNT}) {
    EXPECT_EQ(Stored(key, kRegularValue), Sz("VKCOUR.TTF")) << key;
    EXPECT_EQ(Stored(key, kBoldValue), Sz("VKCOURBD.TTF")) << key;
  }
}

INSTANTIATE_TEST_SUITE_P(LowerCaseOrPath, RegistrationValueOffTest,
                         ::testing::Values("vkcour.ttf", "C:\\WINDOWS\\FONTS\\VKCOUR.TTF"),
                         [](const ::testing::TestParamInfo<const char*>& testCase) {
                           return std::string(testCase.index == 0 ? "LowerCase" : "FullPath");
                         });

TEST_F(PrivateFontsTest, OnlyTheKeysThatOpenAreReadAndWritten) {
  AddKey(kKeyNT);
  TakeFaceOnceAdded();
  EXPECT_EQ(Run(), kWentOn);
  EXPECT_EQ(Stored(kKeyNT, kRegularValue), Sz("VKCOUR.TTF"));
  EXPECT_EQ(Stored(kKeyNT, kBoldValue), Sz("VKCOURBD.TTF"));
  EXPECT_EQ(t.registry.keys.count(kKey95), 0u);
  EXPECT_EQ(dir.Read("windows/fonts/VKCOUR.TTF"), "regular face");
  EXPECT_EQ(dir.Read("windows/fonts/VKCOURBD.TTF"), "bold face");
  EXPECT_TRUE(t.registry.AllClosed());
}

TEST_F(PrivateFontsTest, WithoutUsableKeysTheFilesAloneDecide) {
  // A key the user may not write counts as absent, its wrong values too.
  AddKey(kKey95, false);
  Register(kKey95, "wrong", "wrong");
  PutInstalledFiles();
  EXPECT_EQ(Run(), static_cast<int>(ExitCode::kNoPrinter));

  fs::remove(dir / "windows/fonts/VKCOURBD.TTF");
  TakeFaceOnceAdded();
  EXPECT_EQ(Run(), kWentOn);
  EXPECT_EQ(dir.Read("windows/fonts/VKCOURBD.TTF"), "bold face");
  EXPECT_EQ(t.log.Count("fonts.add:"), 2);
  EXPECT_EQ(Stored(kKey95, kRegularValue), Sz("wrong"));
  EXPECT_EQ(t.registry.keys.size(), 1u);
}

TEST_F(PrivateFontsTest, FontOneIsHandledCompletelyBeforeFontTwo) {
  AddKey(kKey95);
  AddKey(kKeyNT);
  int added = 0;
  t.fonts.onAddFont = [&](const std::string& path) {
    ++added;
    if (added == 1) {
      EXPECT_EQ(path, fonts + "VKCOUR.TTF");
      EXPECT_FALSE(fs::exists(fonts + "VKCOURBD.TTF"));
      EXPECT_EQ(Stored(kKey95, kRegularValue), "<none>");
    } else {
      EXPECT_EQ(path, fonts + "VKCOURBD.TTF");
      EXPECT_EQ(Stored(kKey95, kRegularValue), Sz("VKCOUR.TTF"));
      EXPECT_EQ(Stored(kKeyNT, kRegularValue), Sz("VKCOUR.TTF"));
      EXPECT_EQ(Stored(kKeyNT, kBoldValue), "<none>");
      t.printer.faces.insert(kPrivateFaceName);
    }
  };

  EXPECT_EQ(Run(), kWentOn);
  EXPECT_EQ(Steps(), (std::vector<std::string>{
                         "printer.fontsize:8", "status:Installing font 1",
                         "fonts.add:" + fonts + "VKCOUR.TTF", "fonts.broadcast", "doevents",
                         "status:Installing font 2", "fonts.add:" + fonts + "VKCOURBD.TTF",
                         "fonts.broadcast", "doevents", "status:checking font",
                         "printer.fontsize:10"}));
  // Status texts go to the caption too.
  EXPECT_EQ(t.desktop.view->captionHistory,
            (std::vector<std::string>{"Installing font 1", "Installing font 2", "checking font"}));
  EXPECT_TRUE(t.desktop.boxes.empty());
}

TEST_F(PrivateFontsTest, FaceStillNotTakenAfterInstallingOffersARestartAndEnds) {
  EXPECT_EQ(Run(), static_cast<int>(ExitCode::kRestartNeeded));  // answered No
  ASSERT_EQ(t.desktop.boxes.size(), 1u);
  EXPECT_EQ(t.desktop.boxes[0].style, 36);
  EXPECT_EQ(t.desktop.boxes[0].title, "Systeeminstellingen wijzigen");
  EXPECT_EQ(t.desktop.boxes[0].text,
            "U moet nu de computer opnieuw starten alvorens de nieuwe instellingen effect "
            "hebben.\r\rWilt U nu de computer opnieuw opstarten?");
  EXPECT_FALSE(t.log.Has("fonts.restart"));

  // The next start finds the fonts installed: no second installation.
  program->state.languageCode = "D";
  EXPECT_EQ(Run(), static_cast<int>(ExitCode::kNoPrinter));
  EXPECT_EQ(t.log.Count("fonts.add:"), 2);

  fs::remove_all(dir / "windows/fonts");
  fs::create_directories(dir / "windows/fonts");
  t.desktop.answers = {kIdYes};
  EXPECT_EQ(Run(), static_cast<int>(ExitCode::kRestartNeeded));
  EXPECT_EQ(t.desktop.boxes.back().title, " \xC4nderung der Systeemeinstellungen");
  EXPECT_EQ(t.desktop.boxes.back().text,
            "Sie m\xFCssen Ihren Computer erneut starten weil anders die neue Einstellungen "
            "keine Effekt haben.\r\rWollen Sie nun ihren Computer erneut starten?");
  EXPECT_EQ(t.log.IndexOf("fonts.restart"), static_cast<int>(t.log.events.size()) - 1);
  EXPECT_GT(t.log.IndexOf("fonts.restart"), t.log.IndexOf("box: \xC4nderung"));

  program->state.languageCode = "F";
  fs::remove_all(dir / "windows/fonts");
  fs::create_directories(dir / "windows/fonts");
  EXPECT_EQ(Run(), static_cast<int>(ExitCode::kRestartNeeded));
  EXPECT_EQ(t.desktop.boxes.back().title, "System Settings Change");
  EXPECT_EQ(t.desktop.boxes.back().text,
            "You must restart your computer before the new settings will take effect.\r\r"
            "Do you want to restart your computer now?");
}

TEST_F(PrivateFontsTest, FontFilesAreFoundWithoutRegardToCase) {
  fs::remove(dir / "start/VKCOURBD.TTF");
  dir.Write("start/VkCourBd.Ttf", "bold face, other case");
  dir.Write("windows/fonts/vkcour.ttf", "installed regular");
  TakeFaceOnceAdded();

  EXPECT_EQ(Run(), kWentOn);
  EXPECT_TRUE(t.log.Has("fonts.add:" + fonts + "vkcour.ttf"));
  EXPECT_TRUE(t.log.Has("fonts.add:" + fonts + "VKCOURBD.TTF"));
  EXPECT_EQ(dir.Read("windows/fonts/VKCOURBD.TTF"), "bold face, other case");
  EXPECT_FALSE(fs::exists(fonts + "VKCOUR.TTF"));
}

TEST_F(PrivateFontsTest, AFailedCopyEndsStartUpNamingTheFileAndWhy) {
  fs::remove(dir / "start/VKCOURBD.TTF");
  EXPECT_EQ(Run(), static_cast<int>(ExitCode::kUnexpected));
  ASSERT_EQ(t.desktop.boxes.size(), 1u);
  const testing::ShownBox& box = t.desktop.boxes[0];
  EXPECT_EQ(box.style, kMbOk + kMbIconCritical);
  EXPECT_EQ(box.title, "RIZARODE");
  EXPECT_NE(box.text.find("VKCOURBD.TTF is not in " + dir / "start"), std::string::npos)
      << box.text;
  EXPECT_EQ(t.log.Count("fonts.add:"), 1);  // font 1 was done before
  EXPECT_FALSE(t.log.Has("status:checking font"));

  // A fonts directory that cannot take the file.
  fs::remove_all(dir / "windows/fonts");
  dir.Write("start/VKCOURBD.TTF", "bold face");
  EXPECT_EQ(Run(), static_cast<int>(ExitCode::kUnexpected));
  EXPECT_NE(t.desktop.boxes.back().text.find("VKCOUR.TTF: No such file or directory"),
            std::string::npos)
      << t.desktop.boxes.back().text;
}

// The real machine's parts: the file-backed registry, fontconfig, and the
// built-in printer "Save as PDF".
class PrivateFontsOnThisMachineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(dir / "registry/SOFTWARE/Microsoft/Windows/CurrentVersion/Fonts");
    fs::create_directories(dir / "registry/SOFTWARE/Microsoft/Windows NT/CurrentVersion/Fonts");
  }
  int Run() {
    Program program(platform, printer);
    program.state.languageCode = "GB";
    // The font files lie beside the program, in the build directory.
    CurrentDirectoryGuard start(RIZARODE_BINARY_DIR);
    return EndCodeOf([&] { CheckPrivateFonts(program); });
  }

  TempDir dir;
  testing::FontconfigSandbox sandbox{dir};
  TestPlatform t;
  FileRegistryStore registry{dir / "registry"};
  LinuxFontSystem fontSystem{{"false"}};
  testing::PdfPrinter printer{std::make_unique<PdfFileDevice>(dir / "PDF")};
  Platform platform{t.desktop, t.windows, t.launcher, t.files,  registry,
                    fontSystem, t.clock,  t.random,   t.info};
};

TEST_F(PrivateFontsOnThisMachineTest, InstallsTheFontsSoThatTheFaceResolvesAndGoesOn) {
  ASSERT_NE(testing::MatchFace(kPrivateFaceName).family, kPrivateFaceName)
      << "the face is installed on this machine already";

  EXPECT_EQ(Run(), kWentOn);
  EXPECT_TRUE(t.desktop.boxes.empty());
  EXPECT_TRUE(t.log.Has("status:checking font"));
  EXPECT_EQ(printer.FontName(), kPrivateFaceName);
  const std::string installed = sandbox.dataHome + "/fonts/";
  for (const char* name : {"VKCOUR.TTF", "VKCOURBD.TTF"}) {
    EXPECT_EQ(FileBytes(installed + name), FileBytes(std::string(RIZARODE_BINARY_DIR "/") + name));
  }
  EXPECT_EQ(testing::MatchFace(kPrivateFaceName).file, installed + "VKCOUR.TTF");
  EXPECT_EQ(testing::MatchFace(kPrivateFaceName, true).file, installed + "VKCOURBD.TTF");
  for (const char* key : {kKey95, kKeyNT}) {
    EXPECT_EQ(ReadRegString(registry, key, kRegularValue), "VKCOUR.TTF");
    EXPECT_EQ(ReadRegString(registry, key, kBoldValue), "VKCOURBD.TTF");
  }

  // The next start finds the face at once.
  t.log.events.clear();
  EXPECT_EQ(Run(), kWentOn);
  EXPECT_FALSE(t.log.Has("status:"));
  EXPECT_FALSE(t.log.Has("status:checking font"));
}

}  // namespace
}  // namespace rizarode
