#include "platform/linux/process_window_list.h"

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include <gtest/gtest.h>

#include "platform/linux/posix_launcher.h"
#include "support/temp_dir.h"

namespace rizarode {
namespace {

using testing::CurrentDirectoryGuard;
using testing::TempDir;

// A /proc of its own: one process whose stat line a test writes.
class FakeProc {
 public:
  void Set(pid_t pid, const std::string& comm, char state, uint64_t startTime,
           unsigned long flags = 0x400000, uid_t uid = ::getuid()) {
    std::string fields = std::to_string(pid) + " (" + comm + ") " + state + " 1 1 1 0 -1 " +
                         std::to_string(flags) + " 0 0 0 0 0 0 0 0 20 0 1 0 " +
                         std::to_string(startTime) + " 1000 100\n";
    root.Write(std::to_string(pid) + "/stat", fields);
    root.Write(std::to_string(pid) + "/status",
               "Name:\t" + comm + "\nState:\t" + state + "\nUid:\t" + std::to_string(uid) +
                   "\t0\t0\t0\n");
  }
  void Remove(pid_t pid) { std::filesystem::remove_all(root / std::to_string(pid)); }
  TempDir root;
};

std::vector<std::pair<WindowHandle, std::string>> Walk(WindowList& windows) {
  std::vector<std::pair<WindowHandle, std::string>> listed;
  for (WindowHandle h = windows.First(); h != 0; h = windows.Next(h)) {
    listed.emplace_back(h, windows.Title(h));
  }
  return listed;
}

bool Lists(WindowList& windows, WindowHandle handle) {
  for (const auto& [h, title] : Walk(windows)) {
    if (h == handle) return true;
  }
  return false;
}

TEST(ProcessTitleTest, IsTheProcessNameWithoutItsExtension) {
  EXPECT_EQ(TitleFromProcessName("VELDRAK.EXE"), "VELDRAK");
  EXPECT_EQ(TitleFromProcessName("bash"), "bash");
  EXPECT_EQ(TitleFromProcessName("a.b.sh"), "a.b");
  EXPECT_EQ(TitleFromProcessName(".hidden"), ".hidden");
  EXPECT_EQ(TitleFromProcessName("Gen\xC3\xAB" "alogie"), "Gen\xEB" "alogie");
}

TEST(ProcessWindowListTest, ListsTheUsersLiveProcessesOnly) {
  FakeProc proc;
  proc.Set(10, "VELDRAK.EXE", 'S', 500);
  proc.Set(11, "odd (name) x", 'R', 501);
  proc.Set(12, "gone", 'Z', 502);
  proc.Set(13, "kworker/0:1", 'I', 3, 0x00208040);
  proc.Set(14, "other", 'S', 504, 0x400000, ::getuid() + 1);
  proc.root.Write("self/stat", "not a process directory");
  ProcessWindowList windows({}, proc.root.path());
  auto listed = Walk(windows);
  ASSERT_EQ(listed.size(), 2u);
  EXPECT_EQ(listed[0].second, "VELDRAK");
  EXPECT_EQ(listed[1].second, "odd (name) x");
  EXPECT_NE(listed[0].first, listed[1].first);
  // Handles stay the same from one walk to the next.
  EXPECT_EQ(Walk(windows), listed);
}

TEST(ProcessWindowListTest, AReusedProcessIdIsAnotherWindow) {
  FakeProc proc;
  proc.Set(10, "VELDRAK.EXE", 'S', 500);
  ProcessWindowList windows({}, proc.root.path());
  WindowHandle host = windows.First();
  ASSERT_NE(host, 0u);
  // A process that cannot be read for a moment is still the same window.
  proc.root.Write("10/stat", "");
  EXPECT_EQ(windows.First(), host);
  EXPECT_EQ(windows.Title(host), "VELDRAK");
  proc.Set(10, "VELDRAK.EXE", 'S', 900);  // the host ended, its pid came back
  WindowHandle newcomer = windows.First();
  EXPECT_NE(newcomer, host);
  EXPECT_EQ(windows.Next(newcomer), 0u);
  EXPECT_EQ(windows.Title(host), "");
  EXPECT_EQ(windows.Title(newcomer), "VELDRAK");
  proc.Remove(10);
  EXPECT_EQ(windows.First(), 0u);
  EXPECT_EQ(windows.Title(newcomer), "");
}

// The real machine: a started host shows under its name and is gone as soon
// as it ends.
class RealProcessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::copy_file(RIZARODE_BINARY_DIR "/tests/sleep_until_signalled",
                               dir / "VELDRAK.EXE");
    ::chmod((dir / "VELDRAK.EXE").c_str(), 0755);
  }
  // Its window is told by its process: tests running beside this one start
  // hosts of the same name.
  WindowHandle NewHostWindow(WindowList& windows) {
    EXPECT_TRUE(launcher.Start("VELDRAK.EXE /WIN=VK000001.TMP"));
    const pid_t pid = HostPid();
    for (const auto& [h, title] : Walk(windows)) {
      if (pid > 0 && windows.ProcessOf(h) == static_cast<ProcessId>(pid)) {
        return title == "VELDRAK" ? h : 0;
      }
    }
    return 0;
  }
  // The started host: this process's child of that name.
  pid_t HostPid() {
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
      std::string name = entry.path().filename();
      if (name.find_first_not_of("0123456789") != std::string::npos) continue;
      auto process = ReadProcessEntry("/proc", std::stoi(name));
      if (process && process->comm == "VELDRAK.EXE" && process->parent == ::getpid()) {
        return process->pid;
      }
    }
    return 0;
  }

  TempDir dir;
  CurrentDirectoryGuard in{dir.path()};
  PosixLauncher launcher;
};

TEST_F(RealProcessTest, AnEndedHostIsGoneAtOnceAndLeavesNoZombie) {
  ProcessWindowList windows([this] { launcher.ReapEndedChildren(); });
  WindowHandle host = NewHostWindow(windows);
  ASSERT_NE(host, 0u);
  pid_t pid = HostPid();
  ASSERT_GT(pid, 0);
  ASSERT_TRUE(Lists(windows, host));

  ::kill(pid, SIGTERM);
  std::optional<ProcessEntry> ended;
  for (int i = 0; i < 400; ++i) {
    ended = ReadProcessEntry("/proc", pid);
    if (ended && ended->zombie) break;
    ::usleep(5000);
  }
  ASSERT_TRUE(ended && ended->zombie);

  EXPECT_FALSE(Lists(windows, host));
  EXPECT_EQ(windows.Title(host), "");
  EXPECT_FALSE(ReadProcessEntry("/proc", pid).has_value());  // reaped
}

}  // namespace
}  // namespace rizarode
