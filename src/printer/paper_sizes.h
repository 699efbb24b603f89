#pragma once
// The Windows paper-size numbers that the host application's form codes
// carry, with the paper's dimensions and the PWG self-describing media name
// that print services use for the same sheet.

#include <cstdint>
#include <span>

namespace rizarode {

struct PaperSizeInfo {
  int16_t number;
  // Portrait width and height in micrometres (exact for inch and mm sizes).
  int32_t widthMicrons;
  int32_t heightMicrons;
  const char* pwgName;
};

// The numbering's own fanfold: 8.5 by 12 inches, as the host's driver file
// offers it beside the standard German fanfold (number 40).
inline constexpr int16_t kPaperFanfold12Inch = 263;
inline constexpr int16_t kPaperA4 = 9;

// Every number in the table, ascending.
std::span<const PaperSizeInfo> AllPaperSizes();

// The entry for a number, or nullptr when the number is not in the table.
const PaperSizeInfo* FindPaperSize(int16_t number);

}  // namespace rizarode
