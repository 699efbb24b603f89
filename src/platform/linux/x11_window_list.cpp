#include "platform/linux/x11_window_list.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xinerama.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "base/text_encoding.h"
#include "platform/linux/process_window_list.h"

namespace rizarode {
namespace {

// Windows vanish at any moment; a request about one that has just gone must
// not end the program, as Xlib's default handler would. Xlib has one error
// handler for the whole process: it ignores the errors on the connection of
// every window list that is open, and passes those on other connections
// (the toolkit's) to the handler that was there before.
std::vector<Display*> ownDisplays;
XErrorHandler previousHandler = nullptr;

bool IsOwnDisplay(Display* display) {
  return std::find(ownDisplays.begin(), ownDisplays.end(), display) != ownDisplays.end();
}

int IgnoreErrorsOnOwnDisplays(Display* display, XErrorEvent* event) {
  if (IsOwnDisplay(display) || previousHandler == nullptr) return 0;
  return previousHandler(display, event);
}

void IgnoreErrorsOn(Display* display) {
  ownDisplays.push_back(display);
  XErrorHandler before = XSetErrorHandler(IgnoreErrorsOnOwnDisplays);
  if (before != IgnoreErrorsOnOwnDisplays) previousHandler = before;
}

void StopIgnoringErrorsOn(Display* display) {
  ownDisplays.erase(std::remove(ownDisplays.begin(), ownDisplays.end(), display),
                    ownDisplays.end());
}

// A process tree is not deep; the walk up it stops in any case.
constexpr int kDeepestDescendant = 64;

bool IsDescendantOf(pid_t pid, pid_t ancestor) {
  for (int depth = 0; depth < kDeepestDescendant && pid > 1; ++depth) {
    if (pid == ancestor) return true;
    std::optional<ProcessEntry> entry = ReadProcessStat("/proc", pid);
    if (!entry) return false;
    pid = entry->parent;
  }
  return false;
}

// What a frame adds when the window manager does not say: a title bar and
// borders as today's themes draw them, rather more than less.
constexpr int kFrameAllowanceWidth = 16;
constexpr int kFrameAllowanceHeight = 40;
// How long a window manager may take to answer a frame-size request.
constexpr auto kFrameAnswerWait = std::chrono::milliseconds(300);

struct Rectangle {
  long left = 0, top = 0, width = 0, height = 0;
  bool Holds(long x, long y) const {
    return x >= left && y >= top && x < left + width && y < top + height;
  }
};

Rectangle Intersection(const Rectangle& a, const Rectangle& b) {
  const long left = std::max(a.left, b.left), top = std::max(a.top, b.top);
  const long right = std::min(a.left + a.width, b.left + b.width);
  const long bottom = std::min(a.top + a.height, b.top + b.height);
  if (right <= left || bottom <= top) return a;
  return Rectangle{left, top, right - left, bottom - top};
}

}  // namespace

struct X11WindowList::Connection {
  explicit Connection(Display* d) : display(d) {
    IgnoreErrorsOn(display);
    root = DefaultRootWindow(display);
    netWmName = XInternAtom(display, "_NET_WM_NAME", False);
    utf8String = XInternAtom(display, "UTF8_STRING", False);
    netActiveWindow = XInternAtom(display, "_NET_ACTIVE_WINDOW", False);
    wmState = XInternAtom(display, "WM_STATE", False);
    netWmPid = XInternAtom(display, "_NET_WM_PID", False);
  }
  ~Connection() {
    XCloseDisplay(display);
    StopIgnoringErrorsOn(display);
  }

  bool HasProperty(Window window, Atom property) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    int rc = XGetWindowProperty(display, window, property, 0, 0, False, AnyPropertyType, &type,
                                &format, &count, &after, &data);
    if (data) XFree(data);
    return rc == Success && type != None;
  }

  std::vector<Window> Children(Window window) {
    Window rootReturn = 0, parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    std::vector<Window> result;
    if (XQueryTree(display, window, &rootReturn, &parent, &children, &count) && children) {
      result.assign(children, children + count);
    }
    if (children) XFree(children);
    return result;
  }

  // Under a reparenting window manager a child of the root is a frame; the
  // application's window, the one that carries WM_STATE and the title, lies
  // inside it. Naming the application's window keeps a handle the same
  // before and after the manager takes the window over.
  Window ClientOf(Window frame, int depth = 0) {
    if (HasProperty(frame, wmState)) return frame;
    if (depth < 3) {
      for (Window child : Children(frame)) {
        Window client = ClientOf(child, depth + 1);
        if (client != None) return client;
      }
    }
    return depth == 0 ? frame : None;
  }

  std::string Utf8Name(Window window) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::string name;
    if (XGetWindowProperty(display, window, netWmName, 0, 1024, False, utf8String, &type, &format,
                           &count, &after, &data) == Success &&
        type == utf8String && format == 8 && data) {
      name.assign(reinterpret_cast<char*>(data), count);
    }
    if (data) XFree(data);
    return name;
  }

  std::string LegacyName(Window window) {
    XTextProperty property{};
    std::string name;
    if (!XGetWMName(display, window, &property) || !property.value) return name;
    char** list = nullptr;
    int count = 0;
    if (property.encoding == XA_STRING) {
      // ISO 8859-1, which Windows-1252 contains from 0xA0 up.
      name.assign(reinterpret_cast<char*>(property.value), property.nitems);
    } else if (Xutf8TextPropertyToTextList(display, &property, &list, &count) >= Success &&
               count > 0 && list) {
      name = Utf8ToCp1252(list[0]);
    }
    if (list) XFreeStringList(list);
    XFree(property.value);
    return name;
  }

  // Source indication 2: a request on the user's behalf, which window
  // managers carry out rather than merely marking the window urgent.
  void RequestActivation(Window window) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = netActiveWindow;
    event.xclient.format = 32;
    event.xclient.data.l[0] = 2;
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, root, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
  }

  // _NET_WM_PID, a CARDINAL that Xlib hands over as a long.
  ProcessId PidOf(Window window) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    ProcessId pid = 0;
    if (XGetWindowProperty(display, window, netWmPid, 0, 1, False, XA_CARDINAL, &type, &format,
                           &count, &after, &data) == Success &&
        type == XA_CARDINAL && format == 32 && count == 1 && data) {
      pid = static_cast<ProcessId>(*reinterpret_cast<unsigned long*>(data));
    }
    if (data) XFree(data);
    return pid;
  }

  // Up to count CARDINALs of a property, as Xlib hands them over (longs).
  std::vector<long> Cardinals(Window window, const char* name, long count) {
    Atom type = None;
    int format = 0;
    unsigned long n = 0, after = 0;
    unsigned char* data = nullptr;
    std::vector<long> values;
    const Atom property = XInternAtom(display, name, False);
    if (XGetWindowProperty(display, window, property, 0, count, False, XA_CARDINAL, &type,
                           &format, &n, &after, &data) == Success &&
        type == XA_CARDINAL && format == 32 && data) {
      const long* longs = reinterpret_cast<const long*>(data);
      values.assign(longs, longs + n);
    }
    if (data) XFree(data);
    return values;
  }

  bool HasWindowManager() {
    return HasProperty(root, XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False));
  }

  // The monitor under the pointer; the whole screen where Xinerama tells
  // of no monitors.
  Rectangle Monitor() {
    Rectangle screen{0, 0, DisplayWidth(display, DefaultScreen(display)),
                     DisplayHeight(display, DefaultScreen(display))};
    int count = 0;
    XineramaScreenInfo* monitors =
        XineramaIsActive(display) ? XineramaQueryScreens(display, &count) : nullptr;
    if (!monitors) return screen;
    Window rootReturn = 0, child = 0;
    int x = 0, y = 0, wx = 0, wy = 0;
    unsigned int mask = 0;
    XQueryPointer(display, root, &rootReturn, &child, &x, &y, &wx, &wy, &mask);
    Rectangle chosen{monitors[0].x_org, monitors[0].y_org, monitors[0].width, monitors[0].height};
    for (int i = 0; i < count; ++i) {
      Rectangle monitor{monitors[i].x_org, monitors[i].y_org, monitors[i].width,
                        monitors[i].height};
      if (monitor.Holds(x, y)) chosen = monitor;
    }
    XFree(monitors);
    return chosen;
  }

  // _NET_WORKAREA spans every monitor of the current desktop; nothing when
  // the window manager sets none.
  std::optional<Rectangle> WorkArea() {
    const std::vector<long> current = Cardinals(root, "_NET_CURRENT_DESKTOP", 1);
    const long desktop = current.empty() ? 0 : current[0];
    const std::vector<long> areas = Cardinals(root, "_NET_WORKAREA", 4 * (desktop + 1));
    if (areas.size() < static_cast<std::size_t>(4 * (desktop + 1))) return std::nullopt;
    const long* area = areas.data() + 4 * desktop;
    if (area[2] <= 0 || area[3] <= 0) return std::nullopt;
    return Rectangle{area[0], area[1], area[2], area[3]};
  }

  // _NET_REQUEST_FRAME_EXTENTS: the window manager puts the frame it would
  // give a window on one that is never shown. Left, right, top, bottom.
  std::vector<long> FrameExtents() {
    const Atom extents = XInternAtom(display, "_NET_FRAME_EXTENTS", False);
    XSetWindowAttributes attributes{};
    attributes.event_mask = PropertyChangeMask;
    Window probe = XCreateWindow(display, root, 0, 0, 640, 400, 0, CopyFromParent, InputOutput,
                                 CopyFromParent, CWEventMask, &attributes);
    XEvent request{};
    request.xclient.type = ClientMessage;
    request.xclient.window = probe;
    request.xclient.message_type = XInternAtom(display, "_NET_REQUEST_FRAME_EXTENTS", False);
    request.xclient.format = 32;
    XSendEvent(display, root, False, SubstructureRedirectMask | SubstructureNotifyMask, &request);
    XFlush(display);
    std::vector<long> frame;
    const auto until = std::chrono::steady_clock::now() + kFrameAnswerWait;
    while (frame.size() < 4 && std::chrono::steady_clock::now() < until) {
      XEvent event{};
      if (XCheckTypedWindowEvent(display, probe, PropertyNotify, &event) &&
          event.xproperty.atom == extents) {
        frame = Cardinals(probe, "_NET_FRAME_EXTENTS", 4);
      } else {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      }
    }
    XDestroyWindow(display, probe);
    XFlush(display);
    return frame;
  }

  Display* display;
  Window root;
  Atom netWmName, utf8String, netActiveWindow, wmState, netWmPid;
};

std::unique_ptr<X11WindowList> X11WindowList::Open(const char* displayName) {
  const char* name = displayName ? displayName : std::getenv("DISPLAY");
  if (!name || !*name) return nullptr;
  // A busy server can turn a connection away now and then; one refusal
  // must not make the program take the display for absent.
  Display* display = nullptr;
  for (int attempt = 0; attempt < 10 && !display; ++attempt) {
    if (attempt > 0) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    display = XOpenDisplay(name);
  }
  if (!display) return nullptr;
  return std::unique_ptr<X11WindowList>(
      new X11WindowList(std::make_unique<Connection>(display)));
}

X11WindowList::X11WindowList(std::unique_ptr<Connection> connection)
    : x_(std::move(connection)) {}

X11WindowList::~X11WindowList() = default;

WindowHandle X11WindowList::First() {
  std::vector<WindowHandle> listed;
  std::vector<Window> children = x_->Children(x_->root);
  // XQueryTree lists the bottom of the stacking order first.
  std::reverse(children.begin(), children.end());
  for (Window child : children) {
    listed.push_back(static_cast<WindowHandle>(x_->ClientOf(child)));
  }
  return walk_.Start(std::move(listed));
}

WindowHandle X11WindowList::Next(WindowHandle window) { return walk_.Next(window); }

std::string X11WindowList::Title(WindowHandle window) {
  std::string name = x_->Utf8Name(window);
  if (!name.empty()) return Utf8ToCp1252(name);
  return x_->LegacyName(window);
}

ProcessId X11WindowList::ProcessOf(WindowHandle window) {
  const ProcessId pid = x_->PidOf(window);
  const ProcessId started = started_ ? started_() : 0;
  if (pid == 0 || started == 0 || pid == started) return pid;
  return IsDescendantOf(static_cast<pid_t>(pid), static_cast<pid_t>(started)) ? started : pid;
}

bool X11WindowList::IsVisible(WindowHandle window) {
  XWindowAttributes attributes{};
  if (!XGetWindowAttributes(x_->display, window, &attributes)) return false;
  return attributes.map_state != IsUnmapped || x_->HasProperty(window, x_->wmState);
}

// Restores an iconified window too: mapping it asks the window manager for
// the normal state, and the activation request de-iconifies where mapping
// alone does not.
void X11WindowList::Show(WindowHandle window, int showCommand) {
  if (showCommand != kShowNormal) return;
  XMapRaised(x_->display, window);
  x_->RequestActivation(window);
  XFlush(x_->display);
}

ScreenRoom X11WindowList::RoomForNewWindow() {
  const Rectangle monitor = x_->Monitor();
  const std::optional<Rectangle> workArea = x_->WorkArea();
  const Rectangle room = workArea ? Intersection(monitor, *workArea) : monitor;
  ScreenRoom result{static_cast<int>(room.width), static_cast<int>(room.height), 0, 0,
                    static_cast<int>(room.left), static_cast<int>(room.top)};
  if (!x_->HasWindowManager()) return result;  // no frame, nothing in the way
  const std::vector<long> frame = x_->FrameExtents();
  if (frame.size() == 4) {
    result.frameWidth = static_cast<int>(frame[0] + frame[1]);
    result.frameHeight = static_cast<int>(frame[2] + frame[3]);
  } else {
    result.frameWidth = kFrameAllowanceWidth;
    result.frameHeight = kFrameAllowanceHeight;
  }
  return result;
}

void X11WindowList::SetFocus(WindowHandle window) {
  x_->RequestActivation(window);
  XFlush(x_->display);
}

}  // namespace rizarode
