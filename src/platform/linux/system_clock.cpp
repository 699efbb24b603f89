#include "platform/linux/system_clock.h"

#include <sys/time.h>
#include <time.h>

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

}  // namespace rizarode
