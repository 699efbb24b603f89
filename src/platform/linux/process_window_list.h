#pragma once
// The top-level windows of a desktop without a display: the user's
// processes. A process is titled by the name the kernel gives it (the base
// name of the file it executes) without the extension, so that the host
// started as "VELDRAK.EXE" reads as "VELDRAK".

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/window_walk.h"
#include "platform/window_list.h"

namespace rizarode {

// What /proc says about one process.
struct ProcessEntry {
  pid_t pid = 0;
  pid_t parent = 0;
  uint64_t startTime = 0;  // clock ticks after boot; tells pid reuses apart
  uid_t uid = 0;
  bool zombie = false;
  bool kernelThread = false;
  std::string comm;
};

// Reads /proc/PID/stat and /proc/PID/status (under procRoot); nothing when
// the process is gone.
std::optional<ProcessEntry> ReadProcessEntry(const std::string& procRoot, pid_t pid);
// The same from /proc/PID/stat alone, without the user id.
std::optional<ProcessEntry> ReadProcessStat(const std::string& procRoot, pid_t pid);

// The name without its extension: "VELDRAK.EXE" gives "VELDRAK".
std::string TitleFromProcessName(const std::string& comm);

class ProcessWindowList : public WindowList {
 public:
  // A title that the launcher knows better than the kernel's name: the
  // DOS program's for the emulator that runs it.
  using TitleOverride = std::function<std::optional<std::string>(pid_t)>;

  // beforeScan runs at every First(); the platform reaps its ended children
  // there, so that an ended host is gone at once rather than a zombie.
  explicit ProcessWindowList(std::function<void()> beforeScan = {},
                             std::string procRoot = "/proc", TitleOverride titleOf = {});

  WindowHandle First() override;
  WindowHandle Next(WindowHandle window) override;
  std::string Title(WindowHandle window) override;
  // The process itself, as of the last walk; 0 for one that was not in it.
  ProcessId ProcessOf(WindowHandle window) override;
  // Processes have no window to bring forward.
  void Show(WindowHandle, int) override {}
  void SetFocus(WindowHandle) override {}

 private:
  struct KnownProcess {
    uint64_t startTime = 0;
    bool ours = false;       // the user's, so listed
    WindowHandle handle = 0;  // 0 when not ours
    std::string title;
  };
  WindowHandle NewHandle();
  std::vector<pid_t> ProcessIds() const;
  std::string TitleOf(pid_t pid, const std::string& comm) const;

  std::function<void()> beforeScan_;
  std::string procRoot_;
  TitleOverride titleOf_;
  uid_t uid_;
  // Every process of the last walk by pid. A handle stands for one process
  // for good: a pid that comes back for another process (another start
  // time) gets another handle.
  std::map<pid_t, KnownProcess> known_;
  WindowHandle nextHandle_ = 1;
  std::map<WindowHandle, std::string> titles_;  // of the windows listed
  std::map<WindowHandle, pid_t> pids_;          // of the windows listed
  WindowWalk walk_;
};

}  // namespace rizarode
