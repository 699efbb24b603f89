#include "platform/linux/default_printer.h"

#include "platform/linux/cups_device.h"
#include "platform/linux/device_fonts.h"
#include "platform/linux/pdf_file_device.h"
#include "pdf_device/pdf_page_device.h"

namespace rizarode {

std::unique_ptr<PageDevice> MakeDefaultPageDevice() {
  if (std::unique_ptr<CupsDevice> cups = CupsDevice::Default()) {
    return std::make_unique<PdfPageDevice>(std::move(cups), std::make_unique<FontCatalog>());
  }
  return std::make_unique<PdfPageDevice>(std::make_unique<PdfFileDevice>(),
                                         std::make_unique<FontCatalog>());
}

}  // namespace rizarode
