// The DOS host started by the Linux launcher: an emulator that is missing
// or ends at once, and a start that cannot be composed, are failed starts.

#include <sys/stat.h>

#include <cstdlib>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "platform/linux/posix_launcher.h"
#include "support/temp_dir.h"

namespace rizarode {
namespace {

using testing::CurrentDirectoryGuard;
using testing::TempDir;

// An MZ header without a Windows header.
std::string Mz() {
  std::string bytes(128, '\0');
  bytes[0] = 'M';
  bytes[1] = 'Z';
  return bytes;
}

// The emulator named in the environment for one test.
class DosboxVariable {
 public:
  explicit DosboxVariable(const std::string& value) {
    if (const char* old = std::getenv("RIZARODE_DOSBOX")) saved_ = old;
    ::setenv("RIZARODE_DOSBOX", value.c_str(), 1);
  }
  ~DosboxVariable() {
    if (saved_) ::setenv("RIZARODE_DOSBOX", saved_->c_str(), 1);
    else ::unsetenv("RIZARODE_DOSBOX");
  }

 private:
  std::optional<std::string> saved_;
};

TEST(PosixLauncherDosTest, AnEmulatorThatIsMissingOrEndsAtOnceIsAFailedStart) {
  TempDir dir;
  CurrentDirectoryGuard in(dir.path());
  dir.Write("VELDRAK.EXE", Mz());
  const std::string line = "VELDRAK.EXE /WIN=VK0000FF.TMP /TEMP=" + dir.path() + "/ ";
  PosixLauncher launcher;

  {
    DosboxVariable missing(dir / "no-dosbox");
    EXPECT_FALSE(launcher.Start(line));
    EXPECT_NE(launcher.FailureReason().find("DOSBox"), std::string::npos);
  }
  {
    // What DOSBox does without a screen it can use: says so, and ends with 0.
    std::string quitter = dir.Write("dosbox-quits",
                                    "#!/bin/sh\necho \"Exit to error: Can't init SDL\"\n");
    ::chmod(quitter.c_str(), 0755);
    DosboxVariable quits(quitter);
    EXPECT_FALSE(launcher.Start(line));
    EXPECT_NE(launcher.FailureReason().find("Exit to error: Can't init SDL"), std::string::npos)
        << launcher.FailureReason();
  }
  {
    std::string too_long = line + std::string(100, 'X');
    EXPECT_FALSE(launcher.Start(too_long));
    EXPECT_NE(launcher.FailureReason().find("DOS allows 126"), std::string::npos);
  }
  dir.Write("VELDRAK.PIF", "not a PIF");
  EXPECT_FALSE(launcher.Start("VELDRAK.PIF /WIN=VK0000FF.TMP /TEMP=" + dir.path() + "/"));
  EXPECT_NE(launcher.FailureReason().find("VELDRAK.PIF"), std::string::npos);
}

}  // namespace
}  // namespace rizarode
