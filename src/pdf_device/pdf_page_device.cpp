#include "pdf_device/pdf_page_device.h"

#include "base/text_encoding.h"

namespace rizarode {
namespace {

// A face that fontconfig found, as the printer measures it.
struct FoundFace : DeviceFace {
  std::shared_ptr<const FaceSource> source;  // the found variant's
};

double Points(int32_t microns) { return microns * 72.0 / 25400.0; }

DeviceSheet SheetOf(const MediaChoice& media) {
  DeviceSheet sheet;
  sheet.widthMicrons = media.paper->widthMicrons;
  sheet.heightMicrons = media.paper->heightMicrons;
  sheet.leftMicrons = media.leftMicrons;
  sheet.topMicrons = media.topMicrons;
  sheet.rightMicrons = media.rightMicrons;
  sheet.bottomMicrons = media.bottomMicrons;
  return sheet;
}

// The document's own failures are the printer's.
template <typename Writing>
void Write(Writing writing) {
  try {
    writing();
  } catch (const pdf::PdfError& e) {
    throw PrinterError(kPrinterErrorDevice, e.what());
  }
}

}  // namespace

PdfPageDevice::PdfPageDevice(std::unique_ptr<PrintDevice> device,
                             std::unique_ptr<FontFinder> fonts)
    : device_(std::move(device)), fonts_(std::move(fonts)) {}

PdfPageDevice::~PdfPageDevice() = default;

PageSetup PdfPageDevice::InitialSetup() const {
  PageSetup setup;
  setup.paperSize = device_->DefaultPaperSize();
  if (std::optional<MediaChoice> media = device_->Media(setup.paperSize)) {
    setup.sheet = SheetOf(*media);
  } else {
    MediaChoice a4;
    a4.paper = FindPaperSize(kPaperA4);
    setup.sheet = SheetOf(a4);
  }
  return setup;
}

std::optional<DeviceSheet> PdfPageDevice::Sheet(int16_t paperSize) {
  std::optional<MediaChoice> media = device_->Media(paperSize);
  if (!media) return std::nullopt;
  return SheetOf(*media);
}

std::shared_ptr<const DeviceFace> PdfPageDevice::Face(const FaceRequest& request) {
  auto face = std::make_shared<FoundFace>();
  std::shared_ptr<const FontVariant> variant = fonts_->Find(request.face, request.bold, request.italic);
  face->name = variant->name;
  face->metrics = variant->source.metrics;
  face->syntheticBold = variant->syntheticBold;
  face->source = std::shared_ptr<const FaceSource>(variant, &variant->source);
  return face;
}

void PdfPageDevice::BeginDocument(const std::string& title, int dpi) {
  std::unique_ptr<DocumentSink> sink = device_->StartDocument();
  DocumentSink* raw = sink.get();
  Write([&] {
    document_ = std::make_unique<PdfDocument>(std::move(sink), dpi, Cp1252ToUtf8(title));
  });
  sink_ = raw;
  job_ = JobSettings();
  job_.title = title;
}

void PdfPageDevice::BeginPage(const PageSetup& setup, const DeviceSheet& lying) {
  // The sheet's exact size, so that viewers and print services recognise it.
  document_->SetPageSize(Points(lying.widthMicrons), Points(lying.heightMicrons));
  bool manual = setup.bin == kPaperBinManual;
  if (job_.pageManualFeed.empty()) {
    std::optional<MediaChoice> media = device_->Media(setup.paperSize);
    job_.media = media ? media->name : std::string();
    job_.manualFeed = manual;
  }
  job_.pageManualFeed.push_back(manual);
}

void PdfPageDevice::DrawRun(const LayoutFont& font, int64_t x, int64_t baseline,
                            std::string_view bytes) {
  const auto& face = static_cast<const FoundFace&>(*font.face);
  pdf::ShownFont drawn(face.source, font);
  document_->ShowText(drawn, x, baseline, bytes);
}

void PdfPageDevice::FillRectangle(int64_t x, int64_t y, int64_t width, int64_t height) {
  document_->FillRectangle(x, y, width, height);
}

void PdfPageDevice::EndPage() {
  Write([&] { document_->ShowPage(); });
}

void PdfPageDevice::EndDocument() {
  std::unique_ptr<PdfDocument> document = std::move(document_);
  Write([&] { document->Finish(); });
  sink_->Deliver(job_);
}

// An unfinished document goes nowhere: its sink discards what it holds.
void PdfPageDevice::AbortDocument() {
  document_.reset();
  sink_ = nullptr;
}

}  // namespace rizarode
