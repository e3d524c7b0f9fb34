// The wall clock read in the local time zone, to the millisecond: the date and time a script
// asks for. Unlike the millisecond clock of clock.h it jumps when the system's time is set.
#pragma once

#include <cstdint>

namespace os {

struct LocalClockTime {
  int32_t year = 0;   // all digits, e.g. 2024
  int32_t month = 0;  // 1 to 12
  int32_t day = 0;    // 1 to 31
  int32_t hour = 0;   // 0 to 23
  int32_t minute = 0;
  int32_t second = 0;       // 0 to 60 (a leap second)
  int32_t millisecond = 0;  // 0 to 999
};

// Now.
LocalClockTime LocalClockNow();
// A moment, counted from 1970-01-01 00:00 UTC, in the local time zone (the TZ setting).
LocalClockTime ToLocalClockTime(int64_t seconds, int64_t nanoseconds);

}  // namespace os
