#include "platform/win32/win32_desktop.h"

#include <cmath>

#include "platform/status_window_design.h"
#include "platform/win32/win32_detached_box.h"
#include "platform/win32/windows_api.h"

namespace rizarode {
namespace {

constexpr char kStatusClass[] = "RIZARODE_frmAbout";
constexpr UINT_PTR kClockTimer = 1;
// The window's default font, as it was designed.
constexpr char kDefaultFamily[] = "MS Sans Serif";
constexpr double kDefaultPoints = 8.0;
// The most messages one DoEvents runs, so that a source that is always
// ready cannot hold start-up.
constexpr int kMostEventsAtOnce = 1000;
// How often a shown-box hook looks for the box.
constexpr UINT kBoxPollMilliseconds = 20;
constexpr DWORD kStatusStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

bool IsYesNo(int style) { return (style & 7) == kMbYesNo; }

int ButtonFor(int answer, bool yesNo) {
  switch (answer) {
    case IDYES: return kIdYes;
    case IDNO: return kIdNo;
    case IDOK: return kIdOk;
    default: return yesNo ? kIdNo : kIdOk;  // closed without a button
  }
}

HWND AsHwnd(HWND__* window) { return window; }

// The message boxes of this thread that are on the screen.
template <typename Visit>
void ForEachOpenBox(Visit visit) {
  struct Walk {
    static BOOL CALLBACK Each(HWND window, LPARAM data) {
      char className[16] = {};
      GetClassNameA(window, className, sizeof className);
      if (lstrcmpA(className, "#32770") == 0 && IsWindowVisible(window)) {
        (*reinterpret_cast<Visit*>(data))(window);
      }
      return TRUE;
    }
  };
  EnumThreadWindows(GetCurrentThreadId(), Walk::Each, reinterpret_cast<LPARAM>(&visit));
}

// The program's icon, resource 1 of rizarode.exe (src/rizarode.rc.in), in
// the sizes the system draws; none in a program built without it (the
// tests), whose window then has the system's default.
constexpr int kIconResource = 1;

HICON ProgramIcon(int widthMetric, int heightMetric) {
  return static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kIconResource),
                                       IMAGE_ICON, GetSystemMetrics(widthMetric),
                                       GetSystemMetrics(heightMetric), LR_SHARED));
}

LRESULT CALLBACK StatusProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* view = reinterpret_cast<Win32StatusWindowView*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (view && view->Window() == window) return view->Handle(message, wParam, lParam);
  return DefWindowProcA(window, message, wParam, lParam);
}

void RegisterStatusClass() {
  static const bool registered = [] {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = StatusProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hIcon = ProgramIcon(SM_CXICON, SM_CYICON);
    windowClass.hIconSm = ProgramIcon(SM_CXSMICON, SM_CYSMICON);
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kStatusClass;
    return RegisterClassExA(&windowClass) != 0;
  }();
  (void)registered;
}

Win32Desktop* boxDesktop = nullptr;

}  // namespace

// ---- the desktop ----

struct Win32Desktop::Callbacks {
  static void CALLBACK BoxTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (boxDesktop) boxDesktop->BoxMayBeShown();
  }
};

Win32Desktop::Win32Desktop(std::string initialCaption)
    : initialCaption_(std::move(initialCaption)) {}

Win32Desktop::~Win32Desktop() {
  if (boxDesktop == this) boxDesktop = nullptr;
}

std::string Win32Desktop::ExecutableTitle() {
  char path[MAX_PATH] = {};
  DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string name(path, length);
  std::size_t slash = name.find_last_of("\\/:");
  if (slash != std::string::npos) name.erase(0, slash + 1);
  std::size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.erase(dot);
  return name;
}

void Win32Desktop::RunHandler(const std::function<void()>& handler) noexcept {
  if (pending_) return;
  try {
    handler();
  } catch (...) {
    if (!pending_) pending_ = std::current_exception();
    // Wakes a loop that waits for the next message, and ends a box that
    // holds its own loop.
    PostThreadMessageA(GetCurrentThreadId(), WM_NULL, 0, 0);
    if (modalDepth_ > 0) CloseOpenBoxes();
  }
}

void Win32Desktop::RethrowPending() {
  if (!pending_) return;
  std::exception_ptr pending = pending_;
  pending_ = nullptr;
  std::rethrow_exception(pending);
}

void Win32Desktop::CloseOpenBoxes() {
  ForEachOpenBox([](HWND box) { EndDialog(box, 0); });
}

int Win32Desktop::MessageBox(const std::string& text, int style, const std::string& title) {
  HWND owner = nullptr;
  if (view_ && view_->Visible() && view_->State() == WindowState::kNormal) {
    owner = AsHwnd(view_->Window());
  }
  // The status window is mostly hidden, and the host application's window
  // is in front: the box must not open behind it. Without an owner the box
  // still blocks the status window, as an owned box does.
  UINT flags = static_cast<UINT>(style) | MB_SETFOREGROUND | MB_TOPMOST;
  if (!owner) flags |= MB_TASKMODAL;

  Win32Desktop* outerBoxDesktop = boxDesktop;
  const UINT_PTR outerTimer = boxTimer_;
  if (boxShown_) {
    boxDesktop = this;
    boxTimer_ = SetTimer(nullptr, 0, kBoxPollMilliseconds, Callbacks::BoxTimer);
  }
  ++modalDepth_;
  int answer = MessageBoxA(owner, text.c_str(), title.c_str(), flags);
  --modalDepth_;
  if (boxShown_ && boxTimer_ != 0) KillTimer(nullptr, boxTimer_);
  boxTimer_ = outerTimer;
  boxDesktop = outerBoxDesktop;
  RethrowPending();
  return ButtonFor(answer, IsYesNo(style));
}

void Win32Desktop::Notify(const std::string& text, const std::string& title) {
  if (!StartDetachedBox(DetachedBox{text, title})) Desktop::Notify(text, title);
}

void Win32Desktop::BoxMayBeShown() {
  HWND shown = nullptr;
  ForEachOpenBox([&shown](HWND box) { shown = box; });
  if (!shown || boxTimer_ == 0) return;
  KillTimer(nullptr, boxTimer_);
  boxTimer_ = 0;
  RunHandler([this, shown] { boxShown_(shown); });
}

void Win32Desktop::DoEvents() {
  MSG msg;
  for (int i = 0; i < kMostEventsAtOnce && !pending_ &&
                  PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);
       ++i) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  RethrowPending();
}

std::unique_ptr<StatusWindowView> Win32Desktop::CreateStatusWindow(StatusWindowEvents& events) {
  auto view = std::make_unique<Win32StatusWindowView>(*this, events, initialCaption_);
  view_ = view.get();
  return view;
}

void Win32Desktop::RunEventLoop() {
  for (;;) {
    RethrowPending();
    MSG msg;
    if (GetMessageA(&msg, nullptr, 0, 0) <= 0) continue;  // nobody asks to quit
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

void Win32Desktop::SetMessageBoxShownHook(std::function<void(HWND__*)> hook) {
  boxShown_ = std::move(hook);
}

// ---- the status window ----

Win32StatusWindowView::Win32StatusWindowView(Win32Desktop& desktop, StatusWindowEvents& events,
                                             const std::string& initialCaption)
    : desktop_(desktop), events_(events), caption_(initialCaption) {
  HDC screen = GetDC(nullptr);
  int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  if (dpi > 0) dpi_ = dpi;

  RegisterStatusClass();
  RECT outer{0, 0, Pixels(kStatusClientWidth), Pixels(kStatusClientHeight)};
  AdjustWindowRectEx(&outer, kStatusStyle, FALSE, 0);
  window_ = CreateWindowExA(0, kStatusClass, caption_.c_str(), kStatusStyle, CW_USEDEFAULT,
                            CW_USEDEFAULT, outer.right - outer.left, outer.bottom - outer.top,
                            nullptr, nullptr, GetModuleHandleA(nullptr), this);
  BuildLabels();
}

Win32StatusWindowView::~Win32StatusWindowView() {
  SetTimerEnabled(false);
  if (desktop_.view_ == this) desktop_.view_ = nullptr;
  if (window_) {
    SetWindowLongPtrA(window_, GWLP_USERDATA, 0);  // no handler runs any more
    DestroyWindow(window_);
  }
  for (HFONT font : fonts_) {
    if (font) DeleteObject(font);
  }
}

void Win32StatusWindowView::BuildLabels() {
  for (const LabelDesign& design : kStatusWindowDesign) {
    const int index = static_cast<int>(design.label);
    // Run-time texts (printer names, status texts) may be longer than the
    // label; they are cut with an ellipsis and never widen the window.
    DWORD style = WS_CHILD | WS_VISIBLE | SS_NOPREFIX |
                  (design.centred ? SS_CENTER : SS_LEFT | SS_ENDELLIPSIS);
    labels_[index] = CreateWindowExA(0, "STATIC", "", style, 0, 0, 0, 0, window_,
                                     reinterpret_cast<HMENU>(static_cast<INT_PTR>(100 + index)),
                                     GetModuleHandleA(nullptr), nullptr);
  }
  PlaceLabels();
}

// Places the labels and makes their fonts at the current resolution: when
// the window is made, and again when it moves to a monitor of another.
void Win32StatusWindowView::PlaceLabels() {
  for (const LabelDesign& design : kStatusWindowDesign) {
    const int index = static_cast<int>(design.label);
    const LabelBox box = PlacedBox(design);
    SetWindowPos(labels_[index], nullptr, Pixels(box.left), Pixels(box.top), Pixels(box.width),
                 Pixels(box.height), SWP_NOZORDER | SWP_NOACTIVATE);
    const double points = design.points > 0 ? design.points : kDefaultPoints;
    const char* family = *design.fontFamily ? design.fontFamily : kDefaultFamily;
    HFONT font = CreateFontA(-static_cast<int>(std::lround(points * dpi_ / 72.0)), 0, 0, 0,
                             design.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                             DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                             DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, family);
    SendMessageA(labels_[index], WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    if (fonts_[index]) DeleteObject(fonts_[index]);
    fonts_[index] = font;
  }
}

LRESULT Win32StatusWindowView::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_TIMER:
      if (wParam == kClockTimer) {
        // A tick may run a message loop of its own (a printer driver's
        // dialog inside StartDocA does): the timer's messages it dispatches
        // must not start a second tick amid the first.
        if (inTick_) return 0;
        inTick_ = true;
        desktop_.RunHandler([this] { events_.timClock_Timer(); });
        inTick_ = false;
        return 0;
      }
      break;
    case WM_CLOSE:
      // The close button and the control menu; a message box on the
      // screen has disabled them.
      if (!desktop_.InModalBox()) RequestClose(kUnloadControlMenu);
      return 0;  // the window itself is never destroyed by a close
    case WM_QUERYENDSESSION: {
      // Shutdown or log-off: the program is asked and, unless it refuses,
      // ends now; the loop that runs carries the end out.
      bool allowed = true;
      desktop_.RunHandler([this, &allowed] {
        bool cancel = false;
        events_.Form_QueryUnload(cancel, kUnloadSessionEnd);
        allowed = !cancel;
        if (!cancel) events_.Form_Unload();
      });
      return allowed ? TRUE : FALSE;
    }
    case WM_ENDSESSION:
      if (wParam) RequestClose(kUnloadSessionEnd);
      return 0;
    case WM_DPICHANGED: {
      // Moved to a monitor of another resolution: the same layout at its
      // resolution, in the place Windows suggests.
      dpi_ = HIWORD(wParam);
      const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
      SetWindowPos(window_, nullptr, suggested->left, suggested->top,
                   suggested->right - suggested->left, suggested->bottom - suggested->top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      PlaceLabels();
      return 0;
    }
    default:
      break;
  }
  return DefWindowProcA(window_, message, wParam, lParam);
}

void Win32StatusWindowView::RequestClose(int unloadMode) {
  desktop_.RunHandler([this, unloadMode] {
    bool cancel = false;
    events_.Form_QueryUnload(cancel, unloadMode);
    if (!cancel) events_.Form_Unload();
  });
}

HWND__* Win32StatusWindowView::LabelWindow(StatusLabel label) const {
  return labels_[static_cast<int>(label)];
}

int Win32StatusWindowView::Pixels(int twips) const {
  return static_cast<int>(std::lround(twips * static_cast<double>(dpi_) / 1440.0));
}

int Win32StatusWindowView::Twips(int pixels) const {
  return static_cast<int>(std::lround(pixels * 1440.0 / dpi_));
}

void Win32StatusWindowView::SetLabel(StatusLabel label, const std::string& text) {
  texts_[static_cast<int>(label)] = text;
  SetWindowTextA(LabelWindow(label), text.c_str());
}

std::string Win32StatusWindowView::Label(StatusLabel label) const {
  return texts_[static_cast<int>(label)];
}

void Win32StatusWindowView::SetCaption(const std::string& caption) {
  caption_ = caption;
  SetWindowTextA(window_, caption.c_str());
}

std::string Win32StatusWindowView::Caption() const { return caption_; }

// Paints what changed without running the message loop, so that no timer
// tick or close request can slip in while the caller works on.
void Win32StatusWindowView::Repaint() {
  RedrawWindow(window_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void Win32Desktop::BringStatusWindowToUser() {
  if (!view_) return;
  view_->SetState(WindowState::kNormal);
  view_->Show();
  SetForegroundWindow(view_->Window());
}

// Shown in the state it was last given, which it may have been given while
// hidden.
void Win32StatusWindowView::Show() {
  if (Visible()) return;
  switch (state_) {
    case WindowState::kMinimized: ShowWindow(window_, SW_SHOWMINIMIZED); break;
    case WindowState::kMaximized: ShowWindow(window_, SW_SHOWMAXIMIZED); break;
    case WindowState::kNormal: ShowWindow(window_, SW_SHOWNORMAL); break;
  }
}

void Win32StatusWindowView::Hide() {
  state_ = State();
  ShowWindow(window_, SW_HIDE);
}

bool Win32StatusWindowView::Visible() const { return IsWindowVisible(window_) != FALSE; }

// A hidden window keeps its new state until it is shown again: minimizing
// must not bring it onto the screen.
void Win32StatusWindowView::SetState(WindowState state) {
  state_ = state;
  if (!Visible()) return;
  switch (state) {
    case WindowState::kMinimized: ShowWindow(window_, SW_MINIMIZE); break;
    case WindowState::kMaximized: ShowWindow(window_, SW_MAXIMIZE); break;
    case WindowState::kNormal: ShowWindow(window_, SW_RESTORE); break;
  }
}

WindowState Win32StatusWindowView::State() const {
  if (!Visible()) return state_;
  if (IsIconic(window_)) return WindowState::kMinimized;
  if (IsZoomed(window_)) return WindowState::kMaximized;
  return WindowState::kNormal;
}

int Win32StatusWindowView::ScreenWidth() const { return Twips(GetSystemMetrics(SM_CXSCREEN)); }

int Win32StatusWindowView::ScreenHeight() const { return Twips(GetSystemMetrics(SM_CYSCREEN)); }

int Win32StatusWindowView::WindowWidth() const {
  RECT r{};
  GetWindowRect(window_, &r);
  return Twips(r.right - r.left);
}

int Win32StatusWindowView::WindowHeight() const {
  RECT r{};
  GetWindowRect(window_, &r);
  return Twips(r.bottom - r.top);
}

void Win32StatusWindowView::Move(int left, int top) {
  SetWindowPos(window_, nullptr, Pixels(left), Pixels(top), 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int Win32StatusWindowView::TimerInterval() const { return 1000; }

void Win32StatusWindowView::SetTimerEnabled(bool enabled) {
  if (enabled && !timerOn_) {
    timerOn_ = SetTimer(window_, kClockTimer, static_cast<UINT>(TimerInterval()), nullptr) != 0;
  } else if (!enabled && timerOn_) {
    KillTimer(window_, kClockTimer);
    timerOn_ = false;
  }
}

bool Win32StatusWindowView::TimerEnabled() const { return timerOn_; }

}  // namespace rizarode
