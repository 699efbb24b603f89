#include "platform/linux/system_clock.h"

#include <sys/time.h>
#include <time.h>

#include <cstring>

namespace rizarode {

double SystemClock::SecondsSinceMidnight() {
  timeval now{};
  gettimeofday(&now, nullptr);
  tm local{};
  time_t seconds = now.tv_sec;
  localtime_r(&seconds, &local);
  return local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec +
         now.tv_usec / 1e6;
}

void ClockSeededRandom::SeedFromClock() {
  double t = clock_.SecondsSinceMidnight();
  uint64_t bits = 0;
  std::memcpy(&bits, &t, sizeof bits);
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  engine_.seed(bits ^ static_cast<uint64_t>(ts.tv_nsec) ^
               (static_cast<uint64_t>(ts.tv_sec) << 20));
}

double ClockSeededRandom::NextFraction() {
  return std::uniform_real_distribution<double>(0.0, 1.0)(engine_);
}

}  // namespace rizarode
