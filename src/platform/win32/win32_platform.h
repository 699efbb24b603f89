#pragma once
// The real machine on Windows: every part of the Win32 platform, handed over
// as one Platform.

#include <memory>

#include "platform/platform.h"

namespace rizarode {

class Win32Platform {
 public:
  Win32Platform();
  ~Win32Platform();
  Platform& Get() { return *platform_; }

 private:
  struct Parts;
  std::unique_ptr<Parts> parts_;
  std::unique_ptr<Platform> platform_;
};

}  // namespace rizarode
