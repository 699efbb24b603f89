#include "platform/win32/win32_file_system.h"

#include "platform/win32/windows_api.h"
#include <shlobj.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace rizarode {
namespace {

class Win32FileHandle : public FileHandle {
 public:
  explicit Win32FileHandle(HANDLE handle) : handle_(handle) {}
  ~Win32FileHandle() override { Close(); }

  long Read(char* buffer, std::size_t size) override {
    DWORD want = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
    DWORD got = 0;
    if (!ReadFile(handle_, buffer, want, &got, nullptr)) return -1;
    return static_cast<long>(got);
  }
  bool Write(const char* data, std::size_t size) override {
    while (size > 0) {
      DWORD chunk = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
      DWORD written = 0;
      if (!WriteFile(handle_, data, chunk, &written, nullptr) || written == 0) return false;
      data += written;
      size -= written;
    }
    return true;
  }
  int64_t Length() override {
    LARGE_INTEGER size{};
    return GetFileSizeEx(handle_, &size) ? size.QuadPart : -1;
  }
  int64_t Position() override {
    LARGE_INTEGER zero{};
    LARGE_INTEGER at{};
    return SetFilePointerEx(handle_, zero, &at, FILE_CURRENT) ? at.QuadPart : -1;
  }
  bool Seek(int64_t offset) override {
    LARGE_INTEGER to{};
    to.QuadPart = offset;
    return offset >= 0 && SetFilePointerEx(handle_, to, nullptr, FILE_BEGIN);
  }
  std::intptr_t SystemHandle() const override {
    return handle_ == INVALID_HANDLE_VALUE ? -1 : reinterpret_cast<std::intptr_t>(handle_);
  }
  bool Close() override {
    if (handle_ == INVALID_HANDLE_VALUE) return true;
    return CloseHandle(std::exchange(handle_, INVALID_HANDLE_VALUE)) != 0;
  }

 private:
  HANDLE handle_;
};

// What other opens may do while this one holds the file. The default is
// shared, as on the other platform: no caller relies on more.
DWORD ShareModeFor(ShareLock lock) {
  switch (lock) {
    case ShareLock::kDefault:
    case ShareLock::kShared:
      return FILE_SHARE_READ | FILE_SHARE_WRITE;
    case ShareLock::kDenyRead:
      return FILE_SHARE_WRITE;
    case ShareLock::kDenyWrite:
      return FILE_SHARE_READ;
    case ShareLock::kDenyReadWrite:
      return 0;
  }
  return 0;
}

DWORD AccessFor(const OpenRequest& request) {
  DWORD access = 0;
  if (request.read) access |= GENERIC_READ;
  if (request.write) access |= GENERIC_WRITE;
  // An open for neither still asks to read the file's attributes, so that it
  // holds its share mode like any other open.
  return access != 0 ? access : FILE_READ_ATTRIBUTES;
}

// A file of the disk, not a directory, a device ("CON", "COM1") or a link.
bool IsRegularFile(HANDLE handle) {
  if (GetFileType(handle) != FILE_TYPE_DISK) return false;
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(handle, &info)) return false;
  return (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0;
}

DWORD Attributes(const std::string& path) { return GetFileAttributesA(path.c_str()); }

bool IsKind(const std::string& path, bool directory) {
  DWORD attributes = Attributes(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  return ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) == directory;
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsNameTaken(DWORD code) { return code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS; }

// The system's text for an error number, for messages.
std::string SystemErrorText(unsigned long error) {
  char* text = nullptr;
  DWORD n = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string result = n > 0 && text != nullptr ? std::string(text, n) : std::string();
  if (text != nullptr) LocalFree(text);
  while (!result.empty() && (result.back() == '\n' || result.back() == '\r' || result.back() == ' ')) {
    result.pop_back();
  }
  return result.empty() ? "error " + std::to_string(error) : result;
}

}  // namespace

std::unique_ptr<FileHandle> Win32FileSystem::Open(const std::string& path,
                                                  const OpenRequest& request) {
  // A link at the name itself is opened as the link, and then refused below:
  // it might name a file anywhere.
  DWORD flags = FILE_ATTRIBUTE_NORMAL;
  if (request.write || request.create) flags |= FILE_FLAG_OPEN_REPARSE_POINT;
  HANDLE handle = CreateFileA(path.c_str(), AccessFor(request), ShareModeFor(request.lock),
                              nullptr, request.create ? OPEN_ALWAYS : OPEN_EXISTING, flags,
                              nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    lastFailure_ = SystemErrorText(GetLastError());
    return nullptr;
  }
  auto file = std::make_unique<Win32FileHandle>(handle);
  if (!IsRegularFile(handle)) return nullptr;
  // Emptied only now that the share mode has been granted.
  if (request.truncate && (!request.write || !SetEndOfFile(handle))) return nullptr;
  return file;
}

bool Win32FileSystem::FileExists(const std::string& path) {
  DWORD attributes = Attributes(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  constexpr DWORD kNotNormal = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN |
                               FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DEVICE;
  return (attributes & kNotNormal) == 0;
}

bool Win32FileSystem::IsSymbolicLink(const std::string& path) {
  DWORD attributes = Attributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

std::optional<std::string> Win32FileSystem::FindNoCase(const std::string& dir,
                                                       const std::string& name,
                                                       bool wantDirectory) {
  // The file system itself ignores case; the directory listing gives the
  // name as it is stored. A pattern character would match other names.
  if (name.empty() || name.find_first_of("*?\\/") != std::string::npos) return std::nullopt;
  std::string prefix = dir.empty() || IsSeparator(dir.back()) ? dir : dir + "\\";
  WIN32_FIND_DATAA found{};
  HANDLE search = FindFirstFileA((prefix + name).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return std::nullopt;
  FindClose(search);
  std::string path = prefix + found.cFileName;
  if (!IsKind(path, wantDirectory)) return std::nullopt;
  return path;
}

std::vector<DirectoryEntry> Win32FileSystem::ListDirectory(const std::string& dir) {
  std::vector<DirectoryEntry> entries;
  std::string prefix = dir.empty() || IsSeparator(dir.back()) ? dir : dir + "\\";
  WIN32_FIND_DATAA found{};
  HANDLE search = FindFirstFileA((prefix + "*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return entries;
  constexpr DWORD kNotPlain = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN |
                              FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_REPARSE_POINT;
  do {
    if ((found.dwFileAttributes & kNotPlain) != 0) continue;
    ULARGE_INTEGER written;
    written.LowPart = found.ftLastWriteTime.dwLowDateTime;
    written.HighPart = found.ftLastWriteTime.dwHighDateTime;
    entries.push_back({found.cFileName, static_cast<int64_t>(written.QuadPart)});
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return entries;
}

bool Win32FileSystem::DeleteFile(const std::string& path) { return DeleteFileA(path.c_str()) != 0; }

// Without MOVEFILE_REPLACE_EXISTING the move fails where the new name is
// taken, and a file another process holds open without sharing delete
// access stays where it is.
bool Win32FileSystem::RenameFile(const std::string& from, const std::string& to) {
  return MoveFileExA(from.c_str(), to.c_str(), 0) != 0;
}

bool Win32FileSystem::ReplaceFile(const std::string& from, const std::string& to) {
  if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return true;
  }
  lastFailure_ = SystemErrorText(GetLastError());
  return false;
}

// The copy is made under a name of this process's own beside to, and moved
// to to only once whole; without MOVEFILE_REPLACE_EXISTING the move never
// replaces a file there, which may be in use, or another run's copy.
bool Win32FileSystem::CopyFile(const std::string& from, const std::string& to,
                               std::string& error) {
  const std::size_t slash = to.find_last_of("\\/");
  const std::string dir = slash == std::string::npos ? "" : to.substr(0, slash + 1);
  const std::string stem = dir + "." + to.substr(dir.size()) + "." +
                           std::to_string(GetCurrentProcessId()) + "-";
  std::string partial;
  DWORD code = ERROR_FILE_EXISTS;
  // A name that a killed run of the same process id left is passed over.
  for (int attempt = 0; attempt < 100 && IsNameTaken(code); ++attempt) {
    partial = stem + std::to_string(attempt);
    code = CopyFileA(from.c_str(), partial.c_str(), TRUE) ? ERROR_SUCCESS : GetLastError();
  }
  if (code != ERROR_SUCCESS) {
    error = (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND ? from : to) + ": " +
            SystemErrorText(code);
    return false;
  }
  if (MoveFileExA(partial.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH)) return true;
  code = GetLastError();
  // The copy takes the source's attributes; a read-only one would stay.
  SetFileAttributesA(partial.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileA(partial.c_str());
  error = to + ": " + SystemErrorText(code);
  return false;
}

std::string Win32FileSystem::CurrentDirectory() {
  DWORD size = GetCurrentDirectoryA(0, nullptr);
  if (size == 0) return {};
  std::vector<char> buffer(size);
  DWORD n = GetCurrentDirectoryA(size, buffer.data());
  if (n == 0 || n >= size) return {};
  return std::string(buffer.data(), n);
}

bool Win32FileSystem::SetCurrentDirectory(const std::string& path) {
  return !path.empty() && SetCurrentDirectoryA(path.c_str()) != 0;
}

std::optional<std::string> Win32FileSystem::GetEnv(const std::string& name) {
  SetLastError(ERROR_SUCCESS);
  DWORD size = GetEnvironmentVariableA(name.c_str(), nullptr, 0);
  if (size == 0) {
    // Set, but to nothing, unless the system says there is no such variable.
    if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
    return std::string();
  }
  std::vector<char> buffer(size);
  DWORD n = GetEnvironmentVariableA(name.c_str(), buffer.data(), size);
  if (n >= size) return std::nullopt;
  return std::string(buffer.data(), n);
}

char Win32FileSystem::Separator() const { return '\\'; }

std::vector<std::string> Win32FileSystem::TemporaryDirectories() {
  return {"C:\\WINDOWS\\TEMP", "C:\\WINNT\\TEMP", "C:\\TEMP"};
}

std::string Win32FileSystem::RootDirectory() const { return "C:\\"; }

// Made when missing, inside the folder that the system names for the user
// (the variable only where the system names none). A folder there inherits
// the profile's rights. The host takes it on a command line that is split
// at blanks: a blank in the user's name is avoided through the folder's
// short name.
std::string Win32FileSystem::LocalFolder(const char* name) {
  char folder[MAX_PATH];
  std::string base;
  if (SUCCEEDED(SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr,
                                 SHGFP_TYPE_CURRENT, folder))) {
    base = folder;
  } else {
    base = GetEnv("LOCALAPPDATA").value_or("");
  }
  if (base.size() < 3 || base[1] != ':') return {};
  if (!IsSeparator(base.back())) base += '\\';
  std::string own = base + name;
  if (!CreateDirectoryA(own.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return {};
  const DWORD attributes = GetFileAttributesA(own.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 ||
      (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    return {};
  }
  if (own.find(' ') != std::string::npos) {
    DWORD n = GetShortPathNameA(own.c_str(), folder, sizeof folder);
    if (n == 0 || n >= sizeof folder) return {};
    own.assign(folder, n);
  }
  return own + '\\';
}

std::string Win32FileSystem::PrivateDirectory() { return LocalFolder("RIZARODE"); }

// Beside the private directory, not in it: that may be the work directory,
// where the host would see the locks.
std::string Win32FileSystem::InstanceDirectory() { return LocalFolder("RIZARODE-hosts"); }

std::string Win32FileSystem::DirectoryIdentity(const std::string& path) {
  if (path.empty()) return {};
  // Opened only to be asked about; a directory needs backup semantics.
  HANDLE handle = CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return {};
  BY_HANDLE_FILE_INFORMATION info{};
  const bool known = GetFileInformationByHandle(handle, &info) != 0 &&
                     (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  CloseHandle(handle);
  if (!known) return {};
  char text[32];
  std::snprintf(text, sizeof text, "%08lX%08lX%08lX", static_cast<unsigned long>(info.dwVolumeSerialNumber),
            static_cast<unsigned long>(info.nFileIndexHigh),
            static_cast<unsigned long>(info.nFileIndexLow));
  return text;
}

FileSystem::LockTaken Win32FileSystem::TakeLock(const std::string& path,
                                                std::unique_ptr<FileHandle>& lock) {
  lock.reset();
  HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT,
                              nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    return GetLastError() == ERROR_SHARING_VIOLATION ? LockTaken::kHeld : LockTaken::kNoLock;
  }
  auto file = std::make_unique<Win32FileHandle>(handle);
  // What an earlier holder wrote is no word of the new one's.
  if (!IsRegularFile(handle) || !SetEndOfFile(handle)) return LockTaken::kNoLock;
  lock = std::move(file);
  return LockTaken::kTaken;
}

}  // namespace rizarode
