#include "printing/polling_cycle.h"

#include "platform/printer.h"
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

bool HostWindowExists(Program& program) {
  WindowList& windows = program.platform.windows;
  WindowHandle h = windows.First();
  while (h != 0 && h != program.state.hostWindow) h = windows.Next(h);
  return h != 0;
}

// A print file is complete once nobody has it open for writing any more.
bool FinishedWriting(Program& program, const std::string& path) {
  int16_t fileNumber = program.files.OpenFileByMode(path, "I", "R", "W", 0);
  if (fileNumber == 0) return false;
  program.files.Close(fileNumber);
  return true;
}

bool Gone(Program& program, const std::string& path) {
  FileSystem& files = program.platform.files;
  return files.DeleteFile(path) || (!files.FileExists(path) && !files.IsSymbolicLink(path));
}

// The print file's name with a number of the program's own: VK0000FF.TMP
// becomes VK0000FF.001. The host never uses such a name.
std::string NextJobPath(Program& program) {
  ModuleState& state = program.state;
  std::string stem = state.printFilePath;
  if (stem.size() > 4 && stem.compare(stem.size() - 4, 4, ".TMP") == 0) stem.resize(stem.size() - 4);
  std::string number = std::to_string(++state.printJobsTaken);
  if (number.size() < 3) number.insert(0, 3 - number.size(), '0');
  return stem + "." + number;
}

void ShowWaiting(Program& program, int32_t tick) {
  std::string text = std::string(kWaitingCaption) + ": " + FormatElapsed(tick);
  if (program.state.lastPrintTick != 0) {
    text += " - " + FormatElapsed(tick - program.state.lastPrintTick);
  }
  ShowStatus(program, text, kWaitingCaption, 1);
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
  while (files.FileExists(taken) || files.IsSymbolicLink(taken)) taken = NextJobPath(program);
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

// A job that went to a file instead of the printer is told on the status
// line, and the first time also in a message.
void TellWhereItWent(Program& program) {
  std::string note = program.platform.printer.TakeDeliveryNote();
  if (note.empty()) return;
  ShowStatus(program, note, kSavedCaption, 1);
  if (program.state.toldOfSavedJob) return;
  program.state.toldOfSavedJob = true;
  program.platform.desktop.MessageBox(SavedJobMessage(program.state.languageCode, note),
                                      kMbOk + kMbIconExclamation,
                                      program.platform.info.ExecutableName());
}

// Prints the taken jobs in order and deletes each once it has gone out. A
// job that did not go out keeps its file and holds back the ones after it,
// so that jobs never overtake each other; it is tried again after a while,
// or at once when this is the last chance. A job that went out but could
// not be deleted holds back nothing. True when the status line has been
// set.
bool WorkThroughJobs(Program& program, int32_t tick, bool lastChance) {
  std::vector<PrintJob>& jobs = program.state.printJobs;
  bool printed = false;
  bool undeleted = false;
  for (std::size_t i = 0; i < jobs.size();) {
    PrintJob& job = jobs[i];
    if (job.printed) {
      if (Gone(program, job.path)) {
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
    ShowStatus(program, "Printing started", "", 1);
    RenderOutcome outcome = RenderPrintFile(program, job.path, job.documentsDone);
    if (outcome.kind == RenderOutcome::kNotOpened) {
      ShowStatus(program, kAddingText, "", 1);
      return true;
    }
    if (outcome.kind == RenderOutcome::kFailed) {
      job.documentsDone = outcome.documentsEnded;
      job.failure = "Print job not printed (" + outcome.why + "); trying again";
      job.retryTick = tick + kRetryTicks;
      ShowStatus(program, job.failure, "", 1);
      return true;
    }
    ShowStatus(program, "Printing ended", "", 1);
    TellWhereItWent(program);
    program.state.lastPrintTick = tick;
    printed = true;
    job.printed = true;
  }
  if (undeleted && !printed) ShowStatus(program, kNotDeletedText, "", 1);
  return printed || undeleted;
}

// The host has ended: what it completed still goes out before the program
// ends. Only a file still open for writing stays behind.
void PrintWhatIsLeft(Program& program, int32_t tick) {
  TakeFinishedPrintFile(program);
  WorkThroughJobs(program, tick, true);
}

void BringHostForwardAfterPrint(Program& program, int32_t tick) {
  ModuleState& state = program.state;
  if (int64_t{tick} < int64_t{state.lastPrintTick} + kRefocusTicks && state.lastPrintTick > 0) {
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

  if (!HostWindowExists(program)) {
    PrintWhatIsLeft(program, tick);
    EndProgram(ExitCode::kNormal);
  }

  bool shown = TakeFinishedPrintFile(program);
  if (WorkThroughJobs(program, tick, false)) shown = true;
  if (!shown) ShowWaiting(program, tick);
  BringHostForwardAfterPrint(program, tick);
}

}  // namespace rizarode
