#include "fileio/file_table.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <cctype>
#include <filesystem>
#include <string>
#include <vector>

#include "support/native_file_system.h"
#include "support/temp_dir.h"

namespace rizarode {
namespace {

using testing::TempDir;

// Anything at the name, a dangling link included.
bool Exists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::exists(std::filesystem::symlink_status(path, ec));
}

// The accepted access codes of each mode; every lock code goes with each.
bool Accepted(const std::string& mode, const std::string& access) {
  if (mode == "A" || mode == "O") return access == "" || access == "W";
  if (mode == "I") return access == "" || access == "R";
  if (mode == "B" || mode == "R") {
    return access == "" || access == "R" || access == "W" || access == "RW";
  }
  return false;
}

bool KnownLock(const std::string& lock) {
  return lock == "" || lock == "S" || lock == "R" || lock == "W" || lock == "RW";
}

class FileTableTest : public ::testing::Test {
 protected:
  TempDir dir;
  testing::NativeFileSystem files;
  FileTable table{files};
};

TEST_F(FileTableTest, AcceptsSeventyCombinationsAndNothingElse) {
  const std::vector<std::string> modes = {"A", "B", "I", "O", "R", "X", "", "IO", "a", "i", "r"};
  const std::vector<std::string> accesses = {"", "R", "W", "RW", "r", "w", "rw", "WR", "X"};
  const std::vector<std::string> locks = {"", "S", "R", "W", "RW", "s", "w", "rw", "WR", "X"};
  std::string present = dir.Write("present.txt", "text\r\n");
  std::string missing = dir / "missing.txt";
  int acceptedUpperCase = 0;
  for (const std::string& mode : modes) {
    std::string upper = mode.size() == 1 ? std::string(1, static_cast<char>(std::toupper(mode[0]))) : mode;
    for (const std::string& access : accesses) {
      for (const std::string& lock : locks) {
        SCOPED_TRACE(mode + "/" + access + "/" + lock);
        if (Accepted(upper, access) && KnownLock(lock)) {
          int16_t number = table.OpenFileByMode(present, mode, access, lock, 0);
          EXPECT_NE(number, 0);
          EXPECT_TRUE(table.Close(number));
          if (mode == upper) ++acceptedUpperCase;
        } else {
          EXPECT_EQ(table.OpenFileByMode(missing, mode, access, lock, 0), 0);
          EXPECT_FALSE(Exists(missing));
        }
      }
    }
  }
  EXPECT_EQ(acceptedUpperCase, 70);
}

TEST_F(FileTableTest, MissingFileIsCreatedExceptForReadingOpens) {
  for (std::string mode : {"A", "B", "I", "O", "R"}) {
    for (std::string access : {"", "R", "W", "RW"}) {
      if (!Accepted(mode, access)) continue;
      for (std::string lock : {"", "S", "R", "W", "RW"}) {
        SCOPED_TRACE(mode + "/" + access + "/" + lock);
        std::string path = dir / "new.txt";
        bool readsOnly = mode == "I" || access == "R";
        int16_t number = table.OpenFileByMode(path, mode, access, lock, 0);
        if (readsOnly) {
          EXPECT_EQ(number, 0);
          EXPECT_FALSE(Exists(path));
        } else {
          EXPECT_NE(number, 0);
          EXPECT_TRUE(Exists(path));
          table.Close(number);
          std::filesystem::remove(path);
        }
      }
    }
  }
}

TEST_F(FileTableTest, BinaryProbeCreatesAFileThatCanBeWritten) {
  std::string path = dir / "VELDRAK.TMP";
  int16_t number = table.OpenFileByMode(path, "B", "", "", 4096);
  ASSERT_NE(number, 0);
  EXPECT_TRUE(table.Put(number, 1, "probe"));
  EXPECT_TRUE(table.Put(number, 0, "!"));  // at the current position
  EXPECT_EQ(table.Lof(number), 6);
  EXPECT_TRUE(table.Close(number));
  EXPECT_EQ(dir.Read("VELDRAK.TMP"), "probe!");
}

TEST_F(FileTableTest, FileNumbersAreTheLowestFreeAndNotHeldByFailedOpens) {
  std::string a = dir.Write("a.txt", "a");
  std::string b = dir.Write("b.txt", "b");
  EXPECT_EQ(table.OpenFileByMode(dir / "none.txt", "I", "R", "W", 0), 0);
  int16_t first = table.OpenFileByMode(a, "I", "R", "W", 0);
  EXPECT_EQ(first, 1);
  EXPECT_EQ(table.OpenFileByMode(a, "X", "", "", 0), 0);
  int16_t second = table.OpenFileByMode(b, "I", "R", "W", 0);
  EXPECT_EQ(second, 2);
  int16_t third = table.OpenFileByMode(a, "I", "", "", 0);
  EXPECT_EQ(third, 3);
  EXPECT_TRUE(table.Close(second));
  EXPECT_FALSE(table.IsOpen(second));
  EXPECT_FALSE(table.Close(second));
  EXPECT_EQ(table.OpenFileByMode(b, "I", "R", "W", 0), 2);
  EXPECT_TRUE(table.IsOpen(first));
  EXPECT_FALSE(table.IsOpen(0));
  EXPECT_FALSE(table.IsOpen(256));
}

TEST_F(FileTableTest, AFullTableGivesZero) {
  std::string path = dir.Write("a.txt", "a");
  for (int expected = 1; expected <= kMaxFileNumber; ++expected) {
    ASSERT_EQ(table.OpenFileByMode(path, "I", "R", "", 0), expected);
  }
  EXPECT_EQ(table.OpenFileByMode(path, "I", "R", "", 0), 0);
  table.Close(100);
  EXPECT_EQ(table.OpenFileByMode(path, "I", "R", "", 0), 100);
}

TEST_F(FileTableTest, OperationsOnNumbersThatAreNotOpenFailQuietly) {
  std::string line;
  for (int16_t number : {int16_t{0}, int16_t{7}, int16_t{-1}, int16_t{300}}) {
    EXPECT_FALSE(table.LineInput(number, line));
    EXPECT_TRUE(table.Eof(number));
    EXPECT_FALSE(table.PrintLine(number, "x"));
    EXPECT_FALSE(table.Put(number, 1, "x"));
    EXPECT_EQ(table.Lof(number), -1);
    EXPECT_EQ(table.Seek(number), -1);
    EXPECT_FALSE(table.SetSeek(number, 1));
    EXPECT_FALSE(table.Close(number));
  }
}

TEST_F(FileTableTest, AppendWritesAfterTheExistingContent) {
  std::string path = dir.Write("log.txt", "first\r\n");
  int16_t number = table.OpenFileByMode(path, "a", "W", "", 0);
  ASSERT_NE(number, 0);
  EXPECT_EQ(table.Seek(number), 8);
  EXPECT_EQ(table.LineWidth(number), 255);
  EXPECT_TRUE(table.PrintLine(number, "second"));
  table.Close(number);
  EXPECT_EQ(dir.Read("log.txt"), "first\r\nsecond\r\n");
}

TEST_F(FileTableTest, OutputEmptiesAnExistingFile) {
  std::string path = dir.Write("RIZARODE.TMP", "old content that is longer\r\n");
  int16_t number = table.OpenFileByMode(path, "O", "W", "RW", 0);
  ASSERT_NE(number, 0);
  EXPECT_EQ(table.Lof(number), 0);
  EXPECT_TRUE(table.PrintLine(number, "new"));
  EXPECT_TRUE(table.PrintLine(number, ""));
  table.Close(number);
  EXPECT_EQ(dir.Read("RIZARODE.TMP"), "new\r\n\r\n");
}

TEST_F(FileTableTest, TextOutputContinuesLongLinesAfter255Characters) {
  std::string exact(255, 'a');
  std::string longer = std::string(255, 'b') + std::string(255, 'c') + "dd";
  for (std::string mode : {"O", "A"}) {
    SCOPED_TRACE(mode);
    std::string path = dir / ("wide" + mode + ".txt");
    int16_t number = table.OpenFileByMode(path, mode, "", "", 0);
    ASSERT_NE(number, 0);
    table.PrintLine(number, exact);
    table.PrintLine(number, longer);
    table.PrintLine(number, std::string(200, 'e') + "\r\n" + std::string(200, 'f'));
    table.Close(number);
    EXPECT_EQ(dir.Read("wide" + mode + ".txt"),
              exact + "\r\n" + std::string(255, 'b') + "\r\n" + std::string(255, 'c') +
                  "\r\ndd\r\n" + std::string(200, 'e') + "\r\n" + std::string(200, 'f') + "\r\n");
  }
}

TEST_F(FileTableTest, BinaryOutputHasNoLineWidth) {
  std::string path = dir / "bin.dat";
  int16_t number = table.OpenFileByMode(path, "B", "W", "", 0);
  ASSERT_NE(number, 0);
  EXPECT_EQ(table.LineWidth(number), 0);
  table.PrintLine(number, std::string(300, 'x'));
  table.Close(number);
  EXPECT_EQ(dir.Read("bin.dat"), std::string(300, 'x') + "\r\n");
}

TEST_F(FileTableTest, ReadBufferAndRecordLength) {
  std::string path = dir.Write("in.txt", "x");
  int16_t standard = table.OpenFileByMode(path, "I", "R", "W", 0);
  int16_t small = table.OpenFileByMode(path, "I", "R", "W", 16);
  int16_t random = table.OpenFileByMode(path, "R", "R", "", 128);
  EXPECT_EQ(table.BufferSize(standard), 4096);
  EXPECT_EQ(table.BufferSize(small), 16);
  EXPECT_EQ(table.RecordLength(random), 128);
  EXPECT_EQ(table.OpenFileByMode(path, "I", "R", "", -1), 0);
}

// Line ends: CR LF and a lone CR end a line, a lone LF belongs to the line,
// a last line needs no terminator. Small buffers put every terminator on a
// buffer boundary somewhere.
TEST_F(FileTableTest, LineInputSplitsAtCrLfAndLoneCrWithAnyBufferSize) {
  std::string path = dir.Write("print.tmp", "one\r\ntwo\rthree\nstill three\r\n\r\n\rlast");
  const std::vector<std::string> expected = {"one", "two", "three\nstill three", "", "", "last"};
  for (int16_t bufferSize : {1, 2, 3, 5, 0}) {
    SCOPED_TRACE(bufferSize);
    int16_t number = table.OpenFileByMode(path, "I", "R", "W", bufferSize);
    ASSERT_NE(number, 0);
    std::vector<std::string> lines;
    std::string line;
    while (!table.Eof(number)) {
      ASSERT_TRUE(table.LineInput(number, line));
      lines.push_back(line);
    }
    EXPECT_EQ(lines, expected);
    EXPECT_FALSE(table.LineInput(number, line));
    table.Close(number);
  }
}

TEST_F(FileTableTest, LineInputEndingsAndEmptyFile) {
  std::string empty = dir.Write("empty.txt", "");
  std::string crlf = dir.Write("crlf.txt", "a\r\n");
  std::string cr = dir.Write("cr.txt", "a\r");
  std::string line = "untouched";
  int16_t number = table.OpenFileByMode(empty, "I", "", "", 0);
  EXPECT_TRUE(table.Eof(number));
  EXPECT_FALSE(table.LineInput(number, line));
  table.Close(number);
  for (const std::string& path : {crlf, cr}) {
    number = table.OpenFileByMode(path, "I", "", "", 0);
    ASSERT_TRUE(table.LineInput(number, line));
    EXPECT_EQ(line, "a");
    EXPECT_TRUE(table.Eof(number));
    table.Close(number);
  }
}

TEST_F(FileTableTest, ReadsLargeFilesLineByLine) {
  std::string content;
  for (int i = 0; i < 64000; ++i) content += "line " + std::to_string(i) + " #BOLD#\r\n";
  std::string path = dir.Write("big.tmp", content);
  int16_t number = table.OpenFileByMode(path, "I", "R", "W", 0);
  ASSERT_NE(number, 0);
  std::string line;
  int count = 0;
  while (table.LineInput(number, line)) {
    ASSERT_EQ(line, "line " + std::to_string(count) + " #BOLD#");
    ++count;
  }
  EXPECT_EQ(count, 64000);
  EXPECT_EQ(table.Seek(number), static_cast<int64_t>(content.size()) + 1);
}

TEST_F(FileTableTest, PositionCountsFromOneAndFollowsReads) {
  std::string path = dir.Write("pos.dat", "ab\r\ncd\r\n");
  int16_t number = table.OpenFileByMode(path, "B", "", "", 0);
  ASSERT_NE(number, 0);
  EXPECT_EQ(table.Seek(number), 1);
  std::string line;
  ASSERT_TRUE(table.LineInput(number, line));
  EXPECT_EQ(table.Seek(number), 5);
  // Writing after a read goes where the reading stopped, not where the
  // read-ahead buffer left the file.
  EXPECT_TRUE(table.Put(number, 0, "XY"));
  EXPECT_TRUE(table.SetSeek(number, 1));
  ASSERT_TRUE(table.LineInput(number, line));
  ASSERT_TRUE(table.LineInput(number, line));
  EXPECT_EQ(line, "XY");
  EXPECT_FALSE(table.SetSeek(number, 0));
  table.Close(number);
}

// The program's own opens are sharing partners like any other.
TEST_F(FileTableTest, SharingLocksApplyBetweenOpensOfTheSameProgram) {
  std::string path = dir / "VK0A1B2C.TMP";
  int16_t writer = table.OpenFileByMode(path, "O", "W", "", 0);
  ASSERT_NE(writer, 0);
  EXPECT_EQ(table.OpenFileByMode(path, "I", "R", "W", 0), 0);
  int16_t reader = table.OpenFileByMode(path, "I", "R", "S", 0);
  EXPECT_NE(reader, 0);
  table.Close(reader);
  table.Close(writer);
  reader = table.OpenFileByMode(path, "I", "R", "W", 0);
  EXPECT_NE(reader, 0);
  // The deny-write holder keeps writers out but lets readers in.
  EXPECT_EQ(table.OpenFileByMode(path, "O", "W", "", 0), 0);
  EXPECT_EQ(table.OpenFileByMode(path, "B", "", "S", 0), 0);
  int16_t second = table.OpenFileByMode(path, "I", "R", "W", 0);
  EXPECT_NE(second, 0);
  table.Close(second);
  table.Close(reader);

  int16_t exclusive = table.OpenFileByMode(path, "O", "W", "RW", 0);
  ASSERT_NE(exclusive, 0);
  EXPECT_EQ(table.OpenFileByMode(path, "I", "", "", 0), 0);
  EXPECT_EQ(table.OpenFileByMode(path, "B", "R", "S", 0), 0);
  table.PrintLine(exclusive, "done");
  table.Close(exclusive);
  EXPECT_EQ(dir.Read("VK0A1B2C.TMP"), "done\r\n");
}

TEST_F(FileTableTest, AFailedExclusiveOpenDoesNotEmptyTheFile) {
  std::string path = dir.Write("RIZARODE.TMP", "keep\r\n");
  int16_t reader = table.OpenFileByMode(path, "I", "R", "", 0);
  ASSERT_NE(reader, 0);
  EXPECT_EQ(table.OpenFileByMode(path, "O", "W", "RW", 0), 0);
  table.Close(reader);
  EXPECT_EQ(dir.Read("RIZARODE.TMP"), "keep\r\n");
}

#ifndef _WIN32
// The work directory may be shared with other users: a link planted at the
// name of a file the program writes must not redirect the write.
TEST_F(FileTableTest, WritingOpensRefuseSymbolicLinks) {
  std::string target = dir.Write("victim.txt", "precious");
  std::string link = dir / "VK123456.TMP";
  std::filesystem::create_symlink(target, link);
  std::string dangling = dir / "RIZARODE.TMP";
  std::filesystem::create_symlink(dir / "created-by-link.txt", dangling);
  for (auto [mode, access] : {std::pair{"O", "W"}, {"A", ""}, {"B", ""}, {"B", "W"}, {"R", "RW"}}) {
    SCOPED_TRACE(std::string(mode) + "/" + access);
    EXPECT_EQ(table.OpenFileByMode(link, mode, access, "", 0), 0);
    EXPECT_EQ(table.OpenFileByMode(dangling, mode, access, "RW", 0), 0);
  }
  EXPECT_EQ(dir.Read("victim.txt"), "precious");
  EXPECT_FALSE(Exists(dir / "created-by-link.txt"));
}

TEST_F(FileTableTest, FifosAreNotOpened) {
  std::string fifo = dir / "VK999999.TMP";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  // Would block for ever if the open waited for a writer to the FIFO.
  EXPECT_EQ(table.OpenFileByMode(fifo, "I", "R", "W", 0), 0);
}
#endif

TEST_F(FileTableTest, DirectoriesAreNotOpened) {
  EXPECT_EQ(table.OpenFileByMode(dir.path(), "I", "R", "W", 0), 0);
  EXPECT_EQ(table.OpenFileByMode(dir.path(), "O", "W", "RW", 0), 0);
}

}  // namespace
}  // namespace rizarode
