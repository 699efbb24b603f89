#pragma once
// What a document needs to know of a face to draw with it and embed it:
// read from the font file by whoever finds the face, handed in with every
// run of text.

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "printer/design_metrics.h"
#include "printer/page_target.h"

namespace rizarode {

// A face's metrics in its design units, read once from the font file: the
// lengths that text is laid out by, and what embedding the face needs.
struct FaceMetrics : DesignMetrics {
  std::array<unsigned long, 256> glyph{};
  // The character by which the face's character map finds each byte's
  // glyph: its Unicode character, or 0xF000 + the byte in a symbol face.
  std::array<uint32_t, 256> mapped{};

  // What a document that embeds the face says about it.
  // The advance of every printable glyph of the file when they share one
  // (the face declares itself fixed-pitch); else 0.
  int32_t pitch = 0;
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

// A face in a font file (its index in a collection).
struct FaceSource {
  std::string file;
  int index = 0;
  FaceMetrics metrics;
  // How far the glyphs lean when they are drawn: x moves by slant times y.
  double slant = 0;
};

namespace pdf {

// A face at an em height of whole pixels, each byte advancing by a whole
// number of pixels as the layout laid it out.
class ShownFont {
 public:
  ShownFont(const std::shared_ptr<const FaceSource>& face, const LayoutFont& layout)
      : face_(face), layout_(layout) {}

  const FaceSource& Face() const { return *face_; }
  // For a document that keeps what it worked out for the face: while it
  // holds the face, the face's address names it.
  const std::shared_ptr<const FaceSource>& SharedFace() const { return face_; }
  int32_t Em() const { return layout_.emPixels; }
  // Pixels that simulated bold adds to every advance.
  int32_t BoldExtra() const { return layout_.boldExtra; }
  // The advance of every byte when the layout gave them all one; else 0.
  int32_t Pitch() const { return layout_.pitch; }
  int32_t Advance(unsigned char byte) const { return layout_.advance[byte]; }
  int64_t Advance(std::string_view bytes) const { return RunAdvance(layout_, bytes); }

 private:
  const std::shared_ptr<const FaceSource>& face_;
  const LayoutFont& layout_;
};

}  // namespace pdf
}  // namespace rizarode
