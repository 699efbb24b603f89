#pragma once
// Notices on Windows: the program's icon in the notification area from the
// first notice to the end of the run, each notice a balloon from it. A
// click on the balloon opens the notice's document; the icon's menu offers
// opening it and the status window, which is otherwise hidden.

#include <functional>
#include <string>

#include "platform/notifier.h"
#include "platform/win32/windows_api.h"

#include <shellapi.h>

namespace rizarode {

inline constexpr UINT kTrayCallbackMessage = WM_APP + 29;
inline constexpr UINT kTrayOpenCommand = 1;
inline constexpr UINT kTrayStatusWindowCommand = 2;

// What the icon shows of a notice: the balloon's title and text (CR as a
// line break), cut to what the shell takes, and the icon's tip.
void ComposeTrayBalloon(const Notice& notice, NOTIFYICONDATAA& data);

// The icon's menu for the notice: its two entries, opening greyed when
// there is no document. The caller destroys the menu.
HMENU ComposeTrayMenu(const Notice& notice);

class Win32Notifier : public Notifier {
 public:
  // showStatusWindow brings the status window to the screen.
  explicit Win32Notifier(std::function<void()> showStatusWindow);
  ~Win32Notifier() override;
  Win32Notifier(const Win32Notifier&) = delete;
  Win32Notifier& operator=(const Win32Notifier&) = delete;

  void Show(const Notice& notice) override;

  HWND Window() const { return window_; }
  // Runs the icon's menu command (tests run it without the menu).
  void Command(UINT command);

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  bool AddIcon();

  std::function<void()> showStatusWindow_;
  HWND window_ = nullptr;
  bool iconAdded_ = false;
  Notice last_;
};

}  // namespace rizarode
