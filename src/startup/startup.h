#pragma once
// The program's entry point: the start-up steps in their fixed order.

#include <cstdint>
#include <string>

namespace rizarode {

class Program;

// Runs start-up once. Returns with the status window's timer switched on;
// from then on the program lives in the timer's ticks. Ends the program
// (ProgramEnded) on every failure it detects.
void RunStartup(Program& program);

// "VK" + the last 6 upper-case hexadecimal digits of n + ".TMP".
std::string PrintFileName(uint32_t n);

// This run's print file name from the random generator, seeded from the
// clock.
std::string NewPrintFileName(Program& program);

}  // namespace rizarode
