// Test helper: writes how it was started into "started.txt" in the current
// directory: its command line, and the show state it was asked for. The file
// appears whole, under its final name, or not at all.

#include "platform/win32/windows_api.h"

#include <cstdio>

int main() {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  GetStartupInfoA(&startup);
  int show = (startup.dwFlags & STARTF_USESHOWWINDOW) != 0 ? startup.wShowWindow : -1;
  std::FILE* out = std::fopen("started.tmp", "wb");
  if (out == nullptr) return 1;
  std::fprintf(out, "%s\n%d\n", GetCommandLineA(), show);
  std::fclose(out);
  return MoveFileA("started.tmp", "started.txt") ? 0 : 1;
}
