#include "platform/win32/win32_clock.h"

#include "platform/win32/windows_api.h"

#include <cstdint>
#include <cstring>

namespace rizarode {

double Win32Clock::SecondsSinceMidnight() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return now.wHour * 3600.0 + now.wMinute * 60.0 + now.wSecond + now.wMilliseconds / 1e3;
}

void Win32Random::SeedFromClock() {
  double t = clock_.SecondsSinceMidnight();
  uint64_t bits = 0;
  std::memcpy(&bits, &t, sizeof bits);
  // The clock alone repeats within a millisecond; the performance counter
  // tells two starts in the same millisecond apart.
  LARGE_INTEGER counter{};
  QueryPerformanceCounter(&counter);
  engine_.seed(bits ^ static_cast<uint64_t>(counter.QuadPart));
}

double Win32Random::NextFraction() {
  return std::uniform_real_distribution<double>(0.0, 1.0)(engine_);
}

}  // namespace rizarode
