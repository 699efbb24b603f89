#pragma once
// How the demo host shows that it runs: a top-level X11 window titled
// "VELDRAK" when a display opens, else only the process itself, whose name
// the kernel takes from the program file "VELDRAK.EXE".

#include <memory>
#include <string>

namespace veldrak {

class HostWindow {
 public:
  // Opens the window when a display is there.
  static std::unique_ptr<HostWindow> Open(const std::string& title);
  ~HostWindow();
  HostWindow(const HostWindow&) = delete;
  HostWindow& operator=(const HostWindow&) = delete;

  bool OnDisplay() const;
  // Shows what the host is doing (in the window, if there is one).
  void SetActivity(const std::string& text);
  // Handles pending window events; false once the user has closed the window.
  bool Pump();
  // Waits, handling window events; false when the window was closed.
  bool Wait(double seconds);

 private:
  struct X;
  explicit HostWindow(std::unique_ptr<X> x);
  void Draw();

  std::unique_ptr<X> x_;
  std::string activity_;
  bool closed_ = false;
};

}  // namespace veldrak
