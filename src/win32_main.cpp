// rizarode.exe: the program on the Win32 platform.

#include <clocale>
#include <string>

#include "platform/detached_box.h"
#include "platform/win32/win32_detached_box.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_program_info.h"
#include "printer/page_printer.h"
#include "program/module_state.h"
#include "startup/command_line.h"
#include "startup/run.h"

int main() {
  // A start made only to show a message box that the program's run could
  // not wait for.
  if (auto box = rizarode::TakeDetachedBoxRequest()) return rizarode::RunDetachedBox(*box);
  {
    rizarode::Win32ProgramInfo info;
    if (info.ArgumentText() == "--version") {
      rizarode::ShowOnConsole(rizarode::VersionText(info), info.ExecutableName());
      return 0;
    }
  }
  // Numbers written to files for the user (the driver file) use the user's
  // decimal separator, as the host application expects.
  std::setlocale(LC_NUMERIC, "");
  rizarode::Win32Platform machine;
  rizarode::PagePrinter printer(machine.Pages(), rizarode::kProductName);
  return rizarode::RunProgram(machine.Parts(), printer);
}
