#pragma once
// The program's texts are 8-bit Windows-1252; fonts, a PDF's texts and the
// screen and file system of Linux speak Unicode. This is the one table
// between them.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace rizarode {

// The Unicode character that a Windows-1252 byte stands for; the five
// undefined bytes stand for the C1 controls of the same number, as on
// Windows.
uint32_t Cp1252CodePoint(unsigned char byte);

// Every byte as its Windows-1252 character, in UTF-8.
std::string Cp1252ToUtf8(std::string_view text);

// The character whose UTF-8 sequence starts at `at`, and `at` moved past
// it; nothing for a byte that starts no complete sequence, and `at` moved
// past that byte alone.
std::optional<uint32_t> NextUtf8Character(std::string_view text, std::size_t& at);

// Characters that Windows-1252 has become their byte; any other character,
// and any byte sequence that is not UTF-8, becomes "?".
std::string Utf8ToCp1252(std::string_view text);

// An 8-bit message text for the screen: UTF-8, each CR (alone or before a
// line feed) a line break.
std::string DisplayText(std::string_view text);

}  // namespace rizarode
