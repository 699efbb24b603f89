#include "startup/work_directory.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "base/text.h"
#include "support/temp_dir.h"
#include "support/test_platform.h"
#include "support/unprivileged.h"

namespace rizarode {
namespace {

namespace fs = std::filesystem;
using testing::CurrentDirectoryGuard;
using testing::EndCodeOf;
using testing::EnvGuard;
using testing::TempDir;
using testing::TestPlatform;
using testing::AsUnprivilegedUser;

// A run in a temporary current directory with TEMP, TMP, TMPDIR and
// XDG_RUNTIME_DIR under the test's control; candidates are given relative to
// it, which keeps them within the length limit. The directory is on lasting
// storage: where /tmp is a tmpfs (Debian 13), candidates in it would rightly
// come after every lasting one.
class WorkDirectoryTest : public ::testing::Test {
 protected:
  WorkDirectoryTest() : here_(dir_.path()) {}

  void MakeDir(const std::string& name) { fs::create_directories(dir_ / name); }

  // Resolves with the command line as typed; the program sees it upper-cased.
  std::string Resolve(const std::string& typed) {
    t_.info.argumentText = typed;
    program_ = t_.NewProgram();
    code_ = EndCodeOf([&] { ResolveWorkDirectory(*program_, UpperCase(typed)); });
    return program_->state.workDirectory;
  }

  std::string Real(const std::string& name) const {
    return fs::canonical(dir_ / name).string() + "/";
  }

  TempDir dir_{testing::LastingTempBase().string()};
  CurrentDirectoryGuard here_;
  EnvGuard temp_{"TEMP", nullptr};
  EnvGuard tmp_{"TMP", nullptr};
  EnvGuard tmpdir_{"TMPDIR", nullptr};
  EnvGuard runtime_{"XDG_RUNTIME_DIR", nullptr};
  TestPlatform t_;
  std::unique_ptr<Program> program_;
  int code_ = -1;
};

TEST_F(WorkDirectoryTest, TakesTheFirstCandidateThatPassesTheProbe) {
  MakeDir("a");
  MakeDir("b");
  MakeDir("c");
  MakeDir("x y");
  struct Case {
    const char* temp;
    const char* tmp;
    const char* tmpdir;
    const char* runtime;
    const char* expected;
  } cases[] = {
      {"a", "b", "c", "r", "a/"},
      {"a/", "b", "c", "r", "a/"},            // a closing separator is not doubled
      {nullptr, "b", "c", "r", "b/"},         // unset
      {"", "b", "c", "r", "b/"},              // empty
      {"missing", "b", "c", "r", "b/"},       // fails the probe
      {"x y", "b", "c", "r", "b/"},           // a blank inside
      {"a/missing", "missing", "c", "r", "c/"},
      // The runtime directory goes at log-out, with the jobs kept there:
      // a lasting directory comes first, even when TEMP names it.
      {"r", "b", "c", "r", "b/"},
  };
  MakeDir("r");
  for (const Case& c : cases) {
    EnvGuard temp("TEMP", c.temp);
    EnvGuard tmp("TMP", c.tmp);
    EnvGuard tmpdir("TMPDIR", c.tmpdir);
    EnvGuard runtime("XDG_RUNTIME_DIR", c.runtime);
    EXPECT_EQ(Resolve(""), c.expected) << (c.temp ? c.temp : "(unset)");
    EXPECT_EQ(code_, -1);
  }
  for (const char* d : {"a", "b", "c", "r", "x y"}) {
    EXPECT_TRUE(fs::is_empty(dir_ / d)) << "probe file left in " << d;
  }
  EXPECT_TRUE(t_.desktop.boxes.empty());
}

TEST_F(WorkDirectoryTest, HoldsCandidatesToTwentyFourCharactersForADosHostOfTheSystem) {
  const std::string name23(23, 'd');
  const std::string name24(24, 'e');
  MakeDir(name23);
  MakeDir(name24);
  MakeDir("b");
  {
    EnvGuard temp("TEMP", name24.c_str());  // 25 with its separator
    EnvGuard tmp("TMP", "b");
    EXPECT_EQ(Resolve(""), "b/");
  }
  {
    EnvGuard temp("TEMP", (name23 + "/").c_str());  // exactly 24
    EnvGuard tmp("TMP", "b");
    EXPECT_EQ(Resolve(""), name23 + "/");
  }
  {
    // A host in an emulator, or a program of the system's own.
    t_.launcher.dosHostRunsItself = false;
    EnvGuard temp("TEMP", name24.c_str());
    EnvGuard tmp("TMP", "b");
    EXPECT_EQ(Resolve(""), name24 + "/");
  }
}

TEST_F(WorkDirectoryTest, AcceptsAProbeFileAlreadyThereWithoutWriting) {
  MakeDir("ro");
  dir_.Write("ro/VELDRAK.TMP", "keep");
  ::chmod((dir_ / "ro").c_str(), 0555);
  EnvGuard temp("TEMP", "ro");
  EXPECT_EQ(Resolve(""), "ro/");
  EXPECT_EQ(dir_.Read("ro/VELDRAK.TMP"), "keep");
}

TEST_F(WorkDirectoryTest, NeverFollowsALinkPlantedAtTheProbeFile) {
  MakeDir("trap");
  MakeDir("b");
  dir_.Write("victim", "victim");
  fs::create_symlink(dir_ / "victim", dir_ / "trap/VELDRAK.TMP");
  MakeDir("dangle");
  fs::create_symlink(dir_ / "created-through-link", dir_ / "dangle/VELDRAK.TMP");

  EnvGuard temp("TEMP", "trap");
  EnvGuard tmp("TMP", "dangle");
  EnvGuard tmpdir("TMPDIR", "b");
  EXPECT_EQ(Resolve(""), "b/");
  EXPECT_EQ(dir_.Read("victim"), "victim");
  EXPECT_TRUE(fs::is_symlink(dir_ / "trap/VELDRAK.TMP"));
  EXPECT_FALSE(fs::exists(dir_ / "created-through-link"));
}

// /var/tmp is shared by all users: the user's own directory inside it.
TEST_F(WorkDirectoryTest, FallsBackToTheSystemsTemporaryDirectory) {
  if (::access("/var/tmp", W_OK) != 0) GTEST_SKIP() << "/var/tmp is not writable";
  EXPECT_EQ(Resolve(""), "/var/tmp/rz-" + std::to_string(::geteuid()) + "/");
}

TEST_F(WorkDirectoryTest, OptionDirectoryKeepsItsTypedCaseAndBecomesFull) {
  MakeDir("Work");
  const fs::path before = fs::current_path();
  for (const char* typed : {"/temp=Work", "/TEMP:Work", "/Temp=Work/", "/TEMP=Work\\",
                            "/TEMP=Work /WDEBUG=1", "/TEMP:elsewhere /TEMP=Work",
                            "/WDEBUG=1 /tEmP=./Work"}) {
    EXPECT_EQ(Resolve(typed), Real("Work")) << typed;
    EXPECT_EQ(code_, -1) << typed;
    EXPECT_EQ(fs::current_path(), before) << typed;
  }
  EXPECT_EQ(Resolve("/TEMP=" + dir_.path() + "/Work"), Real("Work"));
  EXPECT_TRUE(fs::is_empty(dir_ / "Work"));
  EXPECT_TRUE(t_.desktop.boxes.empty());
}

// The root is tested like any other directory: most users may not write it.
TEST_F(WorkDirectoryTest, OptionWithoutADirectoryGivesTheRootOnlyWhenWritable) {
  int result = AsUnprivilegedUser([&] {
    if (::access("/", W_OK) == 0) return 0;  // a user who may write the root
    for (const char* typed : {"/TEMP= /WDEBUG=1", "/WDEBUG=1 /TEMP:", "/TEMP=/"}) {
      Resolve(typed);
      if (code_ != static_cast<int>(ExitCode::kNoWorkDirectory)) return 1;
      if (t_.desktop.boxes.empty()) return 2;
      if (t_.desktop.boxes.back().text.find("tempdir = \r") == std::string::npos) return 3;
    }
    return 0;
  });
  EXPECT_EQ(result, 0);
  if (::access("/", W_OK) == 0) {
    EXPECT_EQ(Resolve("/TEMP= /WDEBUG=1"), "/");
  }
}

TEST_F(WorkDirectoryTest, OptionNamingNoUsableDirectoryEndsWithCriticalError) {
  dir_.Write("plain", "a file, not a directory");
  EnvGuard temp("TEMP", ".");  // the candidates are not tried instead
  for (const char* directory : {"NoWhere", "plain"}) {
    const std::string typed = std::string("/wdebug=1 /temp=") + directory + "/ more";
    EXPECT_EQ(Resolve(typed), "") << directory;
    EXPECT_EQ(code_, static_cast<int>(ExitCode::kNoWorkDirectory));
    ASSERT_FALSE(t_.desktop.boxes.empty());
    const testing::ShownBox& box = t_.desktop.boxes.back();
    EXPECT_EQ(box.title, "Critical error");
    EXPECT_EQ(box.style, 16);
    EXPECT_EQ(box.text, "ERROR : directory from /TEMP= not found.\r\r"
                        "commandline = " + typed + "\r"
                        "tempdir = " + directory + "\r");
  }
  // The error names "/TEMP=" also for "/TEMP:".
  Resolve("/TEMP:gone");
  EXPECT_EQ(t_.desktop.boxes.back().text.substr(0, 40), "ERROR : directory from /TEMP= not found.");
}

TEST(ProbeFilePathTest, RefusesPathsWithABlankWithoutTouchingThem) {
  TempDir dir;
  dir.Write("with blank/VELDRAK.TMP", "there");
  TestPlatform t;
  auto program = t.NewProgram();
  EXPECT_FALSE(ProbeFilePath(*program, dir / "with blank/VELDRAK.TMP"));
  EXPECT_TRUE(ProbeFilePath(*program, dir / "VELDRAK.TMP"));
  EXPECT_FALSE(fs::exists(dir / "VELDRAK.TMP"));
  EXPECT_FALSE(ProbeFilePath(*program, dir / "missing/VELDRAK.TMP"));
  // Nothing stays open after the probe.
  for (int16_t n = 1; n <= 3; ++n) EXPECT_FALSE(program->files.IsOpen(n));
}

}  // namespace
}  // namespace rizarode
