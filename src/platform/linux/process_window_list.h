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

// The name without its extension: "VELDRAK.EXE" gives "VELDRAK".
std::string TitleFromProcessName(const std::string& comm);

class ProcessWindowList : public WindowList {
 public:
  // beforeScan runs at every First(); the platform reaps its ended children
  // there, so that an ended host is gone at once rather than a zombie.
  explicit ProcessWindowList(std::function<void()> beforeScan = {},
                             std::string procRoot = "/proc");

  WindowHandle First() override;
  WindowHandle Next(WindowHandle window) override;
  std::string Title(WindowHandle window) override;
  // Processes have no window to bring forward.
  void Show(WindowHandle, int) override {}
  void SetFocus(WindowHandle) override {}

 private:
  using ProcessKey = std::pair<pid_t, uint64_t>;
  WindowHandle HandleFor(const ProcessKey& key);
  std::optional<ProcessEntry> LiveProcess(WindowHandle window);

  std::function<void()> beforeScan_;
  std::string procRoot_;
  uid_t uid_;
  // A handle stands for one process for good: a pid that comes back for
  // another process gets another handle.
  std::map<ProcessKey, WindowHandle> handles_;
  std::map<WindowHandle, ProcessKey> processes_;
  WindowHandle nextHandle_ = 1;
  std::vector<WindowHandle> listed_;  // as of the last First()
  std::size_t nextIndex_ = 0;         // one past the window Next() last gave
};

}  // namespace rizarode
