#pragma once
// What a printer's device offers before anything is drawn: its name and
// the sheets it takes. Every operation may fail with PrinterError.

#include <cstdint>
#include <optional>
#include <string>

#include "printer/page_setup.h"

namespace rizarode {

class PrinterCapabilities {
 public:
  virtual ~PrinterCapabilities() = default;
  // The device's name (8-bit text); empty when there is none.
  virtual std::string Name() const = 0;
  // The setup that pages have until the program chooses another.
  virtual PageSetup InitialSetup() const = 0;
  // The upright sheet of a paper-size number, or nothing when the device
  // lacks it.
  virtual std::optional<DeviceSheet> Sheet(int16_t paperSize) = 0;
};

}  // namespace rizarode
