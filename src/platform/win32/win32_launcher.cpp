#include "platform/win32/win32_launcher.h"

#include "platform/win32/windows_api.h"
#include <shellapi.h>

#include <vector>

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

bool StartProcess(const CommandParts& parts, const std::string& commandLine) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION process{};
  // CreateProcessA may write into the command line it is given.
  std::vector<char> line(commandLine.begin(), commandLine.end());
  line.push_back('\0');
  // The program file is named, not searched for: a relative name is the
  // file in the current directory, never one elsewhere on the search path.
  if (!CreateProcessA(parts.program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &process)) {
    return false;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

}  // namespace

CommandParts SplitProgramName(const std::string& commandLine) {
  std::size_t start = commandLine.find_first_not_of(' ');
  if (start == std::string::npos) return {};
  std::size_t end = commandLine.find(' ', start);
  if (end == std::string::npos) return {commandLine.substr(start), ""};
  return {commandLine.substr(start, end - start), commandLine.substr(end + 1)};
}

bool Win32Launcher::Start(const std::string& commandLine) {
  CommandParts parts = SplitProgramName(commandLine);
  if (parts.program.empty()) return false;
  if (EndsWithNoCase(parts.program, ".PIF")) return StartThroughShell(parts);
  return StartProcess(parts, commandLine);
}

}  // namespace rizarode
