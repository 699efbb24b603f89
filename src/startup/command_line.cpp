#include "startup/command_line.h"

#include <cmath>
#include <cstdio>

#include "program/numbers.h"
#include "program/program.h"

namespace rizarode {
namespace {

constexpr char kDebugOption[] = "/WDEBUG=";

// The debug flags' lines, as the help box and the usage list them.
constexpr const char* kDebugFlagLines[] = {
    "  x=1  Show debug info.",          "  x=2  Use only A4 paper size.",
    "  x=4  Check also custom forms.",  "  x=8  Put output in one print job.",
    "  x=16 Use Courier New font.",
};

std::string DebugFlagLines(const std::string& indent, const char* lineEnd) {
  std::string lines;
  for (const char* line : kDebugFlagLines) lines += indent + line + lineEnd;
  return lines;
}

std::string FormatNumber(double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.15g", value);
  return buffer;
}

std::string HelpText() {
  return "SYNTAX: RIZARODE.EXE /WDEBUG=x\r\r" + DebugFlagLines("", "\r") + "\r";
}

std::string UsageText() {
  return "Usage: rizarode [/?] [/WDEBUG=x] [/TEMP=dir | /TEMP:dir]\n"
         "       rizarode --help | --version\n"
         "\n"
         "Print utility for the DOS genealogy program VELDRAK. Start it in VELDRAK's\n"
         "directory (the one that holds VELDRAK.EXE or VELDRAK.PIF): it describes the\n"
         "default printer to VELDRAK in a driver file, starts VELDRAK, prints every\n"
         "print file that VELDRAK finishes on the default printer (without one, as a\n"
         "PDF file in ~/PDF) and deletes it. It ends when VELDRAK's window closes.\n"
         "\n"
         "  /?          show the options in a message box\n"
         "  /WDEBUG=x   debug flags, added up:\n" +
         DebugFlagLines("            ", "\n") +
         "  /TEMP=dir   the work directory, for the driver file and the print files\n"
         "  /TEMP:dir   (without it: $TEMP or $TMP when set, else one of the user's\n"
         "              own, such as /run/user/<uid>/ or /var/tmp/rz-<uid>/)\n"
         "  --help      show this text\n"
         "  --version   show the version\n"
         "\n"
         "All other arguments are passed on to VELDRAK. More in the manual page:\n"
         "man rizarode\n";
}

}  // namespace

bool IsHelpRequest(const std::string& argumentText) { return argumentText == "/?"; }

std::optional<std::string> TerminalAnswer(ProgramInfo& info) {
  const std::string typed = info.ArgumentText();
  if (typed == "--help") return UsageText();
  if (typed != "--version") return std::nullopt;
  return VersionText(info);
}

std::string VersionText(ProgramInfo& info) {
  const FileVersion version = info.Version();
  return "rizarode " + Decimal(version.major) + "." + Decimal(version.minor) + "." +
         Decimal(version.revision) + "\n" + kCopyrightLine + "\n" +
         "MIT License: free to use, copy, change and pass on; no warranty.\n";
}

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
