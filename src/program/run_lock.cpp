#include "program/run_lock.h"

#include "program/module_state.h"

namespace rizarode {

std::unique_ptr<FileHandle> TakeRunLock(FileSystem& files, const std::string& lockPath) {
  OpenRequest request;
  request.read = true;
  request.write = true;
  request.create = true;
  request.lock = ShareLock::kDenyReadWrite;
  return files.Open(lockPath, request);
}

void ReleaseRunLock(FileSystem& files, std::unique_ptr<FileHandle>& lock,
                    const std::string& lockPath) {
  if (!lock) return;
  // Removed while still held where the system allows it, so that nobody
  // can take the name between the two steps; elsewhere (an open file that
  // may not be deleted) after.
  bool removed = files.DeleteFile(lockPath);
  lock->Close();
  lock.reset();
  if (!removed) files.DeleteFile(lockPath);
}

std::string RunFileStem(const std::string& name) {
  const std::string driver = DriverFileInTheMaking(kDriverFileName, "");
  if (name.size() == driver.size() + 8 && name.compare(0, driver.size(), driver) == 0 &&
      name.compare(driver.size(), 2, "VK") == 0 && IsRunDigits(name.substr(driver.size() + 2))) {
    return name.substr(driver.size());
  }
  if (name.size() != 12) return {};
  const std::string digits = name.substr(2, 6);
  if (!IsRunDigits(digits)) return {};
  for (const char* extension : kEmulatorFileExtensions) {
    if (name == EmulatorFileName(digits, extension)) return "VK" + digits;
  }
  return {};
}

void RemoveRunFiles(FileSystem& files, const std::string& workDirectory, const std::string& stem) {
  const std::string digits = stem.substr(2);
  for (const char* extension : kEmulatorFileExtensions) {
    files.DeleteFile(workDirectory + EmulatorFileName(digits, extension));
  }
  files.DeleteFile(DriverFileInTheMaking(workDirectory + kDriverFileName, stem));
}

}  // namespace rizarode
