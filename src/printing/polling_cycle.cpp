#include "printing/polling_cycle.h"

#include <algorithm>

#include "printer/printer.h"
#include "printing/job_files.h"
#include "printing/leftover_jobs.h"
#include "printing/notices.h"
#include "printing/render_print_file.h"
#include "printing/status_window.h"
#include "program/messages.h"
#include "program/numbers.h"
#include "program/program.h"

namespace rizarode {
namespace {

constexpr int32_t kRefocusTicks = 10;
// A job that failed is tried again after this many ticks: the cause (a
// full disk, a scheduler that is down) rarely goes within a second, and
// each attempt prints the whole file again.
constexpr int32_t kRetryTicks = 5;
constexpr char kWaitingCaption[] = "Waiting for print job";
constexpr char kAddingText[] = "Adding to print job";
constexpr char kNotDeletedText[] = "Print job printed, but its file could not be deleted";
constexpr char kNotTakenText[] = "Print job could not be taken from the work directory; trying again";
constexpr char kLinkText[] = "Print file is a symbolic link: not printed";
constexpr char kSavedCaption[] = "Print job saved as PDF";
constexpr char kCutText[] = "Print job cut short: kept, not printed";
constexpr char kCutNotKeptText[] = "Print job cut short; it could not be set aside";
constexpr char kKeptText[] = "Print jobs not printed: kept for the next start";

// The host runs while its window is there. A host under an emulator runs
// while the emulator does, which ends with it: its window may have been
// replaced (SDL does so for some outputs), or may not be open yet (a slow
// start); the emulator's shown window, once there, is the one brought
// forward.
bool HostWindowExists(Program& program) {
  WindowList& windows = program.platform.windows;
  ModuleState& state = program.state;
  WindowHandle h = state.hostWindow == 0 ? 0 : windows.First();
  while (h != 0 && h != state.hostWindow) h = windows.Next(h);
  if (h != 0) return true;
  ProcessLauncher& launcher = program.platform.launcher;
  if (!launcher.EmulatorRunning()) return false;
  const ProcessId emulator = launcher.StartedProcess();
  for (h = windows.First(); h != 0; h = windows.Next(h)) {
    if (windows.ProcessOf(h) == emulator && windows.IsVisible(h) && !windows.Title(h).empty()) {
      state.hostWindow = h;
      break;
    }
  }
  return true;
}

// A job that went out leaves: first in the record, then on disk.
bool Gone(Program& program, PrintJob& job) {
  RecordAsGone(program, job);
  FileSystem& files = program.platform.files;
  return files.DeleteFile(job.path) ||
         (!files.FileExists(job.path) && !files.IsSymbolicLink(job.path));
}

void ShowWaiting(Program& program, int32_t tick) {
  std::string text = std::string(kWaitingCaption) + ": " + FormatElapsed(tick);
  if (program.state.lastPrintTick != 0) {
    text += " - " + FormatElapsed(tick - program.state.lastPrintTick);
  }
  ShowStatus(program, text, kWaitingCaption, 1);
}

// A message for the user; at the session's end it waits for nobody.
void Tell(Program& program, const std::string& text) {
  Desktop& desktop = program.platform.desktop;
  if (program.state.sessionEnding) {
    desktop.Notify(text, program.platform.info.ExecutableName());
  } else {
    desktop.MessageBox(text, kMbOk + kMbIconExclamation, program.platform.info.ExecutableName());
  }
}

// Takes a complete print file away from the host's name, so that the host
// can write its next job there while this one prints, and nothing it writes
// can reach this one. True when the status line has been set.
bool TakeFinishedPrintFile(Program& program) {
  FileSystem& files = program.platform.files;
  const std::string& path = program.state.printFilePath;
  // A link could make the program print, and then delete, any file at all.
  if (files.IsSymbolicLink(path)) {
    ShowStatus(program, kLinkText, "", 1);
    return true;
  }
  if (!files.FileExists(path)) return false;
  if (!FinishedWriting(program, path)) {
    ShowStatus(program, kAddingText, "", 1);
    return true;
  }
  std::string taken = NextJobPath(program);
  if (!files.RenameFile(path, taken)) {
    ShowStatus(program, kNotTakenText, "", 1);
    return true;
  }
  if (files.IsSymbolicLink(taken)) {
    // Planted between the test above and the renaming: no job of the host's.
    files.DeleteFile(taken);
    ShowStatus(program, kLinkText, "", 1);
    return true;
  }
  PrintJob job;
  job.path = taken;
  program.state.printJobs.push_back(job);
  return false;
}

// Where the documents went is told in the next notice; a job that went to
// a file instead of the printer also on the status line, and the first
// time in a message.
void TellWhereItWent(Program& program, int32_t tick) {
  std::vector<Delivery> deliveries = program.printer.TakeDeliveries();
  NoteDeliveries(program, deliveries, tick);
  std::string note;
  for (const Delivery& d : deliveries) {
    if (d.kind != Delivery::Kind::kRefusedAndSaved) continue;
    if (!note.empty()) note += "; ";
    note += d.why + "; the document was saved as " + d.file;
  }
  if (note.empty()) return;
  ShowStatus(program, note, kSavedCaption, 1);
  if (program.state.toldOfSavedJob) return;
  program.state.toldOfSavedJob = true;
  Tell(program, SavedJobMessage(program.state.languageCode, note));
}

// A file the host never finished is kept out of the way, and the user told
// once. True when it no longer stands in the queue.
bool SetAsideCutFile(Program& program, const PrintJob& job) {
  std::string kept = KeepCutFile(program, job.path);
  if (kept.empty()) {
    ShowStatus(program, kCutNotKeptText, "", 1);
    return false;
  }
  ShowStatus(program, kCutText, "", 1);
  if (!program.state.toldOfCutJob) {
    program.state.toldOfCutJob = true;
    Tell(program, CutJobMessage(program.state.languageCode, kept));
  }
  return true;
}

// The jobs before index end whose content waits in the open document.
void DocumentWentOut(std::vector<PrintJob>& jobs, std::size_t end) {
  for (std::size_t i = 0; i < end; ++i) jobs[i].inOpenDocument = false;
}

// The open document failed: the jobs whose content was in it print again,
// from the first of them, and that one waits for the retry.
std::size_t DocumentFailed(Program& program, std::size_t failed, int32_t retryTick,
                           const std::string& why) {
  std::vector<PrintJob>& jobs = program.state.printJobs;
  program.printer.AbortDoc();
  std::size_t first = failed;
  for (std::size_t i = 0; i < failed; ++i) {
    if (!jobs[i].inOpenDocument) continue;
    jobs[i].inOpenDocument = false;
    jobs[i].printed = false;
    first = std::min(first, i);
  }
  jobs[first].failure = "Print job not printed (" + why + "); trying again";
  jobs[first].why = why;
  jobs[first].retryTick = retryTick;
  return first;
}

// The files of a document that ended in a later file go now.
void DeleteJobsThatWentOut(Program& program) {
  std::erase_if(program.state.printJobs, [&](PrintJob& job) {
    return job.printed && !job.inOpenDocument && Gone(program, job);
  });
}

// Prints the taken jobs in order and deletes each once everything in it
// has gone out: its last document ended and was accepted. A job that did
// not go out keeps its file and holds back the ones after it, so that jobs
// never overtake each other; it is tried again after a while, or at once
// when this is the last chance. A job that went out but could not be
// deleted holds back nothing. True when the status line has been set.
bool WorkThroughJobs(Program& program, int32_t tick, bool lastChance) {
  // A message box lets events run; an end of the session among them must
  // not start on the queue while this pass holds a place in it.
  struct Busy {
    explicit Busy(bool& flag) : flag_(flag) { flag_ = true; }
    ~Busy() { flag_ = false; }
    bool& flag_;
  } busy(program.state.printingJobs);
  std::vector<PrintJob>& jobs = program.state.printJobs;
  // A print service that fell silent is tried again by the next tick that
  // has something for it, so that the run's end finds it as that left it.
  bool toPrint =
      std::any_of(jobs.begin(), jobs.end(), [](const PrintJob& j) { return !j.printed; });
  if (!lastChance && toPrint) program.printer.ExpectAnswersAgain();
  bool printed = false;
  bool undeleted = false;
  for (std::size_t i = 0; i < jobs.size();) {
    PrintJob& job = jobs[i];
    if (job.printed) {
      if (job.inOpenDocument) {
        ++i;
      } else if (Gone(program, job)) {
        jobs.erase(jobs.begin() + static_cast<std::ptrdiff_t>(i));
      } else {
        undeleted = true;
        ++i;
      }
      continue;
    }
    if (!lastChance && tick < job.retryTick) {
      ShowStatus(program, job.failure, "", 1);
      return true;
    }
    // The host may have opened the file again just before it was taken.
    if (!FinishedWriting(program, job.path)) {
      ShowStatus(program, kAddingText, "", 1);
      return true;
    }
    if (job.mustReachJobEnd) {
      std::optional<bool> complete = ReachesJobEnd(program, job.path);
      if (!complete) {
        ShowStatus(program, kAddingText, "", 1);
        return true;
      }
      if (!*complete) {
        if (!SetAsideCutFile(program, job)) return true;
        jobs.erase(jobs.begin() + static_cast<std::ptrdiff_t>(i));
        continue;
      }
    }
    ShowStatus(program, "Printing started", "", 1);
    RenderOutcome outcome = RenderPrintFile(program, job.path, job.documentsDone);
    if (outcome.kind == RenderOutcome::kNotOpened) {
      ShowStatus(program, kAddingText, "", 1);
      return true;
    }
    if (outcome.documentsSent > 0) DocumentWentOut(jobs, i);
    if (outcome.kind == RenderOutcome::kFailed) {
      job.documentsDone = outcome.documentsEnded;
      std::size_t first = DocumentFailed(program, i, tick + kRetryTicks, outcome.why);
      TellWhereItWent(program, tick);
      ShowStatus(program, jobs[first].failure, "", 1);
      // Documents that went out in this pass, before this one failed, take
      // their files with them now: the retry may never come in this run,
      // and the next start would print them again.
      DeleteJobsThatWentOut(program);
      return true;
    }
    ShowStatus(program, "Printing ended", "", 1);
    TellWhereItWent(program, tick);
    program.state.lastPrintTick = tick;
    printed = true;
    job.printed = true;
    job.documentsDone = outcome.documentsEnded;
    // Also a file that printed nothing of its own stays with the document
    // that is still open before it.
    job.inOpenDocument = outcome.wroteIntoOpenDocument ||
                         (outcome.documentsSent == 0 && i > 0 && jobs[i - 1].inOpenDocument);
  }
  if (printed) DeleteJobsThatWentOut(program);
  if (undeleted && !printed) ShowStatus(program, kNotDeletedText, "", 1);
  return printed || undeleted;
}

// The last chance: a document still open (its last file had no closing
// form feed) goes out now, so that its files may go.
void EndOpenDocument(Program& program, int32_t tick) {
  std::vector<PrintJob>& jobs = program.state.printJobs;
  bool open = std::any_of(jobs.begin(), jobs.end(), [](const PrintJob& j) { return j.inOpenDocument; });
  if (!open) return;
  try {
    program.printer.EndDoc();
  } catch (const PrinterError& e) {
    std::size_t first = DocumentFailed(program, jobs.size(), tick, e.what());
    ShowStatus(program, jobs[first].failure, "", 1);
    return;
  }
  DocumentWentOut(jobs, jobs.size());
  TellWhereItWent(program, tick);
  WorkThroughJobs(program, tick, true);
}

// Printed files that could not be deleted: under their own names the next
// start would take them for jobs left unprinted. One that cannot be renamed
// either stays, with the record that it went out, and the user is told
// where it is.
void SetAsidePrintedFiles(Program& program) {
  std::erase_if(program.state.printJobs, [&](const PrintJob& job) {
    return job.printed && !job.inOpenDocument && !KeepPrintedFile(program, job.path).empty();
  });
  std::string stayed;
  for (const PrintJob& job : program.state.printJobs) {
    if (!job.printed || job.inOpenDocument) continue;
    stayed += job.path + "\r";
    if (job.recordedAsGone) program.state.keepRunLockFile = true;
  }
  if (!stayed.empty()) Tell(program, PrintedFileStaysMessage(program.state.languageCode, stayed));
}

// What the run leaves for the next start: the jobs not printed, and a
// print file the host has not finished. A link at the print file's name is
// no job: no start ever prints it.
int JobsLeft(Program& program) {
  int left = 0;
  for (const PrintJob& job : program.state.printJobs) {
    if (!job.printed) ++left;
  }
  FileSystem& files = program.platform.files;
  const std::string& path = program.state.printFilePath;
  if (files.FileExists(path) && !files.IsSymbolicLink(path)) ++left;
  return left;
}

// Why the first job that stays could not be printed, when it was tried.
std::string WhyKept(Program& program) {
  for (const PrintJob& job : program.state.printJobs) {
    if (!job.printed && !job.why.empty()) return job.why;
  }
  return {};
}

void TellWhatIsKept(Program& program) {
  int left = JobsLeft(program);
  if (left == 0) return;
  ShowStatus(program, kKeptText, "", 1);
  std::string dir = program.state.workDirectory.empty() ? program.platform.files.CurrentDirectory()
                                                        : program.state.workDirectory;
  Tell(program, KeptJobsMessage(program.state.languageCode, left, dir, WhyKept(program)));
}

// The run ends: what is complete still goes out. A file still open for
// writing stays behind; once the host has ended, a file it never finished
// is set aside instead of printed.
void PrintWhatIsLeft(Program& program, int32_t tick, bool hostEnded) {
  std::size_t before = program.state.printJobs.size();
  TakeFinishedPrintFile(program);
  if (hostEnded && program.state.printJobs.size() > before) {
    program.state.printJobs.back().mustReachJobEnd = true;
  }
  WorkThroughJobs(program, tick, true);
  EndOpenDocument(program, tick);
  // The notice before the boxes, which wait for the user.
  NoteDeliveries(program, program.printer.TakeDeliveries(), tick);
  SendLastNotice(program, JobsLeft(program));
  SetAsidePrintedFiles(program);
  TellWhatIsKept(program);
}

[[noreturn]] void EndAfterHost(Program& program, int32_t tick) {
  // The end of the session may have come while this tick ran, before the
  // host's end was seen (the session ends both at once): it goes first, so
  // that the run ends as the session's.
  program.platform.desktop.DoEvents();
  // The host has ended: a new start may start one again while the jobs
  // that are left go out.
  program.state.hostDirectoryLock.reset();
  PrintWhatIsLeft(program, tick, true);
  EndProgram(ExitCode::kNormal);
}

void BringHostForwardAfterPrint(Program& program, int32_t tick) {
  ModuleState& state = program.state;
  if (int64_t{tick} < int64_t{state.lastPrintTick} + kRefocusTicks && state.lastPrintTick > 0) {
    if (state.hostWindow == 0) return;  // an emulator whose window is not open yet
    program.platform.windows.Show(state.hostWindow, kShowNormal);
    program.platform.windows.SetFocus(state.hostWindow);
  } else {
    state.lastPrintTick = 0;
  }
}

}  // namespace

void RunPollingTick(Program& program) {
  FrmAbout& window = StatusWindow(program);
  int32_t& tick = window.TickCounter();
  tick += static_cast<int32_t>(RoundHalfEven(window.View().TimerInterval() / 1000.0));

  if (!HostWindowExists(program)) EndAfterHost(program, tick);

  AdoptLeftoverJobs(program);
  std::size_t queued = program.state.printJobs.size();
  bool shown = TakeFinishedPrintFile(program);
  // The host may have ended while writing, just before its file was taken.
  if (program.state.printJobs.size() > queued && !HostWindowExists(program)) {
    program.state.printJobs.back().mustReachJobEnd = true;
    EndAfterHost(program, tick);
  }
  if (WorkThroughJobs(program, tick, false)) shown = true;
  if (!shown) ShowWaiting(program, tick);
  SendDueNotice(program, tick);
  BringHostForwardAfterPrint(program, tick);
}

void EndRunForSession(Program& program) {
  ModuleState& state = program.state;
  state.sessionEnding = true;
  // Ending in the middle of printing (from a message box): what is not
  // done stays for the next start.
  if (state.printingJobs || state.printFilePath.empty() || !program.HasStatusWindow()) return;
  PrintWhatIsLeft(program, StatusWindow(program).TickCounter(), !HostWindowExists(program));
}

}  // namespace rizarode
