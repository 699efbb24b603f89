#pragma once
// The desktop without a display: message boxes and the status line on
// standard error, answers from the terminal, the timer as a sleep between
// ticks, Ctrl-C as the user's close request and SIGTERM or SIGHUP as the end
// of the session.

#include <cstdio>
#include <memory>
#include <string>

#include "platform/desktop.h"

namespace rizarode {

class TerminalDesktop : public Desktop {
 public:
  // Messages go to err; answers come from in, read only when it is a
  // terminal (otherwise the default button is taken and said).
  TerminalDesktop(std::FILE* in, std::FILE* err);
  ~TerminalDesktop() override;

  int MessageBox(const std::string& text, int style,
                 const std::string& title) override;
  void DoEvents() override;
  std::unique_ptr<StatusWindowView> CreateStatusWindow(
      StatusWindowEvents& events) override;
  [[noreturn]] void RunEventLoop() override;

 private:
  class View;
  void DeliverSignals();

  std::FILE* in_;
  std::FILE* err_;
  View* view_ = nullptr;
  StatusWindowEvents* events_ = nullptr;
};

// The text of a message box as the terminal shows it: title, text with each
// CR a line break, and the buttons.
std::string FormatMessageBox(const std::string& text, int style,
                             const std::string& title);

}  // namespace rizarode
