#include "startup/launch_host.h"

#include <gtest/gtest.h>

#include "printing/status_window.h"
#include "program/messages.h"
#include "support/temp_dir.h"
#include "support/test_platform.h"

namespace rizarode {
namespace {

using testing::CurrentDirectoryGuard;
using testing::EndCodeOf;
using testing::ScriptedWindow;
using testing::TempDir;
using testing::TestPlatform;

// Titles and handles as SnapshotWindows leaves them: index 0 unused.
struct Snapshot {
  std::vector<std::string> titles{""};
  std::vector<WindowHandle> handles{0};
  Snapshot(std::initializer_list<ScriptedWindow> windows) {
    for (const auto& w : windows) {
      titles.push_back(w.title);
      handles.push_back(w.handle);
    }
  }
};

WindowHandle Find(const Snapshot& before, const Snapshot& after) {
  return FindHostWindow(before.handles, after.titles, after.handles);
}

TEST(FindHostWindowTest, ASingleNewTitledWindowIsTheHostWhateverItsTitle) {
  Snapshot before{{1, "Desktop"}, {2, "Mail"}};
  EXPECT_EQ(Find(before, {{1, "Desktop"}, {9, "Clock"}, {2, "Mail"}}), 9u);
  EXPECT_EQ(Find(before, {{1, "Desktop"}, {2, "Mail"}}), 0u);
  EXPECT_EQ(Find(before, {{2, "Mail"}}), 0u);
}

TEST(FindHostWindowTest, UntitledWindowsAreNeverNewWindows) {
  Snapshot before{{1, "Desktop"}};
  EXPECT_EQ(Find(before, {{1, "Desktop"}, {9, ""}}), 0u);
  // An untitled window beside a single titled one leaves that one alone.
  EXPECT_EQ(Find(before, {{8, ""}, {1, "Desktop"}, {9, "Clock"}}), 9u);
}

TEST(FindHostWindowTest, AmongSeveralNewWindowsTheFirstWithTheProductNameAsFirstWordWins) {
  Snapshot before{{1, "Desktop"}};
  EXPECT_EQ(Find(before, {{8, "Clock"}, {9, "VELDRAK 3.0"}}), 9u);
  EXPECT_EQ(Find(before, {{8, "veldrak"}, {9, "VELDRAK"}}), 8u);
  EXPECT_EQ(Find(before, {{8, "Clock"}, {9, "Veldrak - family tree"}}), 9u);
  EXPECT_EQ(Find(before, {{8, "VELDRAKX"}, {9, "Clock"}}), 0u);
  EXPECT_EQ(Find(before, {{8, "VELDRAK-3"}, {9, "A VELDRAK"}}), 0u);
  EXPECT_EQ(Find(before, {{8, "VELD"}, {9, "Clock"}}), 0u);
}

TEST(FindHostWindowTest, AWindowThatWasThereBeforeIsNeverTheHost) {
  Snapshot before{{1, "Desktop"}, {5, "VELDRAK"}};
  // Another copy of the host already ran; only the new window counts.
  EXPECT_EQ(Find(before, {{5, "VELDRAK"}, {9, "VELDRAK"}}), 9u);
  EXPECT_EQ(Find(before, {{5, "VELDRAK"}, {1, "Desktop"}}), 0u);
  // The titles before play no part, only the handles.
  Snapshot renamed{{1, "Other"}, {5, "Other"}};
  EXPECT_EQ(Find(renamed, {{5, "VELDRAK"}, {9, "Clock"}}), 9u);
}

// With the started process known, a second instance's host (another
// process, even one titled VELDRAK) and the hidden windows of the process
// itself are passed over; shown windows of no known process keep the title
// rule.
TEST(FindHostWindowTest, WithTheProcessKnownOnlyAVisibleWindowOfThatProcessIsTheHost) {
  testing::EventLog log;
  testing::ScriptedWindowList windows(log);
  auto find = [&](std::vector<ScriptedWindow> after) {
    windows.windows = after;
    WindowSnapshot was, now;
    was.titles.push_back("Desktop");
    was.handles.push_back(1);
    SnapshotWindows(windows, now.titles, now.handles);
    return FindHostWindowOf(windows, 42, was, now);
  };
  EXPECT_EQ(find({{1, "Desktop"}, {7, "VELDRAK", 41}, {8, "Default IME", 42, false},
                  {9, "DOSBox 0.74-3", 42}}),
            9u);
  EXPECT_EQ(find({{1, "Desktop"}, {7, "VELDRAK", 41}}), 0u);
  EXPECT_EQ(find({{1, "Desktop"}, {7, "VELDRAK", 41}, {9, "VELDRAK"}}), 9u);
  EXPECT_EQ(find({{1, "Desktop"}, {8, "Clock"}, {9, "VELDRAK 3.0"}}), 9u);
  // A window that closed after the snapshot tells neither its process nor
  // that it is shown: DOSBox's start opens and closes several.
  EXPECT_EQ(find({{1, "Desktop"}, {6, "WineD3D fake window", 0, false}}), 0u);
}

TEST(SnapshotWindowsTest, ListsEveryWindowFromIndexOneWithTitlesCutTo255Characters) {
  TestPlatform tp;
  tp.windows.windows = {{4, "First"}, {2, ""}, {7, std::string(300, 'x')}};
  std::vector<std::string> titles{"stale", "stale"};
  std::vector<WindowHandle> handles{9, 9};
  SnapshotWindows(tp.windows, titles, handles);
  ASSERT_EQ(handles, (std::vector<WindowHandle>{0, 4, 2, 7}));
  ASSERT_EQ(titles.size(), 4u);
  EXPECT_EQ(titles[0], "");
  EXPECT_EQ(titles[1], "First");
  EXPECT_EQ(titles[2], "");
  EXPECT_EQ(titles[3], std::string(255, 'x'));

  tp.windows.windows.clear();
  SnapshotWindows(tp.windows, titles, handles);
  EXPECT_EQ(handles, (std::vector<WindowHandle>{0}));
  EXPECT_EQ(titles, (std::vector<std::string>{""}));
}

// A program in a host directory with a work directory and a driver file.
class LaunchHostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    program = tp.NewProgram();
    program->state.workDirectory = work.path() + "/";
    program->state.languageCode = "NL";
    work.Write("RIZARODE.TMP", "01 3.0b : Windows printer (X)\r\n");
    program->state.driverFileWritten = true;  // by this run
    tp.windows.windows = {{1, "Desktop"}};
    tp.clock.step = 0.5;
  }

  // The host opens its window once this many snapshots have been taken
  // after the launch.
  void HostWindowAppearsAtPass(int pass, const std::string& title = "VELDRAK") {
    tp.windows.onFirst = [this, pass, title] {
      if (tp.launcher.commandLines.empty()) return;
      if (++passes == pass) tp.windows.windows.push_back({42, title});
    };
  }

  int Launch(const std::string& argumentText = "") {
    return EndCodeOf([&] { LaunchHost(*program, argumentText, "VK0000FF.TMP"); });
  }

  TempDir host;
  CurrentDirectoryGuard inHost{host.path()};
  TempDir work;
  TestPlatform tp;
  std::unique_ptr<Program> program;
  int passes = 0;
};

TEST_F(LaunchHostTest, StartsTheExeWithPrintFileWorkDirectoryAndArgumentsAndFindsItsWindow) {
  HostWindowAppearsAtPass(3);
  EXPECT_EQ(Launch("/WDEBUG=1 /TEMP=D:\\TMP"), -1);
  ASSERT_EQ(tp.launcher.commandLines.size(), 1u);
  EXPECT_EQ(tp.launcher.commandLines[0], "VELDRAK.EXE /WIN=VK0000FF.TMP /TEMP=" + work.path() +
                                             "/ /WDEBUG=1 /TEMP=D:\\TMP");
  EXPECT_EQ(program->state.hostWindow, 42u);
  EXPECT_EQ(tp.desktop.doEvents, 3);
  EXPECT_EQ(tp.desktop.view->caption, "Starting VELDRAK.EXE");
  EXPECT_EQ(tp.desktop.view->Label(StatusLabel::lblStatus), "Starting VELDRAK.EXE");
  // Before the launch only the desktop was there; after it, the host too.
  EXPECT_EQ(program->state.windowsBefore.handles, (std::vector<WindowHandle>{0, 1}));
  EXPECT_EQ(program->state.windowsAfter.handles, (std::vector<WindowHandle>{0, 1, 42}));
  EXPECT_TRUE(tp.desktop.boxes.empty());
}

TEST_F(LaunchHostTest, APifIsStartedInsteadOfTheExeAndFoundWithoutRegardToCase) {
  host.Write("VELDRAK.EXE", "");
  host.Write("veldrak.pif", "");
  HostWindowAppearsAtPass(1);
  EXPECT_EQ(Launch(), -1);
  // An empty argument text leaves the blank after the work directory.
  EXPECT_EQ(tp.launcher.commandLines.at(0),
            "VELDRAK.PIF /WIN=VK0000FF.TMP /TEMP=" + work.path() + "/ ");
  EXPECT_EQ(tp.desktop.view->caption, "Starting VELDRAK.PIF");
}

TEST_F(LaunchHostTest, AHostAlreadyRunningBeforeTheLaunchIsNotTaken) {
  tp.windows.windows.push_back({5, "VELDRAK"});
  HostWindowAppearsAtPass(2);
  EXPECT_EQ(Launch(), -1);
  EXPECT_EQ(program->state.hostWindow, 42u);
}

TEST_F(LaunchHostTest, NoWindowWithinFiveSecondsShowsTheFailureDeletesTheDriverFileAndEnds) {
  // The clock moves half a second per reading: the pass that reads 5.5
  // seconds after the launch is the last one.
  HostWindowAppearsAtPass(12);
  EXPECT_EQ(Launch(), static_cast<int>(ExitCode::kHostNotStarted));
  EXPECT_EQ(tp.desktop.doEvents, 11);
  ASSERT_EQ(tp.desktop.boxes.size(), 1u);
  EXPECT_EQ(tp.desktop.boxes[0].text, StartFailureMessage("NL"));
  EXPECT_EQ(tp.desktop.boxes[0].style, kMbOk + kMbIconCritical);
  EXPECT_EQ(tp.desktop.boxes[0].title, "RIZARODE");
  EXPECT_FALSE(tp.files.FileExists(work / "RIZARODE.TMP"));
  EXPECT_EQ(program->state.hostWindow, 0u);
}

TEST_F(LaunchHostTest, AWindowFoundInThePassThatReachesTheLimitStillCounts) {
  HostWindowAppearsAtPass(11);
  EXPECT_EQ(Launch(), -1);
  EXPECT_EQ(program->state.hostWindow, 42u);
}

TEST_F(LaunchHostTest, TheWaitEndsAfterThePassInWhichTheClockPassesMidnight) {
  tp.clock.now = 86398.0;
  tp.clock.step = 1.0;
  EXPECT_EQ(Launch(), static_cast<int>(ExitCode::kHostNotStarted));
  EXPECT_EQ(tp.desktop.doEvents, 2);
  EXPECT_EQ(tp.desktop.boxes.size(), 1u);
}

TEST_F(LaunchHostTest, TwoNewWindowsWithoutTheProductNameKeepTheWaitGoing) {
  tp.windows.onFirst = [this] {
    if (tp.launcher.commandLines.empty()) return;
    ++passes;
    if (passes == 1) tp.windows.windows.push_back({8, "VELDRAKX"});
    if (passes == 1) tp.windows.windows.push_back({9, "Clock"});
    if (passes == 4) tp.windows.windows.pop_back();  // the clock closes
  };
  EXPECT_EQ(Launch(), -1);
  EXPECT_EQ(tp.desktop.doEvents, 4);
  EXPECT_EQ(program->state.hostWindow, 8u);
}

TEST_F(LaunchHostTest, AHostFileThatCannotBeStartedEndsAtOnceWithTheFailureMessage) {
  host.Write("VELDRAK.EXE", "");
  tp.launcher.succeed = false;
  EXPECT_EQ(Launch(), static_cast<int>(ExitCode::kHostNotStarted));
  EXPECT_EQ(tp.desktop.doEvents, 0);
  ASSERT_EQ(tp.desktop.boxes.size(), 1u);
  EXPECT_EQ(tp.desktop.boxes[0].style, kMbOk + kMbIconCritical);
  EXPECT_FALSE(tp.files.FileExists(work / "RIZARODE.TMP"));
}

// Started outside a host directory: the box says where the program looked
// and what to do, in the session's language unless the directory has a
// language marker, which decides as for every other message.
TEST_F(LaunchHostTest, WithoutTheHostFileTheBoxSaysWhereItLookedInTheUsersLanguage) {
  tp.info.userLanguage = "D";
  tp.launcher.succeed = false;
  const std::string here = tp.files.CurrentDirectory();
  EXPECT_EQ(Launch(), static_cast<int>(ExitCode::kHostNotStarted));
  ASSERT_EQ(tp.desktop.boxes.size(), 1u);
  EXPECT_EQ(tp.desktop.boxes[0].text,
            HostMissingMessage("NL", "D", here, EmulatorSource::kSystemPackage));
  EXPECT_FALSE(tp.files.FileExists(work / "RIZARODE.TMP"));

  host.Write("GB/veldrak.txt", "");
  program->state.languageCode = "GB";
  program->state.driverFileWritten = false;
  tp.desktop.boxes.clear();
  EXPECT_EQ(Launch(), static_cast<int>(ExitCode::kHostNotStarted));
  ASSERT_EQ(tp.desktop.boxes.size(), 1u);
  EXPECT_EQ(tp.desktop.boxes[0].text,
            HostMissingMessage("GB", "GB", here, EmulatorSource::kSystemPackage));
}

}  // namespace
}  // namespace rizarode
