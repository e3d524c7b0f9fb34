#include "os/local_clock.h"

#include <ctime>

namespace os {

LocalClockTime LocalClockNow() {
  struct timespec now {};
  clock_gettime(CLOCK_REALTIME, &now);
  return ToLocalClockTime(static_cast<int64_t>(now.tv_sec), static_cast<int64_t>(now.tv_nsec));
}

LocalClockTime ToLocalClockTime(int64_t seconds, int64_t nanoseconds) {
  const time_t whole = static_cast<time_t>(seconds);
  struct tm local {};
  localtime_r(&whole, &local);
  LocalClockTime out;
  out.year = local.tm_year + 1900;
  out.month = local.tm_mon + 1;
  out.day = local.tm_mday;
  out.hour = local.tm_hour;
  out.minute = local.tm_min;
  out.second = local.tm_sec;
  out.millisecond = static_cast<int32_t>(nanoseconds / 1000000);
  return out;
}

}  // namespace os
