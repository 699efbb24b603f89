#pragma once
// What the PDF page device needs of the system's fonts: for a face name and
// style, the font file's face that serves it, with its metrics.

#include <memory>
#include <string>

#include "pdf/pdf_face.h"

namespace rizarode {

// A face as found for a requested name and style.
struct FontVariant {
  // What reading the printer's font name gives (Windows-1252): the face
  // asked for, or the stand-in's when it is not installed.
  std::string name;
  // The drawing makes the bold from a face that is not bold itself.
  bool syntheticBold = false;
  FaceSource source;
};

class FontFinder {
 public:
  virtual ~FontFinder() = default;
  // Looked up against the fonts installed now.
  virtual std::shared_ptr<const FontVariant> Find(const std::string& face, bool bold,
                                                  bool italic) = 0;
};

}  // namespace rizarode
