// FX effects as the sprites see them: the record a sprite owns, stepped and turned into the
// effect its draw goes through, and freed with the sprite.
#pragma once

#include "YEL/render/backend.h"

namespace yel {

struct FxRecord;

// Steps the record on the frame clock and gives the effect to draw through this frame. False
// (nothing to draw through) without a record, in state 0 or while the screen effects are off; a
// fade-out that has run its time ends here (state 0) whether or not anything is drawn.
bool FxDrawInformation(FxRecord* record, FxEffect& out);

// Frees a sprite's record (null does nothing).
void FxRecordFree(FxRecord* record);

}  // namespace yel
