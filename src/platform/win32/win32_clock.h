#pragma once
// The time of day from the system's local clock.

#include "platform/clock.h"

namespace rizarode {

class Win32Clock : public Clock {
 public:
  double SecondsSinceMidnight() override;
};

}  // namespace rizarode
