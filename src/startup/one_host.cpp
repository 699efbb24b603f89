#include "startup/one_host.h"

#include <chrono>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>

#include "program/messages.h"
#include "program/program.h"
#include "startup/language.h"

namespace rizarode {
namespace {

// A start that lost the race for the lock waits at most this long for the
// winner's host window: the winner is still starting (a double-click that
// landed twice), or its host has just ended and it is printing what is
// left. It looks again this often.
constexpr auto kMostWait = std::chrono::seconds(20);
constexpr auto kLookAgain = std::chrono::milliseconds(100);

// What the holder leaves in its lock file once the host window is found:
// the window and the host's process, in decimal, ended by a line feed.
struct HostRecord {
  WindowHandle window = 0;
  ProcessId process = 0;
};

std::string LockPath(FileSystem& files) {
  const std::string directory = files.InstanceDirectory();
  if (directory.empty()) return {};
  const std::string identity = files.DirectoryIdentity(files.CurrentDirectory());
  if (identity.empty()) return {};
  return directory + "HOST" + identity + ".LCK";
}

std::optional<HostRecord> ReadRecord(FileSystem& files, const std::string& path) {
  OpenRequest request;
  request.read = true;
  request.lock = ShareLock::kShared;
  std::unique_ptr<FileHandle> file = files.Open(path, request);
  if (!file) return std::nullopt;
  char text[64];
  const long n = file->Read(text, sizeof text - 1);
  // Not yet written, or caught in the middle of the writing.
  if (n <= 0 || text[n - 1] != '\n') return std::nullopt;
  text[n] = '\0';
  char* end = nullptr;
  HostRecord record;
  record.window = static_cast<WindowHandle>(std::strtoul(text, &end, 10));
  record.process = static_cast<ProcessId>(std::strtoul(end, nullptr, 10));
  if (record.window == 0) return std::nullopt;
  return record;
}

// The recorded window, or, should the host have replaced it, a shown and
// titled window of the host's process.
WindowHandle RunningHostWindow(WindowList& windows, const HostRecord& record) {
  for (WindowHandle h = windows.First(); h != 0; h = windows.Next(h)) {
    if (h == record.window) return h;
  }
  if (record.process == 0) return 0;
  for (WindowHandle h = windows.First(); h != 0; h = windows.Next(h)) {
    if (windows.ProcessOf(h) == record.process && windows.IsVisible(h) &&
        !windows.Title(h).empty()) {
      return h;
    }
  }
  return 0;
}

void BringForward(WindowList& windows, WindowHandle window) {
  if (window == 0) return;
  windows.Show(window, kShowNormal);
  windows.SetFocus(window);
}

[[noreturn]] void TellAndEnd(Program& program, WindowHandle hostWindow) {
  Platform& platform = program.platform;
  BringForward(platform.windows, hostWindow);
  // The running run's language: its host directory is this one.
  const std::string code = LanguageCodeHere(platform.files);
  platform.desktop.MessageBox(
      AlreadyRunningMessage(code, platform.info.ProgramText(platform.files.CurrentDirectory()),
                            hostWindow != 0),
      kMbOk + kMbIconInformation, platform.info.ExecutableName());
  // The box took the front; the user goes on in the host.
  BringForward(platform.windows, hostWindow);
  EndProgram(ExitCode::kAlreadyRunning);
}

}  // namespace

void KeepToOneHost(Program& program) {
  FileSystem& files = program.platform.files;
  const std::string path = LockPath(files);
  if (path.empty()) return;
  const auto giveUp = std::chrono::steady_clock::now() + kMostWait;
  for (;;) {
    std::unique_ptr<FileHandle> lock;
    switch (files.TakeLock(path, lock)) {
      case FileSystem::LockTaken::kTaken:
        // The host works on the family data as long as it runs, this
        // program gone or not (killed, crashed): it holds the lock too.
        program.platform.launcher.HandDownToHost(*lock);
        program.state.hostDirectoryLock = std::move(lock);
        return;
      case FileSystem::LockTaken::kNoLock:
        return;
      case FileSystem::LockTaken::kHeld:
        break;
    }
    if (std::optional<HostRecord> record = ReadRecord(files, path)) {
      if (WindowHandle window = RunningHostWindow(program.platform.windows, *record)) {
        TellAndEnd(program, window);
      }
    }
    // The other run is held up (a message box of its start, say): still
    // no second host.
    if (std::chrono::steady_clock::now() >= giveUp) TellAndEnd(program, 0);
    std::this_thread::sleep_for(kLookAgain);
  }
}

void RecordHostWindow(Program& program) {
  FileHandle* lock = program.state.hostDirectoryLock.get();
  if (!lock || program.state.hostWindow == 0) return;
  const std::string record = std::to_string(program.state.hostWindow) + " " +
                             std::to_string(program.platform.launcher.StartedProcess()) + "\n";
  if (lock->Seek(0)) lock->Write(record.data(), record.size());
}

}  // namespace rizarode
