#pragma once
// The real machine: picks the desktop (a display or the terminal) and the
// printer, and hands every part over as one Platform.

#include <memory>

#include "platform/platform.h"

namespace rizarode {

class LinuxPlatform {
 public:
  LinuxPlatform(int argc, char** argv);
  ~LinuxPlatform();
  Platform& Get() { return *platform_; }
  // Sends SIGHUP to the host when it still runs.
  void HangUpHost();

 private:
  struct Parts;
  std::unique_ptr<Parts> parts_;
  std::unique_ptr<Platform> platform_;
};

}  // namespace rizarode
