#pragma once
// The desktop's top-level windows, walked with FindWindowA and GetWindow.
// Window handles of Windows fit the program's 32-bit handles: the system
// keeps them within 32 bits so that 32- and 64-bit programs can share them.

#include "platform/win32/windows_api.h"

#include "platform/window_list.h"

namespace rizarode {

WindowHandle ToWindowHandle(HWND window);
HWND ToHwnd(WindowHandle window);

class Win32WindowList : public WindowList {
 public:
  WindowHandle First() override;
  WindowHandle Next(WindowHandle window) override;
  std::string Title(WindowHandle window) override;
  ProcessId ProcessOf(WindowHandle window) override;
  bool IsVisible(WindowHandle window) override;
  void Show(WindowHandle window, int showCommand) override;
  void SetFocus(WindowHandle window) override;
};

}  // namespace rizarode
