#pragma once
// The system's fonts directory, adding a font, announcing a change, and the
// restart that makes new fonts usable everywhere.

#include <string>

namespace rizarode {

class FontSystem {
 public:
  virtual ~FontSystem() = default;
  // The system directory whose "fonts" subdirectory holds installed fonts;
  // no closing separator guaranteed.
  virtual std::string SystemDirectory() = 0;
  // Makes a font file usable by this process; returns the number of faces
  // added (0 on failure).
  virtual int AddFontResource(const std::string& path) = 0;
  // Tells the system and running programs that the fonts changed.
  virtual void BroadcastFontChange() = 0;
  // Asks the system to restart. The result is not looked at.
  virtual bool RequestRestart() = 0;
};

}  // namespace rizarode
