// Test helper: waits (up to the seconds given as its argument, 60 by
// default) for a message box of another program on the desktop, writes its
// title and its text to standard output, one line each ("\r" in the text
// as "|"), and answers it with OK. Exit code 0 when it answered a box, 1
// when none came.

#include "platform/win32/windows_api.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// A message box is a dialog whose text is the static control 0xFFFF.
constexpr int kMessageTextControl = 0xFFFF;

std::string TextOf(HWND window, int control) {
  char buffer[4096] = {};
  GetDlgItemTextA(window, control, buffer, sizeof buffer);
  std::string text = buffer;
  for (char& c : text) {
    if (c == '\r') c = '|';
    if (c == '\n') c = '|';
  }
  return text;
}

HWND OpenBox() {
  HWND box = FindWindowA("#32770", nullptr);
  while (box && !(IsWindowVisible(box) && GetDlgItem(box, kMessageTextControl))) {
    box = FindWindowExA(nullptr, box, "#32770", nullptr);
  }
  return box;
}

}  // namespace

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? std::atoi(argv[1]) : 60;
  for (int i = 0; i < seconds * 10; ++i) {
    if (HWND box = OpenBox()) {
      char title[512] = {};
      GetWindowTextA(box, title, sizeof title);
      std::printf("%s\n%s\n", title, TextOf(box, kMessageTextControl).c_str());
      std::fflush(stdout);
      PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                   reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
      return 0;
    }
    Sleep(100);
  }
  return 1;
}
