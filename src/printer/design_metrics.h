#pragma once
// A face's lengths in its own design units, unitsPerEm to the em, as the
// font file gives them: what a printer scales to its sizes to lay text out.

#include <array>
#include <cstdint>

namespace rizarode {

struct DesignMetrics {
  int32_t unitsPerEm = 2048;
  std::array<int32_t, 256> advance{};
  // Until a font file says otherwise (no font at all is installed), lines
  // still have a height.
  int32_t ascent = 1638;
  int32_t descent = 410;
  int32_t underlinePosition = 0;  // below the baseline when negative
  int32_t underlineThickness = 0;
};

}  // namespace rizarode
