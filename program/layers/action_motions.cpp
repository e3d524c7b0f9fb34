// The motion, colour and visibility kinds beyond the basic tweens: a tween of the source
// rectangle (16), a colour tint (17), circles round the slot's position (18 kept, 19 not), a
// two-phase straight move that ends decelerating (25), an eased move (26) and an eased alpha fade
// (27); and the kinds that act at once: show and hide a layer (22, 23) and hold an alpha (24).
//
// The tweening kinds share one shape: each computes, from its section's parameters and the
// time since its start, the change it has reached as a settled group. A tick adds that into the
// slot's per-frame part; finish settles the whole change (with the stop flag, the change
// reached); skip settles the whole change of a section that never ran.
#include <algorithm>
#include <cmath>

#include "program/game/adv_context.h"
#include "program/layers/action_kinds.h"
#include "program/layers/easing.h"
#include "program/script/engine_log.h"
#include "program/startup/yel_import.h"
#include "program/text/text_window.h"

namespace adv {
namespace {

// What a tweening kind keeps: its own copy of the section and its start.
struct MotionState {
  ActionSection section;
  uint32_t start;
};

// The change reached `elapsed` ms after the start (unclamped; each kind limits it), or the whole
// change when `whole` is set.
using Reach = SlotSettledGroup (*)(const ActionSection& section, uint32_t elapsed, bool whole);

struct MotionRow {
  Reach reach;
  const char* missing_sprite;  // null: a slot without a sprite is passed over silently
  bool circle;                 // writes the animation part; settles only when kept
};

int32_t Word(const ActionSection& section, int i) {
  return static_cast<int32_t>(section.parameters[i]);
}
int32_t Low16(const ActionSection& section, int i) {
  return static_cast<int16_t>(section.parameters[i] & 0xFFFF);
}
float Rounding(int32_t change) {
  return change >= 0 ? 0.5f : -0.5f;
}
int32_t Trunc(float value) {
  return static_cast<int32_t>(value);
}
// trunc((change + r) x p): the share of an integer change reached, rounded by its sign.
int32_t Share(int32_t change, float p) {
  return Trunc((static_cast<float>(change) + Rounding(change)) * p);
}
float FloatShare(int32_t change, float p) {
  return (static_cast<float>(change) + Rounding(change)) * p;
}

uint32_t Clamped(uint32_t elapsed, uint32_t duration) {
  return std::min(elapsed, duration);
}
float Linear(uint32_t elapsed, uint32_t duration) {
  return EaseCurveLinear(Clamped(elapsed, duration), duration);
}
float Eased(uint32_t easing, uint32_t elapsed, uint32_t duration) {
  return EvaluateEasing(easing, Clamped(elapsed, duration), duration);
}

// Kind 16: 0 slot; 1 easing type (low 16 bits); 2-5 changes of left, top, right, bottom. Its
// progress is read one millisecond ahead.
SlotSettledGroup ReachRect(const ActionSection& s, uint32_t elapsed, bool whole) {
  const uint32_t ahead = elapsed < s.duration ? elapsed + 1 : s.duration;
  const float p = whole ? 1.0f : Eased(s.parameters[1] & 0xFFFF, ahead, s.duration);
  SlotSettledGroup change;
  for (int edge = 0; edge < 4; ++edge) {
    change.rect[edge] = whole ? Word(s, 2 + edge) : Share(Word(s, 2 + edge), p);
  }
  return change;
}

// Kind 17: 0 slot; 1-3 changes of red, green, blue (low 16 bits, signed). Alpha is not touched.
SlotSettledGroup ReachColor(const ActionSection& s, uint32_t elapsed, bool whole) {
  const float p = whole ? 1.0f : Linear(elapsed, s.duration);
  SlotSettledGroup change;
  for (int channel = 1; channel < 4; ++channel) {
    const int32_t full = Low16(s, channel);
    change.colour[channel] =
        static_cast<int16_t>(whole ? full : Trunc(static_cast<float>(full) * p));
  }
  return change;
}

// Kinds 18 and 19: 1-8 the circle's words, 9 easing type, 10 keep flag.
SlotSettledGroup ReachCircle(const ActionSection& s, uint32_t elapsed, bool whole) {
  const float p = whole ? 1.0f : Eased(s.parameters[9], elapsed, s.duration);
  std::array<int32_t, 8> words{};
  for (int i = 0; i < 8; ++i) words[i] = Word(s, 1 + i);
  const std::array<int32_t, 2> offset = CircleOffsetAt(words, p);
  SlotSettledGroup change;
  change.position[0] = offset[0];
  change.position[1] = offset[1];
  return change;
}

// Kind 25: 1-3 the first move over 4 (T1 ms), linear; 5-7 the second over 8 (T2 ms),
// decelerating.
SlotSettledGroup ReachStraightDecele(const ActionSection& s, uint32_t elapsed, bool whole) {
  SlotSettledGroup change;
  const uint32_t first = s.parameters[4];
  const uint32_t second = s.parameters[8];
  const uint32_t e = Clamped(elapsed, s.duration);
  for (int axis = 0; axis < 3; ++axis) {
    const int32_t d1 = Word(s, 1 + axis);
    const int32_t d2 = Word(s, 5 + axis);
    if (whole) {
      change.position[axis] = d1 + d2;
      change.float_position[axis] = static_cast<float>(d2) + static_cast<float>(d1);
    } else if (e <= first) {
      const float p = EaseCurveLinear(e, first);
      change.position[axis] = Share(d1, p);
      change.float_position[axis] = FloatShare(d1, p);
    } else {
      const float q = EaseCurveQuadOut(std::min(e - first, second), second);
      change.float_position[axis] = FloatShare(d2, q) + static_cast<float>(d1);
      change.position[axis] = Trunc(change.float_position[axis]);
    }
  }
  return change;
}

// Kind 26: 1-3 the move, 4 easing type.
SlotSettledGroup ReachEaseMove(const ActionSection& s, uint32_t elapsed, bool whole) {
  const float p = whole ? 1.0f : Eased(s.parameters[4], elapsed, s.duration);
  SlotSettledGroup change;
  for (int axis = 0; axis < 3; ++axis) {
    const int32_t d = Word(s, 1 + axis);
    change.position[axis] = whole ? d : Share(d, p);
    change.float_position[axis] = whole ? static_cast<float>(d) : FloatShare(d, p);
  }
  return change;
}

// Kind 27: 1 alpha change (low 16 bits, signed), 2 easing type; the progress is held to 0..1,
// so an overshooting curve never fades past either end.
SlotSettledGroup ReachEaseAlpha(const ActionSection& s, uint32_t elapsed, bool whole) {
  const int32_t a = Low16(s, 1);
  const float p = std::clamp(Eased(s.parameters[2], elapsed, s.duration), 0.0f, 1.0f);
  SlotSettledGroup change;
  change.colour[0] = static_cast<int16_t>(whole ? a : Trunc(static_cast<float>(a) * p));
  return change;
}

// Adds a reached change into a per-frame part (16-bit colours).
void AddToPart(SlotFramePart& part, const SlotSettledGroup& change) {
  for (int axis = 0; axis < 3; ++axis) {
    part.position[axis] += change.position[axis];
    part.float_position[axis] += change.float_position[axis];
  }
  for (int edge = 0; edge < 4; ++edge) part.rect[edge] += change.rect[edge];
  for (int channel = 0; channel < 4; ++channel) {
    part.colour[channel] = static_cast<int16_t>(part.colour[channel] + change.colour[channel]);
  }
}

void* CreateMotion(const ActionSection& section, uint32_t now) {
  auto* s = static_cast<MotionState*>(ActionStateAlloc(sizeof(MotionState)));
  if (!s) return nullptr;
  s->section = section;
  s->start = now;
  return s;
}

void TickMotion(const MotionRow& row, AdvContext& context, void* state, uint32_t now) {
  const MotionState& s = *static_cast<const MotionState*>(state);
  GraphicSlot* slot = ActionTargetSlot(s.section.parameters[0]);
  if (!slot) return;
  if (!slot->sprite) {
    if (row.missing_sprite) ReportMissingSprite(context, row.missing_sprite);
    return;
  }
  const SlotSettledGroup reached = row.reach(s.section, now - s.start, false);
  AddToPart(row.circle ? slot->frame.animation : slot->frame.action, reached);
}

void FinishMotion(const MotionRow& row, void* state, uint32_t stop, uint32_t now,
                  SettledChanges& settled) {
  if (!state) return;
  const MotionState& s = *static_cast<const MotionState*>(state);
  const uint32_t slot_parameter = s.section.parameters[0];
  const SlotSettledGroup reached = row.reach(s.section, now - s.start, stop == 0);
  if (row.circle && s.section.parameters[10] == 0) {
    // A circle that is not kept shows its end for the rest of this frame only.
    if (GraphicSlot* slot = ActionTargetSlot(slot_parameter)) {
      AddToPart(slot->frame.animation, reached);
    }
  } else {
    SettleChange(settled, slot_parameter, reached);
  }
  ActionStateFree(state);
}

void SkipMotion(const MotionRow& row, const ActionSection& section, SettledChanges& settled) {
  if (row.circle && section.parameters[10] == 0) return;
  SettleChange(settled, section.parameters[0], row.reach(section, 0, true));
}

template <const MotionRow& kRow>
constexpr ActionKind MotionKind() {
  return ActionKind{
      [](AdvContext&, const ActionSection& section, uint32_t now, SettledChanges&) {
        return CreateMotion(section, now);
      },
      [](AdvContext&, void* state, uint32_t stop, uint32_t now, SettledChanges& settled) {
        FinishMotion(kRow, state, stop, now, settled);
      },
      [](AdvContext& context, void* state, uint32_t now) { TickMotion(kRow, context, state, now); },
      [](const ActionSection& section, SettledChanges& settled) {
        SkipMotion(kRow, section, settled);
      },
  };
}

constexpr MotionRow kMoveRect{ReachRect, "ActionMoveRectのレイヤーがない", false};
constexpr MotionRow kColor{ReachColor, "ActionColorのレイヤーがない", false};
constexpr MotionRow kCircle{ReachCircle, "ActionCircleのレイヤーがない", true};
constexpr MotionRow kStraightDecele{ReachStraightDecele, "ActionStraightDeceleのレイヤーがない",
                                    false};
constexpr MotionRow kEaseMove{ReachEaseMove, "ActionEaseMoveのレイヤーがない", false};
constexpr MotionRow kEaseAlpha{ReachEaseAlpha, nullptr, false};

// Kinds 22 and 23: parameter 0 is a layer number. A layer outside 0-127 is logged and the line
// waits (so it is logged every frame); an empty layer waits silently.
void* SetLayerVisible(AdvContext& context, const ActionSection& section, int32_t visible) {
  const auto layer = static_cast<int32_t>(section.parameters[0]);
  if (layer < 0 || layer >= kLayerCount) {
    AdvDebugPrint(kLogError, "graph error : 範囲外の値を指定しています。no = %d", layer);
    return nullptr;
  }
  GraphicSlot* slot = context.layers.layers[static_cast<size_t>(layer)].slot;
  if (!slot) return nullptr;
  yel::YelSpriteViewCtrl(slot->sprite, visible);
  return ActionNoState();
}

// Kind 24: 0 image number; 1 alpha (low byte).
struct HeldAlpha {
  int32_t slot;
  uint32_t alpha;
};

// The slot's colour word takes the alpha, and every other alpha the slot sums but its frame
// animation's running part is cleared, the settled ones in every set's record too.
void HoldAlpha(AdvContext& context, const HeldAlpha& held) {
  GraphicSlot& slot = *AdvGraphicSlotFromIndex(held.slot);
  slot.colour = (slot.colour & 0x00FFFFFFu) | held.alpha << 24;
  slot.offset_colour[0] = 0;
  slot.frame.action.colour[0] = 0;
  slot.animation_group.colour[0] = 0;
  DropSettledAlpha(context, held.slot);
}

void* CreateSetAlpha(AdvContext& context, const ActionSection& section, uint32_t, SettledChanges&) {
  const int32_t index = AdvImageNoToSlot(section.parameters[0]);
  const GraphicSlot* slot = AdvGraphicSlotFromIndex(index);
  if (!slot || !AdvGraphicSlotListed(*slot) || !slot->sprite) {
    AdvDebugPrint(kLogError, "action_set_alpha not Image");
    AdvPrintCurrentText(context);
    return nullptr;
  }
  auto* held = static_cast<HeldAlpha*>(ActionStateAlloc(sizeof(HeldAlpha)));
  if (!held) return nullptr;
  held->slot = index;
  held->alpha = section.parameters[1] & 0xFF;
  HoldAlpha(context, *held);
  return held;
}

void TickSetAlpha(AdvContext& context, void* state, uint32_t) {
  const auto& held = *static_cast<const HeldAlpha*>(state);
  const GraphicSlot* slot = AdvGraphicSlotFromIndex(held.slot);
  if (slot && slot->sprite) HoldAlpha(context, held);
}

void FinishSetAlpha(AdvContext&, void* state, uint32_t, uint32_t, SettledChanges&) {
  if (state) ActionStateFree(state);
}

}  // namespace

const ActionKind kActionMoveRect = MotionKind<kMoveRect>();
const ActionKind kActionColor = MotionKind<kColor>();
const ActionKind kActionCircle = MotionKind<kCircle>();
const ActionKind kActionStraightDecele = MotionKind<kStraightDecele>();
const ActionKind kActionEaseMove = MotionKind<kEaseMove>();
const ActionKind kActionEaseAlpha = MotionKind<kEaseAlpha>();
const ActionKind kActionShow{[](AdvContext& context, const ActionSection& section, uint32_t,
                                SettledChanges&) { return SetLayerVisible(context, section, 1); },
                             nullptr, nullptr, nullptr};
const ActionKind kActionHide{[](AdvContext& context, const ActionSection& section, uint32_t,
                                SettledChanges&) { return SetLayerVisible(context, section, 0); },
                             nullptr, nullptr, nullptr};
const ActionKind kActionSetAlpha{CreateSetAlpha, FinishSetAlpha, TickSetAlpha, nullptr};

}  // namespace adv
