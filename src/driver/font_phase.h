#pragma once
// The font phase: for each pitch the host application lays out in, the font
// size at which the printer's "0" is as wide as one character of the pitch.

#include <cstdint>
#include <string>

namespace rizarode {

class DriverWriter;
class Printer;
class Program;

// The pitches, in characters per inch, that the driver file offers.
inline constexpr int16_t kPitches[] = {11, 12, 13, 14, 15, 16, 18,
                                       20, 22, 24, 26, 28, 30};

// Sets the face (a refusal is not a failure: the name read back tells) and
// reports whether the printer took it. A printer that cannot say which face
// it has did not take it.
bool PrinterTakesFace(Printer& printer, const std::string& face);

// The size, in points, at which the "0" is exactly as wide as one character
// of the pitch or just narrower, as the printer reports it once set. Leaves
// the printer at that size and at the font face. Printer failures pass.
float FindFontSizeForPitch(Program& program, int16_t pitch);

// "#FONT-" + the last four digits of the size in hundredths + "#".
std::string FontCode(float size);

// Appends a font block for every pitch whose size the printer can tell from
// the one before; returns how many it wrote. Writes nothing when the printer
// does not take the face.
int16_t RunFontPhase(Program& program, DriverWriter& writer);

}  // namespace rizarode
