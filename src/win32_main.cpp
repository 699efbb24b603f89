// rizarode.exe: the program on the Win32 platform.

#include <windows.h>

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

namespace {

// "--version" as the whole argument text: the version and the licence, into
// the file or pipe that standard output was sent to, else on the console of
// the command prompt it was typed at; a start from elsewhere (Explorer's Run
// box) shows them in a box. Nothing else starts.
bool AnswerVersion() {
  rizarode::Win32ProgramInfo info;
  if (info.ArgumentText() != "--version") return false;
  std::string text;
  for (char c : rizarode::VersionText(info)) {
    if (c == '\n') text += '\r';
    text += c;
  }
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  if ((out == nullptr || out == INVALID_HANDLE_VALUE) && AttachConsole(ATTACH_PARENT_PROCESS)) {
    out = CreateFileA("CONOUT$", GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                      nullptr);
  }
  DWORD written = 0;
  if (out != nullptr && out != INVALID_HANDLE_VALUE &&
      WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr)) {
    return true;
  }
  MessageBoxA(nullptr, text.c_str(), info.ExecutableName().c_str(), MB_OK | MB_ICONINFORMATION);
  return true;
}

}  // namespace

int main() {
  // A start made only to show a message box that the program's run could
  // not wait for.
  if (auto box = rizarode::TakeDetachedBoxRequest()) return rizarode::RunDetachedBox(*box);
  if (AnswerVersion()) return 0;
  // Numbers written to files for the user (the driver file) use the user's
  // decimal separator, as the host application expects.
  std::setlocale(LC_NUMERIC, "");
  rizarode::Win32Platform machine;
  rizarode::PagePrinter printer(machine.Pages(), rizarode::kProductName);
  return rizarode::RunProgram(machine.Get(printer));
}
