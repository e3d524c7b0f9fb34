// The shake, the flush, the screen-wide raster wave, `effect_stop`, the per-frame step of every
// screen effect, their release and their snapshot part. The particle sets are in
// particle_effects.cpp.
#include "program/layers/screen_effects.h"

#include <algorithm>

#include "program/game/adv_context.h"
#include "program/layers/graphic_slots.h"
#include "program/layers/layer_services.h"
#include "program/layers/layer_table.h"
#include "program/script/command_table.h"
#include "program/script/engine_log.h"
#include "program/script/script_run.h"
#include "program/script/skip_state.h"
#include "program/script/value_stores.h"
#include "program/startup/startup_names.h"
#include "program/startup/yel_import.h"

namespace adv {
namespace {

constexpr int32_t kShakenLayers = 64;
constexpr int32_t kEndless = -1;
constexpr uint32_t kScreenFx = 0x10000000;
constexpr uint32_t kAnyScreenFx = 0x1FFFFFFF;
constexpr int32_t kFxStart = 1;
constexpr int32_t kFxFadeOut = 2;

// The commands an effect of a snapshot starts again with, in the order of the saved parts.
constexpr uint32_t kCodeShake = 0x100001;
constexpr uint32_t kCodeSnow = 0x100003;
constexpr uint32_t kCodeSakura = 0x100004;
constexpr uint32_t kCodeRaster = 0x100005;

bool EffectsSkipped(AdvContext& context) {
  return yel::YelEffectEnableIs() == 0 || AdvSkipState(context) != 0;
}

// Releases the script point an effect holds, when it holds one.
void DropHeldPoint(AdvContext& context, uint32_t held_bit) {
  ScreenEffectState& effects = context.effects;
  if (!(effects.held & held_bit)) return;
  effects.held &= ~held_bit;
  ScriptPointPop(context);
}

// An offset in [-range / 2, range - range / 2) from the platform's random table.
int32_t ShakeOffset(int32_t range) {
  const uint32_t r = static_cast<uint32_t>(yel::YelRandomEx()) % static_cast<uint32_t>(range);
  return static_cast<int32_t>(r) - range / 2;
}

// A slot's shake part by direction: 0 y only, 1 x only, 2 x and y from two random values.
void ShakeSlot(GraphicSlot& slot, int32_t direction, int32_t range) {
  if (direction == 1 || direction == 2) slot.frame.shake_x = ShakeOffset(range);
  if (direction != 1) slot.frame.shake_y = ShakeOffset(range);
}

// The range of the random offsets at `t` ms: twice the amplitude, falling linearly to 0 over a
// timed shake. Never below 1, so that an offset can always be drawn, also for amplitude 0.
int32_t ShakeRange(const ScreenEffectState& effects, uint32_t t) {
  const int64_t full = std::clamp<int64_t>(int64_t{2} * effects.shake_amplitude, 0, INT32_MAX);
  int32_t range = static_cast<int32_t>(full);
  const auto duration = static_cast<uint32_t>(effects.shake_duration);
  if (effects.shake_duration != kEndless && duration != 0) {
    const float left = 1.0f - static_cast<float>(t) / static_cast<float>(duration);
    range = static_cast<int32_t>(left * static_cast<float>(range));
  }
  return std::max(range, 1);
}

void ShakeTargets(AdvContext& context, void (*fn)(GraphicSlot& slot, int32_t a, int32_t b),
                  int32_t a, int32_t b, bool skip_locked) {
  for (int32_t layer = 0; layer < kShakenLayers; ++layer) {
    LayerRecord& record = context.layers.layers[layer];
    if (!record.slot || (skip_locked && (record.flags & kLayerLocked))) continue;
    fn(*record.slot, a, b);
  }
}

void ShakeEnd(AdvContext& context) {
  ScreenEffectState& effects = context.effects;
  auto still = [](GraphicSlot& slot, int32_t, int32_t) {
    slot.frame.shake_x = slot.frame.shake_y = 0;
  };
  ShakeTargets(context, still, 0, 0, false);
  GraphicSlot* window = context.text_window.base_slot;
  if (window && (effects.shake_targets & 1)) still(*window, 0, 0);
  DropHeldPoint(context, kHeldShake);
  effects.shake_state = kEffectNone;
  effects.shake_start = 0;
  effects.shake_duration = 0;
  effects.shake_direction = effects.shake_amplitude = effects.shake_time = 0;
  effects.shake_targets = 0;
}

// Runs a command of the effect group on arguments pushed as the script would push them.
void RunCommand(AdvContext& context, uint32_t code, const std::array<int32_t, 4>& args) {
  const CommandHandler handler = CommandFor(*context.script.commands, code);
  if (!handler) return;
  for (auto it = args.rbegin(); it != args.rend(); ++it) ValueStackPush(context, *it);
  handler(context);
}

}  // namespace

int ScreenShakeStart(AdvContext& context, int32_t direction, int32_t amplitude, int32_t time,
                     int32_t targets) {
  ScreenEffectState& effects = context.effects;
  effects.shake_direction = direction;
  effects.shake_amplitude = amplitude;
  effects.shake_time = time;
  effects.shake_targets = targets;
  if (time != kEndless && EffectsSkipped(context)) {
    AdvDebugPrint(kLogTrace, "shake off");
    return 1;
  }
  effects.shake_start = yel::YeltimeGetTime();
  effects.shake_duration = time;
  effects.shake_state = kEffectRunning;
  effects.active |= kEffectShake;
  if (time != kEndless) {
    DropHeldPoint(context, kHeldShake);
    effects.held |= kHeldShake;
    ScriptPointPush(context);
    context.script.stop = 1;
  }
  AdvDebugPrint(kLogTrace, "shake %d, %d, %d, %d", direction, amplitude, time, targets);
  return 1;
}

int ScreenFlushStart(AdvContext& context, int32_t red, int32_t green, int32_t blue, int32_t time) {
  if (EffectsSkipped(context)) {
    AdvDebugPrint(kLogTrace, "flush off");
    context.script.stop = 1;
    return 1;
  }
  ScreenEffectState& effects = context.effects;
  const uint32_t colour = 0xFF000000u | (static_cast<uint32_t>(red) & 0xFF) << 16 |
                          (static_cast<uint32_t>(green) & 0xFF) << 8 |
                          (static_cast<uint32_t>(blue) & 0xFF);
  YelRender* render = yel::YelRenderGetActive();
  if (effects.flush_sprite) yel::YelSpriteRelease(render, effects.flush_sprite);
  // Priority 0 lies in front of every other sprite.
  effects.flush_sprite = yel::YelSpriteCreate(render, AdvWindowWidth, AdvWindowHeight, 0);
  if (effects.flush_sprite) {
    yel::YelSpriteViewCtrl(effects.flush_sprite, 1);
    yel::YelSpritePaint(effects.flush_sprite, nullptr, colour);
  }
  effects.flush_time = static_cast<uint32_t>(time);
  effects.flush_start = yel::YeltimeGetTime();
  effects.flush_state = 1;
  DropHeldPoint(context, kHeldFlush);
  effects.active |= kEffectFlush;
  effects.held |= kHeldFlush;
  ScriptPointPush(context);
  AdvDebugPrint(kLogTrace, "flush 0x%06X", colour);
  context.script.stop = 1;
  return 1;
}

int ScreenRasterStart(AdvContext& context, int32_t layer, int32_t b, int32_t c, int32_t d) {
  ScreenEffectState& effects = context.effects;
  // The platform keeps one screen-wide wave: a new start replaces the one that runs, so that
  // what runs is always what the record (and so a snapshot) says.
  if (effects.active & kEffectRaster) yel::YelReleaseFxEffect(nullptr, kAnyScreenFx);
  effects.raster_args = {layer, b, c, d};
  effects.raster_state = kEffectRunning;
  effects.active |= kEffectRaster;
  const int64_t priority = int64_t{context.skip.priority_base} - layer + kLayerPriorityOffset;
  ScreenRasterBlock& block = effects.raster_block;
  block.priority = static_cast<int32_t>(std::clamp<int64_t>(priority, INT32_MIN, INT32_MAX));
  block.param.period = static_cast<uint32_t>(d);
  block.param.amplitude_x = static_cast<float>(static_cast<uint32_t>(b)) * 0.01f;
  block.param.amplitude_y = static_cast<float>(static_cast<uint32_t>(c)) * 0.01f;
  yel::YelSetFxEffect(&block.priority, kScreenFx, kFxStart, static_cast<uint32_t>(d), &block.param);
  AdvDebugPrint(kLogTrace, "raster %d, %d, %d, %d", layer, b, c, d);
  context.script.stop = 1;
  return 1;
}

int ScreenEffectStop(AdvContext& context, int32_t mask, int32_t time) {
  if (AdvSkipState(context) != 0) {
    time = 0;
    AdvDebugPrint(kLogTrace, "effect_stop skip");
  } else {
    AdvDebugPrint(kLogTrace, "effect_stop %d, %d", mask, time);
  }
  ScreenEffectState& effects = context.effects;
  const uint32_t now = yel::YeltimeGetTime();
  if (mask & kEffectShake) {
    // The flush plane stays for its time; only its hold on the script ends.
    DropHeldPoint(context, kHeldFlush);
    if (effects.shake_state == kEffectRunning) {
      effects.shake_state = kEffectStopping;
      effects.shake_start = now;
      effects.shake_duration = time;
      DropHeldPoint(context, kHeldShake);
    }
  }
  for (ParticleTail* tail : {mask & kEffectSnow ? &effects.snow.tail : nullptr,
                             mask & kEffectSakura ? &effects.sakura.tail : nullptr}) {
    if (!tail || tail->state != kEffectRunning) continue;
    tail->state = kEffectStopping;
    tail->stop_start = now;
    tail->stop_duration = static_cast<uint32_t>(time);
  }
  if ((mask & kEffectRaster) && effects.raster_state == kEffectRunning) {
    effects.raster_state = kEffectStopping;
    yel::YelSetFxEffect(&effects.raster_block.priority, kScreenFx, kFxFadeOut,
                        static_cast<uint32_t>(time), nullptr);
  }
  return 1;
}

bool AdvShakeUpdate(AdvContext& context, uint32_t now) {
  ScreenEffectState& effects = context.effects;
  const auto duration = static_cast<uint32_t>(effects.shake_duration);
  const uint32_t t = std::min(now - effects.shake_start, duration);
  const int32_t range = ShakeRange(effects, t);
  if (effects.shake_duration != kEndless &&
      (duration == 0 || t >= duration || AdvSkipState(context) != 0)) {
    ShakeEnd(context);
    return true;
  }
  const int32_t direction = effects.shake_direction;
  GraphicSlot* window = context.text_window.base_slot;
  if (window && (effects.shake_targets & 1)) ShakeSlot(*window, direction, range);
  if (!(effects.shake_targets & 2)) {
    ShakeTargets(context, ShakeSlot, direction, range, true);
    return false;
  }
  // One offset for every layer.
  GraphicSlot shared;
  ShakeSlot(shared, direction, range);
  auto same = [](GraphicSlot& slot, int32_t x, int32_t y) {
    slot.frame.shake_x = x;
    slot.frame.shake_y = y;
  };
  ShakeTargets(context, same, shared.frame.shake_x, shared.frame.shake_y, true);
  return false;
}

bool AdvFlushUpdate(AdvContext& context, uint32_t now) {
  ScreenEffectState& effects = context.effects;
  if (now - effects.flush_start < effects.flush_time) return false;
  yel::YelSpriteRelease(yel::YelRenderGetActive(), effects.flush_sprite);
  effects.flush_sprite = nullptr;
  effects.flush_state = effects.flush_start = effects.flush_time = 0;
  DropHeldPoint(context, kHeldFlush);
  return true;
}

int AdvFxEffectIdle() {
  yel::YelReleaseFxEffect(nullptr, kAnyScreenFx);
  return yel::YelGetFxEffectState(nullptr, kAnyScreenFx) == 0 ? 1 : 0;
}

bool ScreenEffectsStep(AdvContext& context, uint32_t now) {
  ScreenEffectState& effects = context.effects;
  if ((effects.active & kEffectShake) && AdvShakeUpdate(context, now)) {
    effects.active &= ~kEffectShake;
  }
  if ((effects.active & kEffectFlush) && AdvFlushUpdate(context, now)) {
    effects.active &= ~kEffectFlush;
    return true;
  }
  if ((effects.active & kEffectSnow) && AdvSnowUpdate(context, now)) {
    effects.active &= ~kEffectSnow;
  }
  if ((effects.active & kEffectSakura) && AdvSakuraUpdate(context, now)) {
    effects.active &= ~kEffectSakura;
  }
  if ((effects.active & kEffectRaster) && effects.raster_state == kEffectStopping &&
      yel::YelGetFxEffectState(nullptr, kAnyScreenFx) == 0) {
    yel::YelReleaseFxEffect(nullptr, kAnyScreenFx);
    effects.raster_state = kEffectNone;
    effects.active &= ~kEffectRaster;
  }
  return false;
}

bool AdvEffectUpdate(AdvContext& context) {
  return ScreenEffectsStep(context, yel::YeltimeGetTime());
}

void AdvEffectRelease(AdvContext& context) {
  ScreenEffectState& effects = context.effects;
  SnowRelease(context);
  SakuraRelease(context);
  if (effects.flush_sprite) yel::YelSpriteRelease(yel::YelRenderGetActive(), effects.flush_sprite);
  if (effects.active & kEffectRaster) yel::YelReleaseFxEffect(nullptr, kAnyScreenFx);
  if (effects.held != 0) ScriptPointPop(context);
  effects = ScreenEffectState{};
}

EffectSnapshot AdvEffectSave(const AdvContext& context) {
  const ScreenEffectState& e = context.effects;
  EffectSnapshot saved;
  if (e.shake_state == kEffectRunning) {
    saved.flags |= kEffectShake;
    saved.parts[0] = {e.shake_direction, e.shake_amplitude, e.shake_time, e.shake_targets};
  }
  const ParticleTail* tails[] = {&e.snow.tail, &e.sakura.tail};
  const uint32_t bits[] = {kEffectSnow, kEffectSakura};
  for (int i = 0; i < 2; ++i) {
    if (tails[i]->state != kEffectRunning) continue;
    saved.flags |= bits[i];
    saved.parts[1 + i] = {tails[i]->file, tails[i]->placement, tails[i]->count, tails[i]->drift};
  }
  if (e.raster_state == kEffectRunning) {
    saved.flags |= kEffectRaster;
    saved.parts[3] = e.raster_args;
  }
  return saved;
}

void AdvEffectLoad(AdvContext& context, const EffectSnapshot& saved) {
  if (saved.flags & kEffectShake) RunCommand(context, kCodeShake, saved.parts[0]);
  // The particle parts keep count before drift; the commands take drift first.
  const uint32_t bits[] = {kEffectSnow, kEffectSakura};
  const uint32_t codes[] = {kCodeSnow, kCodeSakura};
  for (int i = 0; i < 2; ++i) {
    if (!(saved.flags & bits[i])) continue;
    const std::array<int32_t, 4>& part = saved.parts[1 + i];
    RunCommand(context, codes[i], {part[0], part[1], part[3], part[2]});
  }
  if (saved.flags & kEffectRaster) RunCommand(context, kCodeRaster, saved.parts[3]);
}

}  // namespace adv
