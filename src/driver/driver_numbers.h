#pragma once
// Numbers as the driver file writes them: in the user's decimal notation,
// because the host application reads them the way the user's system writes
// them.

#include <string>

namespace rizarode {

// The decimal separator of the current numeric locale (LC_NUMERIC), as an
// 8-bit text; "." when the locale names none the code page can write.
std::string LocaleDecimalSeparator();

// A single-precision value as decimal text: at most 7 significant digits, no
// leading blank, trailing zeros and a trailing separator left out, the
// locale's separator. Plain notation from 1E-5 up to below 1E+7 (every
// length and size of the driver file); exponent notation ("1.5E+07")
// outside that range.
std::string SingleText(float value);

// A value with the pattern "####.##": the integer part without leading
// zeros (nothing when it is 0), the locale's separator always, then at most
// two decimals without trailing zeros ("20.79", "21.", ".5").
std::string PatternText(double value);

// The last width characters of width zeros followed by value in decimal:
// ZeroPadded(9, 3) is "009", ZeroPadded(1263, 3) is "263".
std::string ZeroPadded(long long value, int width);

}  // namespace rizarode
