#pragma once
// Pages drawn into a PDF document with the faces that the system's font
// catalogue finds: the page device of every printer that prints PDF. What
// becomes of a finished document (a print job, a file) is the PrintDevice's,
// which also says what the device offers and where documents went.

#include <memory>
#include <string>

#include "pdf/pdf_document.h"
#include "pdf_device/font_finder.h"
#include "pdf_device/print_device.h"
#include "printer/page_device.h"

namespace rizarode {

class PdfPageDevice : public PageDevice {
 public:
  PdfPageDevice(std::unique_ptr<PrintDevice> device, std::unique_ptr<FontFinder> fonts);
  ~PdfPageDevice() override;

  std::string Name() const override { return device_->Name(); }
  PageSetup InitialSetup() const override;
  std::optional<DeviceSheet> Sheet(int16_t paperSize) override;

  int Resolution() const override { return device_->Resolution(); }
  std::shared_ptr<const DeviceFace> Face(const FaceRequest& request) override;

  void BeginDocument(const std::string& title, int dpi) override;
  void BeginPage(const PageSetup& setup, const DeviceSheet& lying) override;
  void DrawRun(const LayoutFont& font, int64_t x, int64_t baseline,
               std::string_view bytes) override;
  void FillRectangle(int64_t x, int64_t y, int64_t width, int64_t height) override;
  void EndPage() override;
  void EndDocument() override;
  void AbortDocument() override;

  std::vector<Delivery> TakeDeliveries() override { return device_->TakeDeliveries(); }
  void ExpectAnswersAgain() override { device_->ExpectAnswersAgain(); }

  PrintDevice& Device() { return *device_; }

 private:
  std::unique_ptr<PrintDevice> device_;
  std::unique_ptr<FontFinder> fonts_;
  std::unique_ptr<PdfDocument> document_;
  DocumentSink* sink_ = nullptr;  // the document's
  JobSettings job_;
};

}  // namespace rizarode
