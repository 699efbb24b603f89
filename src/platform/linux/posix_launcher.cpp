#include "platform/linux/posix_launcher.h"

#include <dirent.h>
#include <signal.h>
#include <strings.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>

#include "base/text_encoding.h"
#include "dos_host/dos_start.h"
#include "platform/file_system.h"
#include "platform/linux/dosbox_launch.h"
#include "platform/linux/process_spawn.h"

namespace rizarode {
namespace {

bool IsRegularFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

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
  failure_.clear();
  failureKind_ = StartFailure::kNotStarted;
  started_ = 0;
  emulator_ = 0;
  std::vector<std::string> words = SplitCommandLine(commandLine);
  if (words.empty()) return false;
  std::optional<std::string> program = FindProgramFile(words.front());
  if (!program) return false;
  if (RunsUnderDos(*program)) return StartDos(*program, words);
  return StartNative(*program, words);
}

bool PosixLauncher::StartNative(const std::string& program, const std::vector<std::string>& words) {
  SpawnRequest request{program, words, {}, -1};
  request.handedDown = handedDown_;
  std::optional<pid_t> pid = Spawn(request);
  if (!pid) return false;
  children_.push_back(*pid);
  started_ = *pid;
  return true;
}

bool PosixLauncher::StartDos(const std::string& program, const std::vector<std::string>& words) {
  std::string failure;
  std::optional<DosStart> start = ComposeDosStart(program, words, failure);
  if (!start) return Fail(StartFailure::kNotStarted, failure);
  return RunUnderDosbox(start->run, start->title);
}

bool PosixLauncher::RunUnderDosbox(const DosRun& run, const std::string& title) {
  const DosboxSearch search = FindDosbox();
  if (!search.found) return Fail(StartFailure::kNoDosEmulator, search.PlacesText());
  DosRun measured = run;
  if (!dummyDisplay_ && measure_) measured.screen = measure_();
  DosboxStart started = StartUnderDosbox(*search.found, measured, dummyDisplay_, handedDown_);
  if (!started.emulator) return Fail(StartFailure::kNotStarted, started.failure);
  children_.push_back(*started.emulator);
  started_ = *started.emulator;
  emulator_ = started_;
  titles_[*started.emulator] = Utf8ToCp1252(title);
  return true;
}

bool PosixLauncher::EmulatorRunning() {
  if (emulator_ == 0) return false;
  ReapEndedChildren();
  return std::find(children_.begin(), children_.end(), emulator_) != children_.end();
}

void PosixLauncher::HandDownToHost(const FileHandle& file) {
  handedDown_ = static_cast<int>(file.SystemHandle());
}

std::optional<std::string> PosixLauncher::TitleOf(pid_t pid) const {
  auto it = titles_.find(pid);
  if (it == titles_.end()) return std::nullopt;
  return it->second;
}

bool PosixLauncher::Fail(StartFailure kind, std::string reason) {
  failureKind_ = kind;
  // Paths on this system are UTF-8; the program's messages are 8-bit text.
  failure_ = Utf8ToCp1252(reason);
  return false;
}

void PosixLauncher::HangUpChildren() {
  ReapEndedChildren();
  for (pid_t pid : children_) ::killpg(pid, SIGHUP);
}

void PosixLauncher::ReapEndedChildren() {
  std::erase_if(children_, [](pid_t pid) {
    int status = 0;
    pid_t result = ::waitpid(pid, &status, WNOHANG);
    return result == pid || result < 0;
  });
  std::erase_if(titles_, [this](const auto& entry) {
    return std::find(children_.begin(), children_.end(), entry.first) == children_.end();
  });
}

}  // namespace rizarode
