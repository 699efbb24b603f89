// Peak memory of the renderer on a print file of one enormous line, measured
// on the real tool in a process of its own.

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "support/temp_dir.h"

extern char** environ;

namespace rizarode {
namespace {

// A print file with Unix line ends is one long line. Printing it costs no
// more memory than a short one, since text past the sheet's edge does not
// show anyway.
TEST(RenderMemoryTest, ALineOfThirtyMegabytesPrintsInBoundedMemory) {
  testing::TempDir dir;
  std::string path = dir / "VK00LONG.TMP";
  {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::string chunk;
    for (int i = 0; i < 1000; ++i) chunk += "line of a unix file " + std::to_string(i) + "\n";
    for (std::size_t written = 0; written < 30u << 20; written += chunk.size()) {
      std::fwrite(chunk.data(), 1, chunk.size(), file);
    }
    std::fputs("#form##JOBend#", file);
    std::fclose(file);
  }
  std::string tool = RIZARODE_BINARY_DIR "/tools/rizarode-render";
  std::string out = dir / "out.pdf";
  char* argv[] = {tool.data(), path.data(), out.data(), nullptr};
  pid_t pid = 0;
  ASSERT_EQ(::posix_spawn(&pid, tool.c_str(), nullptr, nullptr, argv, environ), 0);
  int status = 0;
  rusage usage {};
  ASSERT_EQ(::wait4(pid, &status, 0, &usage), pid);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  // Before pieces and clipping this line needed about 1.5 GB.
  EXPECT_LT(usage.ru_maxrss, 300L * 1024) << "peak kilobytes";
  EXPECT_TRUE(std::filesystem::exists(out));
}

}  // namespace
}  // namespace rizarode
