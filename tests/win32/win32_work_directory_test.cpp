#include "startup/work_directory.h"

#include <gtest/gtest.h>

#include "program/program.h"
#include "support/temp_dir.h"
#include "support/test_platform.h"

namespace rizarode {
namespace {

using testing::EnvGuard;
using testing::TestPlatform;

// A user's TEMP is often longer than a DOS host that the system runs itself
// can take (the test doubles' launcher runs one so); the program then falls
// back to the system's own directories, named as Windows names them.
TEST(Win32WorkDirectoryTest, ALongTempGivesWayToTheWindowsTemporaryDirectory) {
  EnvGuard temp("TEMP", "C:\\A-DIRECTORY-TOO-LONG-FOR-THE-HOST");
  EnvGuard tmp("TMP", nullptr);
  TestPlatform t;
  auto program = t.NewProgram();
  ResolveWorkDirectory(*program, "");
  EXPECT_EQ(program->state.workDirectory, "C:\\WINDOWS\\TEMP\\");
}

// "C:" alone would name the current directory of drive C, not its root.
TEST(Win32WorkDirectoryTest, AnOptionWithoutADirectoryGivesTheRootOfDriveC) {
  TestPlatform t;
  auto program = t.NewProgram();
  ResolveWorkDirectory(*program, "/TEMP= /WDEBUG=1");
  EXPECT_EQ(program->state.workDirectory, "C:\\");
}

}  // namespace
}  // namespace rizarode
