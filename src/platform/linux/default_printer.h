#pragma once
// Chooses the printer that the program prints on.

#include <memory>

#include "printer/page_device.h"

namespace rizarode {

// The print service's default destination; "Save as PDF" (files in ~/PDF)
// when the service has none or does not answer.
std::unique_ptr<PageDevice> MakeDefaultPageDevice();

}  // namespace rizarode
