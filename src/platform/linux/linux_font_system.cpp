#include "platform/linux/linux_font_system.h"

#include <fontconfig/fontconfig.h>
#include <pwd.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

extern char** environ;

namespace rizarode {
namespace {

std::string HomeDirectory() {
  const char* home = std::getenv("HOME");
  if (home != nullptr && *home == '/') return home;
  if (const passwd* entry = ::getpwuid(::getuid())) {
    if (entry->pw_dir != nullptr) return entry->pw_dir;
  }
  return "/";
}

// Makes dir and its missing parents. Parents are private to the user, as the
// base directories of user data are meant to be.
void MakeDirectories(const std::string& dir, mode_t mode) {
  std::size_t slash = 0;
  while ((slash = dir.find('/', slash + 1)) != std::string::npos) {
    ::mkdir(dir.substr(0, slash).c_str(), 0700);
  }
  ::mkdir(dir.c_str(), mode);
}

bool AddToCurrentConfig(const std::string& path) {
  return FcConfigAppFontAddFile(FcConfigGetCurrent(),
                                reinterpret_cast<const FcChar8*>(path.c_str())) == FcTrue;
}

}  // namespace

std::vector<std::string> SystemRestartCommand() { return {"systemctl", "reboot"}; }

LinuxFontSystem::LinuxFontSystem(std::vector<std::string> restartCommand)
    : restartCommand_(std::move(restartCommand)) {}

std::string LinuxFontSystem::SystemDirectory() {
  const char* dataHome = std::getenv("XDG_DATA_HOME");
  std::string dir = dataHome != nullptr && *dataHome == '/'
                        ? std::string(dataHome)
                        : HomeDirectory() + "/.local/share";
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  MakeDirectories(dir + "/fonts", 0755);
  return dir;
}

int LinuxFontSystem::AddFontResource(const std::string& path) {
  if (!AddToCurrentConfig(path)) return 0;
  addedFonts_.push_back(path);
  return 1;
}

void LinuxFontSystem::BroadcastFontChange() {
  // Unconditional: fontconfig's own up-to-date test goes by whole seconds
  // and would miss a copy made within the second of the last scan.
  FcInitReinitialize();
  for (const std::string& path : addedFonts_) AddToCurrentConfig(path);
}

bool LinuxFontSystem::RequestRestart() {
  if (restartCommand_.empty()) return false;
  std::vector<char*> argv;
  for (std::string& arg : restartCommand_) argv.push_back(arg.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (::posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
    return false;
  }
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return false;
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace rizarode
