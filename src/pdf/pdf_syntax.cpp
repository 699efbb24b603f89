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

void AppendInteger(std::string& out, int64_t value) {
  char text[24];
  auto [end, ec] = std::to_chars(text, text + sizeof text, value);
  out.append(text, end);
}

void AppendReference(std::string& out, uint32_t object) {
  AppendInteger(out, object);
  out += " 0 R";
}

void AppendReal(std::string& out, double value, int decimals) {
  if (!std::isfinite(value)) value = 0;
  char text[64];
  auto [end, ec] = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
  if (ec != std::errc()) {
    out += '0';
    return;
  }
  std::string_view number(text, static_cast<std::size_t>(end - text));
  if (number.find('.') != std::string_view::npos) {
    while (number.back() == '0') number.remove_suffix(1);
    if (number.back() == '.') number.remove_suffix(1);
  }
  if (number == "-0") number = "0";
  out += number;
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

void AppendString(std::string& out, std::string_view bytes, ShownBytes& shown) {
  const std::size_t size = out.size();
  out.resize(size + StringRoom(bytes.size()));
  char* end = PutString(out.data() + size, bytes, shown);
  out.resize(static_cast<std::size_t>(end - out.data()));
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
