#include "printer/realised_font.h"

#include <algorithm>
#include <cmath>

namespace rizarode {
namespace {

int32_t Scale(int64_t units, int32_t em, int unitsPerEm) {
  return static_cast<int32_t>(std::llround(static_cast<double>(units) * em / unitsPerEm));
}

// A line of a fixed-pitch face needs no sum over its bytes, and a drawing
// can space its glyphs alike.
int32_t CommonAdvance(const std::array<int32_t, 256>& advance) {
  const bool uniform = std::all_of(advance.begin(), advance.end(),
                                   [&](int32_t a) { return a == advance[0]; });
  return uniform && advance[0] > 0 ? advance[0] : 0;
}

}  // namespace

std::shared_ptr<const RealisedFont> Realise(std::shared_ptr<const DeviceFace> face,
                                            const FaceRequest& request) {
  auto font = std::make_shared<RealisedFont>();
  const int32_t em = request.emPixels;
  const DesignMetrics& m = face->metrics;
  font->bold = request.bold;
  font->italic = request.italic;
  font->taken = SameFaceName(face->name, request.face);
  const int upm = m.unitsPerEm > 0 ? m.unitsPerEm : em;
  LayoutFont& text = font->text;
  text.emPixels = em;
  // Synthetic bold widens every character by one pixel, as on Windows.
  text.boldExtra = face->syntheticBold ? 1 : 0;
  for (int b = 0; b < 256; ++b) text.advance[b] = Scale(m.advance[b], em, upm) + text.boldExtra;
  text.pitch = CommonAdvance(text.advance);
  font->ascent = Scale(m.ascent, em, upm);
  font->height = font->ascent + Scale(m.descent, em, upm);
  font->underlineThickness = std::max(1, Scale(m.underlineThickness, em, upm));
  font->underlineOffset = -Scale(m.underlinePosition, em, upm) - font->underlineThickness / 2;
  text.face = std::move(face);
  return font;
}

}  // namespace rizarode
