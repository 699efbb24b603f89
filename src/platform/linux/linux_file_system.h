#pragma once

#include "platform/file_system.h"

namespace rizarode {

// Writes the whole buffer, going on after a short write and after a signal;
// false, with errno saying why, when the system takes no more.
bool WriteAll(int fd, const void* data, std::size_t size);

// Files on the local file system through POSIX calls.
class LinuxFileSystem : public FileSystem {
 public:
  std::unique_ptr<FileHandle> Open(const std::string& path,
                                   const OpenRequest& request) override;
  bool FileExists(const std::string& path) override;
  bool IsSymbolicLink(const std::string& path) override;
  std::optional<std::string> FindNoCase(const std::string& dir,
                                        const std::string& name,
                                        bool wantDirectory) override;
  std::vector<DirectoryEntry> ListDirectory(const std::string& dir) override;
  bool DeleteFile(const std::string& path) override;
  bool RenameFile(const std::string& from, const std::string& to) override;
  bool ReplaceFile(const std::string& from, const std::string& to) override;
  std::string LastFailure() const override { return lastFailure_; }
  bool CopyFile(const std::string& from, const std::string& to,
                std::string& error) override;
  std::string CurrentDirectory() override;
  bool SetCurrentDirectory(const std::string& path) override;
  std::optional<std::string> GetEnv(const std::string& name) override;
  char Separator() const override;
  std::vector<std::string> TemporaryDirectories() override;
  std::string RootDirectory() const override;
  // In a directory with the sticky bit, or one that all may write: the
  // directory "rz-" + the user's id inside it ("/var/tmp/rz-1000").
  std::string OwnDirectoryIn(const std::string& directory) override;
  // $XDG_CACHE_HOME/rizarode, by default ~/.cache/rizarode.
  std::string PrivateDirectory() override;
  // Not on a tmpfs or ramfs, and not in $XDG_RUNTIME_DIR.
  bool OutlivesSession(const std::string& directory) override;
  // $XDG_CACHE_HOME/rizarode-hosts: it outlives the session, and only the
  // user enters it.
  std::string InstanceDirectory() override;
  // The device and inode numbers, in hexadecimal.
  std::string DirectoryIdentity(const std::string& path) override;
  // An open-file-description write lock on the file's first byte, which the
  // kernel gives up with the last descriptor of the open, so with the
  // process. It lies apart from the marker bytes of the sharing claims, so
  // that readers through Open are not in its way.
  LockTaken TakeLock(const std::string& path, std::unique_ptr<FileHandle>& lock) override;

 private:
  std::string CacheHome();
  std::unique_ptr<FileHandle> OpenFile(const std::string& path, const OpenRequest& request);
  std::string lastFailure_;
};

}  // namespace rizarode
