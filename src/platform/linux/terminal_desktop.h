#pragma once
// The desktop without a display: message boxes and the status line on
// standard error, answers from the terminal, the timer as a sleep between
// ticks, Ctrl-C as the user's close request and SIGTERM or SIGHUP as the end
// of the session. While a message box waits for its answer the timer goes on
// ticking, as it does under a window system, unless the box was shown by a
// tick itself.

#include <signal.h>

#include <cstdio>
#include <memory>
#include <string>

#include "platform/desktop.h"

namespace rizarode {

class TerminalDesktop : public Desktop {
 public:
  // Messages go to err; answers come from in, read only when it is a
  // terminal (otherwise the default button is taken and said). While the
  // status window exists, SIGINT, SIGTERM and SIGHUP are its events; before,
  // they keep their usual effect.
  TerminalDesktop(std::FILE* in, std::FILE* err);
  ~TerminalDesktop() override;
  TerminalDesktop(const TerminalDesktop&) = delete;
  TerminalDesktop& operator=(const TerminalDesktop&) = delete;

  int MessageBox(const std::string& text, int style,
                 const std::string& title) override;
  void DoEvents() override;
  std::unique_ptr<StatusWindowView> CreateStatusWindow(
      StatusWindowEvents& events) override;
  [[noreturn]] void RunEventLoop() override;

 private:
  class View;
  void DeliverSignals();
  int AskTerminal(bool yesNo, int defaultAnswer);
  // Reads one line of the answer; ticks run meanwhile. False at the end of
  // the input or on a failure, with errno telling which.
  bool ReadAnswer(std::string& answer);
  // Runs the timer's tick when it is due and may run; the milliseconds until
  // the next one is due (-1: none is).
  int RunDueTick();
  void InstallSignalHandlers();
  void RestoreSignalHandlers();

  std::FILE* in_;
  std::FILE* err_;
  View* view_ = nullptr;
  StatusWindowEvents* events_ = nullptr;
  struct sigaction savedInt_ {};
  struct sigaction savedTerm_ {};
  struct sigaction savedHup_ {};
  bool handlersInstalled_ = false;
  double nextTick_ = 0;  // monotonic seconds; 0 until the event loop runs
  bool inTick_ = false;
};

// The text of a message box as the terminal shows it: title, text with each
// CR a line break, and the buttons.
std::string FormatMessageBox(const std::string& text, int style,
                             const std::string& title);

}  // namespace rizarode
