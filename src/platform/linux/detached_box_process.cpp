#include "platform/linux/detached_box_process.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "platform/linux/gtk_desktop.h"
#include "platform/linux/process_spawn.h"

namespace rizarode {
namespace {

// The executable this process runs, even when the file has since been
// replaced (an update while the program ran): the kernel keeps it.
constexpr char kOwnExecutable[] = "/proc/self/exe";

std::string OwnName() {
  char path[4096];
  const ssize_t n = ::readlink(kOwnExecutable, path, sizeof path - 1);
  return n > 0 ? std::string(path, static_cast<std::size_t>(n)) : "rizarode";
}

}  // namespace

std::optional<DetachedBox> TakeDetachedBoxRequest() {
  const char* text = std::getenv(kDetachedBoxText);
  if (!text) return std::nullopt;
  const char* title = std::getenv(kDetachedBoxTitle);
  DetachedBox box{text, title ? title : ""};
  ::unsetenv(kDetachedBoxText);
  ::unsetenv(kDetachedBoxTitle);
  return box;
}

bool StartDetachedBox(const DetachedBox& box) {
  SpawnRequest request;
  request.program = kOwnExecutable;
  request.arguments = {OwnName()};
  request.environment = DetachedBoxEnvironment(box);
  request.newSession = true;
  return Spawn(request).has_value();
}

int RunDetachedBox(const DetachedBox& box) {
  if (!GtkDesktop::OpenDisplay()) {
    std::fprintf(stderr, "%s: %s\n", DisplayText(box.title).c_str(), DisplayText(box.text).c_str());
    return 0;
  }
  GtkDesktop desktop(box.title);
  return ShowDetachedBox(desktop, box);
}

}  // namespace rizarode
