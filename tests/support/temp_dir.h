#pragma once
// A temporary directory removed with everything in it, and a guard that
// puts the current directory back.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "support/os_calls.h"

namespace rizarode::testing {

class TempDir {
 public:
  TempDir() : path_(MakeTempDirectory()) {}
  // In base rather than the system's temporary directory.
  explicit TempDir(const std::string& base) : path_(MakeTempDirectory(base)) {}
  ~TempDir() {
    std::error_code ec;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  // path + "/" + name
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }
  // Writes a file (creating directories on the way) and returns its path.
  std::string Write(const std::string& name, const std::string& content) const {
    std::string full = *this / name;
    std::filesystem::create_directories(std::filesystem::path(full).parent_path());
    std::ofstream(full, std::ios::binary) << content;
    return full;
  }
  std::string Read(const std::string& name) const {
    std::ifstream in(*this / name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

 private:
  std::string path_;
};

class CurrentDirectoryGuard {
 public:
  CurrentDirectoryGuard() : saved_(std::filesystem::current_path()) {}
  explicit CurrentDirectoryGuard(const std::string& enter) : CurrentDirectoryGuard() {
    std::filesystem::current_path(enter);
  }
  ~CurrentDirectoryGuard() {
    std::error_code ec;
    std::filesystem::current_path(saved_, ec);
  }

 private:
  std::filesystem::path saved_;
};

// Sets an environment variable (or unsets it, with nullptr) for a scope.
class EnvGuard {
 public:
  EnvGuard(const char* name, const char* value) : name_(name) {
    const char* old = std::getenv(name);
    if (old) saved_ = old, had_ = true;
    SetEnv(name, value);
  }
  ~EnvGuard() {
    SetEnv(name_.c_str(), had_ ? saved_.c_str() : nullptr);
  }

 private:
  std::string name_;
  std::string saved_;
  bool had_ = false;
};

}  // namespace rizarode::testing
