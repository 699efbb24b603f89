#pragma once
// The faces that fontconfig finds for a requested name and style, with
// their metrics read once from the font file. Each byte of the 8-bit text
// maps to one glyph through a table that is built once per face, so drawing
// a run needs no lookups.

#include <memory>
#include <string>

#include "pdf/pdf_face.h"
#include "pdf_device/font_finder.h"
#include "platform/linux/font_resolver.h"

namespace rizarode {

// Resolves faces against the fonts fontconfig has now, so a face installed
// while the program runs is found at the next lookup. The printer keeps
// what it was given; nothing is kept here.
class FontCatalog : public FontFinder {
 public:
  FontCatalog();
  ~FontCatalog() override;
  FontCatalog(const FontCatalog&) = delete;
  FontCatalog& operator=(const FontCatalog&) = delete;

  std::shared_ptr<const FontVariant> Find(const std::string& face, bool bold,
                                          bool italic) override;

 private:
  FaceMetrics MetricsOf(const ResolvedFace& face);

  void* freetype_ = nullptr;
};

}  // namespace rizarode
