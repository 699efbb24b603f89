#pragma once
// Hands a fuzz input to code that reads a file: the bytes are written to one
// file in a directory of the fuzzing process's own, removed at its end.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace rizarode::fuzzing {

class InputFile {
 public:
  explicit InputFile(const std::string& name) {
    std::string pattern = (Base() / "rizarode-fuzz-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    directory_ = pattern;
    path_ = directory_ + "/" + name;
  }
  ~InputFile() {
    std::error_code ignored;
    std::filesystem::remove_all(directory_, ignored);
  }
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  // The file's path once it holds exactly these bytes.
  const std::string& Holding(const uint8_t* data, std::size_t size) {
    std::FILE* file = std::fopen(path_.c_str(), "wb");
    if (file == nullptr) std::abort();
    if (size > 0 && std::fwrite(data, 1, size, file) != size) std::abort();
    if (std::fclose(file) != 0) std::abort();
    return path_;
  }

 private:
  // A file system in memory where there is one: tens of thousands of files
  // are written per run.
  static std::filesystem::path Base() {
    std::error_code ignored;
    if (std::filesystem::is_directory("/dev/shm", ignored)) return "/dev/shm";
    return std::filesystem::temp_directory_path();
  }

  std::string directory_;
  std::string path_;
};

}  // namespace rizarode::fuzzing
