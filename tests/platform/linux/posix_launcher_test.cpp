#include "platform/linux/posix_launcher.h"

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace rizarode {
namespace {

using testing::CurrentDirectoryGuard;
using testing::TempDir;

std::string WriteExecutable(const TempDir& dir, const std::string& name,
                            const std::string& content) {
  std::string path = dir.Write(name, content);
  ::chmod(path.c_str(), 0755);
  return path;
}

// Waits up to a few seconds for a file that another process writes.
std::string AwaitFile(const TempDir& dir, const std::string& name) {
  for (int i = 0; i < 300 && !std::filesystem::exists(dir / name); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  return dir.Read(name);
}

TEST(FindProgramFileTest, ABareNameIsFoundInTheCurrentDirectoryWithoutRegardToCase) {
  TempDir dir;
  CurrentDirectoryGuard in(dir.path());
  dir.Write("veldrak.exe", "");
  std::filesystem::create_directory(dir / "VELDRAK.PIF");
  EXPECT_EQ(FindProgramFile("VELDRAK.EXE"), "./veldrak.exe");
  EXPECT_EQ(FindProgramFile("VELDRAK.PIF"), std::nullopt);  // a directory is no program
  EXPECT_EQ(FindProgramFile(dir / "veldrak.exe"), dir / "veldrak.exe");
  EXPECT_EQ(FindProgramFile(dir / "VELDRAK.EXE"), std::nullopt);
}

TEST(PosixLauncherTest, StartsTheProgramFileWithItsArgumentsAndNoShell) {
  TempDir dir;
  CurrentDirectoryGuard in(dir.path());
  WriteExecutable(dir, "Veldrak.Exe",
                  "#!/bin/sh\nfor a in \"$@\"; do printf '[%s]' \"$a\"; done > args.tmp\n"
                  "mv args.tmp args.txt\n");
  PosixLauncher launcher;
  ASSERT_TRUE(launcher.Start("VELDRAK.EXE /WIN=VK0000FF.TMP $(touch x);'q' *  "));
  EXPECT_EQ(AwaitFile(dir, "args.txt"), "[/WIN=VK0000FF.TMP][$(touch][x);'q'][*][][]");
  EXPECT_FALSE(std::filesystem::exists(dir / "x"));
  launcher.ReapEndedChildren();
}

TEST(PosixLauncherTest, AProgramThatIsMissingOrNotExecutableIsNotStarted) {
  TempDir dir;
  CurrentDirectoryGuard in(dir.path());
  PosixLauncher launcher;
  EXPECT_FALSE(launcher.Start("VELDRAK.EXE /WIN=X"));
  dir.Write("VELDRAK.EXE", "#!/bin/sh\ntouch started\n");  // not executable
  EXPECT_FALSE(launcher.Start("VELDRAK.EXE /WIN=X"));
  WriteExecutable(dir, "VELDRAK.PIF", "MZ\x90\x00 not a program description");
  EXPECT_FALSE(launcher.Start("VELDRAK.PIF /WIN=X"));
  EXPECT_FALSE(launcher.Start(""));
  EXPECT_FALSE(std::filesystem::exists(dir / "started"));
}

}  // namespace
}  // namespace rizarode
