#include "platform/linux/terminal_desktop.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

#include "printing/status_window.h"
#include "support/test_platform.h"

namespace rizarode {
namespace {

using testing::EndCodeOf;
using testing::TestPlatform;

// Everything written to a stream that is not a terminal.
class Capture {
 public:
  Capture() : file_(std::tmpfile()) {}
  ~Capture() { std::fclose(file_); }
  std::FILE* get() const { return file_; }
  std::string Text() const {
    std::fflush(file_);
    std::string text;
    std::rewind(file_);
    for (int c; (c = std::fgetc(file_)) != EOF;) text += static_cast<char>(c);
    return text;
  }

 private:
  std::FILE* file_;
};

// The terminal desktop in place of the test desktop, everything else as in
// the test platform.
struct TerminalRun {
  explicit TerminalRun(std::FILE* in = nullptr) : desktop(in, err.get()) {}
  Capture err;
  TestPlatform t;
  TerminalDesktop desktop;
  Platform platform{desktop,   t.windows, t.launcher, t.files, t.registry,
                    t.fonts,   t.clock,   t.random,   t.info};
  Program program{platform, t.printer};
};

TEST(TerminalDesktopTest, MessageBoxesShowTitleTextAndButtons) {
  EXPECT_EQ(FormatMessageBox("Deze applicatie be\xEBindigen.\r\rTweede.\r\r", 48, "RIZARODE"),
            "== [warning] RIZARODE ==\nDeze applicatie be\xC3\xAB" "indigen.\n\nTweede.\n\n[OK]\n");
  EXPECT_EQ(FormatMessageBox("Restart?", 36, " \xC4nderung"),
            "== [question]  \xC3\x84nderung ==\nRestart?\n[Yes] [No]\n");
  EXPECT_EQ(FormatMessageBox("Plain", 0, "T"), "== T ==\nPlain\n[OK]\n");
}

TEST(TerminalDesktopTest, WithoutATerminalTheDefaultButtonAnswersAndIsSaid) {
  Capture err;
  Capture in;  // a file, not a terminal: never read
  TerminalDesktop desktop(in.get(), err.get());
  EXPECT_EQ(desktop.MessageBox("Restart now?", 36, "Restart"), kIdNo);
  EXPECT_EQ(desktop.MessageBox("Failed.", 16, "RIZARODE"), kIdOk);
  EXPECT_EQ(err.Text(),
            "== [question] Restart ==\nRestart now?\n[Yes] [No]\n-> No\n"
            "== [error] RIZARODE ==\nFailed.\n[OK]\n-> OK\n");
}

TEST(TerminalDesktopTest, StatusLineGivesOneLinePerChangeWithoutDuplicates) {
  TerminalRun run;
  Program& program = run.program;
  program.state.debugFlags = kDebugInfo;
  StatusWindow(program).View().Show();
  ShowStatus(program, "Initialiseren", "", 1);
  ShowStatus(program, "Initialiseren", "", 1);
  ShowStatus(program, "Phase 1", "", 0);  // debug text: the caption stays
  ShowStatus(program, "Waiting for print job: 00:00:01", "Waiting for print job", 1);
  ShowStatus(program, "Waiting for print job: 00:00:02", "Waiting for print job", 1);
  ShowStatus(program, "Printing started", "Printer busy", 1);
  ShowStatus(program, "M\xF6glich", "", 1);
  EXPECT_EQ(run.err.Text(),
            "Initialiseren\nPhase 1\nWaiting for print job: 00:00:01\n"
            "Waiting for print job: 00:00:02\nPrinting started\n[Printer busy]\n"
            "M\xC3\xB6glich\n");
}

TEST(TerminalDesktopTest, StatusLineOnATerminalIsRewrittenInPlace) {
  int master = ::posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(master, 0);
  ASSERT_EQ(::grantpt(master), 0);
  ASSERT_EQ(::unlockpt(master), 0);
  std::FILE* tty = std::fopen(::ptsname(master), "r+");
  ASSERT_NE(tty, nullptr);
  termios mode{};
  ::tcgetattr(fileno(tty), &mode);
  mode.c_lflag &= ~static_cast<tcflag_t>(ECHO);  // keep typed answers out of the output
  ::tcsetattr(fileno(tty), TCSANOW, &mode);
  {
    TestPlatform t;
    TerminalDesktop desktop(tty, tty);
    Platform platform{desktop, t.windows, t.launcher, t.files, t.registry,
                      t.fonts, t.clock,   t.random,   t.info};
    Program program(platform, t.printer);
    StatusWindow(program).View().Show();
    ShowStatus(program, "Printing started", "", 1);
    ShowStatus(program, "Printing ended", "Done", 1);
    // A message box closes the status line first and reads its answer from
    // the terminal.
    ASSERT_EQ(::write(master, "maybe\nja\n", 9), 9);
    EXPECT_EQ(desktop.MessageBox("Restart?", 36, "Restart"), kIdYes);
  }
  std::fclose(tty);
  std::string seen;
  ::fcntl(master, F_SETFL, O_NONBLOCK);
  char buffer[4096];
  for (ssize_t n; (n = ::read(master, buffer, sizeof buffer)) > 0;) seen.append(buffer, n);
  ::close(master);
  // The terminal turns each "\n" into "\r\n".
  EXPECT_EQ(seen.rfind("\r\033[KPrinting started", 0), 0u) << seen;
  EXPECT_NE(seen.find("\r\033[K[Done] Printing ended\r\n== [question] Restart"),
            std::string::npos) << seen;
  EXPECT_EQ(seen.find("Printing started\r\n"), std::string::npos);
  // "maybe" is no answer: the question comes again.
  std::size_t first = seen.find("Yes or No? ");
  ASSERT_NE(first, std::string::npos) << seen;
  EXPECT_NE(seen.find("Yes or No? ", first + 1), std::string::npos) << seen;
}

TEST(TerminalDesktopTest, CtrlCIsRefusedAndTheEndOfTheSessionEndsTheProgram) {
  TerminalRun run;
  run.program.state.languageCode = "GB";
  StatusWindow(run.program);
  ::raise(SIGINT);
  ::raise(SIGINT);
  run.desktop.DoEvents();
  const std::string shown = run.err.Text();
  EXPECT_NE(shown.find("== [warning] RIZARODE ==\nYou cannot quit this application in this manner."),
            std::string::npos) << shown;
  // Each Ctrl-C is a close request of its own, and each is refused.
  std::size_t refusals = 0;
  for (std::size_t at = 0; (at = shown.find("You cannot quit", at)) != std::string::npos; ++at) {
    ++refusals;
  }
  EXPECT_EQ(refusals, 2u);
  for (int signal : {SIGTERM, SIGHUP}) {
    ::raise(signal);
    EXPECT_EQ(EndCodeOf([&] { run.desktop.DoEvents(); }),
              static_cast<int>(ExitCode::kSessionEnded)) << signal;
  }
}

TEST(TerminalDesktopTest, TimerTicksAboutOnceASecondOnlyWhileSwitchedOn) {
  struct Events : StatusWindowEvents {
    void Form_QueryUnload(bool& cancel, int) override { cancel = true; }
    void Form_Unload() override {}
    void timClock_Timer() override {
      if (++ticks == 2) throw ProgramEnded{ExitCode::kNormal};
    }
    int ticks = 0;
  } events;
  Capture err;
  TerminalDesktop desktop(nullptr, err.get());
  auto view = desktop.CreateStatusWindow(events);
  view->SetTimerEnabled(true);
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(EndCodeOf([&] { desktop.RunEventLoop(); }), 0);
  std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(events.ticks, 2);
  EXPECT_GE(elapsed.count(), 1.5);
}

}  // namespace
}  // namespace rizarode
