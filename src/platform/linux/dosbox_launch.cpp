#include "platform/linux/dosbox_launch.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

#include "platform/linux/process_spawn.h"

namespace rizarode {
namespace {

// DOSBox that cannot set up its screen or sound says so and ends within a
// few hundredths of a second, with exit status 0; one that runs the host
// lives at least as long as its start takes. Until this much time has
// passed, the emulator has not shown that it runs, and a process that ends
// in it must not be taken for the host's window.
constexpr auto kProofOfLife = std::chrono::milliseconds(500);
constexpr auto kLookAgain = std::chrono::milliseconds(10);

bool IsExecutableFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

// The directories of PATH, in order; an empty entry is the current one.
std::vector<std::string> SearchPath() {
  const char* path = std::getenv("PATH");
  const std::string dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
  std::vector<std::string> found;
  for (std::size_t at = 0;;) {
    const std::size_t end = dirs.find(':', at);
    const std::string dir = dirs.substr(at, end == std::string::npos ? std::string::npos : end - at);
    found.push_back(dir.empty() ? "." : dir);
    if (end == std::string::npos) return found;
    at = end + 1;
  }
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// A fresh file of this run: whatever had the name before goes, and a link
// planted there is not followed.
int CreateFresh(const std::string& path) {
  ::unlink(path.c_str());
  return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
}

bool WriteFresh(const std::string& path, const std::string& text) {
  int fd = CreateFresh(path);
  if (fd < 0) return false;
  bool ok = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  return ::close(fd) == 0 && ok;
}

// The emulator's own word on why it stopped, from its log.
std::string ErrorFromLog(const std::string& logPath) {
  const std::string error = DosboxErrorFromLog(ReadText(logPath));
  return error.empty() ? error : " (" + error + ")";
}

// True when the emulator is still running once it has had the time to fail.
bool ProvesAlive(pid_t pid) {
  const auto until = std::chrono::steady_clock::now() + kProofOfLife;
  while (std::chrono::steady_clock::now() < until) {
    int status = 0;
    if (::waitpid(pid, &status, WNOHANG) == pid) return false;
    std::this_thread::sleep_for(kLookAgain);
  }
  return true;
}

DosboxStart Failure(std::string why) { return DosboxStart{std::nullopt, std::move(why)}; }

}  // namespace

DosboxSearch FindDosbox() {
  DosboxSearch search;
  auto consider = [&search](const std::string& path) {
    search.places.push_back(path);
    if (!search.found && IsExecutableFile(path)) search.found = path;
  };
  const char* named = std::getenv(kDosboxVariable);
  const bool isNamed = named && *named;
  search.places.push_back(std::string("$") + kDosboxVariable +
                          (isNamed ? std::string(" = ") + named : std::string()));
  const std::string wanted = isNamed ? named : "dosbox";
  if (wanted.find('/') != std::string::npos) {
    if (IsExecutableFile(wanted)) search.found = wanted;
    return search;
  }
  for (const std::string& dir : SearchPath()) consider(dir + "/" + wanted);
  return search;
}

DosboxStart StartUnderDosbox(const std::string& dosbox, const DosRun& run, bool dummyDisplay,
                             int handedDown) {
  for (const DosboxInput& input : DosboxInputs(run, UserDosboxConfiguration(run.hostDirectory))) {
    if (!WriteFresh(input.path, input.text)) {
      return Failure("The DOSBox file " + input.path + " cannot be written.");
    }
  }
  const DosboxFiles files = DosboxFilesFor(run);
  const std::string& logPath = files.log;
  const int log = CreateFresh(logPath);
  if (log < 0) return Failure("The DOSBox log " + logPath + " cannot be written.");

  SpawnRequest request;
  request.program = dosbox;
  request.arguments.push_back(dosbox);
  for (std::string& argument : DosboxArguments(files.configuration)) {
    request.arguments.push_back(std::move(argument));
  }
  if (dummyDisplay) request.environment = {"SDL_VIDEODRIVER=dummy", "SDL_AUDIODRIVER=dummy"};
  // SDL puts its window there at every change of its size; a place the
  // user names is left alone.
  const char* place = std::getenv("SDL_VIDEO_WINDOW_POS");
  const char* centered = std::getenv("SDL_VIDEO_CENTERED");
  if (run.screen && !(place && *place) && !(centered && *centered)) {
    request.environment.push_back("SDL_VIDEO_WINDOW_POS=" +
                                  DosboxWindowPlace(*run.screen, DosboxScreenFor(run.screen)));
  }
  request.outputFile = log;
  request.handedDown = handedDown;
  std::optional<pid_t> emulator = Spawn(request);
  ::close(log);
  if (!emulator) return Failure("DOSBox (" + dosbox + ") cannot be started.");
  if (!ProvesAlive(*emulator)) {
    return Failure("DOSBox ended at once" + ErrorFromLog(logPath) + "; see " + logPath + ".");
  }
  return DosboxStart{emulator, {}};
}

}  // namespace rizarode
