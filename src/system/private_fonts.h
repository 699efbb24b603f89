#pragma once
// The program's fixed-pitch face: choose it, test that the printer takes it,
// install the private font files when it does not.

namespace rizarode {

class Program;

inline constexpr char kPrivateFaceName[] = "RUZeruzaz Ori";
inline constexpr char kCourierNewFaceName[] = "Courier New";

// Sets the font face name; returns when the printer takes it, ends the
// program (no printer, or a restart is needed) when it does not.
void CheckPrivateFonts(Program& program);

}  // namespace rizarode
