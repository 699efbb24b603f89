#include "pdf/pdf_document.h"

#include <algorithm>
#include <cmath>

#include "pdf/pdf_syntax.h"

namespace rizarode {
namespace {

using pdf::AppendInteger;
using pdf::AppendReal;
using pdf::AppendReference;

// A glyph that the font's own advance would put further from its layout
// position than this, in pixels, is moved back to it.
constexpr double kLargestDrift = 0.05;

// The first byte from `at` on after which the glyphs have drifted too far,
// or the end; `drift` goes on from the drift before `at`.
std::size_t Drifted(const std::array<double, 256>& drifts, std::string_view bytes, std::size_t at,
                    double& drift) {
  double sum = drift;
  for (; at < bytes.size(); ++at) {
    sum += drifts[static_cast<unsigned char>(bytes[at])];
    if (!(std::fabs(sum) <= kLargestDrift)) break;
  }
  drift = sum;
  return at;
}

}  // namespace

PdfDocument::PdfDocument(std::unique_ptr<pdf::ByteSink> sink, int dpi, std::string title)
    : file_(std::move(sink)), pixelPoints_(72.0 / dpi), title_(std::move(title)) {
  catalog_ = file_.Reserve();
  pageTree_ = file_.Reserve();
  resources_ = file_.Reserve();
  info_ = file_.Reserve();
}

void PdfDocument::SetPageSize(double widthPoints, double heightPoints) {
  width_ = widthPoints;
  height_ = heightPoints;
}

// The page's user space becomes its device pixels, from the top-left
// corner down, so that every position is a whole number.
void PdfDocument::StartDrawing() {
  if (!content_.Empty()) return;
  state_ = TextState();
  content_.Real(pixelPoints_, 6).Text(" 0 0 ").Real(-pixelPoints_, 6).Text(" 0 ");
  content_.Real(height_, 4).Text(" cm\n");
}

void PdfDocument::ShowText(const pdf::ShownFont& font, int64_t x, int64_t baseline,
                           std::string_view bytes) {
  if (bytes.empty()) return;
  StartDrawing();
  // Most runs go on in the face and size of the run before.
  const RunFace& last = runFaces_[lastRunFace_];
  const RunFace& run = last.IsFor(font) ? last : RunFaceOf(font);
  if (&run != state_.run || !state_.inText) SetTextState(run);
  // Mostly a fixed-pitch face, whose glyphs cannot drift far in a line.
  double farthest = static_cast<double>(bytes.size()) * run.largestDrift;
  bool steady = farthest < kLargestDrift / 2;
  if (!GoesOnFromPen(run, x, baseline, farthest)) {
    PlaceRun(run, x, baseline);
    state_.penDrift = 0;
  }
  pdf::ShownBytes& used = fonts_.Used(run.face);
  state_.penKnown = steady;
  if (!steady) {
    AppendRun(run, bytes, used);
    return;
  }
  content_.String(bytes, used).Text(" Tj\n");
  state_.penX = x + font.Advance(bytes);
  state_.penDrift += farthest;
}

// A run that starts where the last one's glyphs ended needs no move: on a
// line of words in changing styles that is most runs. The glyphs' drift
// from their layout positions adds up over the runs and is kept in bounds.
bool PdfDocument::GoesOnFromPen(const RunFace& run, int64_t x, int64_t baseline,
                                double farthest) const {
  return state_.placed && state_.penKnown && run.slant == 0 && x == state_.penX &&
         baseline == state_.baseline && state_.penDrift + farthest < kLargestDrift / 2;
}

// Within a text object an upright run is placed from the last one's
// origin: a move is shorter than a whole matrix, and a page's repeated
// moves deflate to almost nothing.
void PdfDocument::PlaceRun(const RunFace& run, int64_t x, int64_t baseline) {
  const double slant = run.slant;
  if (state_.placed && slant == 0) {
    // The matrix turns text space upside down.
    int64_t across = x - state_.x, down = state_.baseline - baseline;
    if (across == 0 && down < 0) {
      // The start of the next line, by the leading when it is the same.
      if (-down != state_.leading) content_.Integer(-down).Text(" TL\n");
      state_.leading = -down;
      content_.Text("T*\n");
    } else {
      content_.Integer(across).Text(" ").Integer(down).Text(" Td\n");
    }
  } else {
    content_.Text("1 0 ").Real(slant, 4).Text(" -1 ").Integer(x).Text(" ").Integer(baseline);
    content_.Text(" Tm\n");
  }
  // From a slanted matrix a move would go sideways as well.
  state_.placed = slant == 0;
  state_.x = x;
  state_.baseline = baseline;
}

// Runs in one face at one size, most of a page, set nothing after the
// first: ShowText calls this only for a run face other than the last, or
// to begin a text object.
void PdfDocument::SetTextState(const RunFace& run) {
  if (!state_.inText) {
    content_.Text("BT\n");
    state_.inText = true;
    state_.placed = false;
  }
  state_.run = &run;
  if (run.face != state_.face || run.em != state_.em) {
    content_.Text(run.select);
    state_.face = run.face;
    state_.em = run.em;
  }
  const double scale = run.scale * 100;
  if (scale != state_.scale) {
    content_.Real(scale, 4).Text(" Tz\n");
    state_.scale = scale;
  }
  if (run.spacing != state_.spacing) {
    content_.Real(run.spacing, 4).Text(" Tc\n");
    state_.spacing = run.spacing;
  }
  // Simulated bold strokes the outline as well as filling it, which widens
  // each stem by a 24th of the em, as an emboldened glyph is widened.
  bool stroked = run.boldExtra > 0;
  double strokeWidth = stroked ? run.em / 24.0 : 0;
  if (stroked && strokeWidth != state_.strokeWidth) {
    content_.Real(strokeWidth, 2).Text(" w\n");
    state_.strokeWidth = strokeWidth;
  }
  if (stroked != state_.stroked) {
    content_.Text(stroked ? "2 Tr\n" : "0 Tr\n");
    state_.stroked = stroked;
  }
}

// A page changes faces a few times a line at most.
const PdfDocument::RunFace& PdfDocument::RunFaceOf(const pdf::ShownFont& font) {
  for (std::size_t i = 0; i < runFaces_.size(); ++i) {
    if (runFaces_[i].IsFor(font)) {
      lastRunFace_ = i;
      return runFaces_[i];
    }
  }
  lastRunFace_ = nextRunFace_;
  nextRunFace_ = (nextRunFace_ + 1) % runFaces_.size();
  RunFace& run = runFaces_[lastRunFace_];
  if (state_.run == &run) state_.run = nullptr;
  FillRunFace(run, font);
  return run;
}

void PdfDocument::FillRunFace(RunFace& run, const pdf::ShownFont& font) {
  run.source = font.SharedFace();
  run.face = fonts_.Use(font.Face());
  run.em = font.Em();
  run.boldExtra = font.BoldExtra();
  run.slant = font.Face().slant;
  run.select = "/F";
  AppendInteger(run.select, static_cast<int64_t>(run.face));
  run.select += ' ';
  AppendInteger(run.select, run.em);
  run.select += " Tf\n";
  const pdf::PageFace& page = fonts_.Face(run.face);
  // A face laid out at one advance is drawn widened or narrowed by that
  // advance's rounding, so that its glyphs fall where their whole-pixel
  // advances put them and need no position of their own.
  run.scale = 1;
  if (font.Pitch() > 0) {
    double natural = page.widths['0'] * font.Em() / 1000;
    double wanted = font.Pitch() - font.BoldExtra();
    if (natural > 0 && wanted > 0) run.scale = std::round(wanted / natural * 1e6) / 1e6;
  }
  run.spacing = font.BoldExtra() / run.scale;
  run.perUnit = font.Em() * run.scale / 1000;
  run.largestDrift = 0;
  for (int b = 0; b < 256; ++b) {
    run.drift[b] = page.widths[b] * run.perUnit + font.BoldExtra() - font.Advance(b);
    run.largestDrift = std::max(run.largestDrift, std::fabs(run.drift[b]));
  }
}

// Shows the bytes of a run that may drift: where the font's advances drift
// from the layout's whole-pixel advances (a proportional face), the glyphs
// are moved back.
void PdfDocument::AppendRun(const RunFace& run, std::string_view bytes, pdf::ShownBytes& used) {
  double drift = 0;
  std::size_t moved = Drifted(run.drift, bytes, 0, drift);
  if (moved == bytes.size()) {
    content_.String(bytes, used).Text(" Tj\n");
    return;
  }
  content_.Text("[");
  std::size_t start = 0;
  for (; moved < bytes.size(); moved = Drifted(run.drift, bytes, moved + 1, drift)) {
    content_.String(bytes.substr(start, moved + 1 - start), used).Real(drift / run.perUnit, 2);
    start = moved + 1;
    drift = 0;
  }
  if (start < bytes.size()) content_.String(bytes.substr(start), used);
  content_.Text("] TJ\n");
}

void PdfDocument::FillRectangle(int64_t x, int64_t y, int64_t width, int64_t height) {
  StartDrawing();
  if (state_.inText) {
    content_.Text("ET\n");
    state_.inText = false;
  }
  for (int64_t v : {x, y, width, height}) content_.Integer(v).Text(" ");
  content_.Text("re f\n");
}

void PdfDocument::ShowPage() { EndPage(); }

void PdfDocument::EndPage() {
  if (state_.inText) content_.Text("ET\n");
  uint32_t contents = file_.Reserve();
  file_.WriteStream(contents, content_.View());
  content_.Clear();
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

void PdfDocument::Finish() {
  // A last page with nothing on it is no page, unless it is the only one.
  if (!content_.Empty() || pages_.empty()) EndPage();

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
  pdf::AppendUtf16String(body, title_);
  body += " /Creator (RIZARODE) /Producer (RIZARODE) >>";
  file_.WriteObject(info_, body);

  if (!file_.Finish(catalog_, info_)) {
    throw pdf::PdfError("the PDF document could not be written: write error");
  }
}

}  // namespace rizarode
