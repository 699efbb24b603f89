#pragma once

#include "platform/platform.h"
#include "printer/printer.h"

namespace rizarode {

// Runs the whole program on a platform and a printer: start-up, then the timer's ticks
// until the program ends. Returns the exit code. A failure that no step
// foresaw ends the program with a message, never silently.
int RunProgram(Platform& platform, Printer& printer);

}  // namespace rizarode
