#pragma once
// A DOS path, as a PIF names its program and start directory, found in the
// host's directory. The PIF was written for the machine it came from, where
// the program lay in some directory of drive C: ("C:\VELDRAK\VELDRAK.EXE");
// here that directory is drive C: itself, so a path means the file that its
// last components name there.

#include <optional>
#include <string>

namespace rizarode {

enum class DosPathKind { kFile, kDirectory };

// The DOS path on drive C: (the host's directory) of what dosPath names:
// its drive and leading directories are left off one by one until the rest
// names a file (or directory) there, matched without regard to case. A
// relative path is first looked for in the directory currentDirectory (a
// path this function gave) names. Nothing when no rest names one; for a
// directory, the rest that names none is "C:\" itself.
std::optional<std::string> FindDosPath(const std::string& hostDirectory, const std::string& dosPath,
                                       DosPathKind kind, const std::string& currentDirectory = {});

}  // namespace rizarode
