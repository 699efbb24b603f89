#pragma once
// The real machine: picks the desktop (a display or the terminal) and the
// printer's page device, and hands every part over as one Platform.

#include <memory>

#include "platform/page_device.h"
#include "platform/platform.h"

namespace rizarode {

class LinuxPlatform {
 public:
  LinuxPlatform(int argc, char** argv);
  ~LinuxPlatform();
  // The default printer's pages, for the printer that prints on them.
  PageDevice& Pages();
  // Every part, with that printer.
  Platform& Get(Printer& printer);
  // Sends SIGHUP to the host when it still runs.
  void HangUpHost();

 private:
  struct Parts;
  std::unique_ptr<Parts> parts_;
  std::unique_ptr<Platform> platform_;
};

}  // namespace rizarode
