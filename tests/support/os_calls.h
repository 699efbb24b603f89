#pragma once
// The few operating system calls that the shared test support needs, for
// both platforms the tests run on.

#include <cstdio>
#include <filesystem>
#include <string>

#ifdef _WIN32
#include <stdlib.h>

#include <random>
#else
#include <stdlib.h>
#include <unistd.h>
#endif

namespace rizarode::testing {

// Where a test's directory outlives a logout and a reboot: Debian 13's
// /tmp is a tmpfs, which the program treats as short-lived.
inline std::filesystem::path LastingTempBase() {
#ifdef _WIN32
  return std::filesystem::temp_directory_path();
#else
  return "/var/tmp";
#endif
}

// A new directory under base (the system's temporary directory), only for
// this user; empty when none could be made.
inline std::string MakeTempDirectory(
    const std::filesystem::path& base = std::filesystem::temp_directory_path()) {
#ifdef _WIN32
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::filesystem::path dir = base / ("rizarode-test-" + std::to_string(random()));
    std::error_code ec;
    if (std::filesystem::create_directory(dir, ec)) return dir.string();
  }
  return {};
#else
  std::string pattern = (base / "rizarode-test-XXXXXX").string();
  char* made = ::mkdtemp(pattern.data());
  return made ? made : "";
#endif
}

// Sets an environment variable, or removes it when value is nullptr.
inline void SetEnv(const char* name, const char* value) {
#ifdef _WIN32
  ::_putenv_s(name, value ? value : "");
#else
  if (value) ::setenv(name, value, 1);
  else ::unsetenv(name);
#endif
}

// A stream that reads the bytes of text, which must outlive it. Closed with
// fclose.
inline std::FILE* ReadableStream(std::string& text) {
#ifdef _WIN32
  std::FILE* file = std::tmpfile();
  if (file == nullptr) return nullptr;
  std::fwrite(text.data(), 1, text.size(), file);
  std::rewind(file);
  return file;
#else
  if (text.empty()) return std::tmpfile();
  return ::fmemopen(text.data(), text.size(), "rb");
#endif
}

// Makes a symbolic link at link that points to target; false where the
// system has none to offer the tests (Windows grants them to few users).
inline bool MakeSymbolicLink(const std::string& target, const std::string& link) {
#ifdef _WIN32
  (void)target;
  (void)link;
  return false;
#else
  return ::symlink(target.c_str(), link.c_str()) == 0;
#endif
}

}  // namespace rizarode::testing
