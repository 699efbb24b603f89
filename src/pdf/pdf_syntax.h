#pragma once
// The few pieces of PDF syntax that pages and fonts write many times:
// numbers in the shortest exact form, byte strings, names.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace rizarode::pdf {

void AppendInteger(std::string& out, int64_t value);
// A reference "n 0 R" to an object of the file.
void AppendReference(std::string& out, uint32_t object);
// A real number rounded to at most `decimals` decimals, without trailing
// zeros or exponent (PDF has none).
void AppendReal(std::string& out, double value, int decimals = 3);

// The same written at `out`, which has room for the most bytes they take;
// each returns the end of what it wrote.
constexpr std::size_t kIntegerRoom = 20;
constexpr std::size_t kRealRoom = 64;
char* PutInteger(char* out, int64_t value);
char* PutReal(char* out, double value, int decimals);
// The bytes that the text of one font has shown: the glyphs its embedded
// subset must have.
class ShownBytes {
 public:
  ShownBytes();
  bool Shown(unsigned char byte) const { return shown_[byte]; }
  bool Any() const;

 private:
  friend char* PutString(char* out, std::string_view bytes, ShownBytes& shown);
  void Show(unsigned char byte);

  std::array<bool, 256> shown_{};
  // Each byte that a literal string escapes or that is not shown yet: text
  // is looked at byte by byte only where it holds one.
  std::array<uint8_t, 256> notable_;
  // Whether either byte of each pair of bytes is notable, so that text is
  // looked up two bytes at a time. Either byte order gives the same answer.
  std::vector<uint8_t> notablePairs_;
};

// The most bytes that the literal string of `size` bytes takes.
constexpr std::size_t StringRoom(std::size_t size) { return 2 * size + 2; }
// A literal string "(...)" holding exactly these bytes, marked as shown on
// the way (text shown is gone over once), written at `out`, which has room
// for StringRoom(bytes.size()) bytes; returns its end.
char* PutString(char* out, std::string_view bytes, ShownBytes& shown);
// A hexadecimal string "<FEFF...>" holding the text as UTF-16BE: the form
// that carries any character in the document's information.
void AppendUtf16String(std::string& out, std::string_view utf8);
// A name "/..." for an arbitrary text, its unsafe bytes as #xx.
void AppendName(std::string& out, std::string_view text);

}  // namespace rizarode::pdf
