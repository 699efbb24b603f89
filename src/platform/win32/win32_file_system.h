#pragma once
// Files through the Win32 file functions. Sharing locks are the system's
// own share modes, so they hold against every other process.

#include "platform/file_system.h"

namespace rizarode {

class Win32FileSystem : public FileSystem {
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
  // TEMP and TMP name the user's own directory already; the rest is the
  // user's choice or the system's.
  std::string OwnDirectoryIn(const std::string& directory) override { return directory; }
  // RIZARODE in the user's local application data, which only the user
  // (and the system's administrators) may enter.
  std::string PrivateDirectory() override;
  // C:\WINDOWS\TEMP and the others are open to every account.
  bool SharesSystemDirectories() const override { return true; }
  // "RIZARODE-hosts" in the user's local application data: the account's
  // own, and it stays on this machine.
  std::string InstanceDirectory() override;
  // The volume's serial number and the directory's file index.
  std::string DirectoryIdentity(const std::string& path) override;
  // A file open for writing that shares only reading: the system refuses
  // every other writer while the handle lives, and closes it with the
  // process, TerminateProcess included.
  LockTaken TakeLock(const std::string& path, std::unique_ptr<FileHandle>& lock) override;

 private:
  // A folder of this name in the user's local application data, made when
  // missing, with its closing separator; its short name when the path holds
  // a blank. Empty when it cannot be had.
  std::string LocalFolder(const char* name);
  std::string lastFailure_;
};

}  // namespace rizarode
