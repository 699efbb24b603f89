#include "platform/linux/linux_program_info.h"

#include <unistd.h>

#include <cstdlib>

#include "base/text_encoding.h"
#include "rizarode_version.h"

namespace rizarode {

LinuxProgramInfo::LinuxProgramInfo(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (i > 1) argumentText_ += ' ';
    argumentText_ += argv[i];
  }
}

std::string LinuxProgramInfo::ArgumentText() { return argumentText_; }

std::string LinuxProgramInfo::ExecutableName() {
  char buffer[4096];
  ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  std::string path = n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : "rizarode";
  std::string base = path.substr(path.find_last_of('/') + 1);
  std::size_t dot = base.find_last_of('.');
  if (dot != std::string::npos && dot > 0) base.erase(dot);
  return ProgramText(base);
}

std::string LinuxProgramInfo::ProgramText(const std::string& systemText) {
  return Utf8ToCp1252(systemText);
}

FileVersion LinuxProgramInfo::Version() {
  return {RIZARODE_VERSION_MAJOR, RIZARODE_VERSION_MINOR, RIZARODE_VERSION_PATCH};
}

// Messages follow the first of LC_ALL, LC_MESSAGES and LANG that is set, as
// every program's messages do. The C locale's messages are English.
std::string LinuxProgramInfo::UserLanguage() {
  std::string locale;
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(name);
    if (value && *value) {
      locale = value;
      break;
    }
  }
  const std::string language = locale.substr(0, locale.find_first_of("_.@"));
  if (language == "nl") return "NL";
  if (language == "de") return "D";
  return "GB";
}

}  // namespace rizarode
