#include "startup/one_host.h"

#include <gtest/gtest.h>

#include "platform/desktop.h"
#include "support/temp_dir.h"
#include "support/test_platform.h"

namespace rizarode {
namespace {

using testing::CurrentDirectoryGuard;
using testing::EndCodeOf;
using testing::TempDir;
using testing::TestPlatform;

// The host replaced its window after the run had noted it (an emulator that
// opens a new one): a second start finds the host by its process, brings
// that window forward and ends; once the run is over, the next start goes on.
TEST(KeepToOneHostTest, SecondStartFindsTheHostByItsProcessAndTheLockGoesWithTheRun) {
  TempDir host;
  TempDir instances;
  CurrentDirectoryGuard here(host.path());
  TestPlatform t;
  t.files.instanceDirectory = instances.path() + "/";
  auto first = t.NewProgram();
  ASSERT_EQ(EndCodeOf([&] { KeepToOneHost(*first); }), -1);
  t.launcher.process = 7;
  first->state.hostWindow = 100;
  RecordHostWindow(*first);

  t.windows.windows = {{150, "Other", 8}, {200, "VELDRAK", 7}};
  auto second = t.NewProgram();
  EXPECT_EQ(EndCodeOf([&] { KeepToOneHost(*second); }),
            static_cast<int>(ExitCode::kAlreadyRunning));
  EXPECT_TRUE(t.log.Has("windows.show:200:1"));
  EXPECT_TRUE(t.log.Has("windows.focus:200"));
  ASSERT_EQ(t.desktop.boxes.size(), 1u);
  EXPECT_EQ(t.desktop.boxes[0].style, kMbOk + kMbIconInformation);
  EXPECT_NE(t.desktop.boxes[0].text.find("VELDRAK draait al"), std::string::npos);
  EXPECT_NE(t.desktop.boxes[0].text.find("staat nu vooraan"), std::string::npos);

  first.reset();
  auto third = t.NewProgram();
  EXPECT_EQ(EndCodeOf([&] { KeepToOneHost(*third); }), -1);
  EXPECT_TRUE(third->state.hostDirectoryLock);
}

}  // namespace
}  // namespace rizarode
