#pragma once

#include <chrono>
#include <cstdint>
#include <cstring>
#include <random>

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

// Random numbers seeded from the time of day, the same on every system.
// The clock alone repeats within its tick: the standard clocks' finer
// counts tell two starts in the same tick apart.
class ClockSeededRandom : public RandomSource {
 public:
  explicit ClockSeededRandom(Clock& clock) : clock_(clock) {}
  void SeedFromClock() override {
    const double t = clock_.SecondsSinceMidnight();
    uint64_t bits = 0;
    std::memcpy(&bits, &t, sizeof bits);
    const auto wall = std::chrono::system_clock::now().time_since_epoch().count();
    const auto steady = std::chrono::steady_clock::now().time_since_epoch().count();
    engine_.seed(bits ^ static_cast<uint64_t>(wall) ^ (static_cast<uint64_t>(steady) << 20));
  }
  double NextFraction() override {
    return std::uniform_real_distribution<double>(0.0, 1.0)(engine_);
  }

 private:
  Clock& clock_;
  std::mt19937_64 engine_;
};

}  // namespace rizarode
