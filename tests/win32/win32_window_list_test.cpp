// The window walk over the real top-level windows of the Wine desktop.

#include "platform/win32/win32_window_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace rizarode {
namespace {

// A top-level window of this process, gone with the object.
class TestWindow {
 public:
  explicit TestWindow(const std::string& title) {
    handle_ = CreateWindowExA(0, "STATIC", title.c_str(), WS_OVERLAPPEDWINDOW, 10, 10, 200, 100,
                              nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  }
  ~TestWindow() {
    if (handle_) DestroyWindow(handle_);
  }
  HWND handle() const { return handle_; }

 private:
  HWND handle_ = nullptr;
};

std::vector<WindowHandle> Walk(WindowList& list) {
  std::vector<WindowHandle> all;
  for (WindowHandle w = list.First(); w != 0 && all.size() < 100000; w = list.Next(w)) {
    all.push_back(w);
  }
  return all;
}

TEST(Win32WindowListTest, TheWalkFindsANewWindowWithItsTitle) {
  Win32WindowList list;
  std::vector<WindowHandle> before = Walk(list);
  TestWindow window("VELDRAK 3.0 - caf\xE9");
  ASSERT_NE(window.handle(), nullptr);
  std::vector<WindowHandle> after = Walk(list);

  WindowHandle handle = ToWindowHandle(window.handle());
  EXPECT_EQ(ToHwnd(handle), window.handle());
  EXPECT_EQ(std::count(before.begin(), before.end(), handle), 0);
  EXPECT_EQ(std::count(after.begin(), after.end(), handle), 1);
  EXPECT_EQ(list.Title(handle), "VELDRAK 3.0 - caf\xE9");
}

TEST(Win32WindowListTest, TitlesAreReadIntoAFixedBuffer) {
  Win32WindowList list;
  TestWindow window(std::string(300, 'V'));
  ASSERT_NE(window.handle(), nullptr);
  EXPECT_EQ(list.Title(ToWindowHandle(window.handle())), std::string(255, 'V'));
  TestWindow untitled("");
  EXPECT_EQ(list.Title(ToWindowHandle(untitled.handle())), "");
}

}  // namespace
}  // namespace rizarode
