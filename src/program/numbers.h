#pragma once
// Reading numbers from text the way the host application's world does, and
// rounding halves to the even neighbour.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace rizarode {

// Reads a number from the beginning of text: blanks (space, tab, line feed)
// are skipped wherever they occur; then an optional sign, digits, a decimal
// point and an exponent ("E" or "D") are read as long as they form a number.
// A leading "&H" or "&O" makes the digits hexadecimal or octal (values of up
// to 16 bits are read as a signed 16-bit word, up to 32 bits as a signed
// 32-bit word). No digits give 0.
double Val(std::string_view text);

// Nearest integer, halves to the even neighbour.
double RoundHalfEven(double value);

// The rounded value as a signed 16-bit word, or nothing when it does not fit.
std::optional<int16_t> ToInt16(double value);
std::optional<int32_t> ToInt32(double value);

// Decimal digits of a number without leading zeros.
std::string Decimal(long long value);

}  // namespace rizarode
