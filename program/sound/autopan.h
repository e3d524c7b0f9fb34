// Autopan: a voice follows the horizontal position of a layer image, or sits at a fixed script
// position, through 16 entries keyed by the beginning of the voice's file name. Positions become
// stereo pans from minus the pan range (left) to plus it (right); the same conversion places
// sound effects.
#pragma once

#include <cstdint>

#include "program/sound/sound_state.h"

namespace adv {

inline constexpr int32_t kPanFollowing = 2;  // pan block state: the voice follows an entry

// The pan of a screen x: -range left of the screen, +range right of it, linear in between.
int32_t AdvPanFromScreenX(const SoundState& state, int32_t x, int32_t width);
int32_t AdvPanFromScreenX(const SoundState& state, int32_t x);
// The pan of a script position: 0 the left edge, 10 the centre, 20 the right edge.
int32_t AdvPanFromPosition(const SoundState& state, int32_t position, int32_t width);
int32_t AdvPanFromPosition(const SoundState& state, int32_t position);

}  // namespace adv
