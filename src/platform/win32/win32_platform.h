#pragma once
// The real machine on Windows: every part of the Win32 platform, handed over
// as one Platform.

#include <memory>

#include "platform/page_device.h"
#include "platform/platform.h"

namespace rizarode {

class Win32Platform {
 public:
  Win32Platform();
  ~Win32Platform();
  // The default printer's pages, for the printer that prints on them.
  PageDevice& Pages();
  // Every part, with that printer.
  Platform& Get(Printer& printer);

 private:
  struct Parts;
  std::unique_ptr<Parts> parts_;
  std::unique_ptr<Platform> platform_;
};

}  // namespace rizarode
