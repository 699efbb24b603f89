// Installing a private font the Windows way in the Wine prefix: copied into
// the fonts directory of the Windows directory and added, it is a face that
// the system lists at once.

#include "platform/win32/win32_font_system.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/win32/windows_api.h"

namespace rizarode {
namespace {

int CALLBACK CountFace(const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM count) {
  ++*reinterpret_cast<int*>(count);
  return 1;
}

bool SystemListsFace(const char* face) {
  LOGFONTA wanted{};
  wanted.lfCharSet = DEFAULT_CHARSET;
  lstrcpynA(wanted.lfFaceName, face, LF_FACESIZE);
  HDC screen = GetDC(nullptr);
  int count = 0;
  EnumFontFamiliesExA(screen, &wanted, CountFace, reinterpret_cast<LPARAM>(&count), 0);
  ReleaseDC(nullptr, screen);
  return count > 0;
}

TEST(Win32FontSystemTest, AFontCopiedIntoTheFontsDirectoryAndAddedIsListed) {
  Win32FontSystem fonts(false);
  std::string windows = fonts.SystemDirectory();
  char expected[MAX_PATH] = {};
  GetWindowsDirectoryA(expected, MAX_PATH);
  ASSERT_EQ(windows, expected);
  ASSERT_FALSE(SystemListsFace("RUZeruzaz Ori")) << "the face is known before the test";

  // A name of the test's own, so that the program's own installation in
  // this prefix is not disturbed.
  std::string installed =
      windows + "\\Fonts\\VKTEST" + std::to_string(GetCurrentProcessId()) + ".TTF";
  ASSERT_TRUE(CopyFileA(RIZARODE_BINARY_DIR "/VKCOURBD.TTF", installed.c_str(), TRUE));
  EXPECT_EQ(fonts.AddFontResource(installed), 1);
  fonts.BroadcastFontChange();
  EXPECT_TRUE(SystemListsFace("RUZeruzaz Ori"));

  RemoveFontResourceA(installed.c_str());
  DeleteFileA(installed.c_str());
  EXPECT_EQ(fonts.AddFontResource(installed), 0);
}

}  // namespace
}  // namespace rizarode
