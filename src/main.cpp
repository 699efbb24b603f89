// rizarode: picks the platform and runs the program on it.

#include <clocale>
#include <cstdio>
#include <exception>

#include "platform/detached_box.h"
#include "platform/linux/bus_notifier.h"
#include "platform/linux/detached_box_process.h"
#include "platform/linux/linux_platform.h"
#include "platform/linux/linux_program_info.h"
#include "printer/page_printer.h"
#include "program/module_state.h"
#include "program/program_end.h"
#include "startup/command_line.h"
#include "startup/run.h"

int main(int argc, char** argv) {
  // A start made only to show a message box that the program's run could
  // not wait for.
  if (auto box = rizarode::TakeDetachedBoxRequest()) return rizarode::RunDetachedBox(*box);
  // ... or to show a notice and wait for its action.
  if (auto notice = rizarode::TakeNoticeRequest()) return rizarode::RunNotice(*notice);
  // "--help" and "--version" are answered on the terminal, and nothing
  // starts: no host, no window, no file, no font check.
  {
    rizarode::LinuxProgramInfo info(argc, argv);
    if (auto answer = rizarode::TerminalAnswer(info)) {
      std::fputs(answer->c_str(), stdout);
      return std::fflush(stdout) == 0 ? 0 : static_cast<int>(rizarode::ExitCode::kUnexpected);
    }
  }
  // Numbers written to files for the user (the driver file) use the user's
  // decimal separator, as the host application expects.
  std::setlocale(LC_NUMERIC, "");
  rizarode::LinuxPlatform machine(argc, argv);
  rizarode::PagePrinter printer(machine.Pages(), rizarode::kProductName);
  const int code = rizarode::RunProgram(machine.Parts(), printer);
  // The host runs in a process group of its own, which the end of a
  // terminal session does not reach: the session's end is passed on, as
  // the session would have ended the host itself.
  if (code == static_cast<int>(rizarode::ExitCode::kSessionEnded)) machine.HangUpHost();
  return code;
}
