// The kind table and what every kind shares: its target slot, its state memory, and the record
// of what each set has settled.
#include "program/layers/action_kinds.h"

#include "program/game/adv_context.h"
#include "program/script/engine_log.h"
#include "program/startup/yel_import.h"
#include "program/text/text_window.h"

namespace adv {
namespace {

constexpr ActionKind kNoFunctions{};

// Row 3 (the wait) has no functions: its sections only take their time.
constexpr const ActionKind* kKindTable[kActionKindCount] = {
    &kActionStraight,    &kActionShake,          &kActionAlpha,    &kNoFunctions,
    &kActionRotate,      &kActionScale,          &kActionMovepos,  &kActionDecele,
    &kActionAccele,      &kActionSound,          &kActionShake2,   &kActionAnimation,
    &kActionAnimationEx, &kActionScaleEx,        &kActionRotateEx, &kActionStraight2,
    &kActionMoveRect,    &kActionColor,          &kActionCircle,   &kActionCircle,
    &kActionSetMask,     &kActionSetMask2,       &kActionShow,     &kActionHide,
    &kActionSetAlpha,    &kActionStraightDecele, &kActionEaseMove, &kActionEaseAlpha,
};

char g_no_state;

}  // namespace

void* ActionNoState() {
  return &g_no_state;
}

const ActionKind& ActionKindFor(uint32_t kind) {
  return kind < kActionKindCount ? *kKindTable[kind] : kNoFunctions;
}

bool AdvActionKindMovesLayer(uint32_t kind) {
  switch (kind) {
    case 0:
    case 1:
    case 6:
    case 7:
    case 8:
    case 10:
    case 15:
    case 18:
    case 19:
      return true;
    default:
      return false;
  }
}

GraphicSlot* ActionTargetSlot(uint32_t parameter) {
  if (parameter == kActionNoSlot || parameter >= static_cast<uint32_t>(kGraphicSlotCount)) {
    return nullptr;
  }
  return AdvGraphicSlotFromIndex(static_cast<int32_t>(parameter));
}

void SettleChange(SettledChanges& settled, uint32_t slot_parameter,
                  const SlotSettledGroup& change) {
  GraphicSlot* slot = ActionTargetSlot(slot_parameter);
  if (!slot) return;
  AdvSettledGroupAdd(slot->action_delta, change, 1);
  const auto index = static_cast<int32_t>(slot_parameter);
  for (SettledChange& entry : settled) {
    if (entry.slot == index && entry.allocation == slot->allocation) {
      AdvSettledGroupAdd(entry.change, change, 1);
      return;
    }
  }
  settled.push_back(SettledChange{index, slot->allocation, change});
}

void CommitActionDeltas(ActionManager& actions, SettledChanges& ending) {
  ending.clear();
  for (GraphicSlot* slot = AdvGraphicSlotFirst(); slot; slot = slot->next) {
    SlotSettledGroup part = slot->action_delta;
    bool held = false;
    // A change recorded for an image the slot no longer holds went with that image.
    auto hold = [&](const SettledChanges& settled) {
      for (const SettledChange& entry : settled) {
        if (entry.slot != static_cast<int32_t>(slot->index) ||
            entry.allocation != slot->allocation) {
          continue;
        }
        AdvSettledGroupAdd(part, entry.change, -1);
        held = true;
      }
    };
    for (const SettledChanges& settled : actions.settled) hold(settled);
    hold(actions.pushed_settled);
    if (held) {
      AdvGraphicSlotCommitPart(*slot, part);
    } else {
      AdvGraphicSlotCommitPart(*slot, slot->action_delta);
    }
  }
}

void ReportMissingSprite(AdvContext& context, const char* message) {
  AdvDebugPrint(kLogError, "%s", message);
  AdvPrintCurrentText(context);
}

void DropSettledAlpha(AdvContext& context, int32_t slot_index) {
  GraphicSlot* slot = AdvGraphicSlotFromIndex(slot_index);
  if (!slot) return;
  slot->action_delta.colour[0] = 0;
  auto drop = [slot_index](SettledChanges& settled) {
    for (SettledChange& entry : settled) {
      if (entry.slot == slot_index) entry.change.colour[0] = 0;
    }
  };
  for (SettledChanges& settled : context.actions.settled) drop(settled);
  drop(context.actions.pushed_settled);
}

void* ActionStateAlloc(uint32_t size) {
  return yel::YelMemoryAlloc(size, 1);
}

void ActionStateFree(void* state) {
  yel::YelMemoryFree(state);
}

}  // namespace adv
