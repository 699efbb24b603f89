#include "host_window.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>

namespace veldrak {
namespace {

int IgnoreXErrors(Display*, XErrorEvent*) { return 0; }

Display* OpenDisplay() {
  const char* name = std::getenv("DISPLAY");
  if (!name || !*name) return nullptr;
  // Same patience as the program that watches this window: a busy server
  // may turn one connection away.
  for (int attempt = 0; attempt < 10; ++attempt) {
    if (attempt > 0) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    if (Display* display = XOpenDisplay(name)) return display;
  }
  return nullptr;
}

}  // namespace

struct HostWindow::X {
  Display* display = nullptr;
  Window window = 0;
  Atom deleteWindow = 0;
  ~X() {
    if (display) {
      if (window) XDestroyWindow(display, window);
      XCloseDisplay(display);
    }
  }
};

std::unique_ptr<HostWindow> HostWindow::Open(const std::string& title) {
  auto x = std::make_unique<X>();
  x->display = OpenDisplay();
  if (x->display) {
    XSetErrorHandler(IgnoreXErrors);
    Display* d = x->display;
    int screen = DefaultScreen(d);
    x->window = XCreateSimpleWindow(d, RootWindow(d, screen), 80, 80, 520, 160, 1,
                                    BlackPixel(d, screen), WhitePixel(d, screen));
    XStoreName(d, x->window, title.c_str());
    XChangeProperty(d, x->window, XInternAtom(d, "_NET_WM_NAME", False),
                    XInternAtom(d, "UTF8_STRING", False), 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(title.data()),
                    static_cast<int>(title.size()));
    // As toolkits do: the process behind the window, which tells this host's
    // window from another copy's.
    unsigned long pid = static_cast<unsigned long>(::getpid());
    XChangeProperty(d, x->window, XInternAtom(d, "_NET_WM_PID", False), XA_CARDINAL, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(&pid), 1);
    XClassHint hint{const_cast<char*>("veldrak"), const_cast<char*>("Veldrak")};
    XSetClassHint(d, x->window, &hint);
    x->deleteWindow = XInternAtom(d, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(d, x->window, &x->deleteWindow, 1);
    XSelectInput(d, x->window, ExposureMask | StructureNotifyMask);
    XMapWindow(d, x->window);
    // The window must exist on the server before anyone looks for it.
    XSync(d, False);
  }
  return std::unique_ptr<HostWindow>(new HostWindow(std::move(x)));
}

HostWindow::HostWindow(std::unique_ptr<X> x) : x_(std::move(x)) {}
HostWindow::~HostWindow() = default;

bool HostWindow::OnDisplay() const { return x_->display != nullptr; }

void HostWindow::SetActivity(const std::string& text) {
  activity_ = text;
  Draw();
}

void HostWindow::Draw() {
  if (!x_->display) return;
  Display* d = x_->display;
  GC gc = DefaultGC(d, DefaultScreen(d));
  XClearWindow(d, x_->window);
  const std::string heading = "VELDRAK genealogy (demo host)";
  XDrawString(d, x_->window, gc, 20, 40, heading.c_str(), static_cast<int>(heading.size()));
  XDrawString(d, x_->window, gc, 20, 80, activity_.c_str(), static_cast<int>(activity_.size()));
  XFlush(d);
}

bool HostWindow::Pump() {
  if (!x_->display) return true;
  while (XPending(x_->display)) {
    XEvent event;
    XNextEvent(x_->display, &event);
    if (event.type == Expose && event.xexpose.count == 0) Draw();
    if (event.type == ClientMessage &&
        static_cast<Atom>(event.xclient.data.l[0]) == x_->deleteWindow) {
      closed_ = true;
    }
  }
  return !closed_;
}

bool HostWindow::Wait(double seconds) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point end =
      Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
  while (Pump()) {
    const Clock::time_point now = Clock::now();
    if (now >= end) return true;
    const Clock::duration step = std::chrono::milliseconds(50);
    std::this_thread::sleep_for(std::min(end - now, step));
  }
  return false;
}

}  // namespace veldrak
