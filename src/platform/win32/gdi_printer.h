#pragma once
// The Windows default printer through GDI: one device context on the
// default printer, a DEVMODE for paper size, orientation and bin, fonts
// realised at the device's resolution and text drawn with ExtTextOutA.
//
// Every character advances a whole number of device pixels, the face's own
// advance scaled to the size asked for, bold as regular: TextWidth says
// exactly where the drawing puts the next character, whatever the driver
// makes of the glyphs themselves (some scale them from a rounded height).
//
// A document starts with the first output and a page only with the first
// text drawn on it, so a form chosen after a form feed but before the page's
// first text still applies to that page (it reaches the device through
// ResetDC before StartPage). A document whose drawing or ending fails is
// aborted: nothing of it stays in an open job.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/printer.h"

struct HDC__;
struct HFONT__;

namespace rizarode {

class GdiPrinter : public Printer {
 public:
  // The default printer; with none, DeviceName is empty and every other
  // operation fails with kPrinterErrorNoPrinter.
  GdiPrinter();
  // A named printer (tests).
  explicit GdiPrinter(const std::string& printerName, std::string jobTitle = "RIZARODE");
  // A document still open is ended and spooled, so what was printed is not
  // lost because no closing form feed came.
  ~GdiPrinter() override;
  GdiPrinter(const GdiPrinter&) = delete;
  GdiPrinter& operator=(const GdiPrinter&) = delete;

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

  int Resolution() const { return dpi_; }
  bool HasOpenDocument() const { return inDocument_; }

 private:
  struct Paper {
    int16_t number;
    // Portrait size in tenths of a millimetre, as the driver reports it.
    int32_t width, height;
  };
  struct RealisedFont {
    HFONT__* handle = nullptr;
    std::string face;
    int32_t lineHeight = 0;
    // Each byte's advance in pixels of the vertical resolution.
    std::vector<int32_t> advance;
  };

  void Open(const std::string& printerName);
  void RequirePrinter() const;
  const Paper* FindPaper(int16_t number) const;
  const RealisedFont& Font();
  HFONT__* CreateFontWithQuality(int quality, int32_t height) const;
  std::vector<int32_t> Advances(HFONT__* realised, int32_t averageWidth);
  int64_t Width(std::string_view text);
  int DeviceX(int64_t x) const;
  template <typename Drawing>
  void DrawingInDocument(Drawing drawing);
  void ReleaseFont();
  bool FaceInstalled(const std::string& face) const;
  void SetupChanged();
  void ApplySetup();
  void StartDocumentIfNone();
  void StartPageIfNone();
  void FinishPage();
  float Twips(int64_t pixels) const;

  std::string name_;
  std::string title_;
  HDC__* dc_ = nullptr;
  std::vector<char> devmode_;
  bool setupPending_ = false;
  std::vector<Paper> papers_;
  int dpi_ = 600;
  // Horizontal resolution; positions are kept in pixels of dpi_.
  int dpiX_ = 600;

  std::string face_ = "Arial";
  int32_t em_ = 0;
  bool bold_ = false, italic_ = false, underline_ = false;
  RealisedFont font_;
  // Index into the LOGFONT qualities; see Font().
  int quality_ = 0;

  int16_t paperSize_ = 0;
  int16_t orientation_ = kOrientationPortrait;
  int16_t bin_ = kPaperBinAuto;

  bool inDocument_ = false;
  bool inPage_ = false;
  int pagesEnded_ = 0;
  // The position from the printable area's top-left, in device pixels of
  // the vertical resolution (also across, see DeviceX).
  int64_t x_ = 0, y_ = 0;
};

}  // namespace rizarode
