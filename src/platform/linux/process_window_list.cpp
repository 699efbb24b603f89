#include "platform/linux/process_window_list.h"

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/text_encoding.h"

namespace rizarode {
namespace {

constexpr unsigned long kKernelThreadFlag = 0x00200000;  // PF_KTHREAD

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
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

}  // namespace

std::optional<ProcessEntry> ReadProcessEntry(const std::string& procRoot, pid_t pid) {
  const std::string dir = procRoot + "/" + std::to_string(pid);
  const std::string stat = ReadFile(dir + "/stat");
  // "pid (comm) state ppid ...": comm may hold blanks and parentheses, so
  // it ends at the last ')'.
  std::size_t open = stat.find('(');
  std::size_t close = stat.rfind(')');
  if (open == std::string::npos || close == std::string::npos || close < open) {
    return std::nullopt;
  }
  std::istringstream fields(stat.substr(close + 1));
  std::string state;
  fields >> state;
  // Fields 4 to 22 of the line; the start time is field 22, the flags 9.
  std::vector<std::string> rest(19);
  for (std::string& field : rest) fields >> field;
  if (!fields || state.empty()) return std::nullopt;
  std::optional<uid_t> uid = ReadUid(ReadFile(dir + "/status"));
  if (!uid) return std::nullopt;

  ProcessEntry entry;
  entry.pid = pid;
  entry.parent = static_cast<pid_t>(std::atol(rest[0].c_str()));
  entry.comm = stat.substr(open + 1, close - open - 1);
  entry.zombie = state == "Z" || state == "X" || state == "x";
  entry.kernelThread = (std::strtoul(rest[5].c_str(), nullptr, 10) & kKernelThreadFlag) != 0;
  entry.startTime = std::strtoull(rest[18].c_str(), nullptr, 10);
  entry.uid = *uid;
  return entry;
}

std::string TitleFromProcessName(const std::string& comm) {
  std::size_t dot = comm.rfind('.');
  std::string base = dot == std::string::npos || dot == 0 ? comm : comm.substr(0, dot);
  return Utf8ToCp1252(base);
}

ProcessWindowList::ProcessWindowList(std::function<void()> beforeScan, std::string procRoot)
    : beforeScan_(std::move(beforeScan)), procRoot_(std::move(procRoot)), uid_(::getuid()) {}

WindowHandle ProcessWindowList::HandleFor(const ProcessKey& key) {
  auto [it, added] = handles_.try_emplace(key, nextHandle_);
  if (added) {
    processes_[nextHandle_] = key;
    ++nextHandle_;
    if (nextHandle_ == 0) nextHandle_ = 1;
  }
  return it->second;
}

WindowHandle ProcessWindowList::First() {
  if (beforeScan_) beforeScan_();
  listed_.clear();
  std::vector<pid_t> pids;
  if (DIR* dir = ::opendir(procRoot_.c_str())) {
    while (dirent* entry = ::readdir(dir)) {
      if (IsNumber(entry->d_name)) pids.push_back(static_cast<pid_t>(std::atol(entry->d_name)));
    }
    ::closedir(dir);
  }
  std::sort(pids.begin(), pids.end());
  for (pid_t pid : pids) {
    std::optional<ProcessEntry> entry = ReadProcessEntry(procRoot_, pid);
    if (!entry || entry->zombie || entry->kernelThread || entry->uid != uid_) continue;
    listed_.push_back(HandleFor({entry->pid, entry->startTime}));
  }
  nextIndex_ = 1;
  return listed_.empty() ? 0 : listed_.front();
}

WindowHandle ProcessWindowList::Next(WindowHandle window) {
  // A walk asks for the window after the one it was last given.
  std::size_t at = nextIndex_ > 0 && nextIndex_ <= listed_.size() &&
                           listed_[nextIndex_ - 1] == window
                       ? nextIndex_ - 1
                       : static_cast<std::size_t>(
                             std::find(listed_.begin(), listed_.end(), window) - listed_.begin());
  if (at + 1 >= listed_.size()) return 0;
  nextIndex_ = at + 2;
  return listed_[at + 1];
}

std::optional<ProcessEntry> ProcessWindowList::LiveProcess(WindowHandle window) {
  auto it = processes_.find(window);
  if (it == processes_.end()) return std::nullopt;
  std::optional<ProcessEntry> entry = ReadProcessEntry(procRoot_, it->second.first);
  if (!entry || entry->zombie || entry->startTime != it->second.second) return std::nullopt;
  return entry;
}

std::string ProcessWindowList::Title(WindowHandle window) {
  std::optional<ProcessEntry> entry = LiveProcess(window);
  return entry ? TitleFromProcessName(entry->comm) : std::string();
}

}  // namespace rizarode
