#pragma once
// The command line: the help box and the debug flags.

#include <cstdint>
#include <optional>
#include <string>

namespace rizarode {

class Program;
class ProgramInfo;

inline constexpr char kHelpTitle[] = "Command line options";

// The whole argument text is "/?".
bool IsHelpRequest(const std::string& argumentText);

// Shows the help box and ends the program.
[[noreturn]] void ShowHelpAndEnd(Program& program);

// A terminal user's first two tries, answered before anything starts: for
// the whole argument text "--help" the usage, for "--version" the version,
// as text for standard output; nothing for any other argument text.
std::optional<std::string> TerminalAnswer(ProgramInfo& info);

// The version line, who holds the copyright and under which licence (the
// version resource on Windows says the same).
inline constexpr char kCopyrightLine[] = "Copyright (c) 2026 RIZARODE developers";
std::string VersionText(ProgramInfo& info);

// Reads the number after the first "/WDEBUG=" of the upper-case argument
// text; 0 without the option. A value that does not fit the signed 16-bit
// word is not wrapped: a message box names it and the program ends.
int16_t ReadDebugFlags(Program& program, const std::string& argumentText);

}  // namespace rizarode
