// rizarode: picks the platform and runs the program on it.

#include <clocale>
#include <exception>

#include "platform/linux/linux_platform.h"
#include "startup/run.h"

int main(int argc, char** argv) {
  // Numbers written to files for the user (the driver file) use the user's
  // decimal separator, as the host application expects.
  std::setlocale(LC_NUMERIC, "");
  rizarode::LinuxPlatform machine(argc, argv);
  return rizarode::RunProgram(machine.Get());
}
