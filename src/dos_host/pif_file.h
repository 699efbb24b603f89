#pragma once
// A program information file (.PIF): a small binary description of how to
// start a DOS program. Only its standard section is read; the sections that
// later systems appended hold nothing this launcher uses.

#include <optional>
#include <string>

namespace rizarode {

struct PifStart {
  std::string title;           // 02h, 30 bytes
  std::string programFile;     // 24h, 63 bytes: a DOS path
  unsigned char flags = 0;     // 63h; 10h asks to close the window on exit
  std::string startDirectory;  // 65h, 64 bytes: a DOS path, may be empty
  std::string parameters;      // A5h, 64 bytes
};

// The standard section of the PIF at path; nothing when the file cannot be
// read, is too short for the section, or names no program.
std::optional<PifStart> ReadPif(const std::string& path);

// The same from the file's bytes.
std::optional<PifStart> ParsePif(const std::string& bytes);

}  // namespace rizarode
