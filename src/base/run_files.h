#pragma once
// The names of the files a run makes for itself in the work directory,
// beside its print files ("VK" + six hexadecimal digits + ".TMP"): its
// lock, the DOS emulator's configuration and log, and a driver file not yet
// put in place. Each carries the run's digits, so that what a run left
// behind can be told from the name alone.

#include <string>

namespace rizarode {

inline constexpr char kRunLockExtension[] = ".RUN";

// The lock file of the run whose print file stem (the path without its
// extension) is given.
std::string RunLockPath(const std::string& stemPath);

// The six hexadecimal digits (upper case) that name a run, after the "VK"
// of its print files' stem.
bool IsRunDigits(const std::string& text);

// The DOS emulator's configuration, log and messages: "RZ" + the run's
// digits + one of these extensions.
inline constexpr const char* kEmulatorFileExtensions[] = {".CNF", ".LOG", ".LNG"};
std::string EmulatorFileName(const std::string& runDigits, const char* extension);

// A driver file not yet put in place: the driver file's name + "." + the
// stem.
std::string DriverFileInTheMaking(const std::string& driverPath, const std::string& stem);

}  // namespace rizarode
