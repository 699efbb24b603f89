#include "pdf/pdf_syntax.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

#include "base/text_encoding.h"

namespace rizarode::pdf {
namespace {

constexpr char kHex[] = "0123456789ABCDEF";

void AppendHex16(std::string& out, uint32_t unit) {
  for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(unit >> shift) & 0xF];
}

// What follows the backslash of each byte that a literal string escapes.
constexpr std::array<char, 256> kEscapes = [] {
  std::array<char, 256> escapes{};
  escapes['('] = '(';
  escapes[')'] = ')';
  escapes['\\'] = '\\';
  // A reader turns a bare line end inside a string into a line feed.
  escapes['\r'] = 'r';
  escapes['\n'] = 'n';
  return escapes;
}();

// The next character of UTF-8 text; a byte that starts no valid sequence
// stands for itself.
uint32_t NextCodePoint(std::string_view text, std::size_t& at) {
  const auto first = static_cast<unsigned char>(text[at]);
  return NextUtf8Character(text, at).value_or(first);
}

}  // namespace

char* PutInteger(char* out, int64_t value) {
  return std::to_chars(out, out + kIntegerRoom, value).ptr;
}

void AppendInteger(std::string& out, int64_t value) {
  char text[kIntegerRoom];
  out.append(text, PutInteger(text, value));
}

void AppendReference(std::string& out, uint32_t object) {
  AppendInteger(out, object);
  out += " 0 R";
}

char* PutReal(char* out, double value, int decimals) {
  if (!std::isfinite(value)) value = 0;
  auto [end, ec] = std::to_chars(out, out + kRealRoom, value, std::chars_format::fixed, decimals);
  if (ec != std::errc()) {
    *out = '0';
    return out + 1;
  }
  if (std::find(out, end, '.') != end) {
    while (end[-1] == '0') --end;
    if (end[-1] == '.') --end;
  }
  if (end - out == 2 && out[0] == '-' && out[1] == '0') {
    *out = '0';
    return out + 1;
  }
  return end;
}

void AppendReal(std::string& out, double value, int decimals) {
  char text[kRealRoom];
  out.append(text, PutReal(text, value, decimals));
}

ShownBytes::ShownBytes() : notablePairs_(std::size_t{1} << 16, 1) { notable_.fill(1); }

void ShownBytes::Show(unsigned char byte) {
  shown_[byte] = true;
  const uint8_t notable = kEscapes[byte] != 0;
  if (notable_[byte] == notable) return;
  notable_[byte] = notable;
  for (int other = 0; other < 256; ++other) {
    const uint8_t either = notable | notable_[other];
    notablePairs_[byte | other << 8] = either;
    notablePairs_[other | byte << 8] = either;
  }
}

bool ShownBytes::Any() const {
  return std::find(shown_.begin(), shown_.end(), true) != shown_.end();
}

// Copied eight bytes at a time where all of them are plain and shown
// before, as nearly all text is after its first lines; the others one by
// one, marking them as shown.
char* PutString(char* out, std::string_view bytes, ShownBytes& shown) {
  const uint8_t* const pairs = shown.notablePairs_.data();
  auto note = [&](const char* at) {
    uint16_t pair;
    std::memcpy(&pair, at, sizeof pair);
    return pairs[pair];
  };
  *out++ = '(';
  const char* at = bytes.data();
  const char* const end = at + bytes.size();
  for (;;) {
    for (; end - at >= 8; at += 8, out += 8) {
      if ((note(at) | note(at + 2) | note(at + 4) | note(at + 6)) != 0) break;
      std::memcpy(out, at, 8);
    }
    for (; end - at >= 2 && note(at) == 0; at += 2, out += 2) std::memcpy(out, at, 2);
    if (at == end) break;
    const auto b = static_cast<unsigned char>(*at++);
    if (shown.notable_[b] != 0) {
      shown.Show(b);
      if (kEscapes[b] != 0) {
        *out++ = '\\';
        *out++ = kEscapes[b];
        continue;
      }
    }
    *out++ = static_cast<char>(b);
  }
  *out++ = ')';
  return out;
}

void AppendUtf16String(std::string& out, std::string_view utf8) {
  out += "<FEFF";
  for (std::size_t at = 0; at < utf8.size();) {
    uint32_t code = NextCodePoint(utf8, at);
    if (code >= 0x10000) {
      code -= 0x10000;
      AppendHex16(out, 0xD800 + (code >> 10));
      AppendHex16(out, 0xDC00 + (code & 0x3FF));
    } else {
      AppendHex16(out, code);
    }
  }
  out += '>';
}

void AppendName(std::string& out, std::string_view text) {
  out += '/';
  for (char c : text) {
    auto b = static_cast<unsigned char>(c);
    bool plain = b > 0x20 && b < 0x7F && std::string_view("#()<>[]{}/%").find(c) == std::string_view::npos;
    if (plain) {
      out += c;
    } else {
      out += '#';
      out += kHex[b >> 4];
      out += kHex[b & 0xF];
    }
  }
}

}  // namespace rizarode::pdf
