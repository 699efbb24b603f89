#include "program/run_lock.h"

namespace rizarode {

std::string RunLockPath(const std::string& stemPath) { return stemPath + kRunLockExtension; }

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

}  // namespace rizarode
