#pragma once
// The command line: the help box and the debug flags.

#include <cstdint>
#include <string>

namespace rizarode {

class Program;

inline constexpr char kHelpTitle[] = "Command line options";

std::string HelpText();

// The whole argument text is "/?".
bool IsHelpRequest(const std::string& argumentText);

// Shows the help box and ends the program.
[[noreturn]] void ShowHelpAndEnd(Program& program);

// Reads the number after the first "/WDEBUG=" of the upper-case argument
// text; 0 without the option. A value that does not fit the signed 16-bit
// word is not wrapped: a message box names it and the program ends.
int16_t ReadDebugFlags(Program& program, const std::string& argumentText);

}  // namespace rizarode
