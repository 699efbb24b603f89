// Starting a program the way the host application is started, in the Wine
// prefix: the command line arrives whole, with a normal window asked for.

#include "platform/win32/win32_launcher.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/win32/windows_api.h"
#include "support/temp_dir.h"

namespace rizarode {
namespace {

using testing::CurrentDirectoryGuard;
using testing::TempDir;

// What the helper wrote, once it has; empty when it never did.
std::string WaitForStartRecord(const TempDir& dir) {
  for (int i = 0; i < 300 && !std::filesystem::exists(dir / "started.txt"); ++i) Sleep(100);
  return dir.Read("started.txt");
}

TEST(Win32LauncherTest, StartsTheProgramInTheCurrentDirectoryWithTheWholeCommandLine) {
  TempDir dir;
  std::filesystem::copy_file(RIZARODE_BINARY_DIR "/tests/record_start.exe", dir / "VELDRAK.EXE");
  CurrentDirectoryGuard inside(dir.path());
  const std::string commandLine = "VELDRAK.EXE /WIN=VK00ABCD.TMP /TEMP=C:\\WORK\\ /WDEBUG=1 ";
  Win32Launcher launcher;
  ASSERT_TRUE(launcher.Start(commandLine));
  EXPECT_EQ(WaitForStartRecord(dir), commandLine + "\n1\n");
}

TEST(Win32LauncherTest, AMissingProgramIsNotStartedFromElsewhere) {
  TempDir dir;
  CurrentDirectoryGuard inside(dir.path());
  Win32Launcher launcher;
  EXPECT_FALSE(launcher.Start("VELDRAK.EXE /WIN=VK00ABCD.TMP /TEMP= "));
  // A program of that name on the search path is not the host application.
  EXPECT_FALSE(launcher.Start("winver.exe"));
}

}  // namespace
}  // namespace rizarode
