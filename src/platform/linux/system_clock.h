#pragma once

#include "platform/clock.h"

namespace rizarode {

class SystemClock : public Clock {
 public:
  double SecondsSinceMidnight() override;
};

}  // namespace rizarode
