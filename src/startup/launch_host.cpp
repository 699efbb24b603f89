#include "startup/launch_host.h"

#include <chrono>
#include <cmath>
#include <thread>

#include "base/text.h"
#include "printing/status_window.h"
#include "program/messages.h"
#include "program/program.h"
#include "startup/language.h"

namespace rizarode {
namespace {

constexpr double kWaitLimitSeconds = 5.0;
// A title is read into a buffer of 256 characters, one of them the end mark.
constexpr std::size_t kMaxTitleLength = 255;
// The window counter is a signed 16-bit number.
constexpr std::size_t kMaxWindows = 32767;
// The wait for the host window looks again this often. Without a pause the
// wait would keep a whole processor busy for up to five seconds, and on a
// machine with few cores slow down the very start of the host it waits for.
constexpr auto kPassPause = std::chrono::milliseconds(25);

bool HostFileIsHere(Program& program) {
  FileSystem& files = program.platform.files;
  return files.FindNoCase("", "VELDRAK.PIF", false) || files.FindNoCase("", "VELDRAK.EXE", false);
}

[[noreturn]] void ReportAndEnd(Program& program, const std::string& message) {
  program.platform.desktop.MessageBox(message, kMbOk + kMbIconCritical,
                                      program.platform.info.ExecutableName());
  // A file that another run put there may be in use by that run's host.
  if (program.state.driverFileWritten) {
    program.platform.files.DeleteFile(program.state.DriverFilePath());
  }
  EndProgram(ExitCode::kHostNotStarted);
}

[[noreturn]] void ReportStartFailureAndEnd(Program& program, const std::string& reason = {}) {
  std::string message = StartFailureMessage(program.state.languageCode);
  if (!reason.empty()) message += "\r" + reason;
  ReportAndEnd(program, message);
}

// The host is there but cannot run on this system without an emulator: the
// start-failure text would send the user looking for a file that exists.
// When it is not there, the program was started in another directory (a
// terminal's, a menu entry's for a host that has moved): the user learns
// where it looked and how to start it where the host is.
[[noreturn]] void ReportFailedLaunchAndEnd(Program& program, const ProcessLauncher& launcher) {
  if (!HostFileIsHere(program)) {
    Platform& platform = program.platform;
    ReportAndEnd(program,
                 HostMissingMessage(program.state.languageCode, MessageLanguageOfUser(program),
                                    platform.info.ProgramText(platform.files.CurrentDirectory()),
                                    launcher.DosEmulatorSource()));
  }
  if (launcher.FailureKind() == StartFailure::kNoDosEmulator) {
    ReportAndEnd(program, DosEmulatorMissingMessage(program.state.languageCode,
                                                    launcher.FailureReason(),
                                                    launcher.DosEmulatorSource()));
  }
  ReportStartFailureAndEnd(program, launcher.FailureReason());
}

// Waits up to the limit on the time of day for the host window. A start just
// before midnight makes the difference large when the clock falls back to 0,
// which ends the wait after that pass.
WindowHandle WaitForHostWindow(Program& program) {
  ModuleState& state = program.state;
  Clock& clock = program.platform.clock;
  const ProcessId started = program.platform.launcher.StartedProcess();
  const double t0 = clock.SecondsSinceMidnight();
  for (;;) {
    program.platform.desktop.DoEvents();
    SnapshotWindows(program.platform.windows, state.windowsAfter.titles,
                    state.windowsAfter.handles);
    WindowHandle host =
        started != 0
            ? FindHostWindowOf(program.platform.windows, started, state.windowsBefore,
                               state.windowsAfter)
            : FindHostWindow(state.windowsBefore.handles, state.windowsAfter.titles,
                             state.windowsAfter.handles);
    if (host != 0) return host;
    if (std::fabs(clock.SecondsSinceMidnight() - t0) > kWaitLimitSeconds) return 0;
    std::this_thread::sleep_for(kPassPause);
  }
}

bool BeginsWithProductName(const std::string& title) {
  const std::string product = kProductName;
  if (UpperCase(title.substr(0, product.size())) != UpperCase(product)) return false;
  return title.size() == product.size() || title[product.size()] == ' ';
}

bool IsIn(WindowHandle handle, const std::vector<WindowHandle>& handles) {
  for (std::size_t i = 1; i < handles.size(); ++i) {
    if (handles[i] == handle) return true;
  }
  return false;
}

}  // namespace

std::string HostFileName(Program& program) {
  if (program.platform.files.FindNoCase("", "VELDRAK.PIF", false)) return "VELDRAK.PIF";
  return "VELDRAK.EXE";
}

void LaunchHost(Program& program, const std::string& argumentText,
                const std::string& printFileName) {
  const std::string hostFile = HostFileName(program);
  ShowStatus(program, "Starting " + hostFile, "", 1);
  SnapshotWindows(program.platform.windows, program.state.windowsBefore.titles,
                  program.state.windowsBefore.handles);
  const std::string commandLine = hostFile + " /WIN=" + printFileName + " /TEMP=" +
                                  program.state.workDirectory + " " + argumentText;
  // A host file that cannot be started at all will not open a window either:
  // say so at once rather than after five seconds of waiting.
  ProcessLauncher& launcher = program.platform.launcher;
  if (!launcher.Start(commandLine)) ReportFailedLaunchAndEnd(program, launcher);
  program.state.hostWindow = WaitForHostWindow(program);
  // An emulator that still runs is the host starting slowly: the run
  // follows it, and takes its window when it opens (polling cycle).
  if (program.state.hostWindow == 0 && !launcher.EmulatorRunning()) {
    ReportStartFailureAndEnd(program);
  }
}

void SnapshotWindows(WindowList& windows, std::vector<std::string>& titles,
                     std::vector<WindowHandle>& handles) {
  titles.assign(1, std::string());
  handles.assign(1, 0);
  for (WindowHandle h = windows.First(); h != 0 && handles.size() <= kMaxWindows;
       h = windows.Next(h)) {
    std::string title = windows.Title(h);
    if (title.size() > kMaxTitleLength) title.resize(kMaxTitleLength);
    titles.push_back(std::move(title));
    handles.push_back(h);
  }
}

WindowHandle FindHostWindowOf(WindowList& windows, ProcessId process,
                              const WindowSnapshot& before, const WindowSnapshot& after) {
  WindowSnapshot unknown;
  for (std::size_t i = 1; i < after.handles.size(); ++i) {
    const WindowHandle h = after.handles[i];
    if (IsIn(h, before.handles) || i >= after.titles.size() || after.titles[i].empty()) continue;
    const ProcessId owner = windows.ProcessOf(h);
    if (owner == process && windows.IsVisible(h)) return h;
    // A window that closed since the snapshot has no owner any more, nor is
    // it shown: such a passing window of the emulator's start must not be
    // taken for the host's by the title rule.
    if (owner == 0 && windows.IsVisible(h)) {
      unknown.titles.push_back(after.titles[i]);
      unknown.handles.push_back(h);
    }
  }
  return FindHostWindow(before.handles, unknown.titles, unknown.handles);
}

WindowHandle FindHostWindow(const std::vector<WindowHandle>& handlesBefore,
                            const std::vector<std::string>& titlesAfter,
                            const std::vector<WindowHandle>& handlesAfter) {
  std::vector<std::size_t> newWindows;
  for (std::size_t i = 1; i < handlesAfter.size(); ++i) {
    if (IsIn(handlesAfter[i], handlesBefore)) continue;
    if (i < titlesAfter.size() && !titlesAfter[i].empty()) newWindows.push_back(i);
  }
  if (newWindows.empty()) return 0;
  if (newWindows.size() == 1) return handlesAfter[newWindows.front()];
  for (std::size_t i : newWindows) {
    if (BeginsWithProductName(titlesAfter[i])) return handlesAfter[i];
  }
  return 0;
}

}  // namespace rizarode
