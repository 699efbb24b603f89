#include "platform/linux/process_spawn.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <unistd.h>

extern char** environ;

namespace rizarode {
namespace {

class SpawnAttributes {
 public:
  explicit SpawnAttributes(bool newSession) {
    posix_spawnattr_init(&attr_);
    sigset_t all, none;
    sigfillset(&all);
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attr_, &all);
    posix_spawnattr_setsigmask(&attr_, &none);
    posix_spawnattr_setpgroup(&attr_, 0);
    // A session leader leads its group already; asking for both fails.
    const short grouping = newSession ? POSIX_SPAWN_SETSID : POSIX_SPAWN_SETPGROUP;
    posix_spawnattr_setflags(&attr_, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK | grouping);
  }
  ~SpawnAttributes() { posix_spawnattr_destroy(&attr_); }
  SpawnAttributes(const SpawnAttributes&) = delete;
  SpawnAttributes& operator=(const SpawnAttributes&) = delete;
  const posix_spawnattr_t* get() const { return &attr_; }

 private:
  posix_spawnattr_t attr_;
};

// The standard descriptors are set first; the handed-down one, above
// them, cannot be among what they replace. The same number on both sides
// of a dup2 clears its close-on-exec flag.
class FileActions {
 public:
  FileActions(int outputFile, int handedDown) {
    posix_spawn_file_actions_init(&actions_);
    if (outputFile >= 0) {
      posix_spawn_file_actions_addopen(&actions_, 0, "/dev/null", O_RDONLY, 0);
      posix_spawn_file_actions_adddup2(&actions_, outputFile, 1);
      posix_spawn_file_actions_adddup2(&actions_, outputFile, 2);
    }
    int firstClosed = kHandedDownDescriptor;
    if (handedDown >= 0) {
      posix_spawn_file_actions_adddup2(&actions_, handedDown, kHandedDownDescriptor);
      firstClosed = kHandedDownDescriptor + 1;
    }
    posix_spawn_file_actions_addclosefrom_np(&actions_, firstClosed);
  }
  ~FileActions() { posix_spawn_file_actions_destroy(&actions_); }
  FileActions(const FileActions&) = delete;
  FileActions& operator=(const FileActions&) = delete;
  const posix_spawn_file_actions_t* get() const { return &actions_; }

 private:
  posix_spawn_file_actions_t actions_;
};

std::string NameOf(const std::string& entry) { return entry.substr(0, entry.find('=')); }

// This program's environment with the request's entries put over it.
std::vector<std::string> Environment(const std::vector<std::string>& extra) {
  std::vector<std::string> entries;
  for (char** e = environ; e && *e; ++e) {
    const std::string entry = *e;
    bool replaced = false;
    for (const std::string& x : extra) replaced = replaced || NameOf(x) == NameOf(entry);
    if (!replaced) entries.push_back(entry);
  }
  entries.insert(entries.end(), extra.begin(), extra.end());
  return entries;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (std::string& text : texts) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

// A descriptor above the standard ones for the same open file, closed again
// after the start, when it is one of them (this program was started with
// one of them closed).
class AboveStandard {
 public:
  explicit AboveStandard(int fd)
      : copy_(fd >= 0 && fd <= 2 ? ::fcntl(fd, F_DUPFD_CLOEXEC, kHandedDownDescriptor) : -1),
        fd_(copy_ >= 0 ? copy_ : fd) {}
  ~AboveStandard() {
    if (copy_ >= 0) ::close(copy_);
  }
  AboveStandard(const AboveStandard&) = delete;
  AboveStandard& operator=(const AboveStandard&) = delete;
  int get() const { return fd_; }

 private:
  int copy_;
  int fd_;
};

}  // namespace

std::optional<pid_t> Spawn(const SpawnRequest& request) {
  std::vector<std::string> arguments = request.arguments;
  std::vector<std::string> environment = Environment(request.environment);
  std::vector<char*> argv = Pointers(arguments);
  std::vector<char*> envp = Pointers(environment);
  SpawnAttributes attributes(request.newSession);
  const AboveStandard handedDown(request.handedDown);
  FileActions actions(request.outputFile, handedDown.get());
  pid_t pid = 0;
  if (::posix_spawn(&pid, request.program.c_str(), actions.get(), attributes.get(),
                    argv.data(), envp.data()) != 0) {
    return std::nullopt;
  }
  return pid;
}

}  // namespace rizarode
