// The action kinds: four functions per kind that the action manager calls. Create starts a
// section (the frame clock of that moment is its own start) and returns its state, or null when
// it did not start; tick writes the section's progress into the slot's per-frame action part;
// finish settles the section (its whole change, or with the stop flag the change reached so
// far) and frees the state; skip settles a section that never started. Settled changes go into
// the slot's action delta group and into the settling set's own record of them.
#pragma once

#include <cstdint>

#include "program/layers/action_records.h"

namespace adv {

struct ActionKind {
  void* (*create)(const ActionSection& section, uint32_t now) = nullptr;
  void (*finish)(void* state, uint32_t stop, uint32_t now, SettledChanges& settled) = nullptr;
  void (*tick)(void* state, uint32_t now) = nullptr;
  void (*skip)(const ActionSection& section, SettledChanges& settled) = nullptr;
};

// The row of a kind; kinds without functions (and any kind above 27) have an empty row, and
// their sections only take their time.
const ActionKind& ActionKindFor(uint32_t kind);

// The kinds whose sections count as moving their slot (is_action_layer_move).
bool AdvActionKindMovesLayer(uint32_t kind);

// The slot parameter 0 names, or null for none (0xFFFFFFFF or an index outside the table).
GraphicSlot* ActionTargetSlot(uint32_t parameter);
// Adds a change into the action delta group of the slot parameter 0 names (none: nothing) and
// into the set's record of its changes.
void SettleChange(SettledChanges& settled, uint32_t slot_parameter, const SlotSettledGroup& change);
// Folds a set's recorded changes into the bases of the slots that are still allocated.
void CommitSettledChanges(SettledChanges& settled);

// Kind-state memory: zero-filled platform blocks, so a dropped set can free its states without
// running them.
void* ActionStateAlloc(uint32_t size);
void ActionStateFree(void* state);

// The rows of the tween kinds (0, 2, 4-8, 13-15), defined with them.
extern const ActionKind kActionStraight;
extern const ActionKind kActionStraight2;
extern const ActionKind kActionDecele;
extern const ActionKind kActionAccele;
extern const ActionKind kActionMovepos;
extern const ActionKind kActionRotate;
extern const ActionKind kActionRotateEx;
extern const ActionKind kActionScale;
extern const ActionKind kActionScaleEx;
extern const ActionKind kActionAlpha;

}  // namespace adv
