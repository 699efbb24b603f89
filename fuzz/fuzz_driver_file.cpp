// The up-to-date test of an existing driver file on any bytes: the file read
// through the program's file table, every line number and count read back.

#include <cstddef>
#include <cstdint>
#include <memory>

#include "driver/up_to_date.h"
#include "fuzz_input_file.h"
#include "support/test_platform.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  static rizarode::fuzzing::InputFile input("RIZARODE.TMP");
  static rizarode::testing::TestPlatform t;
  static std::unique_ptr<rizarode::Program> program = t.NewProgram();
  t.printer.calls.clear();
  t.log.events.clear();
  rizarode::DriverFileSummary summary =
      rizarode::ReadDriverFileSummary(*program, input.Holding(data, size));
  // Counts are of lines, and a line is counted once.
  if (summary.forms < 0 || summary.fonts < 0) __builtin_trap();
  return 0;
}
