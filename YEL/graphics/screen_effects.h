// Screen transitions as the life cycle sees them.
#pragma once

namespace yel {

struct YelSystem;

bool ScreenEffectsInitialize(YelSystem& system);
// True while a screen transition runs.
bool ScreenEffectRunning();
// False while the player has turned the screen effects off.
bool ScreenEffectsEnabled();
// Draws the running transition over the finished scene (present, after the render list).
void ScreenEffectDrawOver(YelSystem& system);

}  // namespace yel
