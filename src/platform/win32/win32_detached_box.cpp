#include "platform/win32/win32_detached_box.h"

#include <cstdlib>

#include "platform/win32/windows_api.h"

#include "platform/win32/win32_desktop.h"

namespace rizarode {
namespace {

std::string OwnExecutable() {
  char path[MAX_PATH * 2];
  const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
  return n > 0 && n < sizeof path ? std::string(path, n) : std::string();
}

bool StartSelf(const std::string& program) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  // CreateProcessA may write into the command line it is given.
  std::string line = "\"" + program + "\"";
  if (!CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return false;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

}  // namespace

std::optional<DetachedBox> TakeDetachedBoxRequest() {
  const char* text = std::getenv(kDetachedBoxText);
  if (!text) return std::nullopt;
  const char* title = std::getenv(kDetachedBoxTitle);
  DetachedBox box{text, title ? title : ""};
  _putenv_s(kDetachedBoxText, "");  // an empty value removes the variable
  _putenv_s(kDetachedBoxTitle, "");
  return box;
}

bool StartDetachedBox(const DetachedBox& box) {
  const std::string program = OwnExecutable();
  if (program.empty()) return false;
  // The variables are this process's only for the moment of the start:
  // nothing it starts later (the host) may see them.
  SetEnvironmentVariableA(kDetachedBoxText, box.text.c_str());
  SetEnvironmentVariableA(kDetachedBoxTitle, box.title.c_str());
  const bool started = StartSelf(program);
  SetEnvironmentVariableA(kDetachedBoxText, nullptr);
  SetEnvironmentVariableA(kDetachedBoxTitle, nullptr);
  return started;
}

int RunDetachedBox(const DetachedBox& box) {
  Win32Desktop desktop(box.title);
  return ShowDetachedBox(desktop, box);
}

}  // namespace rizarode
