#include "platform/linux/file_registry_store.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <optional>
#include <utility>
#include <vector>

#include "platform/linux/linux_file_system.h"

namespace rizarode {
namespace {

constexpr char kDefaultRoot[] = "/var/lib/rizarode/registry";
// Far above anything a registry value holds; a larger file is not a value.
constexpr off_t kMaxValueFileSize = 16 << 20;
constexpr char kUnnamedValueFile[] = "@";
constexpr char kHexDigits[] = "0123456789ABCDEF";

int32_t StatusOf(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR:
    case ELOOP:
      return kRegFileNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
      return kRegAccessDenied;
    case ENAMETOOLONG:
      return kRegInvalidParameter;
    default:
      return kRegIoFailed;
  }
}

bool SameNoCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) {
      return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// The names of a key path, or nothing when a name could step outside the
// store (".", "..", a "/") or is empty. The empty path is the root itself.
std::optional<std::vector<std::string>> SplitKeyPath(const std::string& path) {
  std::vector<std::string> names;
  if (path.empty()) return names;
  std::size_t start = 0;
  for (;;) {
    std::size_t end = path.find('\\', start);
    std::string name = path.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (name.empty() || name == "." || name == ".." ||
        name.find_first_of(std::string("/\0", 2)) != std::string::npos) {
      return std::nullopt;
    }
    names.push_back(std::move(name));
    if (end == std::string::npos) return names;
    start = end + 1;
  }
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The value name a file stands for; nothing for files that are no value
// (hidden and temporary files, broken escapes).
std::optional<std::string> DecodeValueFileName(const std::string& file) {
  if (file == kUnnamedValueFile) return std::string();
  if (file.empty() || file[0] == '.') return std::nullopt;
  std::string name;
  for (std::size_t i = 0; i < file.size(); ++i) {
    if (file[i] != '%') {
      name += file[i];
      continue;
    }
    if (i + 2 >= file.size()) return std::nullopt;
    int high = HexValue(file[i + 1]);
    int low = HexValue(file[i + 2]);
    if (high < 0 || low < 0) return std::nullopt;
    name += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return name;
}

bool IsDirectoryAt(int dir, const std::string& name) {
  struct stat st {};
  return ::fstatat(dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
}

bool IsRegularFileAt(int dir, const std::string& name) {
  struct stat st {};
  return ::fstatat(dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode);
}

// The first entry of dir for which matches(entry name) holds.
template <typename Matches>
std::optional<std::string> FindEntry(int dir, Matches matches) {
  int listing = ::openat(dir, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (listing < 0) return std::nullopt;
  DIR* d = ::fdopendir(listing);
  if (d == nullptr) {
    ::close(listing);
    return std::nullopt;
  }
  std::optional<std::string> found;
  while (dirent* entry = ::readdir(d)) {
    if (matches(std::string(entry->d_name))) {
      found = entry->d_name;
      break;
    }
  }
  ::closedir(d);
  return found;
}

// The subkey directory of that name; the exact name wins over other cases.
// Links are not followed, so no key leads outside the store.
std::optional<std::string> FindSubkey(int dir, const std::string& name) {
  if (IsDirectoryAt(dir, name)) return name;
  return FindEntry(dir, [&](const std::string& entry) {
    return entry != "." && entry != ".." && SameNoCase(entry, name) && IsDirectoryAt(dir, entry);
  });
}

std::optional<std::string> FindValueFile(int dir, const std::string& valueName) {
  std::string exact = FileRegistryStore::ValueFileName(valueName);
  if (IsRegularFileAt(dir, exact)) return exact;
  return FindEntry(dir, [&](const std::string& entry) {
    std::optional<std::string> decoded = DecodeValueFileName(entry);
    return decoded && SameNoCase(*decoded, valueName) && IsRegularFileAt(dir, entry);
  });
}

// What the user must be allowed on the key's directory for the access asked.
bool MayAccess(int dir, uint32_t accessMask) {
  int need = X_OK;
  if (accessMask & (kKeySetValue | kKeyCreateSubKey | kKeyCreateLink)) need |= W_OK;
  if (accessMask & (kKeyQueryValue | kKeyEnumerateSubKeys | kKeyNotify)) need |= R_OK;
  return ::faccessat(dir, ".", need, AT_EACCESS) == 0;
}

bool ReadAll(int fd, std::string& content) {
  char buffer[8192];
  for (;;) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n == 0) return true;
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    content.append(buffer, static_cast<std::size_t>(n));
    if (content.size() > static_cast<std::size_t>(kMaxValueFileSize)) return false;
  }
}

// Splits a value file into its type and its bytes.
bool ParseValueFile(const std::string& content, uint32_t& type, std::string& bytes) {
  std::size_t newline = content.find('\n');
  if (newline == 0 || newline == std::string::npos || newline > 10) return false;
  uint64_t number = 0;
  for (std::size_t i = 0; i < newline; ++i) {
    if (content[i] < '0' || content[i] > '9') return false;
    number = number * 10 + static_cast<uint64_t>(content[i] - '0');
  }
  if (number > UINT32_MAX) return false;
  type = static_cast<uint32_t>(number);
  bytes = content.substr(newline + 1);
  return true;
}

}  // namespace

std::string DefaultRegistryRoot() {
  const char* root = std::getenv("RIZARODE_REGISTRY_ROOT");
  return root != nullptr && *root != '\0' ? root : kDefaultRoot;
}

FileRegistryStore::FileRegistryStore(std::string root) : root_(std::move(root)) {}

FileRegistryStore::~FileRegistryStore() {
  for (auto& [key, entry] : open_) ::close(entry.directory);
}

std::string FileRegistryStore::ValueFileName(const std::string& valueName) {
  if (valueName.empty()) return kUnnamedValueFile;
  std::string file;
  for (std::size_t i = 0; i < valueName.size(); ++i) {
    auto c = static_cast<unsigned char>(valueName[i]);
    bool escape = c < 0x20 || c >= 0x7F || c == '/' || c == '%' ||
                  (i == 0 && (c == '.' || c == '@'));
    if (escape) {
      file += '%';
      file += kHexDigits[c >> 4];
      file += kHexDigits[c & 0xF];
    } else {
      file += static_cast<char>(c);
    }
  }
  return file;
}

const FileRegistryStore::OpenKeyEntry* FileRegistryStore::Entry(RegKey key) const {
  auto it = open_.find(key);
  return it == open_.end() ? nullptr : &it->second;
}

int32_t FileRegistryStore::OpenKey(const std::string& path, uint32_t accessMask,
                                   RegKey& key) {
  std::optional<std::vector<std::string>> names = SplitKeyPath(path);
  if (!names) return kRegFileNotFound;
  int dir = ::open(root_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir < 0) return StatusOf(errno);
  for (const std::string& name : *names) {
    std::optional<std::string> found = FindSubkey(dir, name);
    if (!found) {
      ::close(dir);
      return kRegFileNotFound;
    }
    int next = ::openat(dir, found->c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    int error = errno;
    ::close(dir);
    if (next < 0) return StatusOf(error);
    dir = next;
  }
  if (!MayAccess(dir, accessMask)) {
    ::close(dir);
    return kRegAccessDenied;
  }
  key = next_++;
  if (next_ == 0) next_ = 1;
  open_[key] = {dir, accessMask};
  return kRegSuccess;
}

int32_t FileRegistryStore::QueryValue(RegKey key, const std::string& name,
                                      uint32_t& type, std::string* data,
                                      uint32_t& size) {
  const OpenKeyEntry* entry = Entry(key);
  if (entry == nullptr) return kRegInvalidHandle;
  if ((entry->access & kKeyQueryValue) == 0) return kRegAccessDenied;
  std::optional<std::string> file = FindValueFile(entry->directory, name);
  if (!file) return kRegFileNotFound;

  int fd = ::openat(entry->directory, file->c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return StatusOf(errno);
  struct stat st {};
  std::string content;
  bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  bool read = regular && st.st_size <= kMaxValueFileSize && ReadAll(fd, content);
  ::close(fd);
  if (!regular) return kRegFileNotFound;
  if (!read) return kRegCorrupt;

  std::string bytes;
  if (!ParseValueFile(content, type, bytes)) return kRegCorrupt;
  uint32_t room = size;
  size = static_cast<uint32_t>(bytes.size());
  if (data == nullptr) return kRegSuccess;
  if (room < size) return kRegMoreData;
  *data = std::move(bytes);
  return kRegSuccess;
}

int32_t FileRegistryStore::SetValue(RegKey key, const std::string& name,
                                    uint32_t type, const std::string& data) {
  const OpenKeyEntry* entry = Entry(key);
  if (entry == nullptr) return kRegInvalidHandle;
  if ((entry->access & kKeySetValue) == 0) return kRegAccessDenied;
  const int dir = entry->directory;
  // A value that exists under another case keeps its file.
  std::string target = FindValueFile(dir, name).value_or(ValueFileName(name));
  if (target.size() > NAME_MAX) return kRegInvalidParameter;

  // Readers see the old value or the new one, never a part: the new value is
  // written beside the old and renamed over it.
  std::string temporary;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temporary = ".tmp." + std::to_string(::getpid()) + "." + std::to_string(temporaryCounter_++);
    fd = ::openat(dir, temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0 && errno != EEXIST) return StatusOf(errno);
  }
  if (fd < 0) return kRegIoFailed;
  // Every user reads the machine's values, whatever this process's umask.
  const std::string content = std::to_string(type) + "\n" + data;
  bool written = ::fchmod(fd, 0644) == 0 &&
                 WriteAll(fd, content.data(), content.size()) && ::fsync(fd) == 0;
  int error = errno;
  if (::close(fd) != 0 && written) {
    written = false;
    error = errno;
  }
  if (written && ::renameat(dir, temporary.c_str(), dir, target.c_str()) == 0) {
    return kRegSuccess;
  }
  if (written) error = errno;
  ::unlinkat(dir, temporary.c_str(), 0);
  return StatusOf(error);
}

int32_t FileRegistryStore::CloseKey(RegKey key) {
  auto it = open_.find(key);
  if (it == open_.end()) return kRegInvalidHandle;
  ::close(it->second.directory);
  open_.erase(it);
  return kRegSuccess;
}

}  // namespace rizarode
