#pragma once
// A printer that draws its pages itself: fonts realised at the device's
// resolution, text laid out the way a Windows printer lays it out, pages
// drawn into a PDF document that the device prints or keeps at EndDoc.

#include <memory>
#include <string>

#include "platform/linux/device_fonts.h"
#include "pdf/pdf_document.h"
#include "platform/linux/print_device.h"
#include "platform/printer.h"

namespace rizarode {

class PagePrinter : public Printer {
 public:
  explicit PagePrinter(std::unique_ptr<PrintDevice> device,
                       std::string jobTitle = "RIZARODE");
  // A document still open is ended and sent: what was printed is not lost
  // because no closing form feed came.
  ~PagePrinter() override;

  std::string DeviceName() override;
  std::string FontName() override;
  void SetFontName(const std::string& face) override;
  float FontSize() override;
  void SetFontSize(float points) override;
  void SetFontBold(bool on) override;
  void SetFontItalic(bool on) override;
  void SetFontUnderline(bool on) override;
  void SetPaperSize(int16_t paperSize) override;
  int16_t PaperSize() override { return paperSize_; }
  int16_t Orientation() override;
  void SetOrientation(int16_t orientation) override;
  int16_t PaperBin() override;
  void SetPaperBin(int16_t bin) override;
  float Width() override;
  float Height() override;
  float TextWidth(std::string_view text) override;
  float TextHeight(std::string_view text) override;
  void PrintText(std::string_view text) override;
  void LineEnd() override;
  void NewPage() override;
  void EndDoc() override;
  void AbortDoc() override;
  std::string TakeDeliveryNote() override { return device_->TakeNote(); }
  void ExpectAnswersAgain() override { device_->ExpectAnswersAgain(); }

  bool HasOpenDocument() const { return document_ != nullptr; }

 private:
  // The current sheet in device pixels, turned for the orientation.
  struct PageGeometry {
    int64_t width = 0, height = 0;
    int64_t left = 0, top = 0;
    int64_t printableHeight = 0;
  };

  const DeviceFont& Font();
  PageGeometry GeometryOfSetup() const;
  void OpenDocumentIfNone();
  void SetupChanged();
  void TakeSetupForPage();
  void BreakPage();
  double SheetPoints(bool width) const;
  float Twips(int64_t pixels) const;

  std::unique_ptr<PrintDevice> device_;
  std::string title_;
  int dpi_;
  FontCatalog fonts_;

  std::string face_ = "Arial";
  int32_t em_;
  bool bold_ = false, italic_ = false, underline_ = false;
  std::shared_ptr<const DeviceFont> font_;

  int16_t paperSize_;
  int16_t orientation_ = kOrientationPortrait;
  int16_t bin_ = kPaperBinAuto;
  MediaChoice media_;

  std::unique_ptr<PdfDocument> document_;
  JobSettings job_;
  int pageNumber_ = 0;
  bool pageDrawn_ = false;
  PageGeometry page_;
  // The position, in device pixels from the printable area's top-left.
  int64_t x_ = 0, y_ = 0;
};

}  // namespace rizarode
