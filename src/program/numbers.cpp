#include "program/numbers.h"

#include <cfenv>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <string>

namespace rizarode {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n'; }

// The characters of text with every blank removed.
std::string WithoutBlanks(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (!IsBlank(c)) out += c;
  }
  return out;
}

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return 99;
}

// "&H" and "&O" numbers: the digits as an unsigned value, then taken as a
// signed word of the smallest width that holds them.
double ReadRadixNumber(const std::string& text, std::size_t start, int radix) {
  unsigned long long value = 0;
  bool overflow = false;
  for (std::size_t i = start; i < text.size(); ++i) {
    int digit = DigitValue(text[i]);
    if (digit >= radix) break;
    value = value * radix + digit;
    if (value > 0xFFFFFFFFull) overflow = true;
  }
  if (overflow) return HUGE_VAL;
  if (value <= 0xFFFF) return static_cast<int16_t>(static_cast<uint16_t>(value));
  return static_cast<int32_t>(static_cast<uint32_t>(value));
}

// The number with its "." as the current locale writes a decimal point.
std::string WithLocaleDecimalPoint(std::string number) {
  const char* point = std::localeconv()->decimal_point;
  std::size_t dot = number.find('.');
  if (dot != std::string::npos && point != nullptr && *point != '\0') number.replace(dot, 1, point);
  return number;
}

double ReadDecimalNumber(const std::string& s) {
  std::size_t i = 0;
  std::string number;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) number += s[i++];
  bool digits = false;
  while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
    number += s[i++];
    digits = true;
  }
  if (i < s.size() && s[i] == '.') {
    number += s[i++];
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
      number += s[i++];
      digits = true;
    }
  }
  if (!digits) return 0.0;
  if (i < s.size() && (s[i] == 'E' || s[i] == 'e' || s[i] == 'D' || s[i] == 'd')) {
    std::size_t j = i + 1;
    std::string exponent = "e";
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) exponent += s[j++];
    bool expDigits = false;
    while (j < s.size() && s[j] >= '0' && s[j] <= '9') {
      exponent += s[j++];
      expDigits = true;
    }
    if (expDigits) number += exponent;
  }
  // from_chars reads "." whatever the locale says; it takes no "+".
  const char* first = number.data();
  const char* last = number.data() + number.size();
  if (*first == '+') ++first;
  double value = 0.0;
  auto [ptr, ec] = std::from_chars(first, last, value);
  if (ec == std::errc::result_out_of_range) {
    // Too large or too small for a double: the C library tells which, and
    // gives the infinity or the zero (or the denormal) that the text means.
    // It reads the current locale's decimal point.
    value = std::strtod(WithLocaleDecimalPoint(number).c_str(), nullptr);
  }
  (void)ptr;
  return value;
}

}  // namespace

double Val(std::string_view text) {
  std::string s = WithoutBlanks(text);
  if (s.size() >= 2 && s[0] == '&') {
    char kind = s[1];
    if (kind == 'H' || kind == 'h') return ReadRadixNumber(s, 2, 16);
    if (kind == 'O' || kind == 'o') return ReadRadixNumber(s, 2, 8);
    if (kind >= '0' && kind <= '7') return ReadRadixNumber(s, 1, 8);
    return 0.0;
  }
  return ReadDecimalNumber(s);
}

double RoundHalfEven(double value) {
  if (!std::isfinite(value)) return value;
  int saved = std::fegetround();
  std::fesetround(FE_TONEAREST);
  double rounded = std::nearbyint(value);
  std::fesetround(saved);
  return rounded;
}

std::optional<int16_t> ToInt16(double value) {
  double r = RoundHalfEven(value);
  if (!(r >= -32768.0 && r <= 32767.0)) return std::nullopt;
  return static_cast<int16_t>(r);
}

std::optional<int32_t> ToInt32(double value) {
  double r = RoundHalfEven(value);
  if (!(r >= -2147483648.0 && r <= 2147483647.0)) return std::nullopt;
  return static_cast<int32_t>(r);
}

std::string Decimal(long long value) { return std::to_string(value); }

}  // namespace rizarode
