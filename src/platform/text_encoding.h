#pragma once
// The program's texts are 8-bit Windows-1252; the screen and the file system
// of this platform speak UTF-8.

#include <string>
#include <string_view>

namespace rizarode {

// Every byte as its Windows-1252 character; the five undefined bytes map to
// the C1 controls of the same number, as Windows does.
std::string Cp1252ToUtf8(std::string_view text);

// Characters that Windows-1252 has become their byte; any other character,
// and any byte sequence that is not UTF-8, becomes "?".
std::string Utf8ToCp1252(std::string_view text);

// An 8-bit message text for the screen: UTF-8, each CR (alone or before a
// line feed) a line break.
std::string DisplayText(std::string_view text);

}  // namespace rizarode
