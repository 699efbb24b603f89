#pragma once
// The faces that a document's pages use, each embedded once at the end of
// the document as a subset of the bytes that were shown in it. Text is
// shown as the 8-bit bytes themselves; the font's encoding finds each
// byte's glyph and its /ToUnicode map gives the text back to any reader.

#include <array>
#include <string>
#include <vector>

#include "pdf/pdf_face.h"
#include "pdf/pdf_file.h"
#include "pdf/pdf_syntax.h"

namespace rizarode::pdf {

// An advance in the 1000-unit glyph space of /Widths, as written there.
double GlyphSpaceWidth(int32_t designUnits, int unitsPerEm);

struct PageFace {
  std::string file;
  int index = 0;
  FaceMetrics metrics;
  // Each byte's advance as /Widths gives it.
  std::array<double, 256> widths{};
  ShownBytes used;
};

class PdfFonts {
 public:
  // The number of a face, added on first use; its resource name is "/F" +
  // number.
  std::size_t Use(const FaceSource& source);
  // The bytes shown in the face so far, for the text shown to mark.
  ShownBytes& Used(std::size_t face) { return faces_[face].used; }
  const PageFace& Face(std::size_t face) const { return faces_[face]; }
  // Writes every face and returns the entries of the /Font resource
  // dictionary. Throws PdfError when a face cannot be read any more.
  std::string WriteAll(PdfFile& file) const;

 private:
  uint32_t WriteFace(PdfFile& file, std::size_t number) const;

  std::vector<PageFace> faces_;
};

}  // namespace rizarode::pdf
