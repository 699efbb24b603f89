// rizarode.exe: the program on the Win32 platform.

#include <clocale>

#include "platform/win32/win32_platform.h"
#include "startup/run.h"

int main() {
  // Numbers written to files for the user (the driver file) use the user's
  // decimal separator, as the host application expects.
  std::setlocale(LC_NUMERIC, "");
  rizarode::Win32Platform machine;
  return rizarode::RunProgram(machine.Get());
}
