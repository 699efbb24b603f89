// The demo host application as a Windows program, for demonstrations and the
// end-to-end test under Wine: it opens a window titled "VELDRAK" and does what
// host_script.h describes, with the same environment variables as on Linux.

#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "host_script.h"

namespace veldrak {
namespace {

// The host's window: it shows what the host is doing, and closing it ends
// the host.
class Win32Host : public HostSystem {
 public:
  explicit Win32Host(const char* title) {
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

  void SetActivity(const std::string& text) override {
    activity_ = text;
    InvalidateRect(window_, nullptr, TRUE);
    UpdateWindow(window_);
  }

  bool Pump() override {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    return !closed_;
  }

  bool Wait(double seconds) override {
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(seconds * 1000);
    while (Pump()) {
      ULONGLONG now = GetTickCount64();
      if (now >= end) return true;
      MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
    }
    return false;
  }

  bool Exists(const std::string& path) override {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
  }

  // Shared for reading only: the print utility's attempt to open the file
  // denying writers fails until it is closed.
  bool WriteJob(const std::string& path, const std::vector<std::string>& lines,
                double writeSeconds) override {
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
      if (!Wait(pause)) break;
    }
    if (!CloseHandle(file)) ok = false;
    return ok;
  }

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
      auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
      SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<Win32Host*>(GetWindowLongPtrA(window, GWLP_USERDATA));
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

}  // namespace
}  // namespace veldrak

int main(int argc, char** argv) {
  return veldrak::RunHost(argc, argv, [] { return std::make_unique<veldrak::Win32Host>("VELDRAK"); });
}
