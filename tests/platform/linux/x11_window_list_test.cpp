#include "platform/linux/x11_window_list.h"

#include <unistd.h>

#include <cstring>
#include <vector>

#include <gtest/gtest.h>

// After gtest: Xlib's macros (None, Bool, Status) would clash with its names.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace rizarode {
namespace {

int errorsOnTestDisplay = 0;
int CountError(Display*, XErrorEvent*) {
  ++errorsOnTestDisplay;
  return 0;
}

// A client of its own on the display: makes top-level windows the way
// applications do, with titles in either property.
class X11WindowListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int attempt = 0; attempt < 5 && !display; ++attempt) {
      if (attempt > 0) usleep(20000);
      display = XOpenDisplay(nullptr);
    }
    if (!display) GTEST_SKIP() << "no X display to test on (DISPLAY is not set or not reachable)";
    XSetErrorHandler(CountError);
    errorsOnTestDisplay = 0;
    list = X11WindowList::Open();
    ASSERT_NE(list, nullptr);
  }
  void TearDown() override {
    list.reset();
    if (display) XCloseDisplay(display);
  }

  Window MakeWindow(Window parent = 0) {
    Window w = XCreateSimpleWindow(display, parent ? parent : DefaultRootWindow(display), 10, 10,
                                   100, 80, 0, 0, 0);
    XMapWindow(display, w);
    XSync(display, False);
    return w;
  }
  void SetUtf8Title(Window w, const std::string& title) {
    XChangeProperty(display, w, XInternAtom(display, "_NET_WM_NAME", False),
                    XInternAtom(display, "UTF8_STRING", False), 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(title.data()),
                    static_cast<int>(title.size()));
    XSync(display, False);
  }
  void SetLatin1Title(Window w, const std::string& title) {
    XStoreName(display, w, title.c_str());
    XSync(display, False);
  }

  std::vector<WindowHandle> Walk() {
    std::vector<WindowHandle> listed;
    for (WindowHandle h = list->First(); h != 0; h = list->Next(h)) listed.push_back(h);
    return listed;
  }
  // Position in one walk, -1 when not listed. Other tests' windows come and
  // go on the same display, so positions compare only within one walk.
  static int PositionIn(const std::vector<WindowHandle>& listed, Window w) {
    auto it = std::find(listed.begin(), listed.end(), static_cast<WindowHandle>(w));
    return it == listed.end() ? -1 : static_cast<int>(it - listed.begin());
  }
  int PositionOf(Window w) { return PositionIn(Walk(), w); }

  Display* display = nullptr;
  std::unique_ptr<X11WindowList> list;
};

TEST_F(X11WindowListTest, ListsTopLevelWindowsFromTheTopWithTheirTitles) {
  Window family = MakeWindow();
  SetLatin1Title(family, "Stamboom \xEB");
  Window host = MakeWindow();
  SetUtf8Title(host, "VELDRAK \xC3\xAB");
  SetLatin1Title(host, "legacy name");
  Window untitled = MakeWindow();

  std::vector<WindowHandle> listed = Walk();
  ASSERT_GE(PositionIn(listed, family), 0);
  EXPECT_LT(PositionIn(listed, untitled), PositionIn(listed, host));
  EXPECT_LT(PositionIn(listed, host), PositionIn(listed, family));
  EXPECT_EQ(list->Title(host), "VELDRAK \xEB");
  EXPECT_EQ(list->Title(family), "Stamboom \xEB");
  EXPECT_EQ(list->Title(untitled), "");

  list->Show(family, kShowNormal);
  XSync(display, False);
  listed = Walk();
  EXPECT_LT(PositionIn(listed, family), PositionIn(listed, untitled));

  XDestroyWindow(display, host);
  XSync(display, False);
  EXPECT_EQ(PositionOf(host), -1);
  EXPECT_EQ(list->Title(host), "");  // a gone window is no error
  EXPECT_EQ(errorsOnTestDisplay, 0);
}

// Each list has a connection of its own; the process has one error handler.
// A second list must not take the first one's errors for another
// connection's, nor leave them so when it goes.
TEST_F(X11WindowListTest, EveryOpenListIgnoresTheErrorsOnItsOwnConnection) {
  Window gone = MakeWindow();
  XDestroyWindow(display, gone);
  XSync(display, False);
  std::unique_ptr<X11WindowList> second = X11WindowList::Open();
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(list->Title(gone), "");
  EXPECT_EQ(second->Title(gone), "");
  second.reset();
  EXPECT_EQ(list->Title(gone), "");
  EXPECT_FALSE(list->IsVisible(gone));
  EXPECT_EQ(errorsOnTestDisplay, 0);
}

TEST_F(X11WindowListTest, UnderAWindowManagerFrameTheApplicationsWindowIsListed) {
  Window frame = MakeWindow();
  Window client = MakeWindow(frame);
  long state[2] = {1, 0};
  Atom wmState = XInternAtom(display, "WM_STATE", False);
  XChangeProperty(display, client, wmState, wmState, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(state), 2);
  SetUtf8Title(client, "VELDRAK");
  EXPECT_GE(PositionOf(client), 0);
  EXPECT_EQ(PositionOf(frame), -1);
  EXPECT_EQ(list->Title(client), "VELDRAK");
}

TEST_F(X11WindowListTest, ShowAndSetFocusAskTheWindowManagerToActivateTheWindow) {
  Window host = MakeWindow();
  Window root = DefaultRootWindow(display);
  // Listen at the root as a window manager would, but without taking the
  // redirect: that would hold back every other client's windows on this
  // display, and tests in other processes share it.
  XSelectInput(display, root, SubstructureNotifyMask);
  XSync(display, False);
  list->Show(host, kShowNormal);
  list->SetFocus(host);
  std::vector<XClientMessageEvent> requests;
  for (int i = 0; i < 100 && requests.size() < 2; ++i) {
    while (XPending(display)) {
      XEvent event{};
      XNextEvent(display, &event);
      if (event.type == ClientMessage && event.xclient.window == host) {
        requests.push_back(event.xclient);
      }
    }
    if (requests.size() < 2) usleep(10000);
  }
  XSelectInput(display, root, NoEventMask);
  ASSERT_EQ(requests.size(), 2u);
  for (const XClientMessageEvent& request : requests) {
    EXPECT_EQ(request.message_type, XInternAtom(display, "_NET_ACTIVE_WINDOW", False));
  }
}

}  // namespace
}  // namespace rizarode
