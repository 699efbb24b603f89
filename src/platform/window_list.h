#pragma once
// The desktop's top-level windows, walked as a list from the top of the
// z-order down.

#include <cstdint>
#include <string>

#include "platform/process_launcher.h"

namespace rizarode {

using WindowHandle = uint32_t;  // 0 is no window

inline constexpr int kShowNormal = 1;

class WindowList {
 public:
  virtual ~WindowList() = default;
  // The first top-level window, or 0 when there is none.
  virtual WindowHandle First() = 0;
  // The window after this one, or 0 after the last.
  virtual WindowHandle Next(WindowHandle window) = 0;
  // The window's title as 8-bit text; empty when it has none.
  virtual std::string Title(WindowHandle window) = 0;
  // The process that owns the window; 0 when the system does not tell.
  virtual ProcessId ProcessOf(WindowHandle /*window*/) { return 0; }
  // Whether the window is shown at all: every program with a window also
  // owns hidden ones that are no window of the user's.
  virtual bool IsVisible(WindowHandle /*window*/) { return true; }
  // Shows the window in the given state (kShowNormal restores it).
  virtual void Show(WindowHandle window, int showCommand) = 0;
  // Brings the window to the front and gives it the keyboard.
  virtual void SetFocus(WindowHandle window) = 0;
};

}  // namespace rizarode
