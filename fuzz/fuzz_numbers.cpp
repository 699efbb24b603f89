// Number reading on any text, and the roundings that follow it wherever the
// program reads a number.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "program/numbers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  double value = rizarode::Val(text);
  if (std::isnan(value)) __builtin_trap();
  (void)rizarode::ToInt16(value);
  (void)rizarode::ToInt32(value);
  (void)rizarode::RoundHalfEven(value);
  return 0;
}
