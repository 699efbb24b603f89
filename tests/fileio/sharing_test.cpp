// Sharing locks between two real processes: the polling cycle's lock test
// against a writer that knows nothing of them (as the host application is),
// and the driver file's exclusive open against a cooperating process.

#include <gtest/gtest.h>
#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

#include <cstring>

#include <string>

#include "fileio/file_table.h"
#include "support/native_file_system.h"
#include "support/second_process.h"
#include "support/temp_dir.h"

namespace rizarode {
namespace {

using testing::SecondProcess;
using testing::TempDir;

class SharingTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(other.running()); }

  // Opens, closes again and says whether the open succeeded.
  bool CanOpen(const std::string& path, const std::string& mode,
               const std::string& access, const std::string& lock) {
    int16_t number = table.OpenFileByMode(path, mode, access, lock, 0);
    if (number == 0) return false;
    table.Close(number);
    return true;
  }

  TempDir dir;
  testing::NativeFileSystem files;
  FileTable table{files};
  SecondProcess other{"file_opener"};
};

TEST_F(SharingTest, LockTestFailsWhileAnotherProcessWritesAndSucceedsAfter) {
  std::string path = dir.Write("VK00ABCD.TMP", "#BOLD#partial");
  ASSERT_EQ(other.Ask("raw-write " + path), "ok");
  EXPECT_FALSE(CanOpen(path, "I", "R", "W"));
  EXPECT_FALSE(CanOpen(path, "I", "R", "RW"));
  EXPECT_TRUE(CanOpen(path, "I", "R", ""));  // no lock asked, none tested
  ASSERT_EQ(other.Ask("raw-close"), "ok");
  EXPECT_TRUE(CanOpen(path, "I", "R", "W"));
}

TEST_F(SharingTest, AReaderElsewhereDoesNotBlockTheLockTest) {
  std::string path = dir.Write("VK00ABCD.TMP", "done\r\n");
  ASSERT_EQ(other.Ask("raw-read " + path), "ok");
  EXPECT_TRUE(CanOpen(path, "I", "R", "W"));
  // ...but it does keep an exclusive writer out, as it would on Windows.
  EXPECT_FALSE(CanOpen(path, "O", "W", "RW"));
  EXPECT_EQ(dir.Read("VK00ABCD.TMP"), "done\r\n");
  ASSERT_EQ(other.Ask("raw-close"), "ok");
  EXPECT_TRUE(CanOpen(path, "O", "W", "RW"));
}

TEST_F(SharingTest, ExclusiveWriterKeepsCooperatingProcessesOut) {
  std::string path = dir / "RIZARODE.TMP";
  int16_t writer = table.OpenFileByMode(path, "O", "W", "RW", 0);
  ASSERT_NE(writer, 0);
  EXPECT_EQ(other.Ask("open I R W " + path), "0");
  EXPECT_EQ(other.Ask("open I - - " + path), "0");
  EXPECT_EQ(other.Ask("open I R S " + path), "0");
  EXPECT_EQ(other.Ask("open B - - " + path), "0");
  EXPECT_EQ(other.Ask("open A W S " + path), "0");
  table.PrintLine(writer, "complete");
  table.Close(writer);
  EXPECT_EQ(other.Ask("open I R W " + path), "1");
  EXPECT_EQ(dir.Read("RIZARODE.TMP"), "complete\r\n");
}

TEST_F(SharingTest, CooperatingProcessHoldingTheFileKeepsOpensOut) {
  std::string path = dir.Write("RIZARODE.TMP", "old\r\n");
  ASSERT_EQ(other.Ask("open I R W " + path), "1");
  EXPECT_FALSE(CanOpen(path, "O", "W", "RW"));
  EXPECT_FALSE(CanOpen(path, "O", "W", ""));  // deny-write holder
  EXPECT_TRUE(CanOpen(path, "I", "R", "W"));  // readers are welcome
  EXPECT_EQ(dir.Read("RIZARODE.TMP"), "old\r\n");
  ASSERT_EQ(other.Ask("close 1"), "ok");
  EXPECT_TRUE(CanOpen(path, "O", "W", "RW"));

  ASSERT_EQ(other.Ask("open O W RW " + path), "1");
  EXPECT_FALSE(CanOpen(path, "I", "R", "W"));
  EXPECT_FALSE(CanOpen(path, "I", "", "S"));
  ASSERT_EQ(other.Ask("close 1"), "ok");
  EXPECT_TRUE(CanOpen(path, "I", "R", "W"));
}

#ifndef _WIN32
// Leases on a file of another user need CAP_LEASE; without it the lock test
// searches the open descriptors instead and must come to the same answer.
TEST_F(SharingTest, LockTestWorksWhereLeasesAreRefused) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to give a file to another user";
  std::string path = dir.Write("VK00ABCD.TMP", "#BOLD#partial");
  ASSERT_EQ(::chown(path.c_str(), 65534, 65534), 0);
  ASSERT_EQ(other.Ask("drop-lease-capability"), "ok");
  ASSERT_EQ(other.Ask("lease " + path), std::strerror(EACCES));

  int writer = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
  ASSERT_GE(writer, 0);
  EXPECT_EQ(other.Ask("open I R W " + path), "0");
  EXPECT_EQ(other.Ask("open I R - " + path), "1");
  EXPECT_EQ(other.Ask("close 1"), "ok");
  ::close(writer);
  EXPECT_EQ(other.Ask("open I R W " + path), "1");
}
#endif

}  // namespace
}  // namespace rizarode
