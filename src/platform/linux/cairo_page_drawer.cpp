#include "platform/linux/cairo_page_drawer.h"

#include <cairo-pdf.h>

#include <string_view>

#include "platform/printer.h"
#include "platform/text_encoding.h"

namespace rizarode {
namespace {

// cairo declares a transparency group on every page, even when nothing on
// it is transparent. PostScript converters (Ghostscript's ps2write, which
// many print queues use) then turn the whole page into one picture, and the
// text is lost as text. Everything drawn here is opaque black, so the
// declaration is blanked out, with as many spaces, so that every offset in
// the file stays right.
constexpr std::string_view kPageGroup =
    "   /Group <<\n"
    "      /Type /Group\n"
    "      /S /Transparency\n"
    "      /I true\n"
    "      /CS /DeviceRGB\n"
    "   >>\n";

void BlankPageGroups(std::string& bytes) {
  for (std::size_t at = bytes.find(kPageGroup); at != std::string::npos;
       at = bytes.find(kPageGroup, at + kPageGroup.size())) {
    bytes.replace(at, kPageGroup.size() - 1, kPageGroup.size() - 1, ' ');
  }
}

}  // namespace

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
  DropRun();
  if (cr_) cairo_destroy(cr_);
  if (surface_) cairo_surface_destroy(surface_);
}

void PageDrawer::SetPageSize(double widthPoints, double heightPoints) {
  DrawRun();
  cairo_pdf_surface_set_size(surface_, widthPoints, heightPoints);
}

void PageDrawer::ShowGlyphs(cairo_scaled_font_t* font, const cairo_glyph_t* glyphs, int count) {
  if (count <= 0) return;
  if (font != runFont_) {
    DrawRun();
    runFont_ = cairo_scaled_font_reference(font);
  }
  run_.insert(run_.end(), glyphs, glyphs + count);
}

void PageDrawer::DrawRun() {
  if (!runFont_) return;
  cairo_set_scaled_font(cr_, runFont_);
  cairo_show_glyphs(cr_, run_.data(), static_cast<int>(run_.size()));
  DropRun();
}

void PageDrawer::DropRun() {
  if (runFont_) cairo_scaled_font_destroy(runFont_);
  runFont_ = nullptr;
  run_.clear();
}

void PageDrawer::FillRectangle(double x, double y, double width, double height) {
  DrawRun();
  cairo_rectangle(cr_, x, y, width, height);
  cairo_fill(cr_);
}

void PageDrawer::ShowPage() {
  DrawRun();
  cairo_show_page(cr_);
}

void PageDrawer::Finish(const JobSettings& settings) {
  DrawRun();
  cairo_destroy(cr_);
  cr_ = nullptr;
  cairo_surface_finish(surface_);
  cairo_status_t status = cairo_surface_status(surface_);
  cairo_surface_destroy(surface_);
  surface_ = nullptr;
  if (!writeFailed_ && !Pass(0)) writeFailed_ = true;
  if (status != CAIRO_STATUS_SUCCESS || writeFailed_) {
    throw PrinterError(kPrinterErrorDevice,
                       std::string("the PDF document could not be written: ") +
                           (writeFailed_ ? "write error" : cairo_status_to_string(status)));
  }
  sink_->Deliver(settings);
}

cairo_status_t PageDrawer::Write(void* closure, const unsigned char* data, unsigned int length) {
  auto* self = static_cast<PageDrawer*>(closure);
  if (!self->writeFailed_) {
    self->pending_.append(reinterpret_cast<const char*>(data), length);
    BlankPageGroups(self->pending_);
    if (!self->Pass(kPageGroup.size() - 1)) self->writeFailed_ = true;
  }
  return self->writeFailed_ ? CAIRO_STATUS_WRITE_ERROR : CAIRO_STATUS_SUCCESS;
}

// Hands on all pending bytes but the last keep.
bool PageDrawer::Pass(std::size_t keep) {
  if (pending_.size() <= keep) return true;
  std::size_t count = pending_.size() - keep;
  bool ok = sink_->Write(reinterpret_cast<const unsigned char*>(pending_.data()), count);
  pending_.erase(0, count);
  return ok;
}

}  // namespace rizarode
