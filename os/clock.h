// The millisecond clock: 32 bits that wrap after about 49 days, so callers always take
// differences modulo 2^32.
#pragma once

#include <cstdint>

namespace os {

uint32_t TimeMs();
void SleepMs(uint32_t ms);

}  // namespace os
