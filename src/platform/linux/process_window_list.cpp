#include "platform/linux/process_window_list.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string_view>

#include "base/text_encoding.h"

namespace rizarode {
namespace {

constexpr unsigned long kKernelThreadFlag = 0x00200000;  // PF_KTHREAD

// The start of a small /proc file; empty when the process is gone.
std::string ReadSmallFile(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return {};
  char buffer[4096];
  ssize_t n = ::read(fd, buffer, sizeof buffer);
  ::close(fd);
  return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string();
}

bool IsNumber(const char* name) {
  if (*name == '\0') return false;
  for (; *name; ++name) {
    if (*name < '0' || *name > '9') return false;
  }
  return true;
}

// The real user id from the "Uid:" line of /proc/PID/status.
std::optional<uid_t> ReadUid(const std::string& status) {
  std::size_t at = status.find("\nUid:");
  if (at == std::string::npos) return std::nullopt;
  return static_cast<uid_t>(std::strtoul(status.c_str() + at + 5, nullptr, 10));
}

// The blank-separated fields after the process name, from field 3 on.
std::vector<std::string_view> FieldsAfterName(std::string_view rest) {
  std::vector<std::string_view> fields;
  std::size_t at = 0;
  while (at < rest.size()) {
    std::size_t start = rest.find_first_not_of(" \n", at);
    if (start == std::string_view::npos) break;
    std::size_t end = rest.find_first_of(" \n", start);
    if (end == std::string_view::npos) end = rest.size();
    fields.push_back(rest.substr(start, end - start));
    at = end;
  }
  return fields;
}

unsigned long long Number(std::string_view field) {
  return std::strtoull(std::string(field).c_str(), nullptr, 10);
}

}  // namespace

std::optional<ProcessEntry> ReadProcessStat(const std::string& procRoot, pid_t pid) {
  const std::string stat = ReadSmallFile(procRoot + "/" + std::to_string(pid) + "/stat");
  // "pid (comm) state ppid ...": comm may hold blanks and parentheses, so
  // it ends at the last ')'.
  std::size_t open = stat.find('(');
  std::size_t close = stat.rfind(')');
  if (open == std::string::npos || close == std::string::npos || close < open) {
    return std::nullopt;
  }
  // fields[0] is field 3 (the state), fields[1] field 4 (the parent), the
  // flags are field 9 and the start time field 22.
  std::vector<std::string_view> fields = FieldsAfterName(std::string_view(stat).substr(close + 1));
  if (fields.size() < 20) return std::nullopt;

  ProcessEntry entry;
  entry.pid = pid;
  entry.parent = static_cast<pid_t>(Number(fields[1]));
  entry.comm = stat.substr(open + 1, close - open - 1);
  entry.zombie = fields[0] == "Z" || fields[0] == "X" || fields[0] == "x";
  entry.kernelThread = (Number(fields[6]) & kKernelThreadFlag) != 0;
  entry.startTime = Number(fields[19]);
  return entry;
}

std::optional<ProcessEntry> ReadProcessEntry(const std::string& procRoot, pid_t pid) {
  std::optional<ProcessEntry> entry = ReadProcessStat(procRoot, pid);
  if (!entry) return std::nullopt;
  std::optional<uid_t> uid =
      ReadUid(ReadSmallFile(procRoot + "/" + std::to_string(pid) + "/status"));
  if (!uid) return std::nullopt;
  entry->uid = *uid;
  return entry;
}

std::string TitleFromProcessName(const std::string& comm) {
  std::size_t dot = comm.rfind('.');
  std::string base = dot == std::string::npos || dot == 0 ? comm : comm.substr(0, dot);
  return Utf8ToCp1252(base);
}

ProcessWindowList::ProcessWindowList(std::function<void()> beforeScan, std::string procRoot,
                                     TitleOverride titleOf)
    : beforeScan_(std::move(beforeScan)),
      procRoot_(std::move(procRoot)),
      titleOf_(std::move(titleOf)),
      uid_(::getuid()) {}

std::string ProcessWindowList::TitleOf(pid_t pid, const std::string& comm) const {
  if (titleOf_) {
    if (std::optional<std::string> title = titleOf_(pid)) return *title;
  }
  return TitleFromProcessName(comm);
}

WindowHandle ProcessWindowList::NewHandle() {
  WindowHandle handle = nextHandle_++;
  if (nextHandle_ == 0) nextHandle_ = 1;
  return handle;
}

std::vector<pid_t> ProcessWindowList::ProcessIds() const {
  std::vector<pid_t> pids;
  if (DIR* dir = ::opendir(procRoot_.c_str())) {
    while (dirent* entry = ::readdir(dir)) {
      if (IsNumber(entry->d_name)) pids.push_back(static_cast<pid_t>(std::atol(entry->d_name)));
    }
    ::closedir(dir);
  }
  std::sort(pids.begin(), pids.end());
  return pids;
}

// Only processes new since the last walk have their owner read: the walk
// runs once per polling tick and many times a second while the host starts,
// and /proc is not cheap to read.
WindowHandle ProcessWindowList::First() {
  if (beforeScan_) beforeScan_();
  std::map<pid_t, KnownProcess> current;
  std::vector<WindowHandle> listed;
  titles_.clear();
  pids_.clear();
  for (pid_t pid : ProcessIds()) {
    auto old = known_.find(pid);
    std::optional<ProcessEntry> entry = ReadProcessStat(procRoot_, pid);
    KnownProcess process;
    if (!entry) {
      // Listed yet unreadable for a moment: still the process it was.
      if (old == known_.end()) continue;
      process = old->second;
    } else if (entry->zombie || entry->kernelThread) {
      continue;
    } else if (old != known_.end() && old->second.startTime == entry->startTime) {
      process = old->second;
      process.title = TitleOf(pid, entry->comm);
    } else {
      std::optional<uid_t> uid =
          ReadUid(ReadSmallFile(procRoot_ + "/" + std::to_string(pid) + "/status"));
      if (!uid) continue;
      process.startTime = entry->startTime;
      process.ours = *uid == uid_;
      process.handle = process.ours ? NewHandle() : 0;
      process.title = TitleOf(pid, entry->comm);
    }
    if (process.ours) {
      listed.push_back(process.handle);
      titles_[process.handle] = process.title;
      pids_[process.handle] = pid;
    }
    current[pid] = std::move(process);
  }
  // Processes that are gone are forgotten; their handles are never given
  // out again.
  known_ = std::move(current);
  return walk_.Start(std::move(listed));
}

WindowHandle ProcessWindowList::Next(WindowHandle window) { return walk_.Next(window); }

// The title as of the last walk: a window that was not in it is gone.
std::string ProcessWindowList::Title(WindowHandle window) {
  auto it = titles_.find(window);
  return it == titles_.end() ? std::string() : it->second;
}

ProcessId ProcessWindowList::ProcessOf(WindowHandle window) {
  auto it = pids_.find(window);
  return it == pids_.end() ? 0 : static_cast<ProcessId>(it->second);
}

}  // namespace rizarode
