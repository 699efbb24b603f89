#include "platform/linux/linux_file_system.h"

#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <thread>

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

  // Neither a copy put in place nor one refused leaves its unfinished file.
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    EXPECT_NE(entry.path().filename().string()[0], '.') << entry.path();
  }
}

// The pipe fills and the write blocks; a signal then cuts it short, or
// interrupts it before it has taken anything. Either way it goes on.
TEST(WriteAllTest, WritesTheWholeBufferThroughShortWritesAndSignals) {
  int pipeEnds[2];
  ASSERT_EQ(::pipe(pipeEnds), 0);
  struct sigaction interrupt {}, before {};
  interrupt.sa_handler = [](int) {};  // no SA_RESTART: the write returns
  ASSERT_EQ(::sigaction(SIGUSR1, &interrupt, &before), 0);

  std::string data(1 << 20, '\0');
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 7 + i / 4096);
  std::atomic<bool> written{false};
  bool ok = false;
  std::thread writer([&] {
    ok = WriteAll(pipeEnds[1], data.data(), data.size());
    ::close(pipeEnds[1]);
    written = true;
  });
  std::string received;
  char buffer[4096];
  for (;;) {
    if (!written) ::pthread_kill(writer.native_handle(), SIGUSR1);
    ssize_t n = ::read(pipeEnds[0], buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    received.append(buffer, static_cast<std::size_t>(n));
  }
  writer.join();
  ::close(pipeEnds[0]);
  ::sigaction(SIGUSR1, &before, nullptr);
  EXPECT_TRUE(ok);
  EXPECT_TRUE(received == data) << received.size() << " of " << data.size() << " bytes";
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
