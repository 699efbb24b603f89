#include "pdf/pdf_fonts.h"

#include <hb-subset.h>
#include <hb.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

#include "pdf/pdf_syntax.h"
#include "base/text_encoding.h"

namespace rizarode::pdf {
namespace {

// Font descriptor flags.
constexpr int kFixedPitch = 1 << 0;
constexpr int kSymbolic = 1 << 2;
constexpr int kNonsymbolic = 1 << 5;
constexpr int kItalic = 1 << 6;

struct BlobRelease {
  void operator()(hb_blob_t* b) const { hb_blob_destroy(b); }
};
struct FaceRelease {
  void operator()(hb_face_t* f) const { hb_face_destroy(f); }
};
struct SubsetInputRelease {
  void operator()(hb_subset_input_t* i) const { hb_subset_input_destroy(i); }
};
using Blob = std::unique_ptr<hb_blob_t, BlobRelease>;
using Face = std::unique_ptr<hb_face_t, FaceRelease>;
using SubsetInput = std::unique_ptr<hb_subset_input_t, SubsetInputRelease>;

// Tables that a PDF reader never consults for a simple font: layout,
// signatures, and device-specific hinting.
constexpr hb_tag_t kDroppedTables[] = {
    HB_TAG('G', 'S', 'U', 'B'), HB_TAG('G', 'P', 'O', 'S'), HB_TAG('G', 'D', 'E', 'F'),
    HB_TAG('B', 'A', 'S', 'E'), HB_TAG('J', 'S', 'T', 'F'), HB_TAG('M', 'A', 'T', 'H'),
    HB_TAG('k', 'e', 'r', 'n'), HB_TAG('D', 'S', 'I', 'G'), HB_TAG('h', 'd', 'm', 'x'),
    HB_TAG('V', 'D', 'M', 'X'), HB_TAG('L', 'T', 'S', 'H'), HB_TAG('g', 'a', 's', 'p'),
    HB_TAG('P', 'C', 'L', 'T'), HB_TAG('V', 'O', 'R', 'G')};

// The face reduced to the glyphs of the bytes shown; the whole face when
// it cannot be subset.
Blob FontProgram(const PageFace& face, bool& subset) {
  Blob file(hb_blob_create_from_file_or_fail(face.file.c_str()));
  if (!file) {
    throw PdfError("cannot read the font file " + face.file);
  }
  Face whole(hb_face_create(file.get(), static_cast<unsigned>(face.index)));
  SubsetInput input(hb_subset_input_create_or_fail());
  if (input) {
    hb_set_t* unicodes = hb_subset_input_unicode_set(input.get());
    hb_set_t* glyphs = hb_subset_input_glyph_set(input.get());
    for (int b = 0; b < 256; ++b) {
      if (!face.used.Shown(b)) continue;
      hb_set_add(unicodes, face.metrics.mapped[b]);
      hb_set_add(glyphs, static_cast<hb_codepoint_t>(face.metrics.glyph[b]));
    }
    hb_set_t* dropped = hb_subset_input_set(input.get(), HB_SUBSET_SETS_DROP_TABLE_TAG);
    for (hb_tag_t tag : kDroppedTables) hb_set_add(dropped, tag);
    // Outlines are rendered at print resolution, where hints change nothing.
    hb_subset_input_set_flags(input.get(), HB_SUBSET_FLAGS_NO_HINTING);
    Face reduced(hb_subset_or_fail(whole.get(), input.get()));
    if (reduced) {
      subset = true;
      return Blob(hb_face_reference_blob(reduced.get()));
    }
  }
  subset = false;
  return Blob(hb_face_reference_blob(whole.get()));
}

// Six capitals that tell this subset from other subsets of the face.
std::string SubsetTag(const PageFace& face, std::size_t number) {
  uint64_t hash = 1469598103934665603ull ^ number;
  auto mix = [&](unsigned char c) { hash = (hash ^ c) * 1099511628211ull; };
  for (char c : face.metrics.postscriptName) mix(static_cast<unsigned char>(c));
  for (int b = 0; b < 256; ++b) mix(face.used.Shown(b) ? 1 : 0);
  std::string tag;
  for (int i = 0; i < 6; ++i, hash /= 26) tag += static_cast<char>('A' + hash % 26);
  return tag;
}

std::string PostScriptName(const PageFace& face) {
  std::string name;
  for (char c : face.metrics.postscriptName) {
    if (c > ' ' && c < 127 && std::string_view("[](){}<>/%#").find(c) == std::string_view::npos) name += c;
  }
  return name.empty() ? "Font" : name;
}

// Whether /WinAnsiEncoding's name for the byte leads a reader to the
// byte's own character. Its unused codes all name the bullet, and it names
// the soft hyphen "hyphen", which readers take for the hyphen-minus.
bool WinAnsiNames(int byte) {
  switch (byte) {
    case 0x81: case 0x8D: case 0x8F: case 0x90: case 0x9D: case 0xAD: return false;
    default: return byte >= 0x20 && byte != 0x7F;
  }
}

// The encoding: /WinAnsiEncoding, with the bytes that it would send
// elsewhere named after their own glyph, or after none (the missing-glyph
// box) where the face has no glyph for them. A face with PostScript
// outlines is read by glyph name, so there every byte names its glyph.
std::string Encoding(const PageFace& face) {
  const FaceMetrics& m = face.metrics;
  std::string differences;
  for (int b = 0; b < 256; ++b) {
    if (!face.used.Shown(b)) continue;
    if (!m.cffOutlines && WinAnsiNames(b) && m.glyph[b] != 0) continue;
    differences += ' ';
    AppendInteger(differences, b);
    std::string name = ".notdef";
    if (m.glyph[b] != 0) {
      if (m.cffOutlines) {
        if (!m.glyphName[b].empty()) name = m.glyphName[b];
      } else {
        char uni[16];
        std::snprintf(uni, sizeof uni, "uni%04X", static_cast<unsigned>(m.mapped[b]));
        name = uni;
      }
    }
    AppendName(differences, name);
  }
  if (differences.empty()) return "/WinAnsiEncoding";
  return "<< /Type /Encoding /BaseEncoding /WinAnsiEncoding /Differences [" + differences + " ] >>";
}

int32_t InThousandths(int32_t units, int unitsPerEm) {
  return static_cast<int32_t>(std::lround(units * 1000.0 / unitsPerEm));
}

std::string ToUnicodeMap(const PageFace& face) {
  std::string map =
      "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
      "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
      "/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n"
      "1 begincodespacerange\n<00> <FF>\nendcodespacerange\n";
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::vector<int> bytes;
  for (int b = 0; b < 256; ++b) {
    if (face.used.Shown(b)) bytes.push_back(b);
  }
  // A map section holds at most 100 entries.
  for (std::size_t start = 0; start < bytes.size(); start += 100) {
    std::size_t end = std::min(bytes.size(), start + 100);
    AppendInteger(map, static_cast<int64_t>(end - start));
    map += " beginbfchar\n";
    for (std::size_t i = start; i < end; ++i) {
      int b = bytes[i];
      map += '<';
      map += kHex[b >> 4];
      map += kHex[b & 0xF];
      map += "> ";
      std::string utf16;
      AppendUtf16String(utf16, Cp1252ToUtf8(std::string(1, static_cast<char>(b))));
      map += '<';
      map += utf16.substr(5);  // without the byte order mark
      map += '\n';
    }
    map += "endbfchar\n";
  }
  map += "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n";
  return map;
}

}  // namespace

double GlyphSpaceWidth(int32_t designUnits, int unitsPerEm) {
  return std::round(designUnits * 1000000.0 / unitsPerEm) / 1000.0;
}

std::size_t PdfFonts::Use(const FaceSource& source) {
  for (std::size_t i = 0; i < faces_.size(); ++i) {
    if (faces_[i].index == source.index && faces_[i].file == source.file) return i;
  }
  PageFace& face = faces_.emplace_back();
  face.file = source.file;
  face.index = source.index;
  face.metrics = source.metrics;
  for (int b = 0; b < 256; ++b) {
    face.widths[b] = GlyphSpaceWidth(face.metrics.advance[b], face.metrics.unitsPerEm);
  }
  return faces_.size() - 1;
}

std::string PdfFonts::WriteAll(PdfFile& file) const {
  std::string entries;
  for (std::size_t i = 0; i < faces_.size(); ++i) {
    if (!faces_[i].used.Any()) continue;
    uint32_t font = WriteFace(file, i);
    entries += "/F";
    AppendInteger(entries, static_cast<int64_t>(i));
    entries += ' ';
    AppendReference(entries, font);
    entries += ' ';
  }
  return entries;
}

uint32_t PdfFonts::WriteFace(PdfFile& file, std::size_t number) const {
  const PageFace& face = faces_[number];
  const FaceMetrics& m = face.metrics;
  if (face.file.empty()) throw PdfError("no font is installed");
  bool subset = false;
  Blob program = FontProgram(face, subset);
  unsigned length = 0;
  const char* data = hb_blob_get_data(program.get(), &length);
  std::string_view bytes(data, length);

  uint32_t fontFile = file.Reserve();
  std::string entries;
  if (m.cffOutlines) {
    entries = "/Subtype /OpenType";
  } else {
    entries = "/Length1 ";
    AppendInteger(entries, length);
  }
  file.WriteStream(fontFile, bytes, entries);

  std::string name = (subset ? SubsetTag(face, number) + "+" : "") + PostScriptName(face);
  int flags = (m.symbolic ? kSymbolic : kNonsymbolic) | (m.pitch > 0 ? kFixedPitch : 0) |
              (m.italicAngle != 0 ? kItalic : 0);
  auto units = [&](int32_t v) { return static_cast<int64_t>(InThousandths(v, m.unitsPerEm)); };
  std::string descriptor = "<< /Type /FontDescriptor /FontName ";
  AppendName(descriptor, name);
  descriptor += " /Flags ";
  AppendInteger(descriptor, flags);
  descriptor += " /FontBBox [";
  for (int32_t v : {m.xMin, m.yMin, m.xMax, m.yMax}) {
    descriptor += ' ';
    AppendInteger(descriptor, units(v));
  }
  descriptor += " ] /ItalicAngle ";
  AppendReal(descriptor, m.italicAngle, 2);
  descriptor += " /Ascent ";
  AppendInteger(descriptor, units(m.ascent));
  descriptor += " /Descent ";
  AppendInteger(descriptor, -units(m.descent));
  descriptor += " /CapHeight ";
  AppendInteger(descriptor, units(m.capHeight));
  descriptor += " /StemV 80 ";
  descriptor += m.cffOutlines ? "/FontFile3 " : "/FontFile2 ";
  AppendReference(descriptor, fontFile);
  descriptor += " >>";
  uint32_t descriptorObject = file.Reserve();
  file.WriteObject(descriptorObject, descriptor);

  uint32_t toUnicode = file.Reserve();
  file.WriteStream(toUnicode, ToUnicodeMap(face));

  int first = 0, last = 255;
  while (!face.used.Shown(first)) ++first;
  while (!face.used.Shown(last)) --last;
  std::string font = "<< /Type /Font /Subtype ";
  font += m.cffOutlines ? "/Type1" : "/TrueType";
  font += " /BaseFont ";
  AppendName(font, name);
  font += " /FirstChar ";
  AppendInteger(font, first);
  font += " /LastChar ";
  AppendInteger(font, last);
  font += " /Widths [";
  for (int b = first; b <= last; ++b) {
    font += ' ';
    AppendReal(font, face.widths[b]);
  }
  font += " ]";
  // A symbol face with TrueType outlines finds its glyphs through its own
  // symbol map, not by names.
  if (!m.symbolic || m.cffOutlines) font += " /Encoding " + Encoding(face);
  font += " /FontDescriptor ";
  AppendReference(font, descriptorObject);
  font += " /ToUnicode ";
  AppendReference(font, toUnicode);
  font += " >>";
  uint32_t fontObject = file.Reserve();
  file.WriteObject(fontObject, font);
  return fontObject;
}

}  // namespace rizarode::pdf
