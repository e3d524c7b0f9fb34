// Falling snow and blossoms: a fixed set of particle sprites in three depths, each falling from
// above the screen to below it along a slight sway and starting again from the top; `effect_stop`
// fades a set out and then releases it. Nothing is allocated per frame.
#include <algorithm>
#include <cstdlib>

#include "program/game/adv_context.h"
#include "program/layers/easing.h"
#include "program/layers/screen_effects.h"
#include "program/layers/sprite_loader.h"
#include "program/script/engine_log.h"
#include "program/script/script_names.h"
#include "program/startup/startup_names.h"
#include "program/startup/yel_import.h"

namespace adv {
namespace {

constexpr int32_t kDriftLimit = 512;
constexpr int32_t kDepths = 3;
constexpr int32_t kSakuraFrames = 8;
constexpr int32_t kSakuraSheetPriority = 5000;
constexpr float kSway = -50.0f;

uint32_t Random() {
  return static_cast<uint32_t>(yel::YelRandomEx());
}

// The count of moving particles: above the set's size (as unsigned) the size, 0 gives 1.
int32_t ClampCount(int32_t count, int32_t size) {
  if (static_cast<uint32_t>(count) > static_cast<uint32_t>(size)) return size;
  return count == 0 ? 1 : count;
}

struct FileName {
  char text[33] = {};
};

FileName ResolveName(AdvContext& context, int32_t file) {
  FileName name;
  AdvGetFileName(context, reinterpret_cast<uint8_t*>(name.text), static_cast<uint32_t>(file), true);
  return name;
}

// Above the screen at a random place, to fall to just below it: x0 anywhere over one and a half
// widths, start x offset by the drift, start y up to two heights above the top.
void PlaceParticle(EffectParticle& p, int32_t drift, int32_t height, uint32_t now) {
  const int32_t w = AdvWindowWidth, h = AdvWindowHeight;
  const auto across = static_cast<uint32_t>(std::max(w + w / 2, 1));
  const auto above = static_cast<uint32_t>(std::max(2 * h, 1));
  p.x0 = static_cast<int32_t>(Random() % across) - (w / 2) / 2;
  p.start_x = p.x0 - drift;
  p.start_y = -(static_cast<int32_t>(Random() % above) + height);
  p.end_y = h + height;
  p.fall_start = now;
}

// A fall time that came out at or below 0 (a tiny screen) is taken as 1 ms.
uint32_t FallTime(int64_t ms) {
  return static_cast<uint32_t>(std::clamp<int64_t>(ms, 1, UINT32_MAX));
}

template <int32_t N>
void ReleaseSet(ParticleSet<N>& set) {
  YelRender* render = yel::YelRenderGetActive();
  for (EffectParticle& p : set.particles) {
    if (p.sprite) yel::YelSpriteRelease(render, p.sprite);
  }
  set = ParticleSet<N>{};
}

// The fade-out of a stopping set; true once it has ended and the set is released.
template <int32_t N>
bool StepStopping(ParticleSet<N>& set, uint32_t now) {
  const ParticleTail& tail = set.tail;
  const uint32_t t = std::min(now - tail.stop_start, tail.stop_duration);
  uint32_t colour = 0xFFFFFFFFu;
  if (tail.stop_duration != 0) {
    const float left = 1.0f - static_cast<float>(t) / static_cast<float>(tail.stop_duration);
    const auto alpha = static_cast<uint32_t>(static_cast<int32_t>(left * 255.0f)) & 0xFF;
    colour = alpha << 24 | 0xFFFFFF;
  }
  for (int32_t i = 0; i < tail.count; ++i) yel::YelSpriteSetColor(set.particles[i].sprite, colour);
  if (t < tail.stop_duration) return false;
  ReleaseSet(set);
  return true;
}

// One frame of a falling particle; one that was never placed stays still.
void StepFall(EffectParticle& p, uint32_t now) {
  if (p.fall_duration == 0) return;
  const uint32_t e = std::min(now - p.fall_start, p.fall_duration);
  const float progress = static_cast<float>(e) / static_cast<float>(p.fall_duration);
  const auto dy = static_cast<int32_t>(static_cast<float>(p.end_y - p.start_y) * progress);
  const float sway = SineTable512()[p.phase & 0x1FF] * kSway;
  const int32_t dx = static_cast<int32_t>(static_cast<float>(p.x0 - p.start_x) * progress) -
                     static_cast<int32_t>(sway);
  p.phase = (p.phase + 1) & 0x1FF;
  yel::YelSpriteSetOffsetPos(p.sprite, dx, dy);
  if (e >= p.fall_duration) p.fall_start = now;
}

void StepSakuraFrame(EffectParticle& p, uint32_t now) {
  if (now - p.frame_time < p.frame_interval) return;
  p.frame = static_cast<uint16_t>((p.frame + 1) & (kSakuraFrames - 1));
  yel::YelSpriteRectSetPos(p.sprite, p.frame, 0);
  p.frame_time = now;
}

void StoreArguments(ParticleTail& tail, int32_t file, int32_t placement, int32_t drift,
                    int32_t count, int32_t size) {
  tail.file = file;
  tail.placement = placement;
  tail.count = ClampCount(count, size);
  tail.drift = std::clamp(drift, -kDriftLimit, kDriftLimit);
}

// The snow's particle of depth k: one load of the image each, showing cell k.
bool MakeSnowParticle(AdvContext& context, const char* name, int32_t i, uint32_t now) {
  ParticleSet<kSnowParticleCount>& snow = context.effects.snow;
  EffectParticle& p = snow.particles[i];
  const int32_t k = i % kDepths;
  p.sprite = AdvSpriteLoadUnlocked(context, name, AdvWindowWidth, AdvWindowHeight, (499 - k) * 10);
  if (!p.sprite) return false;
  yel::YelSpriteViewCtrl(p.sprite, 1);
  YelSpriteInfo info{};
  yel::YelSpriteGetInfo(p.sprite, &info);
  p.phase = Random() & 0x1FF;
  if (snow.tail.placement != 0) return true;
  const int32_t drift = snow.tail.drift;
  PlaceParticle(p, drift, info.image_height, now);
  const int64_t slow = kDriftLimit - std::abs(drift);
  p.fall_duration = FallTime(int64_t{p.end_y - p.start_y} * (slow / 51 + 1) - k * slow);
  yel::YelSpriteSetPos(p.sprite, static_cast<float>(p.start_x), static_cast<float>(p.start_y), 0);
  yel::YelSpriteRectSetPos(p.sprite, k, 0);
  return true;
}

// The sheet's cells and their size, read once per start.
struct PetalSheet {
  YelSprite* sprite = nullptr;
  int32_t width = 0;
  int32_t cell_height = 0;
  int32_t frames = 1;
};

// The blossom of depth k: one cell of the sheet, scaled to a half, three quarters or whole.
void MakeSakuraParticle(AdvContext& context, const PetalSheet& sheet, int32_t i, uint32_t now) {
  ParticleSet<kSakuraParticleCount>& sakura = context.effects.sakura;
  EffectParticle& p = sakura.particles[i];
  const int32_t k = i % kDepths;
  const float f = 1.0f - static_cast<float>(2 - k) * 0.25f;
  const auto frame = static_cast<int32_t>(Random() % static_cast<uint32_t>(sheet.frames));
  const YelRect source{0, frame * sheet.cell_height, sheet.width,
                       frame * sheet.cell_height + sheet.cell_height};
  const YelRect target{0, 0, static_cast<int32_t>(static_cast<float>(sheet.width) * f),
                       static_cast<int32_t>(static_cast<float>(sheet.cell_height) * f)};
  p.sprite =
      yel::YelSpriteCopy(yel::YelRenderGetActive(), sheet.sprite, &source, &target, (500 - k) * 10);
  yel::YelSpriteViewCtrl(p.sprite, 1);
  p.phase = Random() & 0x1FF;
  if (sakura.tail.placement == 0) {
    PlaceParticle(p, sakura.tail.drift, sheet.cell_height, now);
    p.fall_duration = FallTime(int64_t{p.end_y - p.start_y} * 10 - k * 1024);
    yel::YelSpriteSetPos(p.sprite, static_cast<float>(p.start_x), static_cast<float>(p.start_y), 0);
  }
  p.frame = 0;
  p.frame_interval = Random() % 50 + 50;
  p.frame_time = now;
}

}  // namespace

void SnowRelease(AdvContext& context) {
  ReleaseSet(context.effects.snow);
  context.effects.active &= ~kEffectSnow;
}

void SakuraRelease(AdvContext& context) {
  ReleaseSet(context.effects.sakura);
  context.effects.active &= ~kEffectSakura;
}

int ScreenSnowStart(AdvContext& context, int32_t file, int32_t placement, int32_t drift,
                    int32_t count) {
  // A new set replaces the running one whole; the old sprites would otherwise stay on screen
  // with nothing to move or release them.
  SnowRelease(context);
  ParticleTail& tail = context.effects.snow.tail;
  StoreArguments(tail, file, placement, drift, count, kSnowParticleCount);
  if (tail.drift == 0) tail.drift = 1;
  const FileName name = ResolveName(context, file);
  const uint32_t now = yel::YeltimeGetTime();
  for (int32_t i = 0; i < kSnowParticleCount; ++i) {
    if (!MakeSnowParticle(context, name.text, i, now)) {
      AdvDebugPrint(kLogError, "[%d]スプライトの読み込みに失敗。[%s]", context.script.pc,
                    name.text);
      SnowRelease(context);  // no half-made set is left on screen
      return 0;
    }
  }
  context.effects.active |= kEffectSnow;
  tail.state = kEffectRunning;
  AdvDebugPrint(kLogTrace, "snow %s, %d, %d, %d", name.text, placement, drift, count);
  return 1;
}

int ScreenSakuraStart(AdvContext& context, int32_t file, int32_t placement, int32_t drift,
                      int32_t count) {
  SakuraRelease(context);
  ParticleTail& tail = context.effects.sakura.tail;
  StoreArguments(tail, file, placement, drift, count, kSakuraParticleCount);
  const FileName name = ResolveName(context, file);
  PetalSheet sheet;
  sheet.sprite = AdvSpriteLoadUnlocked(context, name.text, AdvWindowWidth, AdvWindowHeight,
                                       kSakuraSheetPriority);
  if (!sheet.sprite) {
    AdvDebugPrint(kLogError, "sakura graphic load error [%s]", name.text);
    context.effects.sakura = ParticleSet<kSakuraParticleCount>{};
    return 0;
  }
  YelSpriteInfo info{};
  yel::YelSpriteGetInfo(sheet.sprite, &info);
  sheet.width = info.image_width;
  sheet.cell_height = yel::YelSpriteGetHeight(sheet.sprite);
  if (sheet.cell_height > 0) sheet.frames = std::max(info.image_height / sheet.cell_height, 1);
  const uint32_t now = yel::YeltimeGetTime();
  for (int32_t i = 0; i < kSakuraParticleCount; ++i) MakeSakuraParticle(context, sheet, i, now);
  yel::YelSpriteRelease(yel::YelRenderGetActive(), sheet.sprite);
  context.effects.active |= kEffectSakura;
  tail.state = kEffectRunning;
  AdvDebugPrint(kLogTrace, "sakura %s, %d, %d, %d", name.text, placement, drift, count);
  return 1;
}

bool AdvSnowUpdate(AdvContext& context, uint32_t now) {
  ParticleSet<kSnowParticleCount>& snow = context.effects.snow;
  if (snow.tail.state == kEffectStopping) return StepStopping(snow, now);
  for (int32_t i = 0; i < snow.tail.count; ++i) StepFall(snow.particles[i], now);
  return false;
}

bool AdvSakuraUpdate(AdvContext& context, uint32_t now) {
  ParticleSet<kSakuraParticleCount>& sakura = context.effects.sakura;
  if (sakura.tail.state == kEffectStopping) return StepStopping(sakura, now);
  for (int32_t i = 0; i < sakura.tail.count; ++i) {
    EffectParticle& p = sakura.particles[i];
    StepSakuraFrame(p, now);
    StepFall(p, now);
  }
  return false;
}

}  // namespace adv
