#pragma once
// Where a printer's pages are drawn: a document of pages on which runs of
// 8-bit text and filled rectangles are put at positions in pixels. The
// target only draws what the printer laid out: where text goes, how far
// each character advances and how the sheet lies are the printer's.
// Every operation may fail with PrinterError.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "printer/face_provider.h"
#include "printer/page_setup.h"

namespace rizarode {

// A face at an em height as the printer lays it out: each byte advances by
// the whole pixels given here.
struct LayoutFont {
  std::shared_ptr<const DeviceFace> face;
  int32_t emPixels = 0;
  int32_t boldExtra = 0;  // pixels that synthetic bold adds to each advance
  std::array<int32_t, 256> advance{};
  // The one advance of every byte when they are all alike (a fixed-pitch
  // face at this size); else 0.
  int32_t pitch = 0;
};

// How far the bytes advance in the layout, from the first one's origin.
inline int64_t RunAdvance(const LayoutFont& font, std::string_view bytes) {
  if (font.pitch > 0) return font.pitch * static_cast<int64_t>(bytes.size());
  int64_t width = 0;
  for (char c : bytes) width += font.advance[static_cast<unsigned char>(c)];
  return width;
}

class PageTarget {
 public:
  virtual ~PageTarget() = default;

  // Positions and lengths of the document come in pixels of dpi dots per
  // inch.
  virtual void BeginDocument(const std::string& title, int dpi) = 0;
  // The sheet as the page lies on it: turned for a landscape setup.
  virtual void BeginPage(const PageSetup& setup, const DeviceSheet& lying) = 0;
  // Positions count from the top-left corner of the sheet as it lies. The
  // text's first byte has its origin at x on the baseline.
  virtual void DrawRun(const LayoutFont& font, int64_t x, int64_t baseline,
                       std::string_view bytes) = 0;
  virtual void FillRectangle(int64_t x, int64_t y, int64_t width, int64_t height) = 0;
  virtual void EndPage() = 0;
  // The document goes out as one job. Throws when it did not: nothing of
  // it reached the printer.
  virtual void EndDocument() = 0;
  // Nothing of the open document goes out. Never throws.
  virtual void AbortDocument() = 0;
};

}  // namespace rizarode
