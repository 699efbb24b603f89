#include "platform/linux/device_fonts.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_ADVANCES_H
#include FT_FONT_FORMATS_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <cstring>

#include "base/text_encoding.h"

namespace rizarode {
namespace {

FT_Library Library(void* handle) { return static_cast<FT_Library>(handle); }

// The glyph for a byte, and the character that finds it in the face's map.
FT_UInt GlyphFor(FT_Face face, unsigned char byte, uint32_t& mapped) {
  mapped = Cp1252CodePoint(byte);
  FT_UInt glyph = FT_Get_Char_Index(face, mapped);
  if (glyph == 0 && FT_Select_Charmap(face, FT_ENCODING_MS_SYMBOL) == 0) {
    // Symbol faces put their characters at 0xF000 + byte.
    FT_UInt symbol = FT_Get_Char_Index(face, 0xF000 + byte);
    if (symbol != 0) {
      glyph = symbol;
      mapped = 0xF000 + byte;
    }
    FT_Select_Charmap(face, FT_ENCODING_UNICODE);
  }
  return glyph;
}

void ReadEmbeddingFacts(FT_Face face, FaceMetrics& m) {
  if (const char* name = FT_Get_Postscript_Name(face)) m.postscriptName = name;
  m.cffOutlines = std::strcmp(FT_Get_Font_Format(face), "CFF") == 0;
  m.xMin = static_cast<int32_t>(face->bbox.xMin);
  m.yMin = static_cast<int32_t>(face->bbox.yMin);
  m.xMax = static_cast<int32_t>(face->bbox.xMax);
  m.yMax = static_cast<int32_t>(face->bbox.yMax);
  auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  m.capHeight = os2 && os2->version >= 2 && os2->sCapHeight > 0 ? os2->sCapHeight : m.ascent;
  if (auto* post = static_cast<TT_Postscript*>(FT_Get_Sfnt_Table(face, FT_SFNT_POST))) {
    m.italicAngle = post->italicAngle / 65536.0;
  }
  if (m.cffOutlines && FT_HAS_GLYPH_NAMES(face)) {
    char name[64];
    for (int b = 0; b < 256; ++b) {
      if (m.glyph[b] != 0 && FT_Get_Glyph_Name(face, static_cast<FT_UInt>(m.glyph[b]), name, sizeof name) == 0) {
        m.glyphName[b] = name;
      }
    }
  }
}

void ReadVerticalMetrics(FT_Face face, FaceMetrics& m) {
  // A Windows printer lays out lines by the font's Windows ascent and
  // descent; other faces have only the general ones.
  auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  if (os2 && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
    m.ascent = os2->usWinAscent;
    m.descent = os2->usWinDescent;
  } else {
    m.ascent = face->ascender;
    m.descent = -face->descender;
  }
  m.underlinePosition = face->underline_position;
  m.underlineThickness = face->underline_thickness;
}

// The advance that every printable character shares, or 0 when the face is
// proportional.
int32_t FixedAdvance(const FaceMetrics& m) {
  int32_t pitch = 0;
  for (int b = 0x20; b < 256; ++b) {
    if (m.glyph[b] == 0 || m.advance[b] == 0) continue;
    if (pitch != 0 && m.advance[b] != pitch) return 0;
    pitch = m.advance[b];
  }
  return pitch;
}

}  // namespace

FontCatalog::FontCatalog() {
  FT_Library library = nullptr;
  if (FT_Init_FreeType(&library) == 0) freetype_ = library;
}

FontCatalog::~FontCatalog() {
  if (freetype_) FT_Done_FreeType(Library(freetype_));
}

std::shared_ptr<const FontVariant> FontCatalog::Find(const std::string& face, bool bold,
                                                     bool italic) {
  auto variant = std::make_shared<FontVariant>();
  const ResolvedFace resolved = ResolveFace(face, bold, italic);
  variant->name = resolved.name;
  variant->syntheticBold = resolved.syntheticBold;
  variant->source.file = resolved.file;
  variant->source.index = resolved.index;
  variant->source.slant = resolved.slant;
  variant->source.metrics = MetricsOf(resolved);
  return variant;
}

FaceMetrics FontCatalog::MetricsOf(const ResolvedFace& resolved) {
  FaceMetrics m;
  FT_Face face = nullptr;
  if (freetype_ && !resolved.file.empty() &&
      FT_New_Face(Library(freetype_), resolved.file.c_str(), resolved.index, &face) == 0) {
    if (face->units_per_EM > 0) m.unitsPerEm = face->units_per_EM;
    for (int b = 0; b < 256; ++b) {
      FT_UInt glyph = GlyphFor(face, static_cast<unsigned char>(b), m.mapped[b]);
      FT_Fixed advance = 0;
      FT_Get_Advance(face, glyph, FT_LOAD_NO_SCALE, &advance);
      m.glyph[b] = glyph;
      m.advance[b] = static_cast<int32_t>(advance);
      if (glyph != 0 && m.mapped[b] >= 0xF000 && m.mapped[b] <= 0xF0FF) m.symbolic = true;
    }
    m.pitch = FixedAdvance(m);
    ReadVerticalMetrics(face, m);
    ReadEmbeddingFacts(face, m);
    FT_Done_Face(face);
  }
  return m;
}

}  // namespace rizarode
