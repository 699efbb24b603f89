#pragma once
// What a document needs to know of a face to draw with it and embed it:
// read from the font file by whoever finds the face, handed in with every
// run of text.

#include <array>
#include <cstdint>
#include <string>

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
class TextFont {
 public:
  TextFont(const FaceSource& face, int32_t em, int32_t boldExtra,
           const std::array<int32_t, 256>& advance)
      : face_(face), em_(em), boldExtra_(boldExtra), advance_(advance) {}

  const FaceSource& Face() const { return face_; }
  int32_t Em() const { return em_; }
  // Pixels that simulated bold adds to every advance.
  int32_t BoldExtra() const { return boldExtra_; }
  int32_t Advance(unsigned char byte) const { return advance_[byte]; }

 private:
  const FaceSource& face_;
  int32_t em_;
  int32_t boldExtra_;
  const std::array<int32_t, 256>& advance_;
};

}  // namespace pdf
}  // namespace rizarode
