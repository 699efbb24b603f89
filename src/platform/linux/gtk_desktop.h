#pragma once
// The desktop on a display, through GTK 3 on X11: message boxes as message
// dialogs, the status window as a window laid out as it was designed, the
// timer as a GLib timeout, and the GLib main loop as the event loop.
//
// Event handlers of the program run inside GTK's C callbacks. Nothing they
// throw may unwind through those frames, so every callback hands what it
// throws to the desktop, the loop that runs stops, and the exception goes on
// from the C++ call that ran the loop (RunEventLoop, DoEvents, MessageBox).

#include <exception>
#include <functional>
#include <memory>
#include <string>

#include "platform/desktop.h"

typedef struct _GtkWidget GtkWidget;

namespace rizarode {

class GtkStatusWindowView;
struct LabelDesign;

class GtkDesktop : public Desktop {
 public:
  // Opens the X11 display for GTK once per process; false when there is
  // none. The process locale is left alone.
  static bool OpenDisplay();

  // Needs an open display. initialCaption titles the status window until the
  // program gives it a caption of its own (8-bit).
  explicit GtkDesktop(std::string initialCaption);
  ~GtkDesktop() override;
  GtkDesktop(const GtkDesktop&) = delete;
  GtkDesktop& operator=(const GtkDesktop&) = delete;

  int MessageBox(const std::string& text, int style,
                 const std::string& title) override;
  // The box in a process of its own (see detached_box_process.h); on
  // standard error when that cannot be started.
  void Notify(const std::string& text, const std::string& title) override;
  void DoEvents() override;
  std::unique_ptr<StatusWindowView> CreateStatusWindow(
      StatusWindowEvents& events) override;
  [[noreturn]] void RunEventLoop() override;

  // Called with every message dialog once it is on the screen (tests answer
  // the dialog from here).
  void SetDialogShownHook(std::function<void(GtkWidget* dialog)> hook);

  // Runs a program's event handler from a GTK callback: what it throws is
  // kept for the loop to carry out. Once the program is ending, no further
  // handler runs.
  void RunHandler(const std::function<void()>& handler) noexcept;
  // A message box is up; the status window takes no close request then.
  bool InModalBox() const { return modalDepth_ > 0; }

 private:
  friend class GtkStatusWindowView;
  struct Callbacks;
  void RethrowPending();
  // While the status window exists, Ctrl-C is the user's close request and
  // SIGTERM and SIGHUP are the end of the session, as on the terminal.
  void WatchSignals();
  void UnwatchSignals();
  void OnSignal(int signal);

  std::string initialCaption_;
  std::exception_ptr pending_;
  int modalDepth_ = 0;
  GtkStatusWindowView* view_ = nullptr;
  StatusWindowEvents* events_ = nullptr;
  std::function<void(GtkWidget*)> dialogShown_;
  unsigned signalSources_[3] = {};
};

// The status window on the display, exposed for tests that look at it.
class GtkStatusWindowView : public StatusWindowView {
 public:
  GtkStatusWindowView(GtkDesktop& desktop, StatusWindowEvents& events,
                      const std::string& initialCaption);
  ~GtkStatusWindowView() override;

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

  GtkWidget* Window() const { return window_; }
  GtkWidget* LabelWidget(StatusLabel label) const;
  // Pixels for twips at the screen's resolution.
  int Pixels(int twips) const;
  int Twips(int pixels) const;

 private:
  struct Callbacks;
  void BuildLabels();
  void CloseRequested();

  GtkDesktop& desktop_;
  StatusWindowEvents& events_;
  GtkWidget* window_ = nullptr;
  GtkWidget* labels_[8] = {};
  const LabelDesign* designs_[8] = {};
  std::string texts_[8];
  std::string caption_;
  double dpi_ = 96.0;
  WindowState state_ = WindowState::kNormal;
  unsigned timerSource_ = 0;
};

}  // namespace rizarode
