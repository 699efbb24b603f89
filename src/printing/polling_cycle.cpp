#include "printing/polling_cycle.h"

#include "printing/render_print_file.h"
#include "printing/status_window.h"
#include "program/numbers.h"
#include "program/program.h"

namespace rizarode {
namespace {

constexpr int32_t kRefocusTicks = 10;
constexpr char kWaitingCaption[] = "Waiting for print job";
constexpr char kNotDeletedText[] = "Print job printed, but its file could not be deleted";

bool HostWindowExists(Program& program) {
  WindowList& windows = program.platform.windows;
  WindowHandle h = windows.First();
  while (h != 0 && h != program.state.hostWindow) h = windows.Next(h);
  return h != 0;
}

// The print file is complete once nobody has it open for writing any more.
bool HostHasFinishedWriting(Program& program) {
  int16_t fileNumber =
      program.files.OpenFileByMode(program.state.printFilePath, "I", "R", "W", 0);
  if (fileNumber == 0) return false;
  program.files.Close(fileNumber);
  return true;
}

// Length and FNV-1a hash of the file's bytes; nothing when it cannot be read.
std::optional<PrintFileStamp> StampOf(Program& program, const std::string& path) {
  OpenRequest request;
  request.read = true;
  request.lock = ShareLock::kShared;
  std::unique_ptr<FileHandle> file = program.platform.files.Open(path, request);
  if (!file) return std::nullopt;
  PrintFileStamp stamp;
  stamp.contentHash = 14695981039346656037ull;
  char buffer[65536];
  for (;;) {
    long n = file->Read(buffer, sizeof buffer);
    if (n < 0) return std::nullopt;
    if (n == 0) break;
    for (long i = 0; i < n; ++i) {
      stamp.contentHash ^= static_cast<unsigned char>(buffer[i]);
      stamp.contentHash *= 1099511628211ull;
    }
    stamp.length += n;
  }
  return stamp;
}

// A file that was printed but stayed behind must not be printed again. It
// counts as the same job while it holds the same bytes; the host writing a
// new job under the name changes them.
bool IsUndeletedPrintedFile(Program& program) {
  const auto& undeleted = program.state.undeletedPrintFile;
  return undeleted && StampOf(program, program.state.printFilePath) == undeleted;
}

void ShowWaiting(Program& program, int32_t tick) {
  std::string text = std::string(kWaitingCaption) + ": " + FormatElapsed(tick);
  if (program.state.lastPrintTick != 0) {
    text += " - " + FormatElapsed(tick - program.state.lastPrintTick);
  }
  ShowStatus(program, text, kWaitingCaption, 1);
}

void PrintAndDelete(Program& program, int32_t tick) {
  const std::string& path = program.state.printFilePath;
  ShowStatus(program, "Printing started", "", 1);
  if (!RenderPrintFile(program, path)) {
    // Someone took the file between the lock test and the interpreter's
    // open: it is still unprinted, so it stays for the next tick.
    ShowStatus(program, "Adding to print job", "", 1);
    return;
  }
  ShowStatus(program, "Printing ended", "", 1);
  if (!program.platform.files.DeleteFile(path) && program.platform.files.FileExists(path)) {
    program.state.undeletedPrintFile = StampOf(program, path);
  }
  program.state.lastPrintTick = tick;
}

void RetryDeletion(Program& program, int32_t tick) {
  if (program.platform.files.DeleteFile(program.state.printFilePath)) {
    program.state.undeletedPrintFile.reset();
    ShowWaiting(program, tick);
  } else {
    ShowStatus(program, kNotDeletedText, "", 1);
  }
}

void HandlePrintFile(Program& program, int32_t tick) {
  if (!HostHasFinishedWriting(program)) {
    ShowStatus(program, "Adding to print job", "", 1);
  } else if (IsUndeletedPrintedFile(program)) {
    RetryDeletion(program, tick);
  } else {
    PrintAndDelete(program, tick);
  }
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

  if (!HostWindowExists(program)) EndProgram(ExitCode::kNormal);

  if (program.platform.files.FileExists(program.state.printFilePath)) {
    HandlePrintFile(program, tick);
  } else {
    program.state.undeletedPrintFile.reset();
    ShowWaiting(program, tick);
  }
  BringHostForwardAfterPrint(program, tick);
}

}  // namespace rizarode
