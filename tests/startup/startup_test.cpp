#include "startup/startup.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "base/text.h"
#include "support/os_calls.h"
#include "support/temp_dir.h"
#include "support/test_platform.h"

namespace rizarode {
namespace {

using testing::CurrentDirectoryGuard;
using testing::EndCodeOf;
using testing::TempDir;
using testing::TestPlatform;

TEST(PrintFileNameTest, SixUpperCaseHexDigitsWithLeadingZeros) {
  EXPECT_EQ(PrintFileName(255), "VK0000FF.TMP");
  EXPECT_EQ(PrintFileName(0), "VK000000.TMP");
  EXPECT_EQ(PrintFileName(16777215), "VKFFFFFF.TMP");
  EXPECT_EQ(PrintFileName(0xABCDEF), "VKABCDEF.TMP");
}

TEST(PrintFileNameTest, DrawsFromTheWholeRangeAfterSeedingFromTheClock) {
  TestPlatform t;
  auto program = t.NewProgram();
  t.random.fractions = {0.0, 0.999999999, 0.5};
  EXPECT_EQ(NewPrintFileName(*program), "VK000000.TMP");
  EXPECT_EQ(NewPrintFileName(*program), "VKFFFFFF.TMP");
  EXPECT_EQ(NewPrintFileName(*program), "VK800000.TMP");
  EXPECT_EQ(t.log.Count("random.seed"), 3);
}

// A host directory with everything start-up looks for, entered for the test;
// the host's window appears as soon as it is launched.
class StartupTest : public ::testing::Test {
 protected:
  StartupTest() : cwd_(dir_.path()) {
    dir_.Write("GB/VELDRAK.TXT", "");
    t_.windows.windows = {{10, "Desktop"}};
    t_.launcher.onStart = [this](const std::string&) {
      t_.windows.windows.insert(t_.windows.windows.begin(), {42, "VELDRAK"});
    };
  }
  int Run(const std::string& arguments) {
    t_.info.argumentText = arguments;
    program_ = t_.NewProgram();
    return EndCodeOf([&] { RunStartup(*program_); });
  }
  std::string Work() const { return dir_.path() + "/"; }

  TempDir dir_;
  CurrentDirectoryGuard cwd_;
  TestPlatform t_;
  std::unique_ptr<Program> program_;
};

TEST_F(StartupTest, RunsItsStepsInTheirFixedOrder) {
  ASSERT_EQ(Run("/wdebug=1 /temp=" + dir_.path()), -1);
  const auto& log = t_.log;
  std::vector<std::string> order = {
      "window.create",          // 5: the status window, loaded
      "window.show",            // 5: shown
      "doevents",               // 5: painted
      "printer.fontname:",      // 7: the font check asks the printer
      "status:Initializing",    // 8: in the language found in step 6
      "random.seed",            // 9: the print file name
      "status:Installed ",      // 10: the driver file
      "window.minimize",        // 11: out of the way
      "status:Starting VELDRAK",  // 12: the launch
      "launch:",                // 12
      "status:VELDRAK found",   // 13
      "timer.on",               // 13: the program now lives in ticks
  };
  int previous = -1;
  for (const std::string& event : order) {
    int at = log.IndexOf(event);
    ASSERT_GE(at, 0) << "missing " << event;
    EXPECT_GT(at, previous) << event << " out of order";
    previous = at;
  }
  EXPECT_EQ(program_->state.hostWindow, 42u);
  EXPECT_EQ(program_->state.debugFlags, 1);
  EXPECT_EQ(program_->state.languageCode, "GB");
  EXPECT_TRUE(t_.desktop.boxes.empty());
}

TEST_F(StartupTest, HidesTheWindowUnlessDebugInformationIsWanted) {
  ASSERT_EQ(Run("/TEMP=" + dir_.path()), -1);
  EXPECT_FALSE(t_.desktop.view->visible);
  EXPECT_EQ(t_.desktop.view->state, WindowState::kMinimized);
  EXPECT_FALSE(t_.log.Has("status:VELDRAK found"));
  EXPECT_TRUE(t_.desktop.view->timerEnabled);
}

TEST_F(StartupTest, WithDebugInformationTheWindowStaysOnTheTaskBarMinimized) {
  ASSERT_EQ(Run("/WDEBUG=1 /TEMP=" + dir_.path()), -1);
  EXPECT_TRUE(t_.desktop.view->visible);
  EXPECT_EQ(t_.desktop.view->state, WindowState::kMinimized);
}

TEST_F(StartupTest, HelpEndsBeforeAnythingElseHappens) {
  EXPECT_EQ(Run("/?"), 0);
  EXPECT_EQ(t_.desktop.boxes.size(), 1u);
  EXPECT_FALSE(t_.log.Has("window.create"));
  EXPECT_TRUE(t_.launcher.commandLines.empty());
}

TEST_F(StartupTest, HelpMarkWithMoreArgumentsIsNoHelpRequest) {
  ASSERT_EQ(Run("/? /WDEBUG=1 /TEMP=" + dir_.path()), -1);
  EXPECT_TRUE(t_.desktop.boxes.empty());
  EXPECT_EQ(program_->state.debugFlags, 1);
}

TEST_F(StartupTest, PassesTheUpperCaseArgumentsOnAfterItsOwn) {
  ASSERT_EQ(Run("/wdebug=1 /temp=" + dir_.path()), -1);
  ASSERT_EQ(t_.launcher.commandLines.size(), 1u);
  const std::string& line = t_.launcher.commandLines[0];
  EXPECT_EQ(line.rfind("VELDRAK.EXE /WIN=VK0000FF.TMP /TEMP=", 0), 0u) << line;
  std::string tail = " /WDEBUG=1 /TEMP=" + UpperCase(dir_.path());
  EXPECT_EQ(line.substr(line.size() - tail.size()), tail) << line;
}

// A file left under the drawn stem is a job of an earlier run, still to be
// printed: another name is drawn, and this run holds its own lock.
TEST_F(StartupTest, DrawsAnotherNameWhereAnEarlierRunLeftFiles) {
  dir_.Write("VK0000FF.TMP", "old job");
  dir_.Write("VK000100.002", "old taken job");
  t_.random.fractions = {255.0 / 16777216.0, 256.0 / 16777216.0, 257.0 / 16777216.0};
  ASSERT_EQ(Run("/TEMP=" + dir_.path()), -1);
  EXPECT_TRUE(std::filesystem::exists(dir_ / "VK0000FF.TMP"));
  EXPECT_EQ(program_->state.printFilePath, program_->state.workDirectory + "VK000101.TMP");
  EXPECT_TRUE(program_->state.runLock);
  EXPECT_TRUE(std::filesystem::exists(dir_ / "VK000101.RUN"));
}

TEST_F(StartupTest, NoDriverFormOrPitchShowsTheRefusalAndStartsNoHost) {
  // A printer that takes no paper size yields no form.
  t_.printer.papers.clear();
  EXPECT_EQ(Run("/TEMP=" + dir_.path()), 6);
  ASSERT_FALSE(t_.desktop.boxes.empty());
  const auto& box = t_.desktop.boxes.back();
  EXPECT_EQ(box.style, 0);
  EXPECT_EQ(box.title, "RIZARODE");
  EXPECT_EQ(box.text.rfind("Printing via Windows has been cancelled.", 0), 0u);
  EXPECT_FALSE(std::filesystem::exists(dir_ / "RIZARODE.TMP"));
  EXPECT_TRUE(t_.launcher.commandLines.empty());
}

// A link in the work directory is neither written through nor taken for a
// printer that lacks forms: the message names the link, and the link stays.
TEST_F(StartupTest, LinksAtTheDriverOrProbeNameAreRefusedWithAMessageThatSaysSo) {
  std::string elsewhere = dir_.Write("elsewhere/file", "someone's file");
  if (!testing::MakeSymbolicLink(elsewhere, dir_ / "RIZARODE.TMP")) {
    GTEST_SKIP() << "no symbolic links here";
  }
  EXPECT_EQ(Run("/TEMP=" + dir_.path()), 6);
  ASSERT_FALSE(t_.desktop.boxes.empty());
  EXPECT_NE(t_.desktop.boxes.back().text.find("RIZARODE.TMP is a symbolic link"), std::string::npos)
      << t_.desktop.boxes.back().text;
  EXPECT_TRUE(std::filesystem::is_symlink(dir_ / "RIZARODE.TMP"));
  EXPECT_EQ(dir_.Read("elsewhere/file"), "someone's file");
  EXPECT_TRUE(t_.launcher.commandLines.empty());

  std::filesystem::remove(dir_ / "RIZARODE.TMP");
  ASSERT_TRUE(testing::MakeSymbolicLink(elsewhere, dir_ / "VELDRAK.TMP"));
  EXPECT_EQ(Run("/TEMP=" + dir_.path()), 3);
  EXPECT_NE(t_.desktop.boxes.back().text.find("VELDRAK.TMP there is a symbolic link"),
            std::string::npos)
      << t_.desktop.boxes.back().text;
}

}  // namespace
}  // namespace rizarode
