// Full-screen transitions: the last presented frame is captured when one starts, and each
// present draws the capture over the new scene through the effect until its time is over.
#pragma once

#include <cstdint>

#include "YEL/yel.h"

namespace yel {

struct YelSystem;

// Resets the transition record and makes the capture texture on the active back-end; false when
// a back-end exists and the texture cannot be made.
bool ScreenEffectsInitialize(YelSystem& system);
// Gives back the capture texture and whatever a running transition holds.
void ScreenEffectsRelease(YelSystem& system);
// True while a screen transition runs.
bool ScreenEffectRunning();
// False while the player has turned the screen effects off.
bool ScreenEffectsEnabled();
// Draws the running transition over the finished scene (present, after the render list).
void ScreenEffectDrawOver(YelSystem& system);

}  // namespace yel
