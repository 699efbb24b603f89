#pragma once
// The printer that the program prints on, over a page device that only
// draws and measures: the rules of a Windows printer, kept here once for
// every system.
//
// Fonts are realised at the device's resolution: the em is a whole number
// of pixels, every character advances by its face's advance scaled to the
// em and rounded to whole pixels (one more for synthetic bold), and a text
// is as wide as the sum of its characters, so TextWidth says exactly where
// the drawing puts the next character. A document opens with the first
// output; a page goes to the device with the first text drawn on it, so a
// form chosen after a form feed but before the page's first text applies
// to that page. A line that would run past the bottom of the printable area
// starts a new page; text beyond the sheet's right edge is not drawn.
//
// The document is named for the host application and the first words of
// its first line of text ("VELDRAK - Descendants of ..."), so that jobs can
// be told apart in the printer's queue; the device learns the name only
// when that line has ended (or the first page has), and what was drawn
// until then waits here.

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "printer/face_cache.h"
#include "printer/page_device.h"
#include "printer/printer.h"
#include "printer/realised_font.h"

namespace rizarode {

// At most this many characters in a document's name.
inline constexpr std::size_t kLongestDocumentTitle = 63;

// "host - first words of the line", the words cut where the name would
// grow longer than kLongestDocumentTitle; the host alone when the line has
// no words.
std::string DocumentTitle(const std::string& host, std::string_view line);

class PagePrinter : public Printer {
 public:
  PagePrinter(PageDeviceParts device, std::string host);
  PagePrinter(PageDevice& device, std::string host) : PagePrinter(device.Parts(), std::move(host)) {}
  // A document still open is ended and sent: what was printed is not lost
  // because no closing form feed came.
  ~PagePrinter() override;

  std::string DeviceName() override { return capabilities_.Name(); }
  std::string FontName() override;
  void SetFontName(const std::string& face) override;
  float FontSize() override;
  void SetFontSize(float points) override;
  void SetFontBold(bool on) override { bold_ = on; }
  void SetFontItalic(bool on) override { italic_ = on; }
  void SetFontUnderline(bool on) override { underline_ = on; }
  void SetPaperSize(int16_t paperSize) override;
  int16_t PaperSize() override { return setup_.paperSize; }
  int16_t Orientation() override { return setup_.orientation; }
  void SetOrientation(int16_t orientation) override;
  int16_t PaperBin() override { return setup_.bin; }
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
  std::vector<Delivery> TakeDeliveries() override { return note_.TakeDeliveries(); }
  void ExpectAnswersAgain() override { note_.ExpectAnswersAgain(); }

  bool HasOpenDocument() const { return open_; }

 private:
  using Font = RealisedFont;
  // The current sheet in device pixels, turned for the orientation.
  struct Geometry {
    int64_t width = 0, height = 0;
    int64_t left = 0, top = 0;
    int64_t printableHeight = 0;
  };
  // A drawing that waits for the document's name.
  struct Drawing {
    std::shared_ptr<const Font> font;  // null for a rectangle
    int64_t x, y, width, height;
    std::string bytes;
  };

  const Font& CurrentFont() { return *CurrentFontShared(); }
  // Asked for at every run: the style's font is nearly always there.
  const std::shared_ptr<const Font>& CurrentFontShared() {
    std::shared_ptr<const Font>& font = styles_[(bold_ ? 2 : 0) + (italic_ ? 1 : 0)];
    if (!font || font->text.emPixels != em_) RealiseCurrentFont(font);
    return font;
  }
  void RealiseCurrentFont(std::shared_ptr<const Font>& font);
  static std::size_t BeginningBefore(const Font& font, std::string_view text, int64_t x,
                                     int64_t edge);
  Geometry GeometryOf(const PageSetup& setup) const;
  void SetupChanged();
  void OpenIfNone();
  void BeginPageIfNone();
  void EndPage();
  // A drawing goes to the device once the document has its name; until
  // then it waits.
  void Draw(const std::shared_ptr<const Font>& font, int64_t x, int64_t y, int64_t width,
            int64_t height, std::string_view bytes) {
    if (!named_) {
      Hold(font, x, y, width, height, bytes);
    } else if (font) {
      pages_.DrawRun(font->text, x, y, bytes);
    } else {
      pages_.FillRectangle(x, y, width, height);
    }
  }
  void Hold(const std::shared_ptr<const Font>& font, int64_t x, int64_t y, int64_t width,
            int64_t height, std::string_view bytes);
  void NameDocument(const std::string& title);
  void Reset();
  template <typename Operation>
  void InDocument(Operation operation);
  float Twips(int64_t pixels) const;

  PrinterCapabilities& capabilities_;
  FaceProvider& faces_;
  PageTarget& pages_;
  DeliveryNote& note_;
  std::string host_;
  int dpi_;

  std::string face_ = "Arial";
  int32_t em_ = 1;
  bool bold_ = false, italic_ = false, underline_ = false;
  FaceCache cache_;
  // The face's fonts last used in each style, regular to bold italic: a
  // report switches styles word by word, and the cache's lookup by name
  // would cost more than drawing the word.
  std::array<std::shared_ptr<const Font>, 4> styles_;

  PageSetup setup_;

  bool open_ = false;       // a document has had output
  bool named_ = false;      // the device has begun it
  bool inPage_ = false;     // the current page is on the device
  int pagesEnded_ = 0;
  PageSetup pageSetup_;
  Geometry page_;
  std::string firstLine_;
  std::vector<Drawing> waiting_;
  // The position, in device pixels from the printable area's top-left.
  int64_t x_ = 0, y_ = 0;
};

}  // namespace rizarode
