#include "driver/driver_numbers.h"

#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>

#include "base/text_encoding.h"
#include "program/numbers.h"

namespace rizarode {
namespace {

// Digits and exponent of a value rounded to 7 significant digits, with the
// trailing zeros of the digits left out: 16718.4 gives "167184" and 4.
struct SignificantDigits {
  std::string digits;
  int exponent = 0;
};

SignificantDigits ToSevenDigits(double magnitude) {
  char buffer[64];
  // to_chars ignores the locale, so the text can be taken apart safely.
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, magnitude,
                                 std::chars_format::scientific, 6);
  (void)ec;
  std::string text(buffer, end);  // "d.dddddde+XX"
  std::size_t e = text.find('e');
  SignificantDigits out;
  out.digits = text.substr(0, 1) + text.substr(2, e - 2);
  out.exponent = std::atoi(text.c_str() + e + 1);
  while (out.digits.size() > 1 && out.digits.back() == '0') out.digits.pop_back();
  return out;
}

std::string PlainNotation(const SignificantDigits& d, const std::string& separator) {
  const int digitsBeforePoint = d.exponent + 1;
  if (digitsBeforePoint <= 0) {
    return "0" + separator + std::string(-digitsBeforePoint, '0') + d.digits;
  }
  if (static_cast<int>(d.digits.size()) <= digitsBeforePoint) {
    return d.digits + std::string(digitsBeforePoint - d.digits.size(), '0');
  }
  return d.digits.substr(0, digitsBeforePoint) + separator +
         d.digits.substr(digitsBeforePoint);
}

std::string ExponentNotation(const SignificantDigits& d, const std::string& separator) {
  std::string mantissa = d.digits.substr(0, 1);
  if (d.digits.size() > 1) mantissa += separator + d.digits.substr(1);
  std::string exponent = ZeroPadded(std::abs(d.exponent), 2);
  return mantissa + (d.exponent < 0 ? "E-" : "E+") + exponent;
}

}  // namespace

std::string LocaleDecimalSeparator() {
  const std::lconv* conventions = std::localeconv();
  std::string separator =
      conventions && conventions->decimal_point ? conventions->decimal_point : "";
  if (separator.size() > 1) separator = Utf8ToCp1252(separator);
  if (separator.size() != 1 || separator == "?") return ".";
  return separator;
}

std::string SingleText(float value) {
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value < 0 ? "-Inf" : "Inf";
  if (value == 0.0f) return "0";
  const std::string sign = value < 0 ? "-" : "";
  SignificantDigits d = ToSevenDigits(std::fabs(static_cast<double>(value)));
  const std::string separator = LocaleDecimalSeparator();
  if (d.exponent >= -5 && d.exponent < 7) return sign + PlainNotation(d, separator);
  return sign + ExponentNotation(d, separator);
}

std::string PatternText(double value) {
  // Halves away from zero, as a format pattern rounds.
  double hundredths = std::round(std::fabs(value) * 100.0);
  double whole = std::floor(hundredths / 100.0);
  int fraction = static_cast<int>(hundredths - whole * 100.0);
  std::string text;
  if (value < 0 && hundredths > 0) text += "-";
  if (whole > 0) {
    char buffer[400];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, whole,
                                   std::chars_format::fixed, 0);
    (void)ec;
    text.append(buffer, end);
  }
  text += LocaleDecimalSeparator();
  if (fraction != 0) {
    std::string decimals = ZeroPadded(fraction, 2);
    if (decimals.back() == '0') decimals.pop_back();
    text += decimals;
  }
  return text;
}

std::string ZeroPadded(long long value, int width) {
  std::string text = std::string(width, '0') + Decimal(value);
  return text.substr(text.size() - width);
}

}  // namespace rizarode
