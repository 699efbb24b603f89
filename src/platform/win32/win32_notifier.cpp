#include "platform/win32/win32_notifier.h"

#include <algorithm>
#include <cstring>

namespace rizarode {
namespace {

constexpr char kWindowClass[] = "RizarodeNotices";
constexpr UINT kIconId = 1;
constexpr char kEllipsis[] = "...";

// Copies text into a fixed field of the shell's, cut with an ellipsis where
// it does not fit; CR breaks the line.
template <std::size_t N>
void CopyField(const std::string& text, char (&field)[N]) {
  std::string shown;
  for (char c : text) shown += c == '\r' ? '\n' : c;
  if (shown.size() > N - 1) shown = shown.substr(0, N - 1 - std::strlen(kEllipsis)) + kEllipsis;
  std::memcpy(field, shown.c_str(), shown.size() + 1);
}

HICON ProgramIcon() {
  HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1));
  return icon ? icon : LoadIconA(nullptr, MAKEINTRESOURCEA(32512));  // IDI_APPLICATION
}

}  // namespace

void ComposeTrayBalloon(const Notice& notice, NOTIFYICONDATAA& data) {
  data.uFlags |= NIF_INFO | NIF_TIP | NIF_SHOWTIP;
  CopyField(notice.title, data.szTip);
  CopyField(notice.title, data.szInfoTitle);
  CopyField(notice.text, data.szInfo);
  data.dwInfoFlags = NIIF_INFO;
}

HMENU ComposeTrayMenu(const Notice& notice) {
  HMENU menu = CreatePopupMenu();
  if (!menu) return nullptr;
  AppendMenuA(menu, MF_STRING | (notice.file.empty() ? MF_GRAYED : 0), kTrayOpenCommand,
              notice.openLabel.c_str());
  AppendMenuA(menu, MF_STRING, kTrayStatusWindowCommand, notice.statusWindowLabel.c_str());
  if (!notice.file.empty()) SetMenuDefaultItem(menu, kTrayOpenCommand, FALSE);
  return menu;
}

Win32Notifier::Win32Notifier(std::function<void()> showStatusWindow)
    : showStatusWindow_(std::move(showStatusWindow)) {}

Win32Notifier::~Win32Notifier() {
  if (iconAdded_) {
    NOTIFYICONDATAA data{};
    data.cbSize = sizeof data;
    data.hWnd = window_;
    data.uID = kIconId;
    Shell_NotifyIconA(NIM_DELETE, &data);
  }
  if (window_) DestroyWindow(window_);
}

// The window that receives the icon's messages is never shown; it is made
// with the first notice, long after the host's window was told from the
// windows that were there before it, and a menu needs a window of this
// kind (not a message-only one) to close when the user clicks elsewhere.
bool Win32Notifier::AddIcon() {
  if (iconAdded_) return true;
  if (!window_) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kWindowClass;
    RegisterClassA(&windowClass);  // fails harmlessly when registered already
    window_ = CreateWindowExA(WS_EX_TOOLWINDOW, kWindowClass, "", WS_POPUP, 0, 0, 0, 0, nullptr,
                              nullptr, windowClass.hInstance, nullptr);
    if (!window_) return false;
    SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  NOTIFYICONDATAA data{};
  data.cbSize = sizeof data;
  data.hWnd = window_;
  data.uID = kIconId;
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data.uCallbackMessage = kTrayCallbackMessage;
  data.hIcon = ProgramIcon();
  CopyField(last_.title, data.szTip);
  if (!Shell_NotifyIconA(NIM_ADD, &data)) return false;
  data.uVersion = NOTIFYICON_VERSION_4;
  Shell_NotifyIconA(NIM_SETVERSION, &data);
  iconAdded_ = true;
  return true;
}

void Win32Notifier::Show(const Notice& notice) {
  last_ = notice;
  if (!AddIcon()) return;  // no shell with a notification area
  NOTIFYICONDATAA data{};
  data.cbSize = sizeof data;
  data.hWnd = window_;
  data.uID = kIconId;
  ComposeTrayBalloon(notice, data);
  Shell_NotifyIconA(NIM_MODIFY, &data);
}

void Win32Notifier::Command(UINT command) {
  if (command == kTrayOpenCommand && !last_.file.empty()) {
    ShellExecuteA(nullptr, "open", last_.file.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  } else if (command == kTrayStatusWindowCommand && showStatusWindow_) {
    showStatusWindow_();
  }
}

LRESULT CALLBACK Win32Notifier::WindowProc(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
  auto* self = reinterpret_cast<Win32Notifier*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (message != kTrayCallbackMessage || !self) {
    return DefWindowProcA(window, message, wParam, lParam);
  }
  // Version 4: the event in the low word, the pointer's place in wParam.
  switch (LOWORD(lParam)) {
    case NIN_BALLOONUSERCLICK:
      self->Command(kTrayOpenCommand);
      break;
    case WM_LBUTTONDBLCLK:
      self->Command(self->last_.file.empty() ? kTrayStatusWindowCommand : kTrayOpenCommand);
      break;
    case WM_CONTEXTMENU:
    case WM_RBUTTONUP: {
      HMENU menu = ComposeTrayMenu(self->last_);
      if (!menu) break;
      POINT at{static_cast<short>(LOWORD(wParam)), static_cast<short>(HIWORD(wParam))};
      if (LOWORD(lParam) == WM_RBUTTONUP) GetCursorPos(&at);
      // The menu closes when the user clicks elsewhere only if its
      // window is in the foreground.
      SetForegroundWindow(window);
      const UINT command = static_cast<UINT>(TrackPopupMenu(
          menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, at.x, at.y, 0, window, nullptr));
      DestroyMenu(menu);
      self->Command(command);
      break;
    }
    default:
      break;
  }
  return 0;
}

}  // namespace rizarode
