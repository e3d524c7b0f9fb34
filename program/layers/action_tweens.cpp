// The tween kinds: straight moves on four curves (0 linear, 15 sine, 7 decelerate, 8 accelerate),
// the move to a point of the position grid (6), rotations (4, 14), scalings (5, 13) and the
// alpha fade (2). A tick writes the change reached so far into the slot's per-frame action part;
// finish settles the whole change (with the stop flag, the change reached); skip settles the
// whole change of a section that never ran. All progress arithmetic is single-precision float
// and integer results truncate toward zero, so end values never depend on the frame rate.
#include <algorithm>
#include <array>
#include <cmath>

#include "program/layers/action_kinds.h"
#include "program/layers/easing.h"
#include "program/layers/layer_table.h"
#include "program/script/engine_log.h"
#include "program/startup/startup_names.h"
#include "program/startup/yel_import.h"

namespace adv {
namespace {

enum class Curve { kLinear, kSine, kDecelerate, kAccelerate, kEased };
enum class Target { kPosition, kGridX, kRotation, kScale, kAlpha };

// How one kind reads its section and what it changes.
struct TweenRow {
  Curve curve;
  Target target;
  uint32_t first_change;       // parameter of the first change
  uint32_t axes;               // changes read from there
  int32_t easing_parameter;    // -1: none
  bool rounds;                 // +/-0.5 by the sign of the change
  const char* missing_sprite;  // null: silent
};

struct TweenState {
  const TweenRow* row;
  uint32_t slot;  // parameter 0
  uint32_t easing;
  uint32_t duration;
  uint32_t start;
  std::array<int32_t, 3> change;
  std::array<float, 3> float_change;
  std::array<float, 3> rounding;
};

float Rounding(const TweenRow& row, int32_t change) {
  if (!row.rounds) return 0.0f;
  return change >= 0 ? 0.5f : -0.5f;
}

float Progress(const TweenState& s, uint32_t now) {
  const uint32_t elapsed = std::min(now - s.start, s.duration);
  // The log curves are read one millisecond ahead.
  const uint32_t ahead = now - s.start < s.duration ? now - s.start + 1 : s.duration;
  switch (s.row->curve) {
    case Curve::kLinear:
      return EaseCurveLinear(elapsed, s.duration);
    case Curve::kSine:
      return EaseCurveSine(elapsed, s.duration);
    case Curve::kDecelerate:
      return EaseCurveLogOut(ahead, s.duration);
    case Curve::kAccelerate:
      return EaseCurveLogIn(ahead, s.duration);
    case Curve::kEased:
      return EvaluateEasing(s.easing, elapsed, s.duration);
  }
  return 1.0f;
}

int32_t Trunc(float value) {
  return static_cast<int32_t>(std::trunc(value));
}

// The share of an integer change reached at p, and its float twin.
int32_t Reached(const TweenState& s, int axis, float p) {
  return Trunc((static_cast<float>(s.change[axis]) + s.rounding[axis]) * p);
}
float ReachedFloat(const TweenState& s, int axis, float p) {
  return (s.float_change[axis] + s.rounding[axis]) * p;
}

int32_t AlphaChange(uint32_t parameter) {
  return static_cast<int16_t>(parameter & 0xFFFF);
}

// The x of the grid point `code` for the slot's sprite on the game screen.
int32_t GridTarget(const GraphicSlot& slot, uint32_t code) {
  YelSpriteInfo info{};
  if (slot.sprite) yel::YelSpriteGetInfo(slot.sprite, &info);
  return AdvGridX(static_cast<int32_t>(code), info.image_width, AdvWindowWidth, GrposEnabled != 0);
}

int32_t StandingX(const GraphicSlot& slot) {
  return slot.position[0] + slot.offset_position[0] + slot.frame.action.position[0] +
         slot.action_delta.position[0];
}

float StandingFloatX(const GraphicSlot& slot) {
  return slot.float_position[0] + slot.offset_float_position[0] +
         slot.frame.action.float_position[0] + slot.action_delta.float_position[0];
}

void* Create(const TweenRow& row, const ActionSection& section, uint32_t now) {
  auto* s = static_cast<TweenState*>(ActionStateAlloc(sizeof(TweenState)));
  if (!s) return nullptr;
  s->row = &row;
  s->slot = section.parameters[0];
  s->duration = section.duration;
  s->start = now;
  if (row.easing_parameter >= 0) s->easing = section.parameters[row.easing_parameter];
  if (row.target == Target::kGridX) {
    if (const GraphicSlot* slot = ActionTargetSlot(s->slot)) {
      const int32_t target = GridTarget(*slot, section.parameters[1]);
      const int32_t standing = StandingX(*slot);
      s->change[0] = target - standing;
      s->float_change[0] = static_cast<float>(target) - static_cast<float>(standing);
    }
  } else {
    for (uint32_t axis = 0; axis < row.axes; ++axis) {
      const uint32_t word = section.parameters[row.first_change + axis];
      s->change[axis] =
          row.target == Target::kAlpha ? AlphaChange(word) : static_cast<int32_t>(word);
      s->float_change[axis] = static_cast<float>(s->change[axis]);
    }
  }
  for (int axis = 0; axis < 3; ++axis) s->rounding[axis] = Rounding(row, s->change[axis]);
  return s;
}

void Tick(AdvContext& context, void* state, uint32_t now) {
  const TweenState& s = *static_cast<const TweenState*>(state);
  GraphicSlot* slot = ActionTargetSlot(s.slot);
  if (!slot) return;
  if (!slot->sprite) {
    if (s.row->missing_sprite) ReportMissingSprite(context, s.row->missing_sprite);
    return;
  }
  const float p = Progress(s, now);
  SlotFramePart& part = slot->frame.action;
  switch (s.row->target) {
    case Target::kPosition:
    case Target::kRotation: {
      auto& whole = s.row->target == Target::kPosition ? part.position : part.rotation;
      auto& fine = s.row->target == Target::kPosition ? part.float_position : part.float_rotation;
      for (int axis = 0; axis < 3; ++axis) {
        whole[axis] += Reached(s, axis, p);
        fine[axis] += ReachedFloat(s, axis, p);
      }
      break;
    }
    case Target::kGridX:
      part.position[0] += Reached(s, 0, p);
      break;
    case Target::kScale:
      for (float& scale : part.scale) scale += static_cast<float>(s.change[0]) * p / 100.0f;
      break;
    case Target::kAlpha:
      part.colour[0] =
          static_cast<int16_t>(part.colour[0] + Trunc(static_cast<float>(s.change[0]) * p));
      break;
  }
}

// The whole change (stop 0) or the change reached at p (stop set), as a settled group.
SlotSettledGroup Settled(const TweenState& s, uint32_t stop, uint32_t now) {
  const float p = stop ? Progress(s, now) : 1.0f;
  SlotSettledGroup change;
  const Target target = s.row->target;
  if (target == Target::kPosition || target == Target::kRotation || target == Target::kGridX) {
    auto& whole = target == Target::kRotation ? change.rotation : change.position;
    auto& fine = target == Target::kRotation ? change.float_rotation : change.float_position;
    const int axes = target == Target::kGridX ? 1 : 3;
    for (int axis = 0; axis < axes; ++axis) {
      whole[axis] = stop ? Reached(s, axis, p) : s.change[axis];
      fine[axis] = stop ? ReachedFloat(s, axis, p) : s.float_change[axis];
    }
  } else if (target == Target::kScale) {
    change.scale = stop ? static_cast<float>(s.change[0]) * p / 100.0f
                        : static_cast<float>(s.change[0]) / 100.0f;
  } else {
    change.colour[0] =
        static_cast<int16_t>(stop ? Trunc(static_cast<float>(s.change[0]) * p) : s.change[0]);
  }
  return change;
}

void Finish(AdvContext&, void* state, uint32_t stop, uint32_t now, SettledChanges& settled) {
  if (!state) return;
  const TweenState& s = *static_cast<const TweenState*>(state);
  SettleChange(settled, s.slot, Settled(s, stop, now));
  ActionStateFree(state);
}

void Skip(const TweenRow& row, const ActionSection& section, SettledChanges& settled) {
  const uint32_t slot_parameter = section.parameters[0];
  const GraphicSlot* slot = ActionTargetSlot(slot_parameter);
  if (!slot) return;
  SlotSettledGroup change;
  switch (row.target) {
    case Target::kPosition:
    case Target::kRotation: {
      auto& whole = row.target == Target::kPosition ? change.position : change.rotation;
      auto& fine = row.target == Target::kPosition ? change.float_position : change.float_rotation;
      for (uint32_t axis = 0; axis < 3; ++axis) {
        const auto value = static_cast<int32_t>(section.parameters[row.first_change + axis]);
        whole[axis] = value;
        fine[axis] = static_cast<float>(value);
      }
      break;
    }
    case Target::kGridX: {
      const int32_t target = GridTarget(*slot, section.parameters[1]);
      change.position[0] = target - StandingX(*slot);
      change.float_position[0] = static_cast<float>(target) - StandingFloatX(*slot);
      break;
    }
    case Target::kScale:
      change.scale =
          static_cast<float>(static_cast<int32_t>(section.parameters[row.first_change])) / 100.0f;
      break;
    case Target::kAlpha:
      change.colour[0] = static_cast<int16_t>(AlphaChange(section.parameters[1]));
      break;
  }
  SettleChange(settled, slot_parameter, change);
}

template <const TweenRow& kRow>
constexpr ActionKind TweenKind() {
  return ActionKind{
      [](AdvContext&, const ActionSection& section, uint32_t now, SettledChanges&) {
        return Create(kRow, section, now);
      },
      Finish,
      Tick,
      [](const ActionSection& section, SettledChanges& settled) { Skip(kRow, section, settled); },
  };
}

constexpr TweenRow kStraight{
    Curve::kLinear, Target::kPosition, 1, 3, -1, true, "ActionStraightのレイヤーがない"};
constexpr TweenRow kStraight2{
    Curve::kSine, Target::kPosition, 1, 3, -1, true, "ActionStraight2のレイヤーがない"};
constexpr TweenRow kDecele{
    Curve::kDecelerate, Target::kPosition, 1, 3, -1, true, "ActionDeceleのレイヤーがない"};
constexpr TweenRow kAccele{
    Curve::kAccelerate, Target::kPosition, 1, 3, -1, true, "ActionAcceleのレイヤーがない"};
constexpr TweenRow kMovepos{
    Curve::kEased, Target::kGridX, 1, 1, 2, true, "ActionMoveposのレイヤーがない"};
constexpr TweenRow kRotate{
    Curve::kLinear, Target::kRotation, 1, 3, -1, false, "ActionRotateのレイヤーがない"};
constexpr TweenRow kRotateEx{
    Curve::kEased, Target::kRotation, 2, 3, 1, true, "ActionRotateExのレイヤーがない"};
constexpr TweenRow kScale{
    Curve::kLinear, Target::kScale, 1, 1, -1, false, "ActionScaleのレイヤーがない"};
constexpr TweenRow kScaleEx{
    Curve::kEased, Target::kScale, 2, 1, 1, false, "ActionScaleExのレイヤーがない"};
constexpr TweenRow kAlpha{Curve::kLinear, Target::kAlpha, 1, 1, -1, false, nullptr};

}  // namespace

const ActionKind kActionStraight = TweenKind<kStraight>();
const ActionKind kActionStraight2 = TweenKind<kStraight2>();
const ActionKind kActionDecele = TweenKind<kDecele>();
const ActionKind kActionAccele = TweenKind<kAccele>();
const ActionKind kActionMovepos = TweenKind<kMovepos>();
const ActionKind kActionRotate = TweenKind<kRotate>();
const ActionKind kActionRotateEx = TweenKind<kRotateEx>();
const ActionKind kActionScale = TweenKind<kScale>();
const ActionKind kActionScaleEx = TweenKind<kScaleEx>();
const ActionKind kActionAlpha = TweenKind<kAlpha>();

}  // namespace adv
