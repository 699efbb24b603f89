// The demo host application as a Windows program, for demonstrations and the
// end-to-end test under Wine. It behaves as the host does towards the print
// utility:
//
//   VELDRAK.EXE /WIN=<print file name> /TEMP=<work directory> [more...]
//
// It opens a window titled "VELDRAK", reads the driver file RIZARODE.TMP from
// the work directory, writes a descendants report into the print file,
// keeping the file open for writing (others may only read) while it writes,
// waits until the print utility has taken the file, writes a shorter second
// job, waits again and ends.
//
// Its pace and reference come from the same environment variables as the
// Linux demo host's (VELDRAK_DEMO_START_DELAY, _WRITE_SECONDS, _GAP,
// _END_DELAY, _CONSUME_TIMEOUT, _REFERENCE).
//
// Exit status: 0 done (or the window was closed), 1 a job could not be
// written or was not taken in time, 2 a wrong command line.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "driver_choice.h"
#include "genealogy_report.h"

namespace veldrak {
namespace {

double Seconds(const char* variable, double fallback) {
  const char* value = std::getenv(variable);
  if (!value || !*value) return fallback;
  char* end = nullptr;
  double seconds = std::strtod(value, &end);
  return end != value && seconds >= 0 ? seconds : fallback;
}

// The host's window: it shows what the host is doing, and closing it ends
// the host.
class HostWindow {
 public:
  explicit HostWindow(const char* title) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = Proc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = "VeldrakDemo";
    RegisterClassA(&windowClass);
    window_ = CreateWindowExA(0, "VeldrakDemo", title, WS_OVERLAPPEDWINDOW, 80, 80, 520, 160,
                              nullptr, nullptr, GetModuleHandleA(nullptr), this);
    ShowWindow(window_, SW_SHOWNORMAL);
    UpdateWindow(window_);
  }

  void SetActivity(const std::string& text) {
    activity_ = text;
    InvalidateRect(window_, nullptr, TRUE);
    UpdateWindow(window_);
  }

  // Handles pending window events; false once the user has closed the window.
  bool Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    return !closed_;
  }

  // Waits, handling window events; false when the window was closed.
  bool Wait(double seconds) {
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(seconds * 1000);
    while (Pump()) {
      ULONGLONG now = GetTickCount64();
      if (now >= end) return true;
      MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
    }
    return false;
  }

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
      auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
      SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<HostWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self && message == WM_PAINT) {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      TextOutA(dc, 16, 16, self->activity_.c_str(), static_cast<int>(self->activity_.size()));
      EndPaint(window, &paint);
      return 0;
    }
    if (self && message == WM_CLOSE) {
      self->closed_ = true;
      DestroyWindow(window);
      return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
  }

  HWND window_ = nullptr;
  std::string activity_;
  bool closed_ = false;
};

// The value of the first argument that starts with option (any case).
bool OptionValue(int argc, char** argv, const char* option, std::string& value) {
  const std::size_t length = std::strlen(option);
  for (int i = 1; i < argc; ++i) {
    if (_strnicmp(argv[i], option, length) == 0) {
      value = argv[i] + length;
      return true;
    }
  }
  return false;
}

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Writes the job line by line over the writing time, the file open for
// writing all along and shared for reading only: the print utility's
// attempt to open it denying writers fails until it is closed.
bool WriteJob(HostWindow& window, const std::string& path, const std::vector<std::string>& lines,
              double writeSeconds) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    std::fprintf(stderr, "VELDRAK demo: cannot create %s (error %lu)\n", path.c_str(),
                 GetLastError());
    return false;
  }
  const double pause = lines.empty() ? 0 : writeSeconds / static_cast<double>(lines.size());
  bool ok = true;
  for (const std::string& line : lines) {
    std::string bytes = line + "\r\n";
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size()) {
      ok = false;
      break;
    }
    if (!window.Wait(pause)) break;
  }
  if (!CloseHandle(file)) ok = false;
  return ok;
}

// The print utility prints the file and deletes it; only then may the next
// job take the name.
bool AwaitTaken(HostWindow& window, const std::string& path, double timeout) {
  const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(timeout * 1000);
  while (Exists(path)) {
    if (GetTickCount64() >= end) {
      std::fprintf(stderr, "VELDRAK demo: %s was not printed within %g seconds\n", path.c_str(),
                   timeout);
      return false;
    }
    if (!window.Wait(0.1)) return true;
  }
  return true;
}

int Run(int argc, char** argv) {
  std::string printFileName, workDirectory;
  if (!OptionValue(argc, argv, "/WIN=", printFileName) || printFileName.empty() ||
      !OptionValue(argc, argv, "/TEMP=", workDirectory)) {
    std::fprintf(stderr, "usage: VELDRAK.EXE /WIN=<print file> /TEMP=<work directory>\n");
    return 2;
  }
  const std::string printFile = workDirectory + printFileName;
  const double startDelay = Seconds("VELDRAK_DEMO_START_DELAY", 2);
  const double writeSeconds = Seconds("VELDRAK_DEMO_WRITE_SECONDS", 4);
  const double gap = Seconds("VELDRAK_DEMO_GAP", 2);
  const double endDelay = Seconds("VELDRAK_DEMO_END_DELAY", 2);
  const double consumeTimeout = Seconds("VELDRAK_DEMO_CONSUME_TIMEOUT", 120);
  const char* reference = std::getenv("VELDRAK_DEMO_REFERENCE");

  HostWindow window("VELDRAK");
  window.SetActivity("Reading the printer description");
  const DriverChoice choice = ReadDriverChoice(workDirectory + "RIZARODE.TMP");
  if (!window.Wait(startDelay)) return 0;

  struct Job {
    const char* activity;
    std::vector<std::string> lines;
  };
  const Job jobs[] = {
      {"Printing the descendants report", DescendantsReport(choice, reference ? reference : "")},
      {"Printing a family group sheet", FamilyGroupSheet(choice, reference ? reference : "")},
  };
  bool first = true;
  for (const Job& job : jobs) {
    if (!first && !window.Wait(gap)) return 0;
    first = false;
    window.SetActivity(job.activity);
    if (!WriteJob(window, printFile, job.lines, writeSeconds)) return 1;
    if (!window.Pump()) return 0;
    window.SetActivity("Waiting for the printer");
    if (!AwaitTaken(window, printFile, consumeTimeout)) return 1;
    if (!window.Pump()) return 0;
  }
  window.SetActivity("Done");
  window.Wait(endDelay);
  return 0;
}

}  // namespace
}  // namespace veldrak

int main(int argc, char** argv) { return veldrak::Run(argc, argv); }
