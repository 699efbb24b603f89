#pragma once
// Finds the font file that serves a requested face through fontconfig, and
// says what a Windows printer would report for it: the face itself when it
// is installed (or when a metric-compatible alias stands in for it), else
// the family of the fallback that fontconfig chose. Only faces that a
// document can embed (TrueType and OpenType files) serve; a face that exists
// only in another format is not there for the printer.

#include <fontconfig/fontconfig.h>

#include <memory>
#include <string>

namespace rizarode {

struct FontPatternRelease {
  void operator()(FcPattern* p) const { FcPatternDestroy(p); }
};
using FontPattern = std::unique_ptr<FcPattern, FontPatternRelease>;

struct ResolvedFace {
  // What reading the printer's font name gives (Windows-1252).
  std::string name;
  // True when the face itself, or an alias bound to it as "same", serves it.
  bool taken = false;
  std::string file;
  int index = 0;
  // fontconfig asks for a slanted or emboldened rendering of a plain face.
  bool syntheticBold = false;
  // How far the glyphs lean: x moves by slant times y (0 upright).
  double slant = 0;
};

// Resolves through the current fontconfig configuration, so fonts that were
// added to it since the last call are found. Empty file when no font at all
// is available.
ResolvedFace ResolveFace(const std::string& face, bool bold, bool italic);

}  // namespace rizarode
