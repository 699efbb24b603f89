#include "pdf/pdf_document.h"

#include <cmath>

#include "pdf/pdf_syntax.h"
#include "platform/printer.h"
#include "base/text_encoding.h"

namespace rizarode {
namespace {

using pdf::AppendInteger;
using pdf::AppendReal;
using pdf::AppendReference;

// A glyph that the font's own advance would put further from its layout
// position than this, in pixels, is moved back to it.
constexpr double kLargestDrift = 0.05;

}  // namespace

PdfDocument::PdfDocument(std::unique_ptr<DocumentSink> sink, int dpi, double widthPoints,
                         double heightPoints, std::string title)
    : file_(std::move(sink)),
      pixelPoints_(72.0 / dpi),
      width_(widthPoints),
      height_(heightPoints),
      title_(std::move(title)) {
  catalog_ = file_.Reserve();
  pageTree_ = file_.Reserve();
  resources_ = file_.Reserve();
  info_ = file_.Reserve();
  content_.reserve(1 << 14);
}

void PdfDocument::SetPageSize(double widthPoints, double heightPoints) {
  width_ = widthPoints;
  height_ = heightPoints;
}

// The page's user space becomes its device pixels, from the top-left
// corner down, so that every position is a whole number.
void PdfDocument::StartDrawing() {
  if (!content_.empty()) return;
  state_ = TextState();
  AppendReal(content_, pixelPoints_, 6);
  content_ += " 0 0 ";
  AppendReal(content_, -pixelPoints_, 6);
  content_ += " 0 ";
  AppendReal(content_, height_, 4);
  content_ += " cm\n";
}

void PdfDocument::ShowText(const DeviceFont& font, int64_t x, int64_t baseline,
                           std::string_view bytes) {
  if (bytes.empty()) return;
  StartDrawing();
  std::size_t number = fonts_.Use(font.Variant());
  fonts_.MarkUsed(number, bytes);
  const pdf::PageFace& face = fonts_.Face(number);
  const FaceMetrics& m = face.metrics;

  // A fixed-pitch face is drawn widened or narrowed by the rounding of its
  // one advance, so that its glyphs fall where their whole-pixel advances
  // put them and need no position of their own.
  double scale = 1;
  if (m.pitch > 0) {
    double natural = pdf::GlyphSpaceWidth(m.pitch, m.unitsPerEm) * font.Em() / 1000;
    double wanted = std::llround(static_cast<double>(m.pitch) * font.Em() / m.unitsPerEm);
    if (natural > 0 && wanted > 0) scale = std::round(wanted / natural * 1e6) / 1e6;
  }
  // Simulated bold's extra pixel, in unscaled text space.
  double spacing = font.BoldExtra() / scale;
  SetTextState(number, font, scale * 100, spacing);

  content_ += "1 0 ";
  AppendReal(content_, font.Variant().face.slant, 4);
  content_ += " -1 ";
  AppendInteger(content_, x);
  content_ += ' ';
  AppendInteger(content_, baseline);
  content_ += " Tm\n";
  AppendRun(face, font, scale, bytes);
}

void PdfDocument::SetTextState(std::size_t face, const DeviceFont& font, double scale,
                               double spacing) {
  if (!state_.inText) {
    content_ += "BT\n";
    state_.inText = true;
  }
  if (face != state_.face || font.Em() != state_.em) {
    content_ += "/F";
    AppendInteger(content_, static_cast<int64_t>(face));
    content_ += ' ';
    AppendInteger(content_, font.Em());
    content_ += " Tf\n";
    state_.face = face;
    state_.em = font.Em();
  }
  if (scale != state_.scale) {
    AppendReal(content_, scale, 4);
    content_ += " Tz\n";
    state_.scale = scale;
  }
  if (spacing != state_.spacing) {
    AppendReal(content_, spacing, 4);
    content_ += " Tc\n";
    state_.spacing = spacing;
  }
  // Simulated bold strokes the outline as well as filling it, which widens
  // each stem by a 24th of the em, as an emboldened glyph is widened.
  bool stroked = font.BoldExtra() > 0;
  double strokeWidth = stroked ? font.Em() / 24.0 : 0;
  if (stroked && strokeWidth != state_.strokeWidth) {
    AppendReal(content_, strokeWidth, 2);
    content_ += " w\n";
    state_.strokeWidth = strokeWidth;
  }
  if (stroked != state_.stroked) {
    content_ += stroked ? "2 Tr\n" : "0 Tr\n";
    state_.stroked = stroked;
  }
}

// Shows the bytes; where the font's advances drift from the layout's
// whole-pixel advances (a proportional face), the glyphs are moved back.
void PdfDocument::AppendRun(const pdf::PageFace& face, const DeviceFont& font, double scale,
                            std::string_view bytes) {
  double perUnit = font.Em() * scale / 1000;  // pixels per glyph-space unit
  double drift = 0;
  std::size_t start = 0;
  bool array = false;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    auto b = static_cast<unsigned char>(bytes[i]);
    drift += face.widths[b] * perUnit + font.BoldExtra() - font.Advance(b);
    if (std::fabs(drift) <= kLargestDrift) continue;
    if (!array) content_ += '[';
    array = true;
    pdf::AppendString(content_, bytes.substr(start, i + 1 - start));
    AppendReal(content_, drift / perUnit, 2);
    start = i + 1;
    drift = 0;
  }
  if (!array) {
    pdf::AppendString(content_, bytes);
    content_ += " Tj\n";
    return;
  }
  if (start < bytes.size()) pdf::AppendString(content_, bytes.substr(start));
  content_ += "] TJ\n";
}

void PdfDocument::FillRectangle(int64_t x, int64_t y, int64_t width, int64_t height) {
  StartDrawing();
  if (state_.inText) {
    content_ += "ET\n";
    state_.inText = false;
  }
  for (int64_t v : {x, y, width, height}) {
    AppendInteger(content_, v);
    content_ += ' ';
  }
  content_ += "re f\n";
}

void PdfDocument::ShowPage() { EndPage(); }

void PdfDocument::EndPage() {
  if (state_.inText) content_ += "ET\n";
  uint32_t contents = file_.Reserve();
  file_.WriteStream(contents, content_);
  content_.clear();
  state_ = TextState();

  std::string page = "<< /Type /Page /Parent ";
  AppendReference(page, pageTree_);
  page += " /MediaBox [0 0 ";
  AppendReal(page, width_, 4);
  page += ' ';
  AppendReal(page, height_, 4);
  page += "] /Resources ";
  AppendReference(page, resources_);
  page += " /Contents ";
  AppendReference(page, contents);
  page += " >>";
  uint32_t object = file_.Reserve();
  file_.WriteObject(object, page);
  pages_.push_back(object);
}

void PdfDocument::Finish(const JobSettings& settings) {
  // A last page with nothing on it is no page, unless it is the only one.
  if (!content_.empty() || pages_.empty()) EndPage();

  std::string body = "<< /Font << ";
  body += fonts_.WriteAll(file_);
  body += ">> >>";
  file_.WriteObject(resources_, body);

  body = "<< /Type /Pages /Count ";
  AppendInteger(body, static_cast<int64_t>(pages_.size()));
  body += " /Kids [";
  for (uint32_t page : pages_) {
    body += ' ';
    AppendReference(body, page);
  }
  body += " ] >>";
  file_.WriteObject(pageTree_, body);

  body = "<< /Type /Catalog /Pages ";
  AppendReference(body, pageTree_);
  body += " >>";
  file_.WriteObject(catalog_, body);

  body = "<< /Title ";
  pdf::AppendUtf16String(body, Cp1252ToUtf8(title_));
  body += " /Creator (RIZARODE) /Producer (RIZARODE) >>";
  file_.WriteObject(info_, body);

  if (!file_.Finish(catalog_, info_)) {
    throw PrinterError(kPrinterErrorDevice, "the PDF document could not be written: write error");
  }
  file_.Sink().Deliver(settings);
}

}  // namespace rizarode
