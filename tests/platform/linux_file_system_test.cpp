#include "platform/linux/linux_file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/linux/open_file_scan.h"
#include "support/second_process.h"
#include "support/temp_dir.h"

namespace rizarode {
namespace {

using testing::CurrentDirectoryGuard;
using testing::EnvGuard;
using testing::SecondProcess;
using testing::TempDir;

class LinuxFileSystemTest : public ::testing::Test {
 protected:
  TempDir dir;
  LinuxFileSystem files;
};

TEST_F(LinuxFileSystemTest, FileExistsOnlyForVisibleRegularFiles) {
  std::string plain = dir.Write("VELDRAK.TMP", "x");
  std::string hidden = dir.Write(".VELDRAK.TMP", "x");
  std::filesystem::create_directory(dir / "GB");
  std::filesystem::create_symlink(plain, dir / "link.tmp");
  EXPECT_TRUE(files.FileExists(plain));
  EXPECT_TRUE(files.FileExists(dir / "link.tmp"));
  EXPECT_FALSE(files.FileExists(hidden));
  EXPECT_FALSE(files.FileExists(dir / "GB"));
  EXPECT_FALSE(files.FileExists(dir / "missing"));
  EXPECT_FALSE(files.FileExists(""));
}

TEST_F(LinuxFileSystemTest, FindNoCaseMatchesKindAndPrefersTheExactName) {
  dir.Write("veldrak.pif", "x");
  std::filesystem::create_directory(dir / "Gb");
  EXPECT_EQ(files.FindNoCase(dir.path(), "VELDRAK.PIF", false), dir / "veldrak.pif");
  EXPECT_EQ(files.FindNoCase(dir.path() + "/", "VELDRAK.PIF", false), dir / "veldrak.pif");
  EXPECT_EQ(files.FindNoCase(dir.path(), "VELDRAK.PIF", true), std::nullopt);
  EXPECT_EQ(files.FindNoCase(dir.path(), "GB", true), dir / "Gb");
  EXPECT_EQ(files.FindNoCase(dir.path(), "GB", false), std::nullopt);
  EXPECT_EQ(files.FindNoCase(dir.path(), "VELDRAK.EXE", false), std::nullopt);
  EXPECT_EQ(files.FindNoCase(dir / "none", "X", false), std::nullopt);

  dir.Write("VELDRAK.PIF", "exact");
  dir.Write("Veldrak.Pif", "x");
  EXPECT_EQ(files.FindNoCase(dir.path(), "VELDRAK.PIF", false), dir / "VELDRAK.PIF");
  // Among inexact matches the answer does not depend on directory order.
  EXPECT_EQ(files.FindNoCase(dir.path(), "VELDRAK.pif", false), dir / "VELDRAK.PIF");
  EXPECT_EQ(files.FindNoCase(dir.path(), "veldrak.PIF", false), dir / "VELDRAK.PIF");
}

TEST_F(LinuxFileSystemTest, FindNoCaseInTheCurrentDirectory) {
  dir.Write("VELDRAK.EXE", "x");
  CurrentDirectoryGuard inside(dir.path());
  EXPECT_EQ(files.FindNoCase("", "veldrak.exe", false), "VELDRAK.EXE");
}

TEST_F(LinuxFileSystemTest, CopyFileNeverOverwritesAndSaysWhy) {
  std::string from = dir.Write("VKCOUR.TTF", std::string(200000, '\x7f'));
  std::string to = dir / "copy.ttf";
  std::string error;
  ASSERT_TRUE(files.CopyFile(from, to, error)) << error;
  EXPECT_EQ(dir.Read("copy.ttf"), dir.Read("VKCOUR.TTF"));

  dir.Write("existing.ttf", "mine");
  EXPECT_FALSE(files.CopyFile(from, dir / "existing.ttf", error));
  EXPECT_NE(error.find("existing.ttf"), std::string::npos);
  EXPECT_EQ(dir.Read("existing.ttf"), "mine");

  std::filesystem::create_symlink(dir / "elsewhere.ttf", dir / "link.ttf");
  EXPECT_FALSE(files.CopyFile(from, dir / "link.ttf", error));
  EXPECT_FALSE(std::filesystem::exists(dir / "elsewhere.ttf"));

  error.clear();
  EXPECT_FALSE(files.CopyFile(dir / "missing.ttf", dir / "new.ttf", error));
  EXPECT_NE(error.find("missing.ttf"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir / "new.ttf"));

  EXPECT_FALSE(files.CopyFile(dir.path(), dir / "new.ttf", error));
  EXPECT_FALSE(std::filesystem::exists(dir / "new.ttf"));
}

TEST_F(LinuxFileSystemTest, DeleteFileRemovesFilesAndLinksOnly) {
  std::string target = dir.Write("target", "x");
  std::filesystem::create_symlink(target, dir / "VK000001.TMP");
  std::filesystem::create_directory(dir / "sub");
  EXPECT_TRUE(files.DeleteFile(dir / "VK000001.TMP"));
  EXPECT_TRUE(std::filesystem::exists(target));
  EXPECT_FALSE(files.DeleteFile(dir / "sub"));
  EXPECT_FALSE(files.DeleteFile(dir / "missing"));
  EXPECT_TRUE(files.DeleteFile(target));
}

TEST_F(LinuxFileSystemTest, CurrentDirectoryAndEnvironment) {
  CurrentDirectoryGuard guard;
  ASSERT_TRUE(files.SetCurrentDirectory(dir.path()));
  EXPECT_EQ(std::filesystem::path(files.CurrentDirectory()),
            std::filesystem::canonical(dir.path()));
  EXPECT_FALSE(files.SetCurrentDirectory(dir / "missing"));
  EXPECT_FALSE(files.SetCurrentDirectory(""));

  EnvGuard set("RIZARODE_TEST_VALUE", "C:\\TEMP");
  EnvGuard unset("RIZARODE_TEST_UNSET", nullptr);
  EXPECT_EQ(files.GetEnv("RIZARODE_TEST_VALUE"), "C:\\TEMP");
  EXPECT_EQ(files.GetEnv("RIZARODE_TEST_UNSET"), std::nullopt);
}

// The search through /proc stands in where leases are refused.
TEST_F(LinuxFileSystemTest, OpenDescriptorSearchSeesWritersOfOtherProcesses) {
  std::string path = dir.Write("VK00ABCD.TMP", "x");
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  SecondProcess other("file_opener");
  ASSERT_TRUE(other.running());
  EXPECT_FALSE(FindOpenDescriptor(st.st_dev, st.st_ino, OpenersWanted::kAny, -1));

  ASSERT_EQ(other.Ask("raw-read " + path), "ok");
  EXPECT_FALSE(FindOpenDescriptor(st.st_dev, st.st_ino, OpenersWanted::kWriters, -1));
  EXPECT_TRUE(FindOpenDescriptor(st.st_dev, st.st_ino, OpenersWanted::kAny, -1));
  ASSERT_EQ(other.Ask("raw-write " + path), "ok");
  EXPECT_TRUE(FindOpenDescriptor(st.st_dev, st.st_ino, OpenersWanted::kWriters, -1));
  ASSERT_EQ(other.Ask("raw-close"), "ok");
  EXPECT_FALSE(FindOpenDescriptor(st.st_dev, st.st_ino, OpenersWanted::kAny, -1));

  int own = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(own, 0);
  EXPECT_TRUE(FindOpenDescriptor(st.st_dev, st.st_ino, OpenersWanted::kAny, -1));
  EXPECT_FALSE(FindOpenDescriptor(st.st_dev, st.st_ino, OpenersWanted::kAny, own));
  ::close(own);
}

}  // namespace
}  // namespace rizarode
