#pragma once
// What the demo host takes from the driver file: the tags that select a
// portrait and a landscape form and two font pitches.

#include <string>

namespace veldrak {

struct DriverChoice {
  std::string portraitForm = "#FORM-P009#";
  std::string landscapeForm = "#FORM-L009#";
  std::string bodyFont = "#FONT-1000#";   // 12 cpi where the printer has it
  std::string smallFont = "#FONT-0800#";  // 15 cpi where the printer has it
  bool fromDriverFile = false;
};

// Reads the driver file (numbered lines, CR LF). Prefers A4 and 12 and 15
// cpi; takes what the printer offers otherwise, and keeps the defaults above
// when the file is missing or lists nothing usable.
DriverChoice ReadDriverChoice(const std::string& driverFilePath);

}  // namespace veldrak
