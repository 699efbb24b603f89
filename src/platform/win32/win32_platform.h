#pragma once
// The real machine on Windows: every part of the Win32 platform, handed over
// as one Platform.

#include <memory>

#include "printer/page_device.h"
#include "platform/platform.h"

namespace rizarode {

class Win32Platform {
 public:
  Win32Platform();
  ~Win32Platform();
  // Every part of the machine but the printer.
  Platform& Parts() { return platform_; }
  // The default printer's pages, for the printer that prints on them.
  PageDevice& Pages();

 private:
  struct Machine;
  std::unique_ptr<Machine> machine_;
  Platform platform_;
};

}  // namespace rizarode
