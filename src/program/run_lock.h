#pragma once
// Every run holds a lock, for as long as it lives, on a file of its own in
// the work directory: the print file's stem with ".RUN". The lock goes with
// the process however it ends (a kill included), so a print file whose
// run's lock can be taken belongs to a run that is over, and its jobs are
// anybody's to print. The host never opens this file.

#include <memory>
#include <string>

#include "platform/file_system.h"

namespace rizarode {

inline constexpr char kRunLockExtension[] = ".RUN";

// The lock file of the run whose print file stem (the path without its
// extension) is given.
std::string RunLockPath(const std::string& stemPath);

// Opens the lock file, made when missing, so that nobody else may open it;
// nullptr while another run (or another open) holds it.
std::unique_ptr<FileHandle> TakeRunLock(FileSystem& files, const std::string& lockPath);

// Removes the lock file and gives the lock up.
void ReleaseRunLock(FileSystem& files, std::unique_ptr<FileHandle>& lock,
                    const std::string& lockPath);

// The six hexadecimal digits (upper case) that name a run, after the "VK"
// of its print files' stem.
bool IsRunDigits(const std::string& text);

// The files a run makes for itself beside its print files: the DOS
// emulator's configuration, log and messages ("RZ" + the run's digits + one
// of these extensions) and a driver file not yet put in place (the driver file's
// name + "." + the stem).
inline constexpr const char* kEmulatorFileExtensions[] = {".CNF", ".LOG", ".LNG"};
std::string EmulatorFileName(const std::string& runDigits, const char* extension);
std::string DriverFileInTheMaking(const std::string& driverPath, const std::string& stem);

// The stem ("VK" + the run's digits) of the run that one of those names
// belongs to, or empty when it is none of them.
std::string RunFileStem(const std::string& name);

// Removes those files of the run with this stem, once the run is over: they
// stay after a kill, and after a failed start, whose message names the log.
void RemoveRunFiles(FileSystem& files, const std::string& workDirectory, const std::string& stem);

}  // namespace rizarode
