#pragma once
// Fonts realised at a device resolution, the way a Windows printer realises
// them: the em height is a whole number of device pixels, every character
// advances by a whole number of pixels, and a text is as wide as the sum of
// its characters. Each byte of the 8-bit text maps to one glyph through a
// table that is built once per face, so drawing a run needs no lookups.

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <tuple>

#include "platform/linux/font_resolver.h"

namespace rizarode {

// A face's metrics in its design units, read once from the font file.
struct FaceMetrics {
  int unitsPerEm = 2048;
  std::array<unsigned long, 256> glyph{};
  // The character by which the face's character map finds each byte's
  // glyph: its Unicode character, or 0xF000 + the byte in a symbol face.
  std::array<uint32_t, 256> mapped{};
  std::array<int32_t, 256> advance{};
  // The advance of every printable character of a fixed-pitch face; 0 when
  // the face is proportional.
  int32_t pitch = 0;
  // Until a font file says otherwise (no font at all is installed), lines
  // still have a height.
  int32_t ascent = 1638;
  int32_t descent = 410;
  int32_t underlinePosition = 0;  // below the baseline when negative
  int32_t underlineThickness = 0;

  // What a document that embeds the face says about it.
  std::string postscriptName;
  bool cffOutlines = false;  // OpenType with PostScript outlines
  bool symbolic = false;     // bytes reach glyphs through the symbol map
  int32_t xMin = 0, yMin = 0, xMax = 0, yMax = 0;
  int32_t capHeight = 0;
  double italicAngle = 0;
  // Each byte's glyph by its name in a face with PostScript outlines, whose
  // glyphs a document finds by name.
  std::array<std::string, 256> glyphName;
};

// A face as resolved for a requested name and style.
struct FontVariant {
  ResolvedFace face;
  FaceMetrics metrics;
};

class DeviceFont {
 public:
  DeviceFont(std::shared_ptr<const FontVariant> variant, int32_t emPixels);
  ~DeviceFont();
  DeviceFont(const DeviceFont&) = delete;
  DeviceFont& operator=(const DeviceFont&) = delete;

  const std::string& Name() const { return variant_->face.name; }
  int32_t Em() const { return em_; }
  int32_t Ascent() const { return ascent_; }
  // Ascent plus descent: the height of a line of text.
  int32_t Height() const { return ascent_ + descent_; }
  int32_t UnderlineOffset() const { return underlineOffset_; }
  int32_t UnderlineThickness() const { return underlineThickness_; }
  unsigned long Glyph(unsigned char byte) const { return variant_->metrics.glyph[byte]; }
  int32_t Advance(unsigned char byte) const { return advance_[byte]; }
  int64_t Width(std::string_view text) const;
  const FontVariant& Variant() const { return *variant_; }
  // Pixels that simulated bold adds to every advance.
  int32_t BoldExtra() const { return variant_->face.syntheticBold ? 1 : 0; }

 private:
  std::shared_ptr<const FontVariant> variant_;
  int32_t em_;
  std::array<int32_t, 256> advance_{};
  int32_t ascent_ = 0, descent_ = 0, underlineOffset_ = 0, underlineThickness_ = 1;
};

// Resolves and realises fonts in device pixels. Results are kept
// only while fontconfig's fonts stay the same, so a face installed while the
// program runs is found at the next change of font.
class FontCatalog {
 public:
  FontCatalog();
  ~FontCatalog();
  FontCatalog(const FontCatalog&) = delete;
  FontCatalog& operator=(const FontCatalog&) = delete;

  std::shared_ptr<const DeviceFont> Get(const std::string& face, bool bold, bool italic,
                                        int32_t emPixels);

 private:
  std::shared_ptr<const FontVariant> Variant(const std::string& face, bool bold, bool italic);
  FaceMetrics MetricsOf(const ResolvedFace& face);

  void* freetype_ = nullptr;
  FontGeneration generation_;
  std::map<std::tuple<std::string, bool, bool>, std::shared_ptr<const FontVariant>> variants_;
  std::map<std::pair<std::string, int>, FaceMetrics> metrics_;
  std::map<std::pair<const FontVariant*, int32_t>, std::shared_ptr<const DeviceFont>> fonts_;
};

}  // namespace rizarode
