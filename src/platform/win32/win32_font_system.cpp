#include "platform/win32/win32_font_system.h"

#include "platform/win32/windows_api.h"

#include <vector>

namespace rizarode {
namespace {

// ExitWindowsEx restarts only for a process that holds the shutdown
// privilege, which a user's token has but does not enable.
bool EnableShutdownPrivilege() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
    return false;
  }
  TOKEN_PRIVILEGES privileges{};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  bool ok = LookupPrivilegeValueA(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid) &&
            AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr) &&
            GetLastError() == ERROR_SUCCESS;
  CloseHandle(token);
  return ok;
}

}  // namespace

std::string Win32FontSystem::SystemDirectory() {
  std::vector<char> buffer(MAX_PATH);
  UINT n = GetWindowsDirectoryA(buffer.data(), static_cast<UINT>(buffer.size()));
  if (n >= buffer.size()) {
    buffer.resize(n + 1);
    n = GetWindowsDirectoryA(buffer.data(), static_cast<UINT>(buffer.size()));
  }
  if (n == 0 || n >= buffer.size()) return {};
  return std::string(buffer.data(), n);
}

int Win32FontSystem::AddFontResource(const std::string& path) {
  return AddFontResourceA(path.c_str());
}

void Win32FontSystem::BroadcastFontChange() {
  // Sent, not posted, as the system asks for WM_FONTCHANGE; a hung window
  // must not stop the program, so each window gets a few seconds at most.
  SendMessageTimeoutA(HWND_BROADCAST, WM_FONTCHANGE, 0, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
}

bool Win32FontSystem::RequestRestart() {
  if (!allowRestart_) return false;
  EnableShutdownPrivilege();
  return ExitWindowsEx(EWX_REBOOT, 0xFFFFFFFF) != 0;
}

}  // namespace rizarode
