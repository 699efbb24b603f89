#pragma once
// Cutting a text at a delimiter, the way the program reads its option values
// and the lines of the driver file.

#include <string>

namespace rizarode {

// Returns the part of text before the first delimiter and leaves the part
// after it in text; without the delimiter returns all of text and empties it.
std::string TakeToken(std::string& text, const std::string& delimiter);

}  // namespace rizarode
