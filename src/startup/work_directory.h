#pragma once
// The work directory, in which the program and the host application exchange
// the driver file and the print files.

#include <string>

namespace rizarode {

class Program;

inline constexpr char kProbeFileName[] = "VELDRAK.TMP";

// Sets the work directory from "/TEMP=" or "/TEMP:" in the upper-case
// argument text, or from the first usable candidate. Ends the program with
// the "Critical error" box when an option names an unusable directory.
void ResolveWorkDirectory(Program& program, const std::string& argumentText);

// True when a file can be created at path, or already exists there.
bool ProbeFilePath(Program& program, const std::string& path);

}  // namespace rizarode
