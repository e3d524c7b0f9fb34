// Per-layer transitions prepared on the layer record: the two-step change (the current sprite
// held as the previous one, a new image set, the transition from one to the other), the one-step
// change to a new file centred on the old image, and the clear through a transition. Each queues
// the operation that starts it at the next commit; while the script fast-forwards or effects are
// off each falls back to the plain change.
#pragma once

#include <cstdint>

namespace adv {

struct AdvContext;

// Script transition kinds 0 and 1 as the platform's kinds; any other kind is taken as 0.
int32_t AdvTransitionKind(int32_t script_kind);

// The commands' bodies; the layer is 0-127 (checked by the caller). Each returns the command's
// result (1, or 0 after its logged failure) and traces itself.
int AdvLayerCopyImage(AdvContext& context, int32_t layer);
int AdvLayerStartChange(AdvContext& context, int32_t layer, int32_t kind, int32_t time);
int AdvLayerSetTransition(AdvContext& context, uint32_t file, int32_t layer, int32_t kind,
                          int32_t time);
int AdvLayerClearTransition(AdvContext& context, int32_t layer, int32_t kind, int32_t time);

}  // namespace adv
