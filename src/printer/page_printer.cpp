#include "printer/page_printer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace rizarode {
namespace {

constexpr float kStartFontPoints = 10.0f;
// Far beyond any size a sheet can show; keeps silly sizes from tags finite.
constexpr double kLargestEmPixels = 16383;
// The resolution of a device that cannot tell its own.
constexpr int kFallbackResolution = 600;

int64_t PixelsFromMicrons(int32_t microns, int dpi) {
  return std::llround(static_cast<double>(microns) * dpi / 25400.0);
}

float TwipsFromMicrons(int32_t microns) {
  return static_cast<float>(std::lround(microns * 1440.0 / 25400.0));
}

bool Blank(char c) { return static_cast<unsigned char>(c) <= ' ' || c == '\x7f'; }

}  // namespace

std::string DocumentTitle(const std::string& host, std::string_view line) {
  std::string words;
  for (char c : line) {
    if (words.size() > kLongestDocumentTitle) break;
    if (!Blank(c)) {
      words += c;
    } else if (!words.empty() && words.back() != ' ') {
      words += ' ';
    }
  }
  while (!words.empty() && words.back() == ' ') words.pop_back();
  if (words.empty()) return host.substr(0, kLongestDocumentTitle);
  std::string title = host + " - " + words;
  if (title.size() <= kLongestDocumentTitle) return title;
  // The word that runs over goes, unless it is the only one.
  std::size_t cut = title.rfind(' ', kLongestDocumentTitle);
  title.resize(cut != std::string::npos && cut > host.size() + 2 ? cut : kLongestDocumentTitle);
  return title;
}

PagePrinter::PagePrinter(PageDeviceParts device, std::string host)
    : capabilities_(device.capabilities),
      faces_(device.faces),
      pages_(device.pages),
      note_(device.note),
      host_(std::move(host)),
      dpi_(faces_.Resolution() > 0 ? faces_.Resolution() : kFallbackResolution),
      cache_(faces_),
      setup_(capabilities_.InitialSetup()) {
  SetFontSize(kStartFontPoints);
  page_ = GeometryOf(setup_);
}

PagePrinter::~PagePrinter() {
  if (!open_) return;
  try {
    EndDoc();
  } catch (const PrinterError& e) {
    std::fprintf(stderr, "%s: the last document could not be printed: %s\n",
                 capabilities_.Name().c_str(), e.what());
  }
}

std::string PagePrinter::FontName() { return CurrentFont().text.face->name; }

void PagePrinter::SetFontName(const std::string& face) {
  face_ = face;
  cache_.AskAgainFor(face);
  styles_ = {};
  // Resolved now, against the fonts installed now; a printer that cannot be
  // reached says so when the face is asked for.
  try {
    CurrentFont();
  } catch (const PrinterError& e) {
    if (e.code() != kPrinterErrorNoPrinter) throw;
  }
}

// The size of the em in whole pixels: the size read back is the size of
// that height.
float PagePrinter::FontSize() {
  CurrentFont();  // only a printer that can be reached has a size
  return static_cast<float>(em_ * 72.0 / dpi_);
}

void PagePrinter::SetFontSize(float points) {
  double pixels = static_cast<double>(points) * dpi_ / 72.0;
  if (!(pixels >= 1)) pixels = 1;  // also a size that is no number
  em_ = std::max(1, static_cast<int32_t>(std::min(std::nearbyint(pixels), kLargestEmPixels)));
}

void PagePrinter::SetPaperSize(int16_t paperSize) {
  std::optional<DeviceSheet> sheet = capabilities_.Sheet(paperSize);
  if (!sheet) {
    throw PrinterError(kPrinterErrorBadPaperSize,
                       "paper size " + std::to_string(paperSize) + " is not offered");
  }
  setup_.paperSize = paperSize;
  setup_.sheet = *sheet;
  SetupChanged();
}

void PagePrinter::SetOrientation(int16_t orientation) {
  if (orientation != kOrientationPortrait && orientation != kOrientationLandscape) {
    throw PrinterError(kPrinterErrorBadValue,
                       "orientation " + std::to_string(orientation) + " is not valid");
  }
  setup_.orientation = orientation;
  SetupChanged();
}

void PagePrinter::SetPaperBin(int16_t bin) {
  if (!ValidPaperBin(bin)) {
    throw PrinterError(kPrinterErrorBadValue, "paper bin " + std::to_string(bin) + " is not valid");
  }
  setup_.bin = bin;
  SetupChanged();
}

float PagePrinter::Width() { return TwipsFromMicrons(SheetAsItLies(setup_).widthMicrons); }

float PagePrinter::Height() { return TwipsFromMicrons(SheetAsItLies(setup_).heightMicrons); }

float PagePrinter::TextWidth(std::string_view text) {
  return Twips(RunAdvance(CurrentFont().text, text));
}

// How many of the bytes, set from x on, begin left of the edge.
std::size_t PagePrinter::BeginningBefore(const Font& font, std::string_view text, int64_t x,
                                         int64_t edge) {
  if (x >= edge) return 0;
  if (const int32_t pitch = font.text.pitch; pitch > 0) {
    int64_t fit = (edge - x + pitch - 1) / pitch;
    return static_cast<std::size_t>(std::min<int64_t>(fit, static_cast<int64_t>(text.size())));
  }
  std::size_t shown = 0;
  for (char c : text) {
    if (x >= edge) break;
    ++shown;
    x += font.text.advance[static_cast<unsigned char>(c)];
  }
  return shown;
}

float PagePrinter::TextHeight(std::string_view) { return Twips(CurrentFont().height); }

void PagePrinter::PrintText(std::string_view text) {
  if (text.empty()) return;
  InDocument([&] {
    OpenIfNone();
    const std::shared_ptr<const Font>& font = CurrentFontShared();
    // Like a Windows printer, a line that would run past the bottom of the
    // printable area starts a new page rather than being lost.
    if (y_ > 0 && y_ + font->height > page_.printableHeight) {
      const int64_t x = x_;
      EndPage();
      x_ = x;
    }
    BeginPageIfNone();
    // Text beyond the sheet's right edge cannot show: it is not drawn, so a
    // line of any length costs no more than a line across the sheet.
    int64_t x = page_.left + x_;
    int64_t baseline = page_.top + y_ + font->ascent;
    int64_t end = x + RunAdvance(font->text, text);
    std::size_t shown = BeginningBefore(*font, text, x, page_.width);
    if (shown > 0) Draw(font, x, baseline, 0, 0, text.substr(0, shown));
    // The underline is cut at the same edge as the text.
    int64_t underlined = std::min(end, page_.width) - x;
    if (underline_ && underlined > 0) {
      Draw(nullptr, x, baseline + font->underlineOffset, underlined, font->underlineThickness, {});
    }
    x_ += end - x;
    if (!named_ && firstLine_.size() <= kLongestDocumentTitle) {
      firstLine_ += text.substr(0, kLongestDocumentTitle + 1);
    }
  });
}

void PagePrinter::LineEnd() {
  InDocument([&] {
    OpenIfNone();
    x_ = 0;
    y_ += CurrentFont().height;
    if (named_) return;
    std::string title = DocumentTitle(host_, firstLine_);
    firstLine_.clear();
    if (title.size() > host_.size()) NameDocument(title);
  });
}

void PagePrinter::NewPage() {
  InDocument([&] {
    OpenIfNone();
    EndPage();  // a page with nothing on it is still a page
  });
}

void PagePrinter::EndDoc() {
  if (!open_) return;
  InDocument([&] {
    if (inPage_) EndPage();
    // Nothing was drawn: no empty job for the spooler.
    if (pagesEnded_ > 0) pages_.EndDocument();
  });
  Reset();
}

// An unfinished document goes nowhere, and the next output starts a new
// one: the retry of the same file included, which must not add to a job
// that holds a part of the failed document.
void PagePrinter::AbortDoc() {
  if (named_) pages_.AbortDocument();
  Reset();
}

void PagePrinter::Reset() {
  open_ = named_ = inPage_ = false;
  pagesEnded_ = 0;
  firstLine_.clear();
  waiting_.clear();
  x_ = y_ = 0;
  page_ = GeometryOf(setup_);
}

// A document whose drawing fails is dropped: nothing of it stays in an
// open job.
template <typename Operation>
void PagePrinter::InDocument(Operation operation) {
  try {
    operation();
  } catch (const PrinterError&) {
    AbortDoc();
    throw;
  }
}

void PagePrinter::RealiseCurrentFont(std::shared_ptr<const Font>& font) {
  font = cache_.Font({face_, bold_, italic_, em_});
}

PagePrinter::Geometry PagePrinter::GeometryOf(const PageSetup& setup) const {
  const DeviceSheet s = SheetAsItLies(setup);
  Geometry g;
  g.width = PixelsFromMicrons(s.widthMicrons, dpi_);
  g.height = PixelsFromMicrons(s.heightMicrons, dpi_);
  g.left = PixelsFromMicrons(s.leftMicrons, dpi_);
  g.top = PixelsFromMicrons(s.topMicrons, dpi_);
  g.printableHeight = g.height - g.top - PixelsFromMicrons(s.bottomMicrons, dpi_);
  return g;
}

// A paper size, orientation or bin chosen before anything is drawn on a
// page is meant for that page: the host puts its form tag right after the
// form feed.
void PagePrinter::SetupChanged() {
  if (!inPage_) page_ = GeometryOf(setup_);
}

void PagePrinter::OpenIfNone() {
  if (open_) return;
  Reset();
  open_ = true;
}

void PagePrinter::BeginPageIfNone() {
  if (inPage_) return;
  inPage_ = true;
  pageSetup_ = setup_;
  if (named_) pages_.BeginPage(pageSetup_, SheetAsItLies(pageSetup_));
}

void PagePrinter::EndPage() {
  BeginPageIfNone();
  // The first line of text did not end on the first page: the host alone
  // names the document.
  if (!named_) NameDocument(DocumentTitle(host_, {}));
  pages_.EndPage();
  ++pagesEnded_;
  inPage_ = false;
  x_ = y_ = 0;
  page_ = GeometryOf(setup_);
}

void PagePrinter::Hold(const std::shared_ptr<const Font>& font, int64_t x, int64_t y,
                       int64_t width, int64_t height, std::string_view bytes) {
  waiting_.push_back({font, x, y, width, height, std::string(bytes)});
}

void PagePrinter::NameDocument(const std::string& title) {
  pages_.BeginDocument(title, dpi_);
  named_ = true;
  if (inPage_) pages_.BeginPage(pageSetup_, SheetAsItLies(pageSetup_));
  std::vector<Drawing> waiting = std::move(waiting_);
  waiting_.clear();
  for (const Drawing& d : waiting) Draw(d.font, d.x, d.y, d.width, d.height, d.bytes);
}

float PagePrinter::Twips(int64_t pixels) const {
  return static_cast<float>(static_cast<double>(pixels) * 1440.0 / dpi_);
}

}  // namespace rizarode
