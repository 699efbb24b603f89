// rizarode: picks the platform and runs the program on it.

#include <exception>

#include "platform/linux/linux_platform.h"
#include "startup/run.h"

int main(int argc, char** argv) {
  rizarode::LinuxPlatform machine(argc, argv);
  return rizarode::RunProgram(machine.Get());
}
