#include "platform/win32/win32_launcher.h"

#include "platform/win32/windows_api.h"
#include <shellapi.h>

#include "dos_host/dos_start.h"
#include "platform/file_system.h"
#include "platform/win32/process_start.h"
#include "platform/win32/win32_dosbox.h"

namespace rizarode {
namespace {

bool EndsWithNoCase(const std::string& text, const std::string& end) {
  if (text.size() < end.size()) return false;
  for (std::size_t i = 0; i < end.size(); ++i) {
    char c = text[text.size() - end.size() + i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    if (c != end[i]) return false;
  }
  return true;
}

// Only 32-bit Windows runs DOS programs itself; a 32-bit program under
// 64-bit Windows (WOW64) is on a system that cannot.
bool SystemRunsDosPrograms() {
#ifdef _WIN64
  return false;
#else
  BOOL wow64 = FALSE;
  return !(IsWow64Process(GetCurrentProcess(), &wow64) && wow64);
#endif
}

bool StartThroughShell(const CommandParts& parts) {
  SHELLEXECUTEINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
  info.lpVerb = "open";
  info.lpFile = parts.program.c_str();
  info.lpParameters = parts.arguments.c_str();
  info.nShow = SW_SHOWNORMAL;
  return ShellExecuteExA(&info) != 0;
}

// The process started, or 0 when it could not be.
ProcessId StartProcess(const CommandParts& parts, const std::string& commandLine,
                       HANDLE handedDown) {
  PROCESS_INFORMATION process{};
  // The program file is named, not searched for: a relative name is the
  // file in the current directory, never one elsewhere on the search path.
  if (!CreateProcessHandingDown(parts.program, commandLine, nullptr, handedDown, process)) {
    return 0;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<ProcessId>(process.dwProcessId);
}

std::string FullPath(const std::string& path) {
  char buffer[MAX_PATH * 2];
  DWORD n = GetFullPathNameA(path.c_str(), sizeof buffer, buffer, nullptr);
  return n > 0 && n < sizeof buffer ? std::string(buffer, n) : path;
}

// The command line split after its first word, the program file.
CommandParts SplitProgramName(const std::string& commandLine) {
  std::size_t start = commandLine.find_first_not_of(' ');
  if (start == std::string::npos) return {};
  std::size_t end = commandLine.find(' ', start);
  if (end == std::string::npos) return {commandLine.substr(start), ""};
  return {commandLine.substr(start, end - start), commandLine.substr(end + 1)};
}

}  // namespace

Win32Launcher::~Win32Launcher() { ForgetEmulator(); }

void Win32Launcher::ForgetEmulator() {
  if (emulator_) CloseHandle(static_cast<HANDLE>(emulator_));
  emulator_ = nullptr;
}

bool Win32Launcher::EmulatorRunning() {
  return emulator_ && WaitForSingleObject(static_cast<HANDLE>(emulator_), 0) == WAIT_TIMEOUT;
}

bool Win32Launcher::Start(const std::string& commandLine) {
  started_ = 0;
  ForgetEmulator();
  failure_.clear();
  failureKind_ = StartFailure::kNotStarted;
  CommandParts parts = SplitProgramName(commandLine);
  if (parts.program.empty()) return false;
  if (!RunsUnderDos(parts.program)) return StartProgram(parts, commandLine);
  const bool isPif = EndsWithNoCase(parts.program, ".PIF");
  // Where Windows runs DOS programs it starts the host itself. The window
  // it opens belongs to the system's console, not to the process started,
  // so the host's window is told by its title, as for a PIF.
  if (SystemRunsDosPrograms() &&
      (isPif ? StartThroughShell(parts) : StartProcess(parts, commandLine, handedDown_) != 0)) {
    return true;
  }
  return StartDos(FullPath(parts.program), commandLine);
}

bool Win32Launcher::RunsDosHostItself(const std::string& hostFile) const {
  return SystemRunsDosPrograms() && RunsUnderDos(hostFile);
}

bool Win32Launcher::StartProgram(const CommandParts& parts, const std::string& commandLine) {
  started_ = StartProcess(parts, commandLine, handedDown_);
  return started_ != 0;
}

bool Win32Launcher::StartDos(const std::string& programFile, const std::string& commandLine) {
  std::string why;
  std::optional<DosStart> start = ComposeDosStart(programFile, SplitCommandLine(commandLine), why);
  if (!start) return Fail(StartFailure::kNotStarted, why);
  DosboxSearch search = FindDosbox();
  if (!search.found) return Fail(StartFailure::kNoDosEmulator, search.PlacesText());
  DosboxStarted started = StartUnderDosbox(*search.found, start->run, handedDown_);
  if (started.emulator == 0) return Fail(StartFailure::kNotStarted, started.failure);
  started_ = started.emulator;
  emulator_ = started.process;
  return true;
}

void Win32Launcher::HandDownToHost(const FileHandle& file) {
  handedDown_ = reinterpret_cast<void*>(file.SystemHandle());
}

bool Win32Launcher::Fail(StartFailure kind, std::string reason) {
  failureKind_ = kind;
  failure_ = std::move(reason);
  return false;
}

}  // namespace rizarode
