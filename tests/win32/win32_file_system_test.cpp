#include "platform/win32/win32_file_system.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "support/temp_dir.h"

namespace rizarode {
namespace {

std::set<std::string> NamesIn(const std::string& dir) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

// Two runs may copy the same font into the fonts directory at once: a copy
// is put in place whole, a file there is never replaced, and no copy leaves
// its unfinished file behind.
TEST(Win32FileSystemTest, CopyFilePutsAWholeCopyInPlaceAndNeverReplaces) {
  testing::TempDir dir;
  Win32FileSystem files;
  const std::string face(200000, '\x7f');
  const std::string from = dir.Write("VKCOUR.TTF", face);
  dir.Write("FONTS/VKCOURBD.TTF", "another run's copy");
  std::string error;
  ASSERT_TRUE(files.CopyFile(from, dir / "FONTS/VKCOUR.TTF", error)) << error;
  EXPECT_EQ(dir.Read("FONTS/VKCOUR.TTF"), face);

  EXPECT_FALSE(files.CopyFile(from, dir / "FONTS/VKCOURBD.TTF", error));
  EXPECT_NE(error.find("VKCOURBD.TTF"), std::string::npos) << error;
  EXPECT_EQ(dir.Read("FONTS/VKCOURBD.TTF"), "another run's copy");

  EXPECT_FALSE(files.CopyFile(dir / "MISSING.TTF", dir / "FONTS/MISSING.TTF", error));
  EXPECT_NE(error.find("MISSING.TTF"), std::string::npos) << error;
  EXPECT_EQ(NamesIn(dir / "FONTS"), (std::set<std::string>{"VKCOUR.TTF", "VKCOURBD.TTF"}));
}

}  // namespace
}  // namespace rizarode
