#pragma once
// One PDF document being drawn with cairo, page by page, its bytes streamed
// into a DocumentSink. The user unit is the PDF point (1/72 inch).

#include <cairo.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/linux/print_device.h"

namespace rizarode {

class PageDrawer {
 public:
  // Throws PrinterError when cairo cannot make the document.
  PageDrawer(std::unique_ptr<DocumentSink> sink, double widthPoints, double heightPoints,
             const std::string& title);
  ~PageDrawer();
  PageDrawer(const PageDrawer&) = delete;
  PageDrawer& operator=(const PageDrawer&) = delete;

  // Only for a page that nothing has been drawn on yet.
  void SetPageSize(double widthPoints, double heightPoints);
  void ShowGlyphs(cairo_scaled_font_t* font, const cairo_glyph_t* glyphs, int count);
  void FillRectangle(double x, double y, double width, double height);
  void ShowPage();
  // Ends the last page and the document and hands the document over.
  // Throws PrinterError when it could not be made or delivered.
  void Finish(const JobSettings& settings);

 private:
  static cairo_status_t Write(void* closure, const unsigned char* data, unsigned int length);
  bool Pass(std::size_t keep);
  void DrawRun();
  void DropRun();

  std::unique_ptr<DocumentSink> sink_;
  // Bytes not yet handed on: the tail of the last write, which may hold the
  // beginning of a declaration that the next write completes.
  std::string pending_;
  cairo_surface_t* surface_ = nullptr;
  cairo_t* cr_ = nullptr;
  bool writeFailed_ = false;
  // Glyphs in one font not yet handed to cairo. cairo's PDF output costs
  // much for every call (each is recorded, analysed and written as a
  // separate operation), so consecutive runs in the same font, such as the
  // lines of a page, go to cairo as one; the order of drawing stays.
  cairo_scaled_font_t* runFont_ = nullptr;
  std::vector<cairo_glyph_t> run_;
};

}  // namespace rizarode
