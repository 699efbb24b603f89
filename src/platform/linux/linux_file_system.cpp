#include "platform/linux/linux_file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace rizarode {
namespace {

class PosixFileHandle : public FileHandle {
 public:
  explicit PosixFileHandle(int fd) : fd_(fd) {}
  ~PosixFileHandle() override { Close(); }

  long Read(char* buffer, std::size_t size) override {
    ssize_t n = ::read(fd_, buffer, size);
    return n < 0 ? -1 : static_cast<long>(n);
  }
  bool Write(const char* data, std::size_t size) override {
    while (size > 0) {
      ssize_t n = ::write(fd_, data, size);
      if (n < 0) {
        if (errno == EINTR) continue;
        return false;
      }
      data += n;
      size -= static_cast<std::size_t>(n);
    }
    return true;
  }
  int64_t Length() override {
    struct stat st {};
    return ::fstat(fd_, &st) == 0 ? st.st_size : -1;
  }
  int64_t Position() override { return ::lseek(fd_, 0, SEEK_CUR); }
  bool Seek(int64_t offset) override { return ::lseek(fd_, offset, SEEK_SET) >= 0; }
  bool Close() override {
    if (fd_ < 0) return true;
    int rc = ::close(fd_);
    fd_ = -1;
    return rc == 0;
  }

 private:
  int fd_;
};

bool IsHiddenName(const std::string& path) {
  std::size_t slash = path.find_last_of('/');
  std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
  return !base.empty() && base[0] == '.';
}

}  // namespace

std::unique_ptr<FileHandle> LinuxFileSystem::Open(const std::string& path,
                                                  const OpenRequest& request) {
  int flags = O_CLOEXEC;
  if (request.read && request.write) flags |= O_RDWR;
  else if (request.write) flags |= O_WRONLY;
  else flags |= O_RDONLY;
  if (request.create) flags |= O_CREAT;
  if (request.truncate) flags |= O_TRUNC;
  if (request.write || request.create) flags |= O_NOFOLLOW;
  int fd = ::open(path.c_str(), flags, 0666);
  if (fd < 0) return nullptr;
  return std::make_unique<PosixFileHandle>(fd);
}

bool LinuxFileSystem::FileExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && !IsHiddenName(path);
}

bool LinuxFileSystem::IsSymbolicLink(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

std::optional<std::string> LinuxFileSystem::FindNoCase(const std::string& dir,
                                                       const std::string& name,
                                                       bool wantDirectory) {
  std::string base = dir.empty() ? "." : dir;
  std::string prefix = dir.empty() ? "" : (dir.back() == '/' ? dir : dir + "/");
  auto matches = [&](const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return false;
    return wantDirectory ? S_ISDIR(st.st_mode) : S_ISREG(st.st_mode);
  };
  if (matches(prefix + name)) return prefix + name;
  DIR* d = ::opendir(base.c_str());
  if (!d) return std::nullopt;
  std::optional<std::string> found;
  while (dirent* entry = ::readdir(d)) {
    if (::strcasecmp(entry->d_name, name.c_str()) == 0 &&
        matches(prefix + entry->d_name)) {
      found = prefix + entry->d_name;
      break;
    }
  }
  ::closedir(d);
  return found;
}

bool LinuxFileSystem::DeleteFile(const std::string& path) {
  return ::unlink(path.c_str()) == 0;
}

bool LinuxFileSystem::CopyFile(const std::string& from, const std::string& to,
                               std::string& error) {
  int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) {
    error = from + ": " + std::strerror(errno);
    return false;
  }
  int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644);
  if (out < 0) {
    error = to + ": " + std::strerror(errno);
    ::close(in);
    return false;
  }
  char buffer[65536];
  bool ok = true;
  for (;;) {
    ssize_t n = ::read(in, buffer, sizeof buffer);
    if (n == 0) break;
    if (n < 0 || ::write(out, buffer, static_cast<std::size_t>(n)) != n) {
      error = to + ": " + std::strerror(errno);
      ok = false;
      break;
    }
  }
  ::close(in);
  if (::close(out) != 0 && ok) {
    error = to + ": " + std::strerror(errno);
    ok = false;
  }
  if (!ok) ::unlink(to.c_str());
  return ok;
}

std::string LinuxFileSystem::CurrentDirectory() {
  char buffer[4096];
  return ::getcwd(buffer, sizeof buffer) ? std::string(buffer) : std::string();
}

bool LinuxFileSystem::SetCurrentDirectory(const std::string& path) {
  return ::chdir(path.c_str()) == 0;
}

std::optional<std::string> LinuxFileSystem::GetEnv(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  if (!value) return std::nullopt;
  return std::string(value);
}

}  // namespace rizarode
