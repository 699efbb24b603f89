#include "platform/linux/linux_file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "platform/linux/share_locks.h"

namespace rizarode {
namespace {

class UniqueFd {
 public:
  explicit UniqueFd(int fd = -1) : fd_(fd) {}
  ~UniqueFd() { Reset(); }
  UniqueFd(UniqueFd&& other) noexcept : fd_(other.Release()) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept {
    if (this != &other) {
      Reset();
      fd_ = other.Release();
    }
    return *this;
  }
  int get() const { return fd_; }
  explicit operator bool() const { return fd_ >= 0; }
  int Release() { return std::exchange(fd_, -1); }
  void Reset() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

 private:
  int fd_;
};

// An open file, and the descriptor that holds its sharing claim (the same
// descriptor for a read-only open).
class PosixFileHandle : public FileHandle {
 public:
  PosixFileHandle(UniqueFd fd, UniqueFd guard)
      : fd_(std::move(fd)), guard_(std::move(guard)) {}
  ~PosixFileHandle() override { Close(); }

  long Read(char* buffer, std::size_t size) override {
    for (;;) {
      ssize_t n = ::read(fd_.get(), buffer, size);
      if (n >= 0) return static_cast<long>(n);
      if (errno != EINTR) return -1;
    }
  }
  bool Write(const char* data, std::size_t size) override {
    return WriteAll(fd_.get(), data, size);
  }
  int64_t Length() override {
    struct stat st {};
    return ::fstat(fd_.get(), &st) == 0 ? st.st_size : -1;
  }
  int64_t Position() override { return ::lseek(fd_.get(), 0, SEEK_CUR); }
  bool Seek(int64_t offset) override {
    return offset >= 0 && ::lseek(fd_.get(), offset, SEEK_SET) >= 0;
  }
  std::intptr_t SystemHandle() const override { return fd_.get(); }
  bool Close() override {
    if (!fd_) return true;
    int rc = ::close(fd_.Release());
    guard_.Reset();
    return rc == 0;
  }

 private:
  UniqueFd fd_;
  UniqueFd guard_;
};

ShareClaim ClaimFor(const OpenRequest& request) {
  ShareClaim claim;
  claim.read = request.read;
  claim.write = request.write;
  claim.denyRead = request.lock == ShareLock::kDenyRead ||
                   request.lock == ShareLock::kDenyReadWrite;
  claim.denyWrite = request.lock == ShareLock::kDenyWrite ||
                    request.lock == ShareLock::kDenyReadWrite;
  return claim;
}

bool ClearNonBlocking(int fd) {
  int flags = ::fcntl(fd, F_GETFL);
  return flags >= 0 && ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0;
}

bool SameFile(int fd, const struct stat& file) {
  struct stat st {};
  return ::fstat(fd, &st) == 0 && st.st_dev == file.st_dev && st.st_ino == file.st_ino;
}

// Opens the guard's file again for writing. Going through /proc/self/fd
// reaches the very inode the guard holds, so nothing planted at the path in
// the meantime (a link, a FIFO, another file) is ever opened for writing.
UniqueFd ReopenForWriting(const UniqueFd& guard, const std::string& path,
                          bool read, const struct stat& file) {
  int access = read ? O_RDWR : O_WRONLY;
  std::string self = "/proc/self/fd/" + std::to_string(guard.get());
  UniqueFd fd(::open(self.c_str(), access | O_CLOEXEC | O_NOCTTY));
  if (fd || errno != ENOENT) return fd;
  // No /proc: by the path again, never through a link, never blocking on
  // something that is not a regular file, and only if it is still the file.
  fd = UniqueFd(::open(path.c_str(), access | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW | O_NONBLOCK));
  if (!fd || !SameFile(fd.get(), file) || !ClearNonBlocking(fd.get())) return UniqueFd();
  return fd;
}

std::string BaseName(const std::string& path) {
  std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Hidden files are the ones that directory listings leave out by
// convention: names that begin with a dot.
bool IsHiddenName(const std::string& path) {
  std::string base = BaseName(path);
  return !base.empty() && base[0] == '.';
}

// Case folding of ASCII letters only: the names sought come from a DOS
// world, and the C library's folding would depend on the locale.
bool EqualNoCase(const char* a, const std::string& b) {
  std::size_t i = 0;
  for (; a[i] && i < b.size(); ++i) {
    auto fold = [](unsigned char c) { return c >= 'a' && c <= 'z' ? c - 32 : c; };
    if (fold(static_cast<unsigned char>(a[i])) != fold(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return !a[i] && i == b.size();
}

bool IsKind(const std::string& path, bool directory) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return false;
  return directory ? S_ISDIR(st.st_mode) : S_ISREG(st.st_mode);
}

std::string Why(const std::string& path, int error) {
  return path + ": " + std::strerror(error);
}

// A new file beside path, under a hidden name of this process's own, for a
// copy that is not yet whole: directory listings and fontconfig pass over
// hidden names.
UniqueFd CreateBeside(const std::string& path, std::string& partial) {
  const std::size_t slash = path.find_last_of('/');
  const std::string dir = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  const std::string stem = dir + "." + BaseName(path) + "." + std::to_string(::getpid()) + "-";
  // A name that a killed run of the same process id left is passed over.
  for (int attempt = 0; attempt < 100; ++attempt) {
    partial = stem + std::to_string(attempt);
    UniqueFd fd(::open(partial.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644));
    if (fd || errno != EEXIST) return fd;
  }
  return UniqueFd();
}

// The whole of in into out; the reason, naming the file, when not.
bool CopyContents(int in, const std::string& from, int out, const std::string& to,
                  std::string& error) {
  char buffer[65536];
  for (;;) {
    ssize_t n = ::read(in, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n == 0) return true;
    if (n < 0) {
      error = Why(from, errno);
      return false;
    }
    if (!WriteAll(out, buffer, static_cast<std::size_t>(n))) {
      error = Why(to, errno);
      return false;
    }
  }
}

}  // namespace

bool WriteAll(int fd, const void* data, std::size_t size) {
  const char* next = static_cast<const char*>(data);
  while (size > 0) {
    ssize_t n = ::write(fd, next, size);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    // Nothing taken, yet no error: the device is full.
    if (n == 0) {
      errno = ENOSPC;
      return false;
    }
    next += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

std::unique_ptr<FileHandle> LinuxFileSystem::Open(const std::string& path,
                                                  const OpenRequest& request) {
  errno = 0;
  std::unique_ptr<FileHandle> file = OpenFile(path, request);
  if (!file) lastFailure_ = errno != 0 ? std::strerror(errno) : "in use by another program";
  return file;
}

std::unique_ptr<FileHandle> LinuxFileSystem::OpenFile(const std::string& path,
                                                      const OpenRequest& request) {
  // The sharing claim lives on a read-only descriptor opened first: the
  // kernel's read lease (no writers anywhere) can only be asked before this
  // open itself writes. O_NONBLOCK keeps a FIFO planted at the name from
  // blocking the program.
  bool mayChange = request.write || request.create;
  int flags = O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
  if (request.create) flags |= O_CREAT;
  if (mayChange) flags |= O_NOFOLLOW;
  UniqueFd guard(::open(path.c_str(), flags, 0666));
  if (!guard) return nullptr;
  struct stat file {};
  if (::fstat(guard.get(), &file) != 0) return nullptr;
  if (!S_ISREG(file.st_mode)) {
    errno = S_ISDIR(file.st_mode) ? EISDIR : EINVAL;
    return nullptr;
  }
  if (!ClaimShare(guard.get(), ClaimFor(request))) {
    errno = 0;
    return nullptr;
  }

  if (!request.write) {
    if (!ClearNonBlocking(guard.get())) return nullptr;
    return std::make_unique<PosixFileHandle>(std::move(guard), UniqueFd());
  }
  UniqueFd fd = ReopenForWriting(guard, path, request.read, file);
  if (!fd) return nullptr;
  // Emptied only now that the sharing claim has been granted.
  if (request.truncate && ::ftruncate(fd.get(), 0) != 0) return nullptr;
  return std::make_unique<PosixFileHandle>(std::move(fd), std::move(guard));
}

bool LinuxFileSystem::FileExists(const std::string& path) {
  return !IsHiddenName(path) && IsKind(path, false);
}

bool LinuxFileSystem::IsSymbolicLink(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

std::optional<std::string> LinuxFileSystem::FindNoCase(const std::string& dir,
                                                       const std::string& name,
                                                       bool wantDirectory) {
  if (name.empty()) return std::nullopt;
  std::string prefix = dir.empty() || dir.back() == '/' ? dir : dir + "/";
  if (IsKind(prefix + name, wantDirectory)) return prefix + name;
  DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
  if (!d) return std::nullopt;
  // Of several names that differ only in case, the first in byte order wins,
  // so that the same directory always gives the same answer.
  std::optional<std::string> found;
  while (dirent* entry = ::readdir(d)) {
    if (!EqualNoCase(entry->d_name, name)) continue;
    if (found && BaseName(*found) <= entry->d_name) continue;
    if (IsKind(prefix + entry->d_name, wantDirectory)) found = prefix + entry->d_name;
  }
  ::closedir(d);
  return found;
}

std::vector<DirectoryEntry> LinuxFileSystem::ListDirectory(const std::string& dir) {
  std::vector<DirectoryEntry> entries;
  DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
  if (!d) return entries;
  std::string prefix = dir.empty() || dir.back() == '/' ? dir : dir + "/";
  while (dirent* entry = ::readdir(d)) {
    if (entry->d_name[0] == '.') continue;
    struct stat st {};
    if (::lstat((prefix + entry->d_name).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
    entries.push_back({entry->d_name, int64_t{st.st_mtim.tv_sec} * 1000000000 + st.st_mtim.tv_nsec});
  }
  ::closedir(d);
  return entries;
}

bool LinuxFileSystem::DeleteFile(const std::string& path) {
  return ::unlink(path.c_str()) == 0;
}

bool LinuxFileSystem::RenameFile(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  // A file system that cannot refuse to replace: a second link is refused
  // where the name is taken, and the old name then goes.
  if (::link(from.c_str(), to.c_str()) != 0) return false;
  if (::unlink(from.c_str()) == 0) return true;
  ::unlink(to.c_str());
  return false;
}

bool LinuxFileSystem::ReplaceFile(const std::string& from, const std::string& to) {
  if (::rename(from.c_str(), to.c_str()) == 0) return true;
  lastFailure_ = std::strerror(errno);
  return false;
}

bool LinuxFileSystem::CopyFile(const std::string& from, const std::string& to,
                               std::string& error) {
  UniqueFd in(::open(from.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (!in) {
    error = Why(from, errno);
    return false;
  }
  struct stat source {};
  if (::fstat(in.get(), &source) != 0 || !S_ISREG(source.st_mode)) {
    error = from + ": not a regular file";
    return false;
  }
  std::string partial;
  UniqueFd out = CreateBeside(to, partial);
  if (!out) {
    error = Why(to, errno);
    return false;
  }
  bool whole = CopyContents(in.get(), from, out.get(), to, error);
  // Written through before it is named: after a crash the name must not
  // stand for an empty file. Some file systems have nothing to sync.
  if (whole && ((::fsync(out.get()) != 0 && errno != EINVAL) || ::close(out.Release()) != 0)) {
    error = Why(to, errno);
    whole = false;
  }
  // Put in place only whole, and never over anything at the target, a
  // link included: a file there may be in use (or another run's copy), and a
  // link may point anywhere.
  if (whole && !RenameFile(partial, to)) {
    error = Why(to, errno);
    whole = false;
  }
  if (!whole) ::unlink(partial.c_str());
  return whole;
}

std::string LinuxFileSystem::CurrentDirectory() {
  char* cwd = ::getcwd(nullptr, 0);
  if (!cwd) return std::string();
  std::string result(cwd);
  std::free(cwd);
  return result;
}

bool LinuxFileSystem::SetCurrentDirectory(const std::string& path) {
  return !path.empty() && ::chdir(path.c_str()) == 0;
}

std::optional<std::string> LinuxFileSystem::GetEnv(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  if (!value) return std::nullopt;
  return std::string(value);
}

char LinuxFileSystem::Separator() const { return '/'; }

// The user's own runtime directory comes before the directories that every
// user shares: there one user's driver file would stand in another's way,
// and print files would lie open to view. It ends with the session, so it
// is taken only when no lasting directory can be had (OutlivesSession).
std::vector<std::string> LinuxFileSystem::TemporaryDirectories() {
  return {GetEnv("TMPDIR").value_or(""), GetEnv("XDG_RUNTIME_DIR").value_or(""), "/var/tmp",
          "/tmp"};
}

std::string LinuxFileSystem::RootDirectory() const { return "/"; }

namespace {

// The directory at path, made 0700 when missing, as long as it is a
// directory (not a link) of this user's; closed to others when it is not.
bool UsersOwnDirectory(const std::string& path) {
  if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return false;
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  struct stat st {};
  if (!fd || ::fstat(fd.get(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid()) {
    return false;
  }
  // The user's own, yet opened up: closed again, as a directory of this
  // program's naming holds nothing meant for others.
  return (st.st_mode & 077) == 0 || ::fchmod(fd.get(), 0700) == 0;
}

}  // namespace

// Made 0700 and checked through a descriptor opened without following a
// link, so that nothing another user planted at the name (a link, a
// directory of theirs, one left open to others) is ever used.
std::string LinuxFileSystem::OwnDirectoryIn(const std::string& directory) {
  struct stat shared {};
  if (::stat(directory.c_str(), &shared) != 0 || !S_ISDIR(shared.st_mode)) return directory;
  if ((shared.st_mode & (S_ISVTX | S_IWOTH)) == 0) return directory;
  // Without the sticky bit anybody may rename the user's directory away
  // and leave a link to theirs at its name, after it was checked.
  if ((shared.st_mode & S_ISVTX) == 0) return {};
  std::string own = directory;
  if (own.empty() || own.back() != '/') own += '/';
  own += "rz-" + std::to_string(::geteuid());
  return UsersOwnDirectory(own) ? own : std::string();
}

// $XDG_CACHE_HOME, by default ~/.cache/, made when missing; empty when
// neither names an absolute path.
std::string LinuxFileSystem::CacheHome() {
  std::string cache = GetEnv("XDG_CACHE_HOME").value_or("");
  if (cache.empty() || cache.front() != '/') {
    const std::string home = GetEnv("HOME").value_or("");
    if (home.empty() || home.front() != '/') return {};
    cache = home + (home.back() == '/' ? "" : "/") + ".cache";
  }
  if (cache.back() != '/') cache += '/';
  // The cache directory itself is the user's, as the base directories are.
  if (::mkdir(cache.c_str(), 0700) != 0 && errno != EEXIST) return {};
  return cache;
}

std::string LinuxFileSystem::PrivateDirectory() {
  const std::string cache = CacheHome();
  if (cache.empty()) return {};
  const std::string own = cache + "rizarode/";
  return UsersOwnDirectory(own) ? own : std::string();
}

// Beside the private directory, not in it: that may be the work directory,
// where the host would see the locks.
std::string LinuxFileSystem::InstanceDirectory() {
  const std::string cache = CacheHome();
  if (cache.empty()) return {};
  const std::string own = cache + "rizarode-hosts/";
  return UsersOwnDirectory(own) ? own : std::string();
}

namespace {

// The path with every link resolved; empty when it cannot be.
std::string Resolved(const std::string& path) {
  char* real = ::realpath(path.c_str(), nullptr);
  if (!real) return {};
  std::string result(real);
  std::free(real);
  return result;
}

}  // namespace

// The runtime directory is removed at the session's end whatever it is
// stored on, and a tmpfs (as /tmp is on many systems) or a ramfs at every
// reboot.
bool LinuxFileSystem::OutlivesSession(const std::string& directory) {
  const std::string runtime = Resolved(GetEnv("XDG_RUNTIME_DIR").value_or(""));
  const std::string here = Resolved(directory);
  if (runtime.size() > 1 && here.compare(0, runtime.size(), runtime) == 0 &&
      (here.size() == runtime.size() || here[runtime.size()] == '/')) {
    return false;
  }
  struct statfs fs {};
  if (::statfs(directory.c_str(), &fs) != 0) return true;
  return fs.f_type != static_cast<decltype(fs.f_type)>(TMPFS_MAGIC) &&
         fs.f_type != static_cast<decltype(fs.f_type)>(RAMFS_MAGIC);
}

std::string LinuxFileSystem::DirectoryIdentity(const std::string& path) {
  struct stat st {};
  if (path.empty() || ::stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return {};
  char text[40];
  std::snprintf(text, sizeof text, "%016llX%016llX", static_cast<unsigned long long>(st.st_dev),
                static_cast<unsigned long long>(st.st_ino));
  return text;
}

FileSystem::LockTaken LinuxFileSystem::TakeLock(const std::string& path,
                                                std::unique_ptr<FileHandle>& lock) {
  lock.reset();
  // Not through a link, and never blocking on something that is no file.
  UniqueFd fd(::open(path.c_str(),
                     O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0600));
  struct stat st {};
  if (!fd || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid() ||
      !ClearNonBlocking(fd.get())) {
    return LockTaken::kNoLock;
  }
  struct flock claim {};
  claim.l_type = F_WRLCK;
  claim.l_whence = SEEK_SET;
  claim.l_start = 0;
  claim.l_len = 1;
  if (::fcntl(fd.get(), F_OFD_SETLK, &claim) != 0) {
    return errno == EAGAIN || errno == EACCES ? LockTaken::kHeld : LockTaken::kNoLock;
  }
  // What an earlier holder wrote is no word of the new one's.
  if (::ftruncate(fd.get(), 0) != 0) return LockTaken::kNoLock;
  lock = std::make_unique<PosixFileHandle>(std::move(fd), UniqueFd());
  return LockTaken::kTaken;
}

}  // namespace rizarode
