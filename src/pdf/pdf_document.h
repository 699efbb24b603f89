#pragma once
// One PDF document drawn page by page in device pixels, the way the page
// printer lays its pages out, and streamed into a ByteSink: each page
// is written when it ends, the fonts and the page tree when the document
// ends. Everything drawn is opaque black.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "pdf/content_buffer.h"
#include "pdf/pdf_face.h"
#include "pdf/pdf_file.h"
#include "pdf/pdf_fonts.h"

namespace rizarode {

class PdfDocument {
 public:
  // The title is UTF-8. Throws pdf::PdfError when the document cannot be
  // started.
  PdfDocument(std::unique_ptr<pdf::ByteSink> sink, int dpi, std::string title);

  // Every page has its size set before anything is drawn on it.
  void SetPageSize(double widthPoints, double heightPoints);
  // The bytes in the font, the first one's origin at x on the baseline;
  // each advances by the font's whole-pixel advance.
  void ShowText(const pdf::ShownFont& font, int64_t x, int64_t baseline, std::string_view bytes);
  void FillRectangle(int64_t x, int64_t y, int64_t width, int64_t height);
  void ShowPage();
  // Ends the last page and the document and writes what is left of it.
  // Throws pdf::PdfError when it could not be made or written.
  void Finish();

 private:
  // How a face is drawn at one size, worked out on its first run there:
  // the font's advances follow from the face, the size and simulated bold.
  struct RunFace {
    // Held, so that no other face takes its address while it is here.
    std::shared_ptr<const FaceSource> source;
    std::size_t face = SIZE_MAX;  // the document's number for the face
    int32_t em = 0, boldExtra = 0;
    double slant = 0;
    std::string select;  // the operator that selects the face at the size
    double scale = 1;    // the horizontal scaling of its glyphs
    double spacing = 0;  // simulated bold's extra pixel, in text space
    double perUnit = 0;  // pixels per glyph-space unit
    // How far each byte's advance in the face, in pixels, is from its
    // whole-pixel advance in the font, and the farthest of them.
    std::array<double, 256> drift{};
    double largestDrift = 0;

    bool IsFor(const pdf::ShownFont& font) const {
      return source.get() == &font.Face() && em == font.Em() && boldExtra == font.BoldExtra();
    }
  };
  // What the page's content has set, so that only changes are written.
  struct TextState {
    bool inText = false;
    // The run face that the state below was last set for; null once that
    // may not hold (a new page, the run face replaced).
    const RunFace* run = nullptr;
    std::size_t face = SIZE_MAX;
    int32_t em = 0;
    double scale = 100, spacing = 0, strokeWidth = 0;
    bool stroked = false;
    // The text matrix: upright at the last run's origin, once placed.
    bool placed = false;
    int64_t x = 0, baseline = 0;
    int64_t leading = 0;  // from one line's start to the next
    // Where the last run's glyphs ended, when they ended within penDrift
    // pixels of their layout end penX.
    bool penKnown = false;
    int64_t penX = 0;
    double penDrift = 0;
  };

  void StartDrawing();
  void SetTextState(const RunFace& run);
  bool GoesOnFromPen(const RunFace& run, int64_t x, int64_t baseline, double farthest) const;
  void PlaceRun(const RunFace& run, int64_t x, int64_t baseline);
  const RunFace& RunFaceOf(const pdf::ShownFont& font);
  void FillRunFace(RunFace& run, const pdf::ShownFont& font);
  void AppendRun(const RunFace& run, std::string_view bytes, pdf::ShownBytes& used);
  void EndPage();

  pdf::PdfFile file_;
  pdf::PdfFonts fonts_;
  double pixelPoints_;
  double width_ = 0, height_ = 0;
  std::string title_;
  uint32_t catalog_, pageTree_, resources_, info_;
  std::vector<uint32_t> pages_;
  pdf::ContentBuffer content_;
  TextState state_;
  std::array<RunFace, 4> runFaces_;  // the faces and sizes used last
  std::size_t lastRunFace_ = 0, nextRunFace_ = 0;
};

}  // namespace rizarode
