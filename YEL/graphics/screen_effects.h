// Screen transitions as the life cycle sees them.
#pragma once

namespace yel {

struct YelSystem;

bool ScreenEffectsInitialize(YelSystem& system);
// True while a screen transition runs.
bool ScreenEffectRunning();

}  // namespace yel
