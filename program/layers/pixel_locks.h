// The script's locks of layer pixels. A script never sees an address: sp_pixel_lock hands it a
// token, a small non-zero number naming the layer and the lock's generation, and the peek, poke
// and copy commands reach the pixels through it only while that lock stands.
#pragma once

#include <cstddef>
#include <cstdint>

#include "program/layers/layer_records.h"

namespace adv {

struct AdvContext;

// Locks the layer's sprite and returns the new token (an older one of the layer goes stale), or
// 0 when the layer has no sprite or its sprite no pixels.
int32_t AdvPixelLockTake(AdvContext& context, int32_t layer, int32_t* row_length);
// Ends the layer's lock: the sprite is unlocked and the token goes stale.
void AdvPixelLockEnd(AdvContext& context, int32_t layer);

// The locked pixels a token names: the layer must be locked under exactly this token and still
// show the sprite it locked. Null otherwise.
const PixelLock* AdvPixelLockFind(AdvContext& context, int32_t layer, int32_t token);

// True when `count` bytes from `offset` lie inside the lock's pixels.
bool AdvPixelLockHolds(const PixelLock& lock, int64_t offset, int64_t count);

}  // namespace adv
