#include "platform/linux/open_file_scan.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

namespace rizarode {
namespace {

bool IsNumber(const char* name) {
  if (!*name) return false;
  for (; *name; ++name) {
    if (*name < '0' || *name > '9') return false;
  }
  return true;
}

// The access mode from the "flags:" line of a descriptor's fdinfo; -1 when
// the descriptor is gone or the line cannot be read.
int AccessModeOf(const std::string& fdinfoPath) {
  std::ifstream in(fdinfoPath);
  std::string key;
  std::string value;
  while (in >> key >> value) {
    if (key == "flags:") {
      return static_cast<int>(std::strtol(value.c_str(), nullptr, 8) & O_ACCMODE);
    }
  }
  return -1;
}

bool Wanted(int accessMode, OpenersWanted wanted) {
  if (wanted == OpenersWanted::kAny) return accessMode >= 0;
  return accessMode == O_WRONLY || accessMode == O_RDWR;
}

bool ProcessHasDescriptor(const std::string& pid, dev_t device, ino_t inode,
                          OpenersWanted wanted, int ignoredFd) {
  std::string fdDir = "/proc/" + pid + "/fd";
  DIR* dir = ::opendir(fdDir.c_str());
  if (!dir) return false;  // gone, or not ours to inspect
  bool self = pid == std::to_string(::getpid());
  bool found = false;
  while (dirent* entry = ::readdir(dir)) {
    if (!IsNumber(entry->d_name)) continue;
    if (self && std::atoi(entry->d_name) == ignoredFd) continue;
    struct stat st {};
    if (::stat((fdDir + "/" + entry->d_name).c_str(), &st) != 0) continue;
    if (st.st_dev != device || st.st_ino != inode) continue;
    if (Wanted(AccessModeOf("/proc/" + pid + "/fdinfo/" + entry->d_name), wanted)) {
      found = true;
      break;
    }
  }
  ::closedir(dir);
  return found;
}

}  // namespace

bool FindOpenDescriptor(dev_t device, ino_t inode, OpenersWanted wanted,
                        int ignoredFd) {
  DIR* proc = ::opendir("/proc");
  if (!proc) return false;
  bool found = false;
  while (dirent* entry = ::readdir(proc)) {
    if (IsNumber(entry->d_name) &&
        ProcessHasDescriptor(entry->d_name, device, inode, wanted, ignoredFd)) {
      found = true;
      break;
    }
  }
  ::closedir(proc);
  return found;
}

}  // namespace rizarode
