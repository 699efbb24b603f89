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

}  // namespace

void ShowOnConsole(const std::string& text, const std::string& title) {
  std::string lines;
  for (char c : text) {
    if (c == '\n') lines += '\r';
    lines += c;
  }
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  if ((out == nullptr || out == INVALID_HANDLE_VALUE) && AttachConsole(ATTACH_PARENT_PROCESS)) {
    out = CreateFileA("CONOUT$", GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                      nullptr);
  }
  DWORD written = 0;
  if (out != nullptr && out != INVALID_HANDLE_VALUE &&
      WriteFile(out, lines.data(), static_cast<DWORD>(lines.size()), &written, nullptr)) {
    return;
  }
  MessageBoxA(nullptr, lines.c_str(), title.c_str(), MB_OK | MB_ICONINFORMATION);
}

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

std::optional<FileVersion> FileVersionOf(const std::string& file) {
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeA(file.c_str(), &ignored);
  if (size == 0) return std::nullopt;
  std::vector<char> data(size);
  if (!GetFileVersionInfoA(file.c_str(), 0, size, data.data())) return std::nullopt;
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length) ||
      fixed == nullptr || length < sizeof *fixed) {
    return std::nullopt;
  }
  return FileVersion{HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
                     HIWORD(fixed->dwFileVersionLS)};
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
  // A program linked without the resource (the test programs) still has the
  // build's version.
  return FileVersionOf(ModuleFileName())
      .value_or(FileVersion{RIZARODE_VERSION_MAJOR, RIZARODE_VERSION_MINOR,
                            RIZARODE_VERSION_PATCH});
}

std::string Win32ProgramInfo::UserLanguage() {
  switch (PRIMARYLANGID(GetUserDefaultUILanguage())) {
    case LANG_DUTCH: return "NL";
    case LANG_GERMAN: return "D";
    default: return "GB";
  }
}

}  // namespace rizarode
