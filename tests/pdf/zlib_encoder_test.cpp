// Every kind of buffer comes back whole from a zlib reader, within the
// room that the encoder asks for.

#include "pdf/zlib_encoder.h"

#include <gtest/gtest.h>
#include <libdeflate.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace rizarode::pdf {
namespace {

struct Case {
  const char* what;
  std::string data;
};

std::string Random(std::size_t size, int alphabet, unsigned seed) {
  std::mt19937 random(seed);
  std::string text(size, '\0');
  for (char& c : text) c = static_cast<char>('a' + random() % alphabet);
  return text;
}

// Byte b occurs about 2^(b % 24) times: a code for it needs more than the
// 15 bits a deflate code may have.
std::string Skewed() {
  std::string text;
  for (int b = 0; b < 256; ++b) text += std::string(1 + (std::size_t{1} << (b % 24)) / 256, static_cast<char>(b));
  std::shuffle(text.begin(), text.end(), std::mt19937(7));
  return text;
}

// A phrase repeated exactly a window apart, and just beyond it.
std::string FarRepeats() {
  std::string phrase = "Johannes, son of Maria, baptised in Leiden";
  std::string text = phrase + Random(32768 - phrase.size(), 26, 3) + phrase;
  return text + Random(1, 26, 4) + phrase;
}

// The same text twice: every match has one distance, whose code is not the
// first, so the distance code has one symbol in use.
std::string Twice() {
  std::string text = Random(600, 26, 5);
  return text + text;
}

// A page of a register as the PDF writer draws it, lines of the same words
// in turn, each line a word on, and the tail before its end.
std::string Page(const std::string& tail) {
  static const char* const kWords[] = {"Johannes", "Maria", "born",   "baptised", "married",
                                       "died",     "Leiden", "son of", "and",      "Pieter"};
  std::string page = "BT\n/F0 83 Tf\n94 TL\n";
  for (int line = 0; line < 64; ++line) {
    page += '(';
    page += std::to_string(100 + line);
    for (int w = 0; w < 9; ++w) {
      page += ' ';
      page += kWords[(line + w) % 10];
    }
    page += ") Tj\nT*\n";
  }
  page += tail;
  page += "ET\n";
  return page;
}

std::vector<Case> Cases() {
  return {
      // Pages in a row, as a document's streams: the second is written in
      // the code kept from the first, which has none for the third's "A";
      // the code made for that has none for the fourth's distance of 1.
      {"a page", Page("")},
      {"the page again", Page("")},
      {"a page with a byte the last lacked", Page("A")},
      {"a page with a distance the last lacked", Page("AAAAAAAAA")},
      // Too short for a code of their own: the fixed code.
      {"empty", ""},
      {"one byte", "x"},
      {"a short repeat", "Pieter, Pieter, Pieter, son of Pieter"},
      {"bytes of 9-bit fixed codes", "\xA1\xD5 Pieter \xFF"},
      {"one distance only", Twice()},
      {"runs longer than a match", std::string(100000, 'x') + std::string(70000, '\0')},
      {"nothing to match: stored", Random(300000, 256, 1)},
      {"many blocks of short matches", Random(400000, 8, 2)},
      {"codes longer than deflate allows", Skewed()},
      {"matches at the window's edge", FarRepeats()},
  };
}

TEST(ZlibEncoderTest, EveryBufferInflatesToItselfWithinTheBound) {
  ZlibEncoder encoder;  // one for all, as a document uses it
  std::unique_ptr<libdeflate_decompressor, void (*)(libdeflate_decompressor*)> reader(
      libdeflate_alloc_decompressor(), &libdeflate_free_decompressor);
  for (const Case& c : Cases()) {
    std::vector<unsigned char> out(ZlibEncoder::Bound(c.data.size()) + 1, 0xA5);
    std::size_t size = encoder.Compress(reinterpret_cast<const unsigned char*>(c.data.data()),
                                        c.data.size(), out.data());
    EXPECT_LE(size, ZlibEncoder::Bound(c.data.size())) << c.what;
    EXPECT_EQ(out.back(), 0xA5) << c.what;
    std::string back(c.data.size() + 1, '\0');
    std::size_t backSize = 0;
    ASSERT_EQ(libdeflate_zlib_decompress(reader.get(), out.data(), size, back.data(), back.size(),
                                         &backSize),
              LIBDEFLATE_SUCCESS)
        << c.what;
    back.resize(backSize);
    EXPECT_TRUE(back == c.data) << c.what;
  }
}

}  // namespace
}  // namespace rizarode::pdf
