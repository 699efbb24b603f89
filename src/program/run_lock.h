#pragma once
// Every run holds a lock, for as long as it lives, on a file of its own in
// the work directory: the print file's stem with ".RUN". The lock goes with
// the process however it ends (a kill included), so a print file whose
// run's lock can be taken belongs to a run that is over, and its jobs are
// anybody's to print. The host never opens this file.

#include <memory>
#include <string>

#include "base/run_files.h"
#include "platform/file_system.h"

namespace rizarode {

// Opens the lock file, made when missing, so that nobody else may open it;
// nullptr while another run (or another open) holds it.
std::unique_ptr<FileHandle> TakeRunLock(FileSystem& files, const std::string& lockPath);

// Removes the lock file and gives the lock up.
void ReleaseRunLock(FileSystem& files, std::unique_ptr<FileHandle>& lock,
                    const std::string& lockPath);

// The stem ("VK" + the run's digits) of the run that an emulator file or a
// driver file in the making belongs to, or empty when it is neither.
std::string RunFileStem(const std::string& name);

// Removes those files of the run with this stem, once the run is over: they
// stay after a kill, and after a failed start, whose message names the log.
void RemoveRunFiles(FileSystem& files, const std::string& workDirectory, const std::string& stem);

}  // namespace rizarode
