#pragma once
// The top-level windows of an X display: the children of the root window,
// from the top of the stacking order down, with the titles their clients
// set. Bringing a window to the front maps and raises it and asks the window
// manager to activate it (EWMH).

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dos_host/dosbox_run.h"
#include "platform/window_walk.h"
#include "platform/window_list.h"

namespace rizarode {

class X11WindowList : public WindowList {
 public:
  // Opens its own connection to the display; nullptr when none opens.
  static std::unique_ptr<X11WindowList> Open(const char* displayName = nullptr);
  ~X11WindowList() override;
  X11WindowList(const X11WindowList&) = delete;
  X11WindowList& operator=(const X11WindowList&) = delete;

  WindowHandle First() override;
  WindowHandle Next(WindowHandle window) override;
  // _NET_WM_NAME (UTF-8), else WM_NAME, as 8-bit text.
  std::string Title(WindowHandle window) override;
  // The process its client names in _NET_WM_PID (0 without one). A process
  // that the started process began (a script's program, say) counts as the
  // started process itself.
  ProcessId ProcessOf(WindowHandle window) override;
  // Mapped, or iconified by the window manager: not withdrawn.
  bool IsVisible(WindowHandle window) override;
  void Show(WindowHandle window, int showCommand) override;

  // Tells which process was started, for ProcessOf; asked anew each time.
  void FollowStartedProcess(std::function<ProcessId()> started) {
    started_ = std::move(started);
  }
  void SetFocus(WindowHandle window) override;

  // Where a new window is to fit: the work area (_NET_WORKAREA of the
  // current desktop, the screen without a window manager) on the monitor
  // under the pointer, where window managers open new windows, and the
  // frame that the window manager says it would put around one.
  ScreenRoom RoomForNewWindow();

 private:
  struct Connection;
  explicit X11WindowList(std::unique_ptr<Connection> connection);

  std::unique_ptr<Connection> x_;
  WindowWalk walk_;
  std::function<ProcessId()> started_;
};

}  // namespace rizarode
