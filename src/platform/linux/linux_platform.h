#pragma once
// The real machine: picks the desktop (a display or the terminal) and the
// printer's page device, and hands every part over as one Platform.

#include <memory>

#include "printer/page_device.h"
#include "platform/platform.h"

namespace rizarode {

class LinuxPlatform {
 public:
  LinuxPlatform(int argc, char** argv);
  ~LinuxPlatform();
  // Every part of the machine but the printer.
  Platform& Parts() { return platform_; }
  // The default printer's pages, for the printer that prints on them.
  PageDevice& Pages();
  // Sends SIGHUP to the host when it still runs.
  void HangUpHost();

 private:
  struct Machine;
  std::unique_ptr<Machine> machine_;
  Platform platform_;
};

}  // namespace rizarode
