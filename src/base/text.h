#pragma once
// Small helpers on 8-bit text that every layer uses.

#include <string>
#include <string_view>

namespace rizarode {

// Upper case of the ASCII letters of a text; other bytes stay as they are.
std::string UpperCase(std::string_view text);

// The text without the blanks (any byte of `blanks`) at its two ends.
std::string Trimmed(std::string_view text, std::string_view blanks);

}  // namespace rizarode
