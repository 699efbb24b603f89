#pragma once

#include <cstdint>

namespace rizarode {

class Clock {
 public:
  virtual ~Clock() = default;
  // Local time of day in seconds since midnight, with fractions.
  virtual double SecondsSinceMidnight() = 0;
};

class RandomSource {
 public:
  virtual ~RandomSource() = default;
  // Seeds the generator from the clock.
  virtual void SeedFromClock() = 0;
  // A uniform fraction r with 0 <= r < 1.
  virtual double NextFraction() = 0;
};

}  // namespace rizarode
