// Screen effects: a shake of the layers (and of the message window), a flush of one colour over
// everything, falling snow and blossoms, and the screen-wide raster wave of the platform. The
// commands start them, AdvEffectUpdate steps them once per frame before the script runs, and
// `effect_stop` ends them, fading the particles out. All of it runs on the thread that holds the
// render lock.
#pragma once

#include <array>
#include <cstdint>

#include "YEL/yel.h"

namespace adv {

struct AdvContext;

// Starts the shake; a timed one holds the script until it ends. Always 1.
int ScreenShakeStart(AdvContext& context, int32_t direction, int32_t amplitude, int32_t time,
                     int32_t targets);
// Covers the screen with the colour for `time` ms while the script waits. Always 1.
int ScreenFlushStart(AdvContext& context, int32_t red, int32_t green, int32_t blue, int32_t time);
// Starts the snow or the blossoms from the image the file argument names; a set already running
// is released first. 0 when the image does not load.
int ScreenSnowStart(AdvContext& context, int32_t file, int32_t placement, int32_t drift,
                    int32_t count);
int ScreenSakuraStart(AdvContext& context, int32_t file, int32_t placement, int32_t drift,
                      int32_t count);
// The raster wave over the screen below layer `layer`'s place in the draw order. Always 1.
int ScreenRasterStart(AdvContext& context, int32_t layer, int32_t b, int32_t c, int32_t d);
// Stops the effects of the mask's bits (1 shake and the flush's hold, 4 snow, 8 blossoms,
// 16 raster) over `time` ms. Always 1.
int ScreenEffectStop(AdvContext& context, int32_t mask, int32_t time);

// One frame of every active effect at the frame-clock time `now`; true when a flush ended in
// it, which ends the frame's script work.
bool ScreenEffectsStep(AdvContext& context, uint32_t now);
// The steps it runs; each is true when its effect has ended.
bool AdvShakeUpdate(AdvContext& context, uint32_t now);
bool AdvFlushUpdate(AdvContext& context, uint32_t now);
bool AdvSnowUpdate(AdvContext& context, uint32_t now);
bool AdvSakuraUpdate(AdvContext& context, uint32_t now);
// 1 once no screen-wide raster wave runs (after releasing it), else 0.
int AdvFxEffectIdle();

// Releases the particle sprites of a set (all of them, counted or not) and zeroes it.
void SnowRelease(AdvContext& context);
void SakuraRelease(AdvContext& context);

// The snapshot part of the screen effects: the flag word of the running effects (state 1 only)
// and the four argument words of each, in the order shake, snow, blossoms, raster.
inline constexpr int32_t kEffectSnapshotParts = 4;
struct EffectSnapshot {
  uint32_t flags = 0;
  std::array<std::array<int32_t, 4>, kEffectSnapshotParts> parts{};
};
EffectSnapshot AdvEffectSave(const AdvContext& context);
// Starts each saved effect again through its command, as the script would have called it.
void AdvEffectLoad(AdvContext& context, const EffectSnapshot& saved);

}  // namespace adv
