#include "platform/win32/win32_window_list.h"

#include <cstdint>

namespace rizarode {

WindowHandle ToWindowHandle(HWND window) {
  return static_cast<WindowHandle>(reinterpret_cast<uintptr_t>(window));
}

// Sign-extended, as the system widens a 32-bit handle.
HWND ToHwnd(WindowHandle window) {
  return reinterpret_cast<HWND>(static_cast<intptr_t>(static_cast<int32_t>(window)));
}

WindowHandle Win32WindowList::First() { return ToWindowHandle(FindWindowA(nullptr, nullptr)); }

WindowHandle Win32WindowList::Next(WindowHandle window) {
  return ToWindowHandle(GetWindow(ToHwnd(window), GW_HWNDNEXT));
}

std::string Win32WindowList::Title(WindowHandle window) {
  char buffer[256];
  int n = GetWindowTextA(ToHwnd(window), buffer, sizeof buffer);
  return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string();
}

ProcessId Win32WindowList::ProcessOf(WindowHandle window) {
  DWORD process = 0;
  // A window that is gone by now has no thread, and the process stays 0.
  if (GetWindowThreadProcessId(ToHwnd(window), &process) == 0) return 0;
  return static_cast<ProcessId>(process);
}

bool Win32WindowList::IsVisible(WindowHandle window) {
  return IsWindowVisible(ToHwnd(window)) != FALSE;
}

void Win32WindowList::Show(WindowHandle window, int showCommand) {
  ShowWindow(ToHwnd(window), showCommand);
}

void Win32WindowList::SetFocus(WindowHandle window) { SetForegroundWindow(ToHwnd(window)); }

}  // namespace rizarode
