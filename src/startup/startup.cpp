#include "startup/startup.h"

#include <cmath>

#include "base/text.h"
#include "driver/driver_file.h"
#include "printing/status_window.h"
#include "startup/command_line.h"
#include "startup/language.h"
#include "startup/launch_host.h"
#include "startup/one_host.h"
#include "program/messages.h"
#include "program/program.h"
#include "program/run_lock.h"
#include "startup/work_directory.h"
#include "system/private_fonts.h"

namespace rizarode {
namespace {

void ShowStatusWindow(Program& program) {
  StatusWindow(program).View().Show();
  program.platform.desktop.DoEvents();
}

void ShowInitializingStatus(Program& program) {
  if (auto text = InitializingStatus(program.state.languageCode)) {
    ShowStatus(program, *text, "", 1);
  }
}

// Draws of a print file name before one is taken whatever lies there.
constexpr int kMostNameDraws = 64;

std::string DrawPrintFileName(Program& program) {
  double r = program.platform.random.NextFraction();
  auto n = static_cast<uint32_t>(std::floor(r * 16777216.0));
  if (n > 16777215u) n = 16777215u;
  return PrintFileName(n);
}

bool SameNoCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && UpperCase(a) == UpperCase(b);
}

// No file of the work directory carries the stem: not another run's lock,
// nor a job an earlier run left there to be printed.
bool StemIsFree(Program& program, const std::vector<DirectoryEntry>& entries,
                const std::string& fileName) {
  FileSystem& files = program.platform.files;
  const std::string path = program.state.workDirectory + fileName;
  if (files.FileExists(path) || files.IsSymbolicLink(path)) return false;
  const std::string stem = fileName.substr(0, fileName.size() - 3);  // "VKxxxxxx."
  for (const DirectoryEntry& entry : entries) {
    if (entry.name.size() > stem.size() && SameNoCase(entry.name.substr(0, stem.size()), stem)) {
      return false;
    }
  }
  return true;
}

// Names this run's print file and takes the run's lock. A name in use by a
// running instance, or by the files an earlier run left, is drawn again:
// those files are jobs still to print.
void NamePrintFile(Program& program, std::string& printFileName) {
  ModuleState& state = program.state;
  FileSystem& files = program.platform.files;
  const std::vector<DirectoryEntry> entries =
      files.ListDirectory(state.workDirectory.empty() ? "." : state.workDirectory);
  printFileName = NewPrintFileName(program);
  for (int draw = 1;; ++draw, printFileName = DrawPrintFileName(program)) {
    const bool lastDraw = draw == kMostNameDraws;
    if (!lastDraw && !StemIsFree(program, entries, printFileName)) continue;
    state.printFilePath = state.workDirectory + printFileName;
    state.runLockPath = RunLockPath(state.printFilePath.substr(0, state.printFilePath.size() - 4));
    state.runLock = TakeRunLock(files, state.runLockPath);
    if (state.runLock || lastDraw) break;
  }
  // A link left at the name would make the host write, and the program
  // print, wherever it points.
  if (files.FileExists(state.printFilePath) || files.IsSymbolicLink(state.printFilePath)) {
    files.DeleteFile(state.printFilePath);
  }
}

void WriteDriverFileOrEnd(Program& program) {
  const std::string path = program.state.DriverFilePath();
  if (program.platform.files.IsSymbolicLink(path)) {
    // Neither read nor replaced: it may point at anyone's file.
    program.platform.desktop.MessageBox(DriverLinkMessage(program.state.languageCode, path),
                                        kMbOk + kMbIconCritical,
                                        program.platform.info.ExecutableName());
    EndProgram(ExitCode::kDriverRefused);
  }
  int16_t formsCount = 0;
  int16_t fontsCount = 0;
  GenerateDriverFile(program, formsCount, fontsCount);
  if (formsCount != 0 && fontsCount != 0) return;
  ProgramInfo& info = program.platform.info;
  if (!program.state.driverFileFailure.empty()) {
    // Not the printer's fault, nor the font's: the message says what it is.
    program.platform.desktop.MessageBox(
        DriverWriteFailureMessage(program.state.languageCode, info.ProgramText(path),
                                  program.state.driverFileFailure),
        kMbOk + kMbIconCritical, info.ExecutableName());
    EndProgram(ExitCode::kDriverRefused);
  }
  program.platform.desktop.MessageBox(DriverRefusalReport(program.state.languageCode), kMbOk,
                                      info.ExecutableName());
  // A file that another run put there may be in use by that run's host.
  if (program.state.driverFileWritten) program.platform.files.DeleteFile(path);
  EndProgram(ExitCode::kDriverRefused);
}

void PutWindowAsideForLaunch(Program& program) {
  StatusWindowView& view = StatusWindow(program).View();
  if (!program.state.Debug(kDebugInfo)) view.Hide();
  view.SetState(WindowState::kMinimized);
  program.platform.desktop.DoEvents();
}

}  // namespace

std::string PrintFileName(uint32_t n) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string digits;
  do {
    digits.insert(digits.begin(), kHex[n % 16]);
    n /= 16;
  } while (n != 0);
  digits = "000000" + digits;
  return "VK" + digits.substr(digits.size() - 6) + ".TMP";
}

std::string NewPrintFileName(Program& program) {
  program.platform.random.SeedFromClock();
  return DrawPrintFileName(program);
}

void RunStartup(Program& program) {
  // 1. The argument text, upper-cased once; every option test reads it.
  const std::string argumentText = UpperCase(program.platform.info.ArgumentText());
  // 2. Help.
  if (IsHelpRequest(argumentText)) ShowHelpAndEnd(program);
  // 3. Debug flags.
  program.state.debugFlags = ReadDebugFlags(program, argumentText);
  // One host per host directory: a run of the user's that is active here
  // relies on the work directory, the driver file and the fonts as it
  // left them, so nothing of them is touched before this.
  KeepToOneHost(program);
  // 4. Work directory.
  ResolveWorkDirectory(program, argumentText);
  // 5. The status window, shown and painted.
  ShowStatusWindow(program);
  // 6. Language.
  DetectLanguage(program);
  // 7. Font face, printer and private fonts.
  CheckPrivateFonts(program);
  // 8. Initializing status.
  ShowInitializingStatus(program);
  // 9. This run's print file.
  std::string printFileName;
  NamePrintFile(program, printFileName);
  // 10. The driver file.
  WriteDriverFileOrEnd(program);
  // 11. Out of the way for the host application.
  PutWindowAsideForLaunch(program);
  // 12. The host application and its window.
  LaunchHost(program, argumentText, printFileName);
  // 13. From now on the program lives in the timer's ticks.
  ShowStatus(program, "VELDRAK found", "", 0);
  RecordHostWindow(program);
  StatusWindow(program).View().SetTimerEnabled(true);
}

}  // namespace rizarode
