// The screen-effect record of the context: the shake, the flush plane, the snow and blossom
// particles and the screen-wide raster wave, each with the arguments that started it, so that a
// snapshot can start it again.
#pragma once

#include <array>
#include <cstdint>

#include "YEL/yel.h"

namespace adv {

// Bits of ScreenEffectState::active, stepped in this order each frame.
enum ScreenEffectBit : uint32_t {
  kEffectShake = 1,
  kEffectFlush = 2,
  kEffectSnow = 4,
  kEffectSakura = 8,
  kEffectRaster = 16,
};

// Bits of ScreenEffectState::held: which effect holds a script point.
enum ScreenEffectHeld : uint32_t {
  kHeldShake = 1,
  kHeldFlush = 2,
};

// States of the shake, the particle sets and the raster wave.
enum ScreenEffectRun : uint32_t {
  kEffectNone = 0,
  kEffectRunning = 1,
  kEffectStopping = 2,
};

inline constexpr int32_t kSnowParticleCount = 255;
inline constexpr int32_t kSakuraParticleCount = 127;

// One falling particle. A particle falls from (start x, start y) to (x0, end y) over its fall
// duration, swaying sideways, and starts again from the top; a duration of 0 keeps it still.
// The frame fields are the blossoms' only.
struct EffectParticle {
  YelSprite* sprite = nullptr;
  int32_t start_x = 0;
  int32_t start_y = 0;
  int32_t x0 = 0;
  int32_t end_y = 0;
  uint32_t fall_start = 0;
  uint32_t fall_duration = 0;
  uint32_t phase = 0;  // 0-511 of the sine table; one step per frame
  uint32_t frame_time = 0;
  uint32_t frame_interval = 0;
  uint16_t frame = 0;  // 0-7
};

// The state of a particle set and the arguments of the command that started it.
struct ParticleTail {
  uint32_t state = kEffectNone;
  uint32_t stop_start = 0;
  uint32_t stop_duration = 0;
  int32_t file = 0;
  int32_t placement = 0;
  int32_t count = 0;  // particles that move: 1 to the set's size
  int32_t drift = 0;
};

template <int32_t N>
struct ParticleSet {
  std::array<EffectParticle, N> particles{};
  ParticleTail tail;
};

// The block handed to the platform for the screen-wide raster wave: the draw priority of its
// node, then the wave's parameters.
struct ScreenRasterBlock {
  int32_t priority = 0;
  YelFxRasterParam param{};
};

struct ScreenEffectState {
  uint32_t held = 0;    // ScreenEffectHeld bits
  uint32_t active = 0;  // ScreenEffectBit bits
  uint32_t shake_state = kEffectNone;
  uint32_t shake_start = 0;
  int32_t shake_duration = 0;   // -1 endless; after a stop request the stop time
  int32_t shake_direction = 0;  // 0 vertical, 1 horizontal, 2 both
  int32_t shake_amplitude = 0;
  int32_t shake_time = 0;     // the time argument as given
  int32_t shake_targets = 0;  // bit 0 the message window too, bit 1 one offset for all layers
  YelSprite* flush_sprite = nullptr;
  uint32_t flush_state = 0;
  uint32_t flush_start = 0;
  uint32_t flush_time = 0;
  ParticleSet<kSnowParticleCount> snow;
  ParticleSet<kSakuraParticleCount> sakura;
  uint32_t raster_state = kEffectNone;
  std::array<int32_t, 4> raster_args{};  // layer, b, c, d as given
  ScreenRasterBlock raster_block;
};

}  // namespace adv
