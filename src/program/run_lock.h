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

}  // namespace rizarode
