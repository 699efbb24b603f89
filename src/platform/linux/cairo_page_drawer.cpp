#include "platform/linux/cairo_page_drawer.h"

#include <cairo-pdf.h>

#include "platform/printer.h"
#include "platform/text_encoding.h"

namespace rizarode {

PageDrawer::PageDrawer(std::unique_ptr<DocumentSink> sink, double widthPoints,
                       double heightPoints, const std::string& title)
    : sink_(std::move(sink)) {
  surface_ = cairo_pdf_surface_create_for_stream(&PageDrawer::Write, this, widthPoints,
                                                 heightPoints);
  cr_ = cairo_create(surface_);
  if (cairo_status(cr_) != CAIRO_STATUS_SUCCESS) {
    std::string why = cairo_status_to_string(cairo_status(cr_));
    cairo_destroy(cr_);
    cairo_surface_destroy(surface_);
    throw PrinterError(kPrinterErrorDevice, "cannot start a PDF document: " + why);
  }
  std::string utf8Title = Cp1252ToUtf8(title);
  cairo_pdf_surface_set_metadata(surface_, CAIRO_PDF_METADATA_TITLE, utf8Title.c_str());
  cairo_pdf_surface_set_metadata(surface_, CAIRO_PDF_METADATA_CREATOR, "RIZARODE");
  cairo_set_source_rgb(cr_, 0, 0, 0);
}

PageDrawer::~PageDrawer() {
  if (cr_) cairo_destroy(cr_);
  if (surface_) cairo_surface_destroy(surface_);
}

void PageDrawer::SetPageSize(double widthPoints, double heightPoints) {
  cairo_pdf_surface_set_size(surface_, widthPoints, heightPoints);
}

void PageDrawer::ShowGlyphs(cairo_scaled_font_t* font, const cairo_glyph_t* glyphs, int count) {
  cairo_set_scaled_font(cr_, font);
  cairo_show_glyphs(cr_, glyphs, count);
}

void PageDrawer::FillRectangle(double x, double y, double width, double height) {
  cairo_rectangle(cr_, x, y, width, height);
  cairo_fill(cr_);
}

void PageDrawer::ShowPage() { cairo_show_page(cr_); }

void PageDrawer::Finish(const JobSettings& settings) {
  cairo_destroy(cr_);
  cr_ = nullptr;
  cairo_surface_finish(surface_);
  cairo_status_t status = cairo_surface_status(surface_);
  cairo_surface_destroy(surface_);
  surface_ = nullptr;
  if (status != CAIRO_STATUS_SUCCESS || writeFailed_) {
    throw PrinterError(kPrinterErrorDevice,
                       std::string("the PDF document could not be written: ") +
                           (writeFailed_ ? "write error" : cairo_status_to_string(status)));
  }
  sink_->Deliver(settings);
}

cairo_status_t PageDrawer::Write(void* closure, const unsigned char* data, unsigned int length) {
  auto* self = static_cast<PageDrawer*>(closure);
  if (self->writeFailed_ || !self->sink_->Write(data, length)) {
    self->writeFailed_ = true;
    return CAIRO_STATUS_WRITE_ERROR;
  }
  return CAIRO_STATUS_SUCCESS;
}

}  // namespace rizarode
