#include "startup/command_line.h"

#include <cmath>
#include <cstdio>

#include "program/numbers.h"
#include "program/program.h"

namespace rizarode {
namespace {

constexpr char kDebugOption[] = "/WDEBUG=";

std::string FormatNumber(double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.15g", value);
  return buffer;
}

}  // namespace

std::string HelpText() {
  return "SYNTAX: RIZARODE.EXE /WDEBUG=x\r\r"
         "  x=1  Show debug info.\r"
         "  x=2  Use only A4 paper size.\r"
         "  x=4  Check also custom forms.\r"
         "  x=8  Put output in one print job.\r"
         "  x=16 Use Courier New font.\r\r";
}

bool IsHelpRequest(const std::string& argumentText) { return argumentText == "/?"; }

void ShowHelpAndEnd(Program& program) {
  program.platform.desktop.MessageBox(HelpText(), kMbOk + kMbIconInformation,
                                      kHelpTitle);
  EndProgram(ExitCode::kNormal);
}

int16_t ReadDebugFlags(Program& program, const std::string& argumentText) {
  std::size_t at = argumentText.find(kDebugOption);
  if (at == std::string::npos) return 0;
  double value = Val(std::string_view(argumentText).substr(at + 8));
  std::optional<int16_t> flags = ToInt16(value);
  if (flags) return *flags;
  std::string shown = std::isfinite(value) ? FormatNumber(RoundHalfEven(value))
                                           : std::string("too large");
  program.platform.desktop.MessageBox(
      "The value " + shown + " of /WDEBUG= cannot be used.\r"
      "The allowed range is -32768 to 32767.",
      kMbOk + kMbIconCritical, program.platform.info.ExecutableName());
  EndProgram(ExitCode::kBadCommandLine);
}

}  // namespace rizarode
