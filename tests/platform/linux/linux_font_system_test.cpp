#include "platform/linux/linux_font_system.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/fontconfig_sandbox.h"
#include "support/temp_dir.h"

namespace rizarode {
namespace {

namespace fs = std::filesystem;
using testing::EnvGuard;
using testing::FontconfigSandbox;
using testing::MatchFace;
using testing::TempDir;

constexpr char kFace[] = "RUZeruzaz Ori";
const std::string kRegularFont = RIZARODE_BINARY_DIR "/VKCOUR.TTF";
const std::string kBoldFont = RIZARODE_BINARY_DIR "/VKCOURBD.TTF";

// Never restarts anything.
LinuxFontSystem HarmlessFontSystem() { return LinuxFontSystem({"false"}); }

TEST(LinuxFontSystemTest, SystemDirectoryIsTheUserDataDirectoryWithItsFontsDirectory) {
  TempDir dir;
  LinuxFontSystem fonts = HarmlessFontSystem();
  {
    EnvGuard data("XDG_DATA_HOME", (dir / "data/").c_str());
    EXPECT_EQ(fonts.SystemDirectory(), dir / "data");
    EXPECT_TRUE(fs::is_directory(dir / "data/fonts"));
  }
  EnvGuard home("HOME", (dir / "home").c_str());
  for (const char* unusable : {static_cast<const char*>(nullptr), "", "relative/data"}) {
    EnvGuard data("XDG_DATA_HOME", unusable);
    EXPECT_EQ(fonts.SystemDirectory(), dir / "home/.local/share");
  }
  EXPECT_TRUE(fs::is_directory(dir / "home/.local/share/fonts"));
  EXPECT_FALSE(fs::exists("relative"));
}

TEST(LinuxFontSystemTest, AnAddedFontIsUsableAtOnceAndStaysSoAfterAFontChange) {
  TempDir dir;
  FontconfigSandbox sandbox(dir);
  // Outside every directory fontconfig scans: only the addition makes it
  // known.
  std::string path = dir / "elsewhere/VKCOUR.TTF";
  fs::create_directories(dir / "elsewhere");
  fs::copy_file(kRegularFont, path);
  ASSERT_NE(MatchFace(kFace).family, kFace) << "the face is installed on this machine";

  LinuxFontSystem fonts = HarmlessFontSystem();
  EXPECT_EQ(fonts.AddFontResource(path), 1);
  EXPECT_EQ(MatchFace(kFace).family, kFace);
  EXPECT_EQ(MatchFace(kFace).file, path);

  fonts.BroadcastFontChange();
  EXPECT_EQ(MatchFace(kFace).file, path);
  EXPECT_EQ(fonts.AddFontResource(dir / "elsewhere/missing.ttf"), 0);
}

TEST(LinuxFontSystemTest, AFontChangeFindsFontsCopiedIntoTheFontsDirectory) {
  TempDir dir;
  FontconfigSandbox sandbox(dir);
  LinuxFontSystem fonts = HarmlessFontSystem();
  std::string fontsDirectory = fonts.SystemDirectory() + "/fonts";
  fs::copy_file(kBoldFont, fontsDirectory + "/VKCOURBD.TTF");

  fonts.BroadcastFontChange();
  testing::FontMatch bold = MatchFace(kFace, true);
  EXPECT_EQ(bold.family, kFace);
  EXPECT_EQ(bold.style, "Bold");
  EXPECT_EQ(bold.file, fontsDirectory + "/VKCOURBD.TTF");
}

TEST(LinuxFontSystemTest, ARestartRunsTheGivenCommandAndSaysWhetherItWorked) {
  TempDir dir;
  LinuxFontSystem restarting({"/bin/sh", "-c", "echo restart > " + (dir / "asked")});
  EXPECT_TRUE(restarting.RequestRestart());
  EXPECT_EQ(dir.Read("asked"), "restart\n");

  EXPECT_FALSE(HarmlessFontSystem().RequestRestart());
  EXPECT_FALSE(LinuxFontSystem({dir / "no-such-command"}).RequestRestart());
  EXPECT_FALSE(LinuxFontSystem({}).RequestRestart());
}

TEST(PrivateFontFilesTest, TheBuildMakesBothStylesOfTheFace) {
  for (const auto& [path, style] : {std::pair{kRegularFont, "Regular"}, std::pair{kBoldFont, "Bold"}}) {
    int count = 0;
    FcPattern* font = FcFreeTypeQuery(reinterpret_cast<const FcChar8*>(path.c_str()), 0,
                                      nullptr, &count);
    ASSERT_NE(font, nullptr) << path;
    FcChar8* family = nullptr;
    FcChar8* fontStyle = nullptr;
    int spacing = 0;
    EXPECT_EQ(FcPatternGetString(font, FC_FAMILY, 0, &family), FcResultMatch);
    EXPECT_EQ(FcPatternGetString(font, FC_STYLE, 0, &fontStyle), FcResultMatch);
    EXPECT_EQ(FcPatternGetInteger(font, FC_SPACING, 0, &spacing), FcResultMatch);
    EXPECT_STREQ(reinterpret_cast<const char*>(family), kFace) << path;
    EXPECT_STREQ(reinterpret_cast<const char*>(fontStyle), style) << path;
    EXPECT_EQ(spacing, FC_MONO) << path;
    // The family has one name only: no record still carries the old one.
    FcChar8* second = nullptr;
    EXPECT_NE(FcPatternGetString(font, FC_FAMILY, 1, &second), FcResultMatch) << second;
    FcPatternDestroy(font);
  }
}

}  // namespace
}  // namespace rizarode
