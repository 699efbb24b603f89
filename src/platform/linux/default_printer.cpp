#include "platform/linux/default_printer.h"

#include "platform/linux/cups_device.h"
#include "platform/linux/page_printer.h"
#include "platform/linux/pdf_file_device.h"

namespace rizarode {

std::unique_ptr<Printer> MakeDefaultPrinter() {
  if (std::unique_ptr<CupsDevice> cups = CupsDevice::Default()) {
    return std::make_unique<PagePrinter>(std::move(cups));
  }
  return std::make_unique<PagePrinter>(std::make_unique<PdfFileDevice>());
}

}  // namespace rizarode
