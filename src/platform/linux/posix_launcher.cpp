#include "platform/linux/posix_launcher.h"

#include <dirent.h>
#include <signal.h>
#include <strings.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <filesystem>

#include "platform/linux/dosbox_launch.h"
#include "dos_host/dosbox_run.h"
#include "dos_host/pif_file.h"
#include "platform/linux/process_spawn.h"
#include "dos_host/program_kind.h"
#include "platform/text_encoding.h"

namespace rizarode {
namespace {

bool IsRegularFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool HasPifExtension(const std::string& name) {
  return name.size() >= 4 && ::strcasecmp(name.c_str() + name.size() - 4, ".PIF") == 0;
}

// The directory a program file lies in, as a full path.
std::string DirectoryOf(const std::string& path) {
  return std::filesystem::absolute(path).lexically_normal().parent_path().string();
}

// The work directory the host is told about, as a full path; the current
// directory when the program has none.
std::string FullWorkDirectory(const std::vector<std::string>& words) {
  std::filesystem::path dir = WorkDirectoryIn(words);
  if (dir.empty()) dir = ".";
  std::string full = std::filesystem::absolute(dir).lexically_normal().string();
  if (full.size() > 1 && full.back() == '/') full.pop_back();
  return full;
}

// "VELDRAK.EXE" and "C:\\VK\\VELDRAK.EXE" are titled "VELDRAK".
std::string DosProgramTitle(const std::string& program) {
  std::string name = program.substr(program.find_last_of("\\/:") + 1);
  return name.substr(0, name.rfind('.'));
}

std::string Joined(const std::string& first, const std::string& second) {
  if (first.empty()) return second;
  if (second.empty()) return first;
  return first + " " + second;
}

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
  failure_.clear();
  started_ = 0;
  std::vector<std::string> words = SplitCommandLine(commandLine);
  if (words.empty()) return false;
  std::optional<std::string> program = FindProgramFile(words.front());
  if (!program) return false;
  if (HasNativeStart(*program)) return StartNative(*program, words);
  if (HasPifExtension(*program)) return StartPif(*program, words);
  if (KindOfProgram(*program) == ProgramKind::kDos) return StartDos(*program, words);
  return StartNative(*program, words);
}

bool PosixLauncher::StartNative(const std::string& program, const std::vector<std::string>& words) {
  std::optional<pid_t> pid = Spawn(SpawnRequest{program, words, {}, -1});
  if (!pid) return false;
  children_.push_back(*pid);
  started_ = *pid;
  return true;
}

bool PosixLauncher::StartDos(const std::string& program, const std::vector<std::string>& words) {
  DosRun run;
  run.hostDirectory = DirectoryOf(program);
  run.workDirectory = FullWorkDirectory(words);
  run.program = std::filesystem::path(program).filename().string();
  run.tail = DosArguments(words);
  std::string title = DosProgramTitle(run.program);
  return RunUnderDosbox(std::move(run), std::move(title));
}

// The PIF's parameters come first, then what every host is told, so that
// "/WIN=" and "/TEMP=" reach the program whatever the PIF adds. Its flag
// for keeping the window open is not followed: the emulator always ends
// with the program, since the program's end is the host's end.
bool PosixLauncher::StartPif(const std::string& pifPath, const std::vector<std::string>& words) {
  std::optional<PifStart> pif = ReadPif(pifPath);
  if (!pif) {
    return Fail("The program information file " + pifPath +
                " cannot be read, or names no program.");
  }
  DosRun run;
  run.hostDirectory = DirectoryOf(pifPath);
  run.workDirectory = FullWorkDirectory(words);
  run.program = pif->programFile;
  run.startDirectory = pif->startDirectory;
  run.tail = Joined(pif->parameters, DosArguments(words));
  // On the desktop it was made for, the program's window carries the PIF's
  // title.
  std::string title = pif->title.empty() ? DosProgramTitle(run.program) : pif->title;
  return RunUnderDosbox(std::move(run), std::move(title));
}

bool PosixLauncher::RunUnderDosbox(DosRun run, std::string title) {
  DosboxStart started = StartUnderDosbox(run, dummyDisplay_);
  if (!started.emulator) return Fail(started.failure);
  children_.push_back(*started.emulator);
  started_ = *started.emulator;
  titles_[*started.emulator] = Utf8ToCp1252(title);
  return true;
}

std::optional<std::string> PosixLauncher::TitleOf(pid_t pid) const {
  auto it = titles_.find(pid);
  if (it == titles_.end()) return std::nullopt;
  return it->second;
}

bool PosixLauncher::Fail(std::string reason) {
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
