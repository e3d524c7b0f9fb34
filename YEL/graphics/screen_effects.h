// Screen transitions as the life cycle sees them.
#pragma once

namespace yel {

struct YelSystem;

bool ScreenEffectsInitialize(YelSystem& system);
// True while a screen transition runs.
bool ScreenEffectRunning();
// Draws the running transition over the finished scene (present, after the render list).
void ScreenEffectDrawOver(YelSystem& system);

}  // namespace yel
