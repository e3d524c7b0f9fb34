// The skip state word that text, choices, waits and transitions consult every frame.
#pragma once

#include <cstdint>

namespace adv {

struct AdvContext;

inline constexpr int32_t SKIP_BIT_SKIP = 1;
inline constexpr int32_t SKIP_BIT_AUTO = 2;
inline constexpr int32_t SKIP_BIT_CTRL = 4;
inline constexpr int32_t SKIP_BIT_ADVANCE = 8;
inline constexpr int32_t SKIP_MASK_FORCED = 0x30;
inline constexpr int32_t SKIP_STATE_SCENE = -33;    // every bit but 32
inline constexpr int32_t SKIP_STATE_HISTORY = -17;  // every bit but 16

int32_t AdvSkipState(AdvContext& context);
// Adds advance bits to the advance latch while it is on (main script only).
void AdvanceLatchAdd(uint32_t bits);
void SkipLatchSet(AdvContext& context, int32_t value);
uint32_t SkipLatchGet(const AdvContext& context);

}  // namespace adv
