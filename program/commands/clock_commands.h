// The date and time numbers of the clock commands of group 0x09, as pure functions of a local
// time so that any moment can be checked.
#pragma once

#include <cstdint>

#include "os/local_clock.h"

namespace adv {

// (year x 100 + month) x 100 + day: 20,241,231 for 31 December 2024.
int32_t DateNumber(const os::LocalClockTime& time);
// ((hour x 100 + minute) x 100 + second) x 1,000 + milliseconds: 235,959,999 at 23:59:59.999.
int32_t TimeNumber(const os::LocalClockTime& time);

}  // namespace adv
