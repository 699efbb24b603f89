#include "platform/linux/posix_launcher.h"

#include <dirent.h>
#include <signal.h>
#include <spawn.h>
#include <strings.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>

extern char** environ;

namespace rizarode {
namespace {

bool IsRegularFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The spawned program starts with every signal at its default action and
// none blocked, whatever this program ignores or blocks itself.
class SpawnAttributes {
 public:
  SpawnAttributes() {
    posix_spawnattr_init(&attr_);
    sigset_t all, none;
    sigfillset(&all);
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attr_, &all);
    posix_spawnattr_setsigmask(&attr_, &none);
    posix_spawnattr_setflags(&attr_, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
  }
  ~SpawnAttributes() { posix_spawnattr_destroy(&attr_); }
  SpawnAttributes(const SpawnAttributes&) = delete;
  SpawnAttributes& operator=(const SpawnAttributes&) = delete;
  const posix_spawnattr_t* get() const { return &attr_; }

 private:
  posix_spawnattr_t attr_;
};

}  // namespace

std::vector<std::string> SplitCommandLine(const std::string& commandLine) {
  std::vector<std::string> words;
  std::string word;
  for (char c : commandLine) {
    if (c != ' ') {
      word += c;
    } else if (!word.empty()) {
      words.push_back(word);
      word.clear();
    }
  }
  if (!word.empty()) words.push_back(word);
  return words;
}

std::optional<std::string> FindProgramFile(const std::string& name) {
  if (name.empty()) return std::nullopt;
  if (name.find('/') != std::string::npos) {
    return IsRegularFile(name) ? std::optional<std::string>(name) : std::nullopt;
  }
  if (IsRegularFile(name)) return "./" + name;
  DIR* dir = ::opendir(".");
  if (!dir) return std::nullopt;
  std::optional<std::string> found;
  while (dirent* entry = ::readdir(dir)) {
    if (::strcasecmp(entry->d_name, name.c_str()) == 0 &&
        IsRegularFile(std::string("./") + entry->d_name)) {
      found = std::string("./") + entry->d_name;
      break;
    }
  }
  ::closedir(dir);
  return found;
}

bool PosixLauncher::Start(const std::string& commandLine) {
  std::vector<std::string> words = SplitCommandLine(commandLine);
  if (words.empty()) return false;
  std::optional<std::string> program = FindProgramFile(words.front());
  if (!program) return false;

  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);

  SpawnAttributes attributes;
  pid_t pid = 0;
  if (::posix_spawn(&pid, program->c_str(), nullptr, attributes.get(), argv.data(),
                    environ) != 0) {
    return false;
  }
  children_.push_back(pid);
  return true;
}

void PosixLauncher::ReapEndedChildren() {
  std::erase_if(children_, [](pid_t pid) {
    int status = 0;
    pid_t result = ::waitpid(pid, &status, WNOHANG);
    return result == pid || result < 0;
  });
}

}  // namespace rizarode
