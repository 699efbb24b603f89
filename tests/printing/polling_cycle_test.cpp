#include "printing/polling_cycle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>

#include "printing/status_window.h"
#include "program/run_lock.h"
#include "support/os_calls.h"
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

// A file whose reads fail, as on a failing disk.
class FailingReads : public FileHandle {
 public:
  explicit FailingReads(std::unique_ptr<FileHandle> real) : real_(std::move(real)) {}
  long Read(char*, std::size_t) override { return -1; }
  bool Write(const char* data, std::size_t size) override { return real_->Write(data, size); }
  int64_t Length() override { return real_->Length(); }
  int64_t Position() override { return real_->Position(); }
  bool Seek(int64_t offset) override { return real_->Seek(offset); }
  bool Close() override { return real_->Close(); }

 private:
  std::unique_ptr<FileHandle> real_;
};

// Real files, but deletion can be refused, as when another process keeps a
// file from being removed, and reads can fail.
class RefusingFileSystem : public testing::NativeFileSystem {
 public:
  bool refuseDelete = false;
  bool failReads = false;
  bool DeleteFile(const std::string& path) override {
    return refuseDelete ? false : testing::NativeFileSystem::DeleteFile(path);
  }
  std::unique_ptr<FileHandle> Open(const std::string& path, const OpenRequest& request) override {
    std::unique_ptr<FileHandle> file = testing::NativeFileSystem::Open(path, request);
    if (file && failReads) return std::make_unique<FailingReads>(std::move(file));
    return file;
  }
};

class PollingCycleTest : public ::testing::Test {
 protected:
  PollingCycleTest() {
    program = std::make_unique<Program>(platform, tp.printer);
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
  // Every file left in the work directory.
  std::vector<std::string> WorkFiles() {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(work.path())) {
      names.push_back(entry.path().filename().string());
    }
    return names;
  }

  TempDir work;
  std::string printFile = work / "VK0000FF.TMP";
  // The name under which the program prints its first job.
  std::string takenFile = work / "VK0000FF.001";
  TestPlatform tp;
  RefusingFileSystem files;
  Platform platform{tp.desktop, tp.windows, tp.launcher, files,   tp.registry,
                    tp.fonts,   tp.clock,   tp.random,   tp.info, tp.notifier};
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

// The host's last job is not left behind when the host ends right after it;
// only a file still being written is.
TEST_F(PollingCycleTest, AGoneHostWindowEndsTheProgramAfterPrintingTheCompleteJob) {
  WriteJob("Hello\r\n#form##JOBend#\r\n");
  tp.windows.windows = {{3, "Desktop"}, {9, "Clock"}};
  EXPECT_EQ(Tick(), static_cast<int>(ExitCode::kNormal));
  EXPECT_EQ(tp.printer.Printed(), "Hello\n<ED>");
  EXPECT_FALSE(JobThere());
  EXPECT_TRUE(WorkFiles().empty());
  EXPECT_FALSE(tp.log.Has("windows.show"));

  WriteJob("still being written");
  WriterProcess host(printFile);
  ASSERT_TRUE(host.opened());
  tp.windows.windows.clear();
  EXPECT_EQ(Tick(), static_cast<int>(ExitCode::kNormal));
  EXPECT_TRUE(JobThere());
  EXPECT_EQ(Prints(), 1);
}

// The session ends host and program at once: its end, come while the tick
// that sees the host gone ran, is how the run ends.
TEST_F(PollingCycleTest, TheSessionsEndDuringTheTickGoesBeforeTheHostsEnd) {
  WriteJob("Hello\r\n#form##JOBend#\r\n");
  tp.windows.windows = {{3, "Desktop"}};
  tp.desktop.onDoEvents = [&] {
    tp.desktop.onDoEvents = nullptr;
    tp.desktop.events->Form_Unload();
  };
  EXPECT_EQ(Tick(), static_cast<int>(ExitCode::kSessionEnded));
  EXPECT_EQ(tp.printer.Printed(), "Hello\n<ED>");
  EXPECT_TRUE(WorkFiles().empty());

  // The session's end took the host in the middle of its next job: what it
  // wrote is no job, and is set aside.
  WriteJob("Half of the next\r\n#BOLD#");
  EXPECT_EQ(EndCodeOf([&] { tp.desktop.events->Form_Unload(); }),
            static_cast<int>(ExitCode::kSessionEnded));
  EXPECT_EQ(tp.printer.Printed(), "Hello\n<ED>");
  ASSERT_EQ(WorkFiles().size(), 1u);
  EXPECT_NE(WorkFiles()[0].find("-CUT.TXT"), std::string::npos);
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

TEST_F(PollingCycleTest, AFileOpenedBetweenLockTestAndPrintingIsKeptAndPrintedAtTheNextTick) {
  WriteJob("Hello\r\n#form##JOBend#\r\n");
  std::unique_ptr<WriterProcess> intruder;
  view().onStatus = [&](const std::string& text) {
    if (text == "Printing started" && !intruder) intruder = std::make_unique<WriterProcess>(takenFile);
  };
  Tick();
  ASSERT_TRUE(intruder && intruder->opened());
  EXPECT_EQ(Status(), "Adding to print job");
  EXPECT_TRUE(tp.files.FileExists(takenFile));
  EXPECT_EQ(program->state.lastPrintTick, 0);
  EXPECT_FALSE(tp.log.Has("windows.show"));

  intruder->Release();
  Tick();
  EXPECT_EQ(Status(), "Printing ended");
  EXPECT_TRUE(WorkFiles().empty());
  EXPECT_EQ(program->state.lastPrintTick, 2);
}

TEST_F(PollingCycleTest, APrintedFileThatCannotBeDeletedIsNotPrintedAgain) {
  WriteJob("Hello\r\n#form##JOBend#\r\n");
  files.refuseDelete = true;
  Tick();
  EXPECT_EQ(Prints(), 1);
  EXPECT_TRUE(tp.files.FileExists(takenFile));
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
  EXPECT_TRUE(WorkFiles().empty());
  EXPECT_EQ(Status(), "Waiting for print job: 00:00:04 - 00:00:03");

  // One that still cannot go when the run ends is set aside under a name
  // that the next start does not take for a job.
  WriteJob("Again\r\n#form##JOBend#\r\n");
  files.refuseDelete = true;
  Tick();
  tp.windows.windows.clear();
  EXPECT_EQ(Tick(), static_cast<int>(ExitCode::kNormal));
  EXPECT_EQ(Prints(), 2);
  EXPECT_EQ(WorkFiles(), std::vector<std::string>{"VK0000FF.002-DONE.TXT"});
}

// A new job is a new job even when it holds the very bytes of one that is
// still there because it could not be deleted.
TEST_F(PollingCycleTest, ANewJobIdenticalToAnUndeletedOneIsPrinted) {
  WriteJob("Same job\r\n#form##JOBend#\r\n");
  files.refuseDelete = true;
  Tick();
  Tick();
  EXPECT_EQ(Prints(), 1);

  WriteJob("Same job\r\n#form##JOBend#\r\n");
  Tick();
  EXPECT_EQ(Prints(), 2);
  Tick();
  EXPECT_EQ(Prints(), 2);
  EXPECT_EQ(tp.printer.Printed(), "Same job\n<ED>Same job\n<ED>");
}

// A document that did not reach the printer keeps its file; the job is
// tried again after a few ticks, and a job written meanwhile waits its turn.
TEST_F(PollingCycleTest, AJobThatDidNotGoOutIsKeptAndPrintedBeforeTheNextOne) {
  WriteJob("First\r\n#form##JOBend#\r\n");
  tp.printer.failing = {"EndDoc"};
  Tick();
  EXPECT_EQ(Status(), "Print job not printed (EndDoc failed); trying again");
  EXPECT_TRUE(tp.files.FileExists(takenFile));
  EXPECT_EQ(program->state.lastPrintTick, 0);

  WriteJob("Second\r\n#form##JOBend#\r\n");
  tp.printer.failing.clear();
  Tick();
  EXPECT_FALSE(JobThere());
  EXPECT_EQ(Status(), "Print job not printed (EndDoc failed); trying again");
  for (int i = 0; i < 4; ++i) Tick();
  EXPECT_EQ(Status(), "Printing ended");
  // The first end of the document is the one that failed.
  EXPECT_EQ(tp.printer.Printed(), "First\n<ED>First\n<ED>Second\n<ED>");
  EXPECT_TRUE(WorkFiles().empty());
}

// A file of several documents that fails in its second prints the second
// again, not the first.
TEST_F(PollingCycleTest, ADocumentThatWentOutIsNotPrintedAgainWhenALaterOneFails) {
  program->state.debugFlags = kDebugOneJob;
  WriteJob("one#form#two#form##JOBend#");
  int ends = 0;
  tp.printer.failIf = [&](const std::string& op) { return op == "EndDoc" && ++ends == 2; };
  Tick();
  EXPECT_TRUE(tp.files.FileExists(takenFile));
  for (int i = 0; i < 5; ++i) Tick();
  EXPECT_EQ(Status(), "Printing ended");
  // The second end of a document is the one that failed.
  EXPECT_EQ(tp.printer.Printed(), "one<ED>two<ED>two<ED>");
  EXPECT_TRUE(WorkFiles().empty());
}

// A file without a closing form feed leaves its document open: the file
// stays until the document has gone out, and when the document fails at
// its end in the next file, it prints again from its first file.
TEST_F(PollingCycleTest, AFailedDocumentPrintsAgainFromItsFirstFile) {
  WriteJob("one\r\n");
  Tick();
  EXPECT_TRUE(tp.files.FileExists(takenFile));
  WriteJob("two\r\n#form##JOBend#");
  tp.printer.failing = {"EndDoc"};
  Tick();
  tp.printer.failing.clear();
  for (int i = 0; i < 5; ++i) Tick();
  EXPECT_EQ(Status(), "Printing ended");
  EXPECT_EQ(tp.printer.Printed(), "one\ntwo\n<ED>one\ntwo\n<ED>");
  EXPECT_EQ(std::count(tp.printer.calls.begin(), tp.printer.calls.end(), "abortdoc"), 1);
  EXPECT_TRUE(WorkFiles().empty());
}

// In one pass, a file ends the document an earlier file left open, and the
// file after it fails: the two files that went out go now, not after the
// retry, which the run may not live to see.
TEST_F(PollingCycleTest, FilesWhoseDocumentWentOutGoThoughALaterFileFails) {
  WriteJob("one\r\n");
  Tick();
  WriteJob("two\r\n#form##JOBend#");
  tp.printer.failing = {"EndDoc"};
  Tick();  // the document fails: both files wait for the retry
  tp.printer.failing.clear();
  WriteJob("three\r\n#form##JOBend#");
  int endDocs = 0;
  tp.printer.failIf = [&](const std::string& op) { return op == "EndDoc" && ++endDocs == 2; };
  for (int i = 0; i < 6 && endDocs < 2; ++i) Tick();
  ASSERT_EQ(endDocs, 2);
  EXPECT_FALSE(tp.files.FileExists(takenFile));
  EXPECT_FALSE(tp.files.FileExists(work / "VK0000FF.002"));
  EXPECT_TRUE(tp.files.FileExists(work / "VK0000FF.003"));
  tp.printer.failIf = nullptr;
  for (int i = 0; i < 6; ++i) Tick();
  EXPECT_TRUE(WorkFiles().empty());
}

// Files that runs now over left behind print before this run's own job,
// the oldest run first; a file their host never finished is set aside; a
// run that still holds its lock keeps its files.
TEST_F(PollingCycleTest, JobsLeftByRunsThatAreOverPrintFirstAndOnce) {
  program->state.workDirectory = printFile.substr(0, printFile.size() - 12);
  work.Write("VK111111.001", "newer run\r\n#form##JOBend#\r\n");
  work.Write("VK999999.002", "older run, first\r\n#form##JOBend#\r\n");
  work.Write("VK999999.TMP", "older run, second\r\n#form##JOBend#\r\n");
  work.Write("VK999999.RUN", "");
  work.Write("VK333333.TMP", "cut short");
  work.Write("VK222222.TMP", "running\r\n#form##JOBend#\r\n");
  const auto older = std::filesystem::last_write_time(work / "VK111111.001") - std::chrono::hours(1);
  std::filesystem::last_write_time(work / "VK999999.002", older);
  std::filesystem::last_write_time(work / "VK999999.TMP", older);
  std::unique_ptr<FileHandle> running = TakeRunLock(files, work / "VK222222.RUN");
  ASSERT_TRUE(running);
  WriteJob("own\r\n#form##JOBend#\r\n");
  Tick();
  Tick();
  EXPECT_EQ(tp.printer.Printed(),
            "older run, first\n<ED>older run, second\n<ED>newer run\n<ED>own\n<ED>");
  std::vector<std::string> left = WorkFiles();
  std::sort(left.begin(), left.end());
  ASSERT_EQ(left.size(), 3u);
  EXPECT_EQ(left[0].substr(0, 9), "VK0000FF.");
  EXPECT_EQ(left[0].substr(left[0].size() - 8), "-CUT.TXT");
  EXPECT_EQ(left[1], "VK222222.RUN");
  EXPECT_EQ(left[2], "VK222222.TMP");
}

// A read that fails is no end of the file: the job is not taken for printed.
TEST_F(PollingCycleTest, AReadErrorKeepsTheJob) {
  WriteJob("Whole job\r\n#form##JOBend#\r\n");
  files.failReads = true;
  Tick();
  EXPECT_EQ(Status(), "Print job not printed (the print file could not be read); trying again");
  EXPECT_TRUE(tp.files.FileExists(takenFile));
  files.failReads = false;
  for (int i = 0; i < 5; ++i) Tick();
  EXPECT_EQ(tp.printer.Printed().substr(tp.printer.Printed().find("Whole job\n<ED>")),
            "Whole job\n<ED>");
  EXPECT_TRUE(WorkFiles().empty());
}

// A link at the print file's name could make the program print, and then
// delete, any file at all.
TEST_F(PollingCycleTest, ALinkAtThePrintFileNameIsNeitherFollowedNorTaken) {
  std::string target = work.Write("elsewhere.txt", "not a print job\r\n");
  if (!testing::MakeSymbolicLink(target, printFile)) GTEST_SKIP() << "no symbolic links here";
  Tick();
  EXPECT_EQ(Status(), "Print file is a symbolic link: not printed");
  EXPECT_EQ(Prints(), 0);
  EXPECT_TRUE(tp.files.IsSymbolicLink(printFile));
  EXPECT_TRUE(tp.files.FileExists(target));
}

// A job that went into a file instead of the printer is told: on the status
// line every time, in a message the first time only.
TEST_F(PollingCycleTest, AJobSavedInsteadOfPrintedIsTold) {
  for (int job = 0; job < 2; ++job) {
    WriteJob("Job\r\n#form##JOBend#\r\n");
    tp.printer.deliveries = {{Delivery::Kind::kRefusedAndSaved, "Office", "~/PDF/x.pdf", "refused"}};
    Tick();
    EXPECT_EQ(Status(), "refused; the document was saved as ~/PDF/x.pdf");
    EXPECT_EQ(view().caption, "Print job saved as PDF");
  }
  ASSERT_EQ(tp.desktop.boxes.size(), 1u);
  EXPECT_NE(tp.desktop.boxes[0].text.find("~/PDF/x.pdf"), std::string::npos);
  EXPECT_TRUE(WorkFiles().empty());
}

// Documents that go out a tick or two apart make one notice, sent once a
// few ticks pass without another; the run's end sends what is untold at
// once, with the jobs it keeps.
TEST_F(PollingCycleTest, JobsThatGoOutCloseTogetherMakeOneNoticeAndTheEndTellsWhatIsKept) {
  program->state.languageCode = "GB";
  const std::vector<Delivery> out = {{Delivery::Kind::kPrinted, "Office", "", ""},
                                     {Delivery::Kind::kSaved, "Save as PDF", "/h/PDF/a.pdf", ""},
                                     {Delivery::Kind::kPrinted, "Office", "", ""}};
  for (const Delivery& d : out) {
    WriteJob("Job\r\n#form##JOBend#\r\n");
    tp.printer.deliveries = {d};
    Tick();
  }
  Tick();
  Tick();
  EXPECT_TRUE(tp.notifier.notices.empty());
  Tick();
  ASSERT_EQ(tp.notifier.notices.size(), 1u);
  EXPECT_EQ(tp.notifier.notices[0].text,
            "2 print jobs were printed on Office.\r"
            "The print job was saved as PDF:\r/h/PDF/a.pdf");
  EXPECT_EQ(tp.notifier.notices[0].file, "/h/PDF/a.pdf");

  WriteJob("Kept\r\n#form##JOBend#\r\n");
  tp.printer.failing = {"EndDoc"};
  Tick();
  tp.windows.windows.clear();
  EXPECT_EQ(Tick(), static_cast<int>(ExitCode::kNormal));
  ASSERT_EQ(tp.notifier.notices.size(), 2u);
  EXPECT_EQ(tp.notifier.notices[1].text,
            "A print job was not printed. It is kept and printed when the program starts again.");
  EXPECT_EQ(tp.notifier.notices[1].file, "");
  // The notice came before the box, which waits for the user.
  EXPECT_EQ(tp.desktop.boxes.size(), 1u);
}

}  // namespace
}  // namespace rizarode
