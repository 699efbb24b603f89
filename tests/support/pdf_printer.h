#pragma once
// The Linux printer as the program composes it: the printer over the PDF
// page device of a PrintDevice, owned together.

#include <memory>

#include "pdf_device/pdf_page_device.h"
#include "platform/linux/device_fonts.h"
#include "printer/page_printer.h"
#include "program/module_state.h"

namespace rizarode::testing {

struct OwnedPdfPages {
  explicit OwnedPdfPages(std::unique_ptr<PrintDevice> device)
      : pages(std::move(device), std::make_unique<FontCatalog>()) {}
  PdfPageDevice pages;
};

class PdfPrinter : private OwnedPdfPages, public PagePrinter {
 public:
  explicit PdfPrinter(std::unique_ptr<PrintDevice> device)
      : OwnedPdfPages(std::move(device)), PagePrinter(pages, kProductName) {}
};

}  // namespace rizarode::testing
