#include "base/text_encoding.h"

#include <gtest/gtest.h>

namespace rizarode {
namespace {

// The PDF tests compare with texts made by this very table, so its faults
// would cancel out there: it is checked against known characters here.
TEST(TextEncodingTest, BytesAndCharactersOfTheCodePage) {
  struct Case {
    unsigned char byte;
    uint32_t codePoint;
    const char* utf8;
  };
  for (const Case& c : {Case{'A', 0x41, "A"}, Case{0x7F, 0x7F, "\x7F"},
                        Case{0x80, 0x20AC, "\xE2\x82\xAC"}, Case{0x81, 0x81, "\xC2\x81"},
                        Case{0x8A, 0x160, "\xC5\xA0"}, Case{0x9F, 0x178, "\xC5\xB8"},
                        Case{0xA0, 0xA0, "\xC2\xA0"}, Case{0xE9, 0xE9, "\xC3\xA9"},
                        Case{0xFF, 0xFF, "\xC3\xBF"}}) {
    const std::string byte(1, static_cast<char>(c.byte));
    EXPECT_EQ(Cp1252CodePoint(c.byte), c.codePoint) << int{c.byte};
    EXPECT_EQ(Cp1252ToUtf8(byte), c.utf8) << int{c.byte};
    EXPECT_EQ(Utf8ToCp1252(c.utf8), byte) << int{c.byte};
  }
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(all)), all);
}

TEST(TextEncodingTest, WhatTheCodePageLacksOrIsNoUtf8BecomesAQuestionMark) {
  EXPECT_EQ(Utf8ToCp1252("\xE4\xB8\xAD|\xF0\x9F\x98\x80|\xE2\x82"), "?|?|??");
  EXPECT_EQ(Utf8ToCp1252("\x80|\xC3\x28|\xFF"), "?|?(|?");
}

TEST(TextEncodingTest, AMessageShowsEachCrAsOneLineBreak) {
  EXPECT_EQ(DisplayText("a\rb\r\nc\n\xE9"), "a\nb\nc\n\xC3\xA9");
}

}  // namespace
}  // namespace rizarode
