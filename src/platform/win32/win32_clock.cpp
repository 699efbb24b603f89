#include "platform/win32/win32_clock.h"

#include "platform/win32/windows_api.h"

namespace rizarode {

double Win32Clock::SecondsSinceMidnight() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return now.wHour * 3600.0 + now.wMinute * 60.0 + now.wSecond + now.wMilliseconds / 1e3;
}

}  // namespace rizarode
