#pragma once
// The desktop on Windows: message boxes through MessageBoxA, the status
// window as a Win32 window laid out as it was designed (static controls
// placed in twips), its timer as SetTimer, and the thread's message queue as
// the event loop.
//
// Event handlers of the program run inside window procedures, which Windows
// calls from its own frames. Nothing they throw may unwind through those, so
// every window procedure hands what it throws to the desktop, the loop that
// runs stops, and the exception goes on from the C++ call that ran the loop
// (RunEventLoop, DoEvents, MessageBox).

#include <exception>
#include <functional>
#include <memory>
#include <string>

#include "platform/desktop.h"

struct HWND__;
struct HFONT__;

namespace rizarode {

class Win32StatusWindowView;

class Win32Desktop : public Desktop {
 public:
  // initialCaption titles the status window until the program gives it a
  // caption of its own (8-bit); by default the executable's name.
  explicit Win32Desktop(std::string initialCaption = ExecutableTitle());
  ~Win32Desktop() override;
  Win32Desktop(const Win32Desktop&) = delete;
  Win32Desktop& operator=(const Win32Desktop&) = delete;

  int MessageBox(const std::string& text, int style, const std::string& title) override;
  // The box in a process of its own (see win32_detached_box.h); on
  // standard error when that cannot be started.
  void Notify(const std::string& text, const std::string& title) override;
  void DoEvents() override;
  std::unique_ptr<StatusWindowView> CreateStatusWindow(StatusWindowEvents& events) override;
  [[noreturn]] void RunEventLoop() override;

  // Called with every message box once it is on the screen (tests answer
  // the box from here).
  void SetMessageBoxShownHook(std::function<void(HWND__* box)> hook);

  // Runs a program's event handler from a window procedure: what it throws
  // is kept for the loop to carry out. Once the program is ending, no
  // further handler runs.
  void RunHandler(const std::function<void()>& handler) noexcept;
  // A message box is up; the status window takes no close request then.
  bool InModalBox() const { return modalDepth_ > 0; }

  // The status window on the screen, in normal state, at the user's
  // request (from the notification area); nothing before it exists.
  void BringStatusWindowToUser();

  // The executable's file name without directory and extension.
  static std::string ExecutableTitle();

 private:
  friend class Win32StatusWindowView;
  struct Callbacks;
  void BoxMayBeShown();
  void RethrowPending();
  void CloseOpenBoxes();

  std::string initialCaption_;
  std::exception_ptr pending_;
  int modalDepth_ = 0;
  Win32StatusWindowView* view_ = nullptr;
  std::function<void(HWND__*)> boxShown_;
  unsigned long long boxTimer_ = 0;
};

// The status window on the screen, exposed for tests that look at it.
class Win32StatusWindowView : public StatusWindowView {
 public:
  Win32StatusWindowView(Win32Desktop& desktop, StatusWindowEvents& events,
                        const std::string& initialCaption);
  ~Win32StatusWindowView() override;
  Win32StatusWindowView(const Win32StatusWindowView&) = delete;
  Win32StatusWindowView& operator=(const Win32StatusWindowView&) = delete;

  void SetLabel(StatusLabel label, const std::string& text) override;
  std::string Label(StatusLabel label) const override;
  void SetCaption(const std::string& caption) override;
  std::string Caption() const override;
  void Repaint() override;
  void Show() override;
  void Hide() override;
  bool Visible() const override;
  void SetState(WindowState state) override;
  WindowState State() const override;
  int ScreenWidth() const override;
  int ScreenHeight() const override;
  int WindowWidth() const override;
  int WindowHeight() const override;
  void Move(int left, int top) override;
  int TimerInterval() const override;
  void SetTimerEnabled(bool enabled) override;
  bool TimerEnabled() const override;

  HWND__* Window() const { return window_; }
  HWND__* LabelWindow(StatusLabel label) const;
  // Pixels for twips at the screen's resolution.
  int Pixels(int twips) const;
  int Twips(int pixels) const;

  // The window procedure's share of the work, in the types of WPARAM, LPARAM
  // and LRESULT on 64- and 32-bit Windows.
#ifdef _WIN64
  long long Handle(unsigned message, unsigned long long wParam, long long lParam);
#else
  long Handle(unsigned message, unsigned wParam, long lParam);
#endif

 private:
  void BuildLabels();
  void PlaceLabels();
  void RequestClose(int unloadMode);

  Win32Desktop& desktop_;
  StatusWindowEvents& events_;
  HWND__* window_ = nullptr;
  HWND__* labels_[8] = {};
  HFONT__* fonts_[8] = {};
  std::string texts_[8];
  std::string caption_;
  int dpi_ = 96;
  WindowState state_ = WindowState::kNormal;
  bool timerOn_ = false;
  bool inTick_ = false;
};

}  // namespace rizarode
