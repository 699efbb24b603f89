#pragma once

#include "platform/file_system.h"

namespace rizarode {

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
  bool CopyFile(const std::string& from, const std::string& to,
                std::string& error) override;
  std::string CurrentDirectory() override;
  bool SetCurrentDirectory(const std::string& path) override;
  std::optional<std::string> GetEnv(const std::string& name) override;
  char Separator() const override;
  std::vector<std::string> TemporaryDirectories() override;
  std::string RootDirectory() const override;
};

}  // namespace rizarode
