#include "printing/polling_cycle.h"

#include <gtest/gtest.h>

#include "printing/status_window.h"
#include "support/second_process.h"
#include "support/temp_dir.h"
#include "support/test_platform.h"

namespace rizarode {
namespace {

using testing::EndCodeOf;
using testing::TempDir;
using testing::TestPlatform;

constexpr WindowHandle kHost = 7;

// A second process that has the file open for writing until released, as
// the host has while it writes a print job.
class WriterProcess {
 public:
  explicit WriterProcess(const std::string& path)
      : opened_(process_.Ask("raw-write " + path) == "ok") {}

  bool opened() const { return opened_; }
  // Closes the file; it is closed once the process has said so.
  void Release() {
    if (opened_) process_.Ask("raw-close");
    opened_ = false;
  }

 private:
  testing::SecondProcess process_{"file_opener"};
  bool opened_;
};

// Real files, but deletion can be refused, as when another process keeps a
// file from being removed.
class RefusingFileSystem : public testing::NativeFileSystem {
 public:
  bool refuseDelete = false;
  bool DeleteFile(const std::string& path) override {
    return refuseDelete ? false : testing::NativeFileSystem::DeleteFile(path);
  }
};

class PollingCycleTest : public ::testing::Test {
 protected:
  PollingCycleTest() {
    program = std::make_unique<Program>(platform);
    program->state.printFilePath = printFile;
    program->state.hostWindow = kHost;
    tp.windows.windows = {{3, "Desktop"}, {kHost, "VELDRAK"}, {9, "Clock"}};
    view().interval = 1000;
  }

  testing::FakeStatusWindowView& view() {
    StatusWindow(*program);
    return *tp.desktop.view;
  }
  int32_t& ticks() { return StatusWindow(*program).TickCounter(); }
  int Tick() {
    return EndCodeOf([&] { StatusWindow(*program).timClock_Timer(); });
  }
  int Prints() const {
    return static_cast<int>(std::count(tp.desktop.view->statusHistory.begin(),
                                       tp.desktop.view->statusHistory.end(), "Printing started"));
  }
  std::string Status() { return view().Label(StatusLabel::lblStatus); }
  void WriteJob(const std::string& text) { work.Write("VK0000FF.TMP", text); }
  bool JobThere() { return tp.files.FileExists(printFile); }

  TempDir work;
  std::string printFile = work / "VK0000FF.TMP";
  TestPlatform tp;
  RefusingFileSystem files;
  Platform platform{tp.desktop, tp.windows, tp.launcher, files,    tp.registry,
                    tp.fonts,   tp.clock,   tp.random,   tp.info, tp.printer};
  std::unique_ptr<Program> program;
};

TEST_F(PollingCycleTest, WaitingShowsTheTotalTimeAndWithinTenTicksOfAPrintTheTimeSinceIt) {
  EXPECT_EQ(Tick(), -1);
  EXPECT_EQ(Status(), "Waiting for print job: 00:00:01");
  EXPECT_EQ(view().caption, "Waiting for print job");

  ticks() = 3724;
  program->state.lastPrintTick = 3721;
  Tick();
  EXPECT_EQ(Status(), "Waiting for print job: 01:02:05 - 00:00:04");
  EXPECT_EQ(view().caption, "Waiting for print job");
}

TEST_F(PollingCycleTest, TheTickCounterAddsTheIntervalInWholeSecondsReadAtEveryTick) {
  view().interval = 1500;
  Tick();
  EXPECT_EQ(ticks(), 2);
  view().interval = 2500;  // halves go to the even neighbour
  Tick();
  EXPECT_EQ(ticks(), 4);
  view().interval = 400;
  Tick();
  EXPECT_EQ(ticks(), 4);
}

TEST_F(PollingCycleTest, AGoneHostWindowEndsTheProgramAtOnceEvenWithAPrintFileWaiting) {
  WriteJob("Hello\r\n#form##JOBend#\r\n");
  tp.windows.windows = {{3, "Desktop"}, {9, "Clock"}};
  std::size_t shown = view().statusHistory.size();
  EXPECT_EQ(Tick(), static_cast<int>(ExitCode::kNormal));
  EXPECT_TRUE(JobThere());
  EXPECT_EQ(view().statusHistory.size(), shown);
  EXPECT_FALSE(tp.log.Has("windows.show"));

  tp.windows.windows.clear();
  EXPECT_EQ(Tick(), static_cast<int>(ExitCode::kNormal));
}

TEST_F(PollingCycleTest, AFinishedPrintFileIsPrintedAndDeletedInTheSameTick) {
  WriteJob("Hello\r\n#form##JOBend#\r\n");
  ticks() = 99;
  EXPECT_EQ(Tick(), -1);
  EXPECT_EQ(Prints(), 1);
  EXPECT_EQ(view().statusHistory.back(), "Printing ended");
  EXPECT_EQ(view().caption, "Printing ended");
  EXPECT_FALSE(JobThere());
  EXPECT_EQ(program->state.lastPrintTick, 100);
  // The host comes forward in the tick of the print already.
  EXPECT_EQ(tp.log.Count("windows.show:7:1"), 1);
  EXPECT_EQ(tp.log.Count("windows.focus:7"), 1);
}

TEST_F(PollingCycleTest, APrintFileStillOpenForWritingWaitsUntilTheHostClosesIt) {
  WriteJob("Hello\r\n");
  WriterProcess host(printFile);
  ASSERT_TRUE(host.opened());
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(Tick(), -1);
    EXPECT_EQ(Status(), "Adding to print job");
    EXPECT_EQ(view().caption, "Adding to print job");
    EXPECT_TRUE(JobThere());
  }
  EXPECT_EQ(Prints(), 0);
  host.Release();
  Tick();
  EXPECT_EQ(Prints(), 1);
  EXPECT_FALSE(JobThere());
  EXPECT_EQ(program->state.lastPrintTick, 4);
}

TEST_F(PollingCycleTest, TheHostComesForwardForTenTicksAfterAPrint) {
  WriteJob("Hello\r\n");
  ticks() = 99;
  Tick();
  ASSERT_EQ(program->state.lastPrintTick, 100);
  for (int tick = 101; tick <= 109; ++tick) {
    Tick();
    EXPECT_EQ(Status(), "Waiting for print job: 00:01:" + std::to_string(tick - 60) +
                            " - 00:00:0" + std::to_string(tick - 100));
  }
  EXPECT_EQ(tp.log.Count("windows.show:7:1"), 10);
  EXPECT_EQ(tp.log.Count("windows.focus:7"), 10);
  EXPECT_LT(tp.log.IndexOf("windows.show:7:1"), tp.log.IndexOf("windows.focus:7"));

  Tick();
  EXPECT_EQ(Status(), "Waiting for print job: 00:01:50 - 00:00:10");
  EXPECT_EQ(program->state.lastPrintTick, 0);
  EXPECT_EQ(tp.log.Count("windows.show:7:1"), 10);

  Tick();
  EXPECT_EQ(Status(), "Waiting for print job: 00:01:51");
}

TEST_F(PollingCycleTest, AFileTakenBetweenLockTestAndPrintingIsKeptAndPrintedAtTheNextTick) {
  WriteJob("Hello\r\n#form##JOBend#\r\n");
  std::unique_ptr<WriterProcess> intruder;
  view().onStatus = [&](const std::string& text) {
    if (text == "Printing started" && !intruder) intruder = std::make_unique<WriterProcess>(printFile);
  };
  Tick();
  ASSERT_TRUE(intruder && intruder->opened());
  EXPECT_EQ(Status(), "Adding to print job");
  EXPECT_TRUE(JobThere());
  EXPECT_EQ(program->state.lastPrintTick, 0);
  EXPECT_FALSE(tp.log.Has("windows.show"));

  intruder->Release();
  Tick();
  EXPECT_EQ(Status(), "Printing ended");
  EXPECT_FALSE(JobThere());
  EXPECT_EQ(program->state.lastPrintTick, 2);
}

TEST_F(PollingCycleTest, APrintedFileThatCannotBeDeletedIsNotPrintedAgain) {
  WriteJob("Hello\r\n#form##JOBend#\r\n");
  files.refuseDelete = true;
  Tick();
  EXPECT_EQ(Prints(), 1);
  EXPECT_TRUE(JobThere());
  EXPECT_EQ(program->state.lastPrintTick, 1);

  Tick();
  Tick();
  EXPECT_EQ(Prints(), 1);
  EXPECT_EQ(Status(), "Print job printed, but its file could not be deleted");
  // The refocus period of the print goes on.
  EXPECT_EQ(tp.log.Count("windows.show:7:1"), 3);

  // Once the file can go, it goes without being printed.
  files.refuseDelete = false;
  Tick();
  EXPECT_EQ(Prints(), 1);
  EXPECT_FALSE(JobThere());
  EXPECT_EQ(Status(), "Waiting for print job: 00:00:04 - 00:00:03");
}

TEST_F(PollingCycleTest, ANewJobWrittenOverAnUndeletedFileIsPrinted) {
  WriteJob("First job\r\n#form##JOBend#\r\n");
  files.refuseDelete = true;
  Tick();
  Tick();
  EXPECT_EQ(Prints(), 1);

  WriteJob("Second job\r\n#form##JOBend#\r\n");
  Tick();
  EXPECT_EQ(Prints(), 2);
  Tick();
  EXPECT_EQ(Prints(), 2);
}

}  // namespace
}  // namespace rizarode
