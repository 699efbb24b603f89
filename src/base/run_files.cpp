#include "base/run_files.h"

namespace rizarode {

std::string RunLockPath(const std::string& stemPath) { return stemPath + kRunLockExtension; }

bool IsRunDigits(const std::string& text) {
  if (text.size() != 6) return false;
  for (char c : text) {
    if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) return false;
  }
  return true;
}

std::string EmulatorFileName(const std::string& runDigits, const char* extension) {
  return "RZ" + runDigits + extension;
}

std::string DriverFileInTheMaking(const std::string& driverPath, const std::string& stem) {
  return driverPath + "." + stem;
}

}  // namespace rizarode
