// The print-file interpreter on any bytes, as the polling cycle runs it: the
// file read through the program's file table, every tag acted on by a
// printer that records its calls.

#include <cstddef>
#include <cstdint>
#include <memory>

#include "fuzz_input_file.h"
#include "printer/printer.h"
#include "printing/render_print_file.h"
#include "support/test_platform.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  static rizarode::fuzzing::InputFile input("VK000000.TMP");
  // One program for all inputs: the printer keeps its settings from one print
  // file to the next, as it does in a run.
  static rizarode::testing::TestPlatform t;
  static std::unique_ptr<rizarode::Program> program = [] {
    auto made = t.NewProgram();
    made->state.fontFaceName = "RUZeruzaz Ori";
    return made;
  }();
  t.printer.calls.clear();
  t.log.events.clear();
  try {
    rizarode::RenderPrintFile(*program, input.Holding(data, size));
  } catch (const rizarode::PrinterError&) {
    // The polling cycle's to handle; this printer fails only on request.
  }
  return 0;
}
