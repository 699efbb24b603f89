#include "platform/win32/win32_program_info.h"

#include "platform/win32/windows_api.h"

#include <vector>

#include "rizarode_version.h"

namespace rizarode {
namespace {

std::string ModuleFileName() {
  std::vector<char> buffer(MAX_PATH);
  for (;;) {
    DWORD n = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return "rizarode";
    if (n < buffer.size()) return std::string(buffer.data(), n);
    buffer.resize(buffer.size() * 2);
  }
}

// The file version in the file's version resource; false when it has none.
bool ResourceVersion(const std::string& file, FileVersion& version) {
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeA(file.c_str(), &ignored);
  if (size == 0) return false;
  std::vector<char> data(size);
  if (!GetFileVersionInfoA(file.c_str(), 0, size, data.data())) return false;
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length) ||
      fixed == nullptr || length < sizeof *fixed) {
    return false;
  }
  version.major = HIWORD(fixed->dwFileVersionMS);
  version.minor = LOWORD(fixed->dwFileVersionMS);
  version.revision = HIWORD(fixed->dwFileVersionLS);
  return true;
}

}  // namespace

std::string ArgumentPart(const std::string& commandLine) {
  std::size_t i = 0;
  if (!commandLine.empty() && commandLine[0] == '"') {
    std::size_t close = commandLine.find('"', 1);
    i = close == std::string::npos ? commandLine.size() : close + 1;
  } else {
    while (i < commandLine.size() && commandLine[i] != ' ' && commandLine[i] != '\t') ++i;
  }
  while (i < commandLine.size() && (commandLine[i] == ' ' || commandLine[i] == '\t')) ++i;
  return commandLine.substr(i);
}

std::string Win32ProgramInfo::ArgumentText() { return ArgumentPart(GetCommandLineA()); }

std::string Win32ProgramInfo::ExecutableName() {
  std::string path = ModuleFileName();
  std::string base = path.substr(path.find_last_of("\\/") + 1);
  std::size_t dot = base.find_last_of('.');
  if (dot != std::string::npos && dot > 0) base.erase(dot);
  return base;
}

FileVersion Win32ProgramInfo::Version() {
  FileVersion version;
  if (ResourceVersion(ModuleFileName(), version)) return version;
  // A program linked without its resource (the test programs) still has
  // the build's version.
  return {RIZARODE_VERSION_MAJOR, RIZARODE_VERSION_MINOR, RIZARODE_VERSION_PATCH};
}

}  // namespace rizarode
