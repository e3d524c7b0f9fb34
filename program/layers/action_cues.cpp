// The kinds that do not tween a value to an end: two shakes that jitter a slot while their
// section runs and leave nothing behind (1, 10), a sound cue on a loaded sound-effect channel (9)
// and two frame changes of a sprite's source rectangle for cel animation (11, 12). The shakes
// assign the slot's shake part (the later shake in the update order wins) and have no skip; the
// cue and the frame changes act once, when their section starts.
#include <algorithm>
#include <cmath>

#include "program/game/adv_context.h"
#include "program/layers/action_kinds.h"
#include "program/script/engine_log.h"
#include "program/script/skip_state.h"
#include "program/startup/yel_import.h"

namespace adv {
namespace {

// Skip mode, control key, scene or history skip: a cue that does not loop is dropped.
constexpr int32_t kCueSkipBits = 0x35;
constexpr uint32_t kSeFlagLoop = 1u << 0;
constexpr uint32_t kSeFlagFadeIn = 1u << 2;

struct ShakeState {
  uint32_t slot;      // parameter 0
  uint32_t mode;      // kind 1: direction; kind 10: mode
  int32_t amplitude;  // pixels
  int32_t period;     // kind 10: ms of one wobble
  uint32_t duration;
  uint32_t start;
  uint32_t cycle_start;  // kind 10: the frame clock at the start of the current wobble
};

void* CreateShake(AdvContext&, const ActionSection& section, uint32_t now, SettledChanges&) {
  auto* s = static_cast<ShakeState*>(ActionStateAlloc(sizeof(ShakeState)));
  if (!s) return nullptr;
  s->slot = section.parameters[0];
  s->mode = section.parameters[1];
  s->amplitude = static_cast<int32_t>(section.parameters[2]);
  s->period = static_cast<int32_t>(section.parameters[3]);
  s->duration = section.duration;
  s->start = now;
  s->cycle_start = now;
  return s;
}

// The slot a shake writes into, or null: none named, or (reported) a slot without a sprite.
GraphicSlot* ShakenSlot(AdvContext& context, const ShakeState& s, const char* message) {
  GraphicSlot* slot = ActionTargetSlot(s.slot);
  if (slot && !slot->sprite) {
    ReportMissingSprite(context, message);
    return nullptr;
  }
  return slot;
}

// One random offset within a span of m pixels centred on 0.
int32_t RandomOffset(uint32_t m) {
  return static_cast<int32_t>(static_cast<uint32_t>(yel::YelRandomEx()) % m - m / 2);
}

void TickShake(AdvContext& context, void* state, uint32_t now) {
  const ShakeState& s = *static_cast<const ShakeState*>(state);
  GraphicSlot* slot = ShakenSlot(context, s, "ActionShakeのレイヤーがない");
  if (!slot) return;
  const float t = s.duration == 0
                      ? 1.0f
                      : std::min(1.0f, static_cast<float>(std::min(now - s.start, s.duration)) /
                                           static_cast<float>(s.duration));
  int32_t x = 0;
  int32_t y = 0;
  // A negative amplitude would make the span wrap to billions of pixels: it shakes nothing.
  if (s.amplitude >= 0) {
    const auto a = static_cast<int32_t>((1.0f - t) * static_cast<float>(s.amplitude));
    const uint32_t m = a + 1 == 0 ? 1u : static_cast<uint32_t>(a + 1);
    switch (s.mode) {
      case 0:
        y = RandomOffset(m);
        break;
      case 1:
        x = RandomOffset(m);
        break;
      case 2:
        x = RandomOffset(m);
        y = RandomOffset(m);
        break;
      default:
        break;
    }
  }
  slot->frame.shake_x = x;
  slot->frame.shake_y = y;
}

void TickShake2(AdvContext& context, void* state, uint32_t now) {
  auto& s = *static_cast<ShakeState*>(state);
  GraphicSlot* slot = ShakenSlot(context, s, "ActionShake2のレイヤーがない");
  if (!slot) return;
  int32_t x = 0;
  int32_t y = 0;
  // A period of 0 has no phase: the slot stays still.
  if (s.period != 0) {
    float c = static_cast<float>(now - s.cycle_start) / static_cast<float>(s.period);
    if (c > 1.0f) {
      c = 1.0f;
      s.cycle_start = now;
    }
    const auto degrees = static_cast<int32_t>(c * 360.0f);
    const double sine = std::sin(degrees * 3.141592 / 180.0);
    float amplitude = static_cast<float>(s.amplitude);
    if (s.mode == 2 || s.mode == 3) {
      const float left = s.duration == 0 ? 0.0f
                                         : 1.0f - static_cast<float>(now - s.start) /
                                                      static_cast<float>(s.duration);
      amplitude = static_cast<float>(static_cast<int32_t>(left * amplitude));
    }
    const auto offset = static_cast<int32_t>(sine * amplitude);
    if (s.mode == 0 || s.mode == 2) y = offset;
    if (s.mode == 1 || s.mode == 3) x = offset;
  }
  slot->frame.shake_x = x;
  slot->frame.shake_y = y;
}

void FinishShake(AdvContext&, void* state, uint32_t, uint32_t, SettledChanges&) {
  if (!state) return;
  if (GraphicSlot* slot = ActionTargetSlot(static_cast<ShakeState*>(state)->slot)) {
    slot->frame.shake_x = 0;
    slot->frame.shake_y = 0;
  }
  ActionStateFree(state);
}

// Parameters: channel, loop flag, fade flag; the duration is the fade-in time. The sound goes on
// after the section and its set.
void* CreateSound(AdvContext& context, const ActionSection& section, uint32_t, SettledChanges&) {
  const uint32_t channel = section.parameters[0];
  const auto loop = static_cast<int32_t>(section.parameters[1]);
  // The channel indexes the script's 16 records: anything else plays nothing.
  if (channel >= static_cast<uint32_t>(kSeChannelCount)) {
    AdvDebugPrint(kLogError, "action_sound channel over [%d]", static_cast<int32_t>(channel));
    return ActionNoState();
  }
  if ((AdvSkipState(context) & kCueSkipBits) && loop == 0) return ActionNoState();
  SeChannel& se = context.sound.se[channel];
  if (loop != 0) se.flags |= kSeFlagLoop;
  if (section.parameters[2] == 0) {
    yel::YelSoundPlay(se.handle, loop);
  } else {
    se.flags |= kSeFlagFadeIn;
    yel::YelSoundPlayFade(se.handle, loop, section.duration);
  }
  return ActionNoState();
}

// The sprite of a frame change's slot, or null (none named, or a slot without a sprite).
YelSprite* FrameSprite(AdvContext& context, const ActionSection& section, const char* message) {
  GraphicSlot* slot = ActionTargetSlot(section.parameters[0]);
  if (!slot) return nullptr;
  if (!slot->sprite) ReportMissingSprite(context, message);
  return slot->sprite;
}

// Replaces the slot's action delta rectangle by `rect`, less the base rectangle while the slot's
// rectangle is enabled, so that base + delta is `rect` once the set's deltas are committed.
void SetDeltaRect(const ActionSection& section, const YelRect& rect, SettledChanges& settled) {
  const uint32_t index = section.parameters[0];
  const GraphicSlot& slot = *ActionTargetSlot(index);
  const std::array<int32_t, 4> edges{rect.left, rect.top, rect.right, rect.bottom};
  SlotSettledGroup change;
  for (int edge = 0; edge < 4; ++edge) {
    const int32_t base = slot.rect_enabled ? slot.rect[edge] : 0;
    change.rect[edge] = edges[edge] - base - slot.action_delta.rect[edge];
  }
  SettleChange(settled, index, change);
}

// Parameters: slot, cell column, cell row.
void* CreateAnimation(AdvContext& context, const ActionSection& section, uint32_t,
                      SettledChanges& settled) {
  YelSprite* sprite = FrameSprite(context, section, "ActionAnimationのレイヤーがない");
  if (!sprite) return nullptr;
  yel::YelSpriteRectSetPos(sprite, static_cast<int32_t>(section.parameters[1]),
                           static_cast<int32_t>(section.parameters[2]));
  YelRect rect{};
  yel::YelSpriteGetRect(sprite, &rect);
  SetDeltaRect(section, rect, settled);
  return nullptr;
}

// Parameters: slot, x, y, width, height.
void* CreateAnimationEx(AdvContext& context, const ActionSection& section, uint32_t,
                        SettledChanges& settled) {
  YelSprite* sprite = FrameSprite(context, section, "ActionAnimationExのレイヤーがない");
  if (!sprite) return nullptr;
  const auto& p = section.parameters;
  const auto x = static_cast<int32_t>(p[1]);
  const auto y = static_cast<int32_t>(p[2]);
  const YelRect rect{x, y, x + static_cast<int32_t>(p[3]), y + static_cast<int32_t>(p[4])};
  SetDeltaRect(section, rect, settled);
  // With the rectangle enabled the slot's apply replaces this by the summed rectangle; without,
  // it stays on the sprite.
  const auto& delta = ActionTargetSlot(p[0])->action_delta.rect;
  const YelRect shown{delta[0], delta[1], delta[2], delta[3]};
  yel::YelSpriteSetRect(sprite, &shown);
  return nullptr;
}

}  // namespace

const ActionKind kActionShake{CreateShake, FinishShake, TickShake, nullptr};
const ActionKind kActionShake2{CreateShake, FinishShake, TickShake2, nullptr};
const ActionKind kActionSound{CreateSound, nullptr, nullptr, nullptr};
const ActionKind kActionAnimation{CreateAnimation, nullptr, nullptr, nullptr};
const ActionKind kActionAnimationEx{CreateAnimationEx, nullptr, nullptr, nullptr};

}  // namespace adv
