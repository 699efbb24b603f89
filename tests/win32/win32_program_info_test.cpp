#include "platform/win32/win32_program_info.h"

#include <gtest/gtest.h>

namespace rizarode {
namespace {

TEST(Win32ProgramInfoTest, TheArgumentsFollowTheProgramNameQuotedOrNot) {
  EXPECT_EQ(ArgumentPart("rizarode.exe /WDEBUG=1  /TEMP=C:\\W"), "/WDEBUG=1  /TEMP=C:\\W");
  EXPECT_EQ(ArgumentPart("\"C:\\Program Files\\V K\\rizarode.exe\"  /? "), "/? ");
  EXPECT_EQ(ArgumentPart("\"C:\\V K\\rizarode.exe\"/?"), "/?");
  EXPECT_EQ(ArgumentPart("rizarode.exe"), "");
}

TEST(Win32ProgramInfoTest, TheProgramCarriesItsVersionInItsResource) {
  std::optional<FileVersion> version = FileVersionOf(RIZARODE_BINARY_DIR "/rizarode.exe");
  ASSERT_TRUE(version.has_value());
  EXPECT_EQ(version->major, 3);
  EXPECT_EQ(version->minor, 1);
  EXPECT_EQ(version->revision, 2);
}

}  // namespace
}  // namespace rizarode
