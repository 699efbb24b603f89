#include "platform/linux/page_printer.h"

#include <cmath>
#include <cstdio>

namespace rizarode {
namespace {

constexpr float kStartFontPoints = 10.0f;
// Far beyond any size a sheet can show; keeps silly sizes from tags finite.
constexpr double kLargestEmPixels = 16383;

int64_t PixelsFromMicrons(int32_t microns, int dpi) {
  return std::llround(static_cast<double>(microns) * dpi / 25400.0);
}

bool ValidBin(int16_t bin) { return (bin >= 1 && bin <= 15) || bin >= 256; }

}  // namespace

PagePrinter::PagePrinter(std::unique_ptr<PrintDevice> device, std::string jobTitle)
    : device_(std::move(device)),
      title_(std::move(jobTitle)),
      dpi_(device_->Resolution() > 0 ? device_->Resolution() : 600),
      paperSize_(device_->DefaultPaperSize()) {
  SetFontSize(kStartFontPoints);
  if (std::optional<MediaChoice> media = device_->Media(paperSize_)) {
    media_ = *media;
  } else {
    media_.paper = FindPaperSize(kPaperA4);
  }
}

PagePrinter::~PagePrinter() {
  if (!document_) return;
  try {
    EndDoc();
  } catch (const PrinterError& e) {
    std::fprintf(stderr, "%s: the last document could not be printed: %s\n",
                 device_->Name().c_str(), e.what());
  }
}

std::string PagePrinter::DeviceName() { return device_->Name(); }

std::string PagePrinter::FontName() { return Font().Name(); }

void PagePrinter::SetFontName(const std::string& face) {
  face_ = face;
  font_.reset();
  Font();  // resolved now, against the fonts installed now
}

float PagePrinter::FontSize() { return static_cast<float>(em_ * 72.0 / dpi_); }

void PagePrinter::SetFontSize(float points) {
  // The em height is a whole number of pixels; the size read back is the
  // size of that height.
  double pixels = static_cast<double>(points) * dpi_ / 72.0;
  if (!(pixels >= 1)) pixels = 1;  // also a size that is no number
  em_ = static_cast<int32_t>(std::min(std::nearbyint(pixels), kLargestEmPixels));
  if (em_ < 1) em_ = 1;
  font_.reset();
}

void PagePrinter::SetFontBold(bool on) {
  if (bold_ != on) font_.reset();
  bold_ = on;
}

void PagePrinter::SetFontItalic(bool on) {
  if (italic_ != on) font_.reset();
  italic_ = on;
}

void PagePrinter::SetFontUnderline(bool on) { underline_ = on; }

void PagePrinter::SetPaperSize(int16_t paperSize) {
  std::optional<MediaChoice> media = device_->Media(paperSize);
  if (!media) {
    throw PrinterError(kPrinterErrorBadPaperSize,
                       "paper size " + std::to_string(paperSize) + " is not offered");
  }
  paperSize_ = paperSize;
  media_ = *media;
  SetupChanged();
}

int16_t PagePrinter::Orientation() { return orientation_; }

void PagePrinter::SetOrientation(int16_t orientation) {
  if (orientation != kOrientationPortrait && orientation != kOrientationLandscape) {
    throw PrinterError(kPrinterErrorBadValue,
                       "orientation " + std::to_string(orientation) + " is not valid");
  }
  orientation_ = orientation;
  SetupChanged();
}

int16_t PagePrinter::PaperBin() { return bin_; }

void PagePrinter::SetPaperBin(int16_t bin) {
  if (!ValidBin(bin)) {
    throw PrinterError(kPrinterErrorBadValue, "paper bin " + std::to_string(bin) + " is not valid");
  }
  bin_ = bin;
  SetupChanged();
}

float PagePrinter::Width() {
  const PaperSizeInfo& p = *media_.paper;
  return TwipsFromMicrons(orientation_ == kOrientationLandscape ? p.heightMicrons : p.widthMicrons);
}

float PagePrinter::Height() {
  const PaperSizeInfo& p = *media_.paper;
  return TwipsFromMicrons(orientation_ == kOrientationLandscape ? p.widthMicrons : p.heightMicrons);
}

float PagePrinter::TextWidth(std::string_view text) { return Twips(Font().Width(text)); }

float PagePrinter::TextHeight(std::string_view) { return Twips(Font().Height()); }

void PagePrinter::PrintText(std::string_view text) {
  if (text.empty()) return;
  OpenDocumentIfNone();
  const DeviceFont& font = Font();
  // Like a Windows printer, a line that would run past the bottom of the
  // printable area starts a new page rather than being lost.
  if (y_ > 0 && y_ + font.Height() > page_.printableHeight) BreakPage();

  // Text beyond the sheet's right edge cannot show: it is not written, so a
  // line of any length costs no more than a line across the sheet.
  int64_t x = page_.left + x_;
  int64_t baseline = page_.top + y_ + font.Ascent();
  int64_t end = x;
  std::size_t shown = 0;
  for (char c : text) {
    if (end < page_.width) ++shown;
    end += font.Advance(static_cast<unsigned char>(c));
  }
  document_->ShowText(font, x, baseline, text.substr(0, shown));
  int64_t width = end - x;
  if (underline_) {
    document_->FillRectangle(x, baseline + font.UnderlineOffset(), width,
                             font.UnderlineThickness());
  }
  x_ += width;
  pageDrawn_ = true;
}

void PagePrinter::LineEnd() {
  OpenDocumentIfNone();
  x_ = 0;
  y_ += Font().Height();
}

void PagePrinter::NewPage() {
  OpenDocumentIfNone();
  document_->ShowPage();
  ++pageNumber_;
  x_ = y_ = 0;
  TakeSetupForPage();
}

void PagePrinter::EndDoc() {
  if (!document_) return;
  std::unique_ptr<PdfDocument> document = std::move(document_);
  x_ = y_ = 0;
  pageDrawn_ = false;
  pageNumber_ = 0;
  document->Finish(job_);
}

void PagePrinter::AbortDoc() {
  // The document's sink removes what it wrote.
  document_.reset();
  x_ = y_ = 0;
  pageDrawn_ = false;
  pageNumber_ = 0;
}

const DeviceFont& PagePrinter::Font() {
  if (!font_) font_ = fonts_.Get(face_, bold_, italic_, em_);
  return *font_;
}

PagePrinter::PageGeometry PagePrinter::GeometryOfSetup() const {
  const PaperSizeInfo& p = *media_.paper;
  int64_t left = PixelsFromMicrons(media_.leftMicrons, dpi_);
  int64_t top = PixelsFromMicrons(media_.topMicrons, dpi_);
  int64_t right = PixelsFromMicrons(media_.rightMicrons, dpi_);
  int64_t bottom = PixelsFromMicrons(media_.bottomMicrons, dpi_);
  PageGeometry g;
  g.width = PixelsFromMicrons(p.widthMicrons, dpi_);
  g.height = PixelsFromMicrons(p.heightMicrons, dpi_);
  if (orientation_ == kOrientationLandscape) {
    // The sheet turned a quarter to the left: its top edge becomes the left.
    std::swap(g.width, g.height);
    g.left = top;
    g.top = right;
    g.printableHeight = g.height - right - left;
  } else {
    g.left = left;
    g.top = top;
    g.printableHeight = g.height - top - bottom;
  }
  return g;
}

void PagePrinter::OpenDocumentIfNone() {
  if (document_) return;
  page_ = GeometryOfSetup();
  document_ = std::make_unique<PdfDocument>(device_->StartDocument(), dpi_, SheetPoints(true),
                                            SheetPoints(false), title_);
  pageNumber_ = 1;
  job_.pageManualFeed.clear();
  x_ = y_ = 0;
  TakeSetupForPage();
}

// A paper size, orientation or bin chosen before anything is drawn on a
// page is meant for that page: the host puts its form tag right after the
// form feed.
void PagePrinter::SetupChanged() {
  if (document_ && !pageDrawn_) TakeSetupForPage();
}

void PagePrinter::TakeSetupForPage() {
  pageDrawn_ = false;
  page_ = GeometryOfSetup();
  document_->SetPageSize(SheetPoints(true), SheetPoints(false));
  job_.pageManualFeed.resize(static_cast<std::size_t>(pageNumber_));
  job_.pageManualFeed.back() = bin_ == kPaperBinManual;
  if (pageNumber_ == 1) {
    job_.title = title_;
    job_.media = media_.name;
    job_.manualFeed = bin_ == kPaperBinManual;
  }
}

void PagePrinter::BreakPage() {
  document_->ShowPage();
  ++pageNumber_;
  y_ = 0;
  TakeSetupForPage();
}

// The sheet's exact size, so that viewers and print services recognise it.
double PagePrinter::SheetPoints(bool width) const {
  const PaperSizeInfo& p = *media_.paper;
  bool across = width != (orientation_ == kOrientationLandscape);
  return (across ? p.widthMicrons : p.heightMicrons) * 72.0 / 25400.0;
}

float PagePrinter::Twips(int64_t pixels) const {
  return static_cast<float>(static_cast<double>(pixels) * 1440.0 / dpi_);
}

}  // namespace rizarode
