// Choices: `select` builds up to fifteen image buttons with centred texts from the `select_item`
// block that follows it, and `end_select` runs every frame until one is decided, then jumps to
// its label. Enter, leave and decide hooks run as subroutines.
#pragma once

#include <cstdint>

namespace adv {

struct AdvContext;

inline constexpr uint32_t kChoiceDecided = 0x200;
inline constexpr int32_t kChoiceEventSlot = 2;

// The body of `select`: 1, or 0 on a malformed block, too many items or a failed text sprite.
int AdvSelectBuild(AdvContext& context);
// One frame of `end_select`.
int AdvSelectFrame(AdvContext& context);

void AdvSelectSetVisible(AdvContext& context, int32_t visible);
// Ends a running choice without a decision.
void AdvSelectCancel(AdvContext& context);

}  // namespace adv
