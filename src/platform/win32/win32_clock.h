#pragma once
// The time of day from the system's local clock, and random numbers seeded
// from it.

#include <random>

#include "platform/clock.h"

namespace rizarode {

class Win32Clock : public Clock {
 public:
  double SecondsSinceMidnight() override;
};

class Win32Random : public RandomSource {
 public:
  explicit Win32Random(Clock& clock) : clock_(clock) {}
  void SeedFromClock() override;
  double NextFraction() override;

 private:
  Clock& clock_;
  std::mt19937_64 engine_;
};

}  // namespace rizarode
