#pragma once
// The up-to-date test of an existing driver file: was it written by this
// version for this printer, and how many forms and pitches does it list.

#include <cstdint>
#include <string>

namespace rizarode {

class Program;

struct DriverFileSummary {
  // Line 01 names this version and the printer's device name, exactly.
  bool current = false;
  // Lines numbered 60 and 80.
  int16_t forms = 0;
  int16_t fonts = 0;
};

// Reads the driver file at path. A file that is missing, cannot be opened or
// read to its end, or holds a line number or count beyond 16 bits, is not
// current.
DriverFileSummary ReadDriverFileSummary(Program& program, const std::string& path);

}  // namespace rizarode
