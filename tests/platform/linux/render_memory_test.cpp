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

// Writes 30 MB of chunk, then the end of a job, and prints it with the real
// tool; the tool's peak memory in kilobytes.
long PeakKilobytesPrinting(const std::string& chunk) {
  testing::TempDir dir;
  std::string path = dir / "VK00LONG.TMP";
  std::FILE* file = std::fopen(path.c_str(), "wb");
  EXPECT_NE(file, nullptr);
  if (file == nullptr) return -1;
  for (std::size_t written = 0; written < 30u << 20; written += chunk.size()) {
    std::fwrite(chunk.data(), 1, chunk.size(), file);
  }
  std::fputs("#form##JOBend#", file);
  std::fclose(file);
  std::string tool = RIZARODE_BINARY_DIR "/tools/rizarode-render";
  std::string out = dir / "out.pdf";
  char* argv[] = {tool.data(), path.data(), out.data(), nullptr};
  pid_t pid = 0;
  EXPECT_EQ(::posix_spawn(&pid, tool.c_str(), nullptr, nullptr, argv, environ), 0);
  int status = 0;
  rusage usage {};
  EXPECT_EQ(::wait4(pid, &status, 0, &usage), pid);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_TRUE(std::filesystem::exists(out));
  return usage.ru_maxrss;
}

// A print file with Unix line ends is one long line. Printing it costs no
// more memory than a short one, since text past the sheet's edge does not
// show anyway; nor does the underline of runs beyond it.
TEST(RenderMemoryTest, ALineOfThirtyMegabytesPrintsInBoundedMemory) {
  std::string plain;
  for (int i = 0; i < 1000; ++i) plain += "line of a unix file " + std::to_string(i) + "\n";
  long plainPeak = PeakKilobytesPrinting(plain);
  // Before pieces and clipping this line needed about 1.5 GB.
  EXPECT_LT(plainPeak, 300L * 1024) << "peak kilobytes";

  std::string underlined;
  for (int i = 0; i < 1000; ++i) underlined += "#UNDERLINE#ab#underline#cd";
  // Each run's underline used to be drawn however far beyond the edge: 65 MB
  // more for this line.
  EXPECT_LT(PeakKilobytesPrinting(underlined), plainPeak + 24L * 1024) << "peak kilobytes";
}

}  // namespace
}  // namespace rizarode
