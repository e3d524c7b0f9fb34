// Sprite transitions as the sprites see them.
#pragma once

struct YelSprite;

namespace yel {

// A sprite about to be freed leaves every transition that still names it, so none draws or
// releases it after. The caller holds the render-list lock.
void TransitionsForgetSprite(YelSprite* sprite);

}  // namespace yel
