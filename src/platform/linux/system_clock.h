#pragma once

#include <random>

#include "platform/clock.h"

namespace rizarode {

class SystemClock : public Clock {
 public:
  double SecondsSinceMidnight() override;
};

class ClockSeededRandom : public RandomSource {
 public:
  explicit ClockSeededRandom(Clock& clock) : clock_(clock) {}
  void SeedFromClock() override;
  double NextFraction() override;

 private:
  Clock& clock_;
  std::mt19937_64 engine_;
};

}  // namespace rizarode
