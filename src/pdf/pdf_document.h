#pragma once
// One PDF document drawn page by page in device pixels, the way the page
// printer lays its pages out, and streamed into a ByteSink: each page
// is written when it ends, the fonts and the page tree when the document
// ends. Everything drawn is opaque black.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "pdf/pdf_face.h"
#include "pdf/pdf_file.h"
#include "pdf/pdf_fonts.h"

namespace rizarode {

class PdfDocument {
 public:
  // The title is UTF-8. Throws pdf::PdfError when the document cannot be
  // started.
  PdfDocument(std::unique_ptr<pdf::ByteSink> sink, int dpi, double widthPoints,
              double heightPoints, std::string title);

  // Only for a page that nothing has been drawn on yet.
  void SetPageSize(double widthPoints, double heightPoints);
  // The bytes in the font, the first one's origin at x on the baseline;
  // each advances by the font's whole-pixel advance.
  void ShowText(const pdf::TextFont& font, int64_t x, int64_t baseline, std::string_view bytes);
  void FillRectangle(int64_t x, int64_t y, int64_t width, int64_t height);
  void ShowPage();
  // Ends the last page and the document and writes what is left of it.
  // Throws pdf::PdfError when it could not be made or written.
  void Finish();

 private:
  // What the page's content has set, so that only changes are written.
  struct TextState {
    bool inText = false;
    std::size_t face = SIZE_MAX;
    int32_t em = 0;
    double scale = 100, spacing = 0, strokeWidth = 0;
    bool stroked = false;
  };

  void StartDrawing();
  void SetTextState(std::size_t face, const pdf::TextFont& font, double scale, double spacing);
  void AppendRun(const pdf::PageFace& face, const pdf::TextFont& font, double scale,
                 std::string_view bytes);
  void EndPage();

  pdf::PdfFile file_;
  pdf::PdfFonts fonts_;
  double pixelPoints_;
  double width_, height_;
  std::string title_;
  uint32_t catalog_, pageTree_, resources_, info_;
  std::vector<uint32_t> pages_;
  std::string content_;
  TextState state_;
};

}  // namespace rizarode
