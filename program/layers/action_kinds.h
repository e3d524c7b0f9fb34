// The action kinds: four functions per kind that the action manager calls. Create starts a
// section (the frame clock of that moment is its own start) and returns its state, or null when
// it did not start (a kind that acts at once settles its change there); tick writes the section's
// progress into the slot's per-frame action part; finish settles the section (its whole change, or
// with the stop flag the change reached so far) and frees the state; skip settles a section that
// never started. Settled changes go into the slot's action delta group and into the settling set's
// own record of them.
#pragma once

#include <cstdint>

#include "program/layers/action_records.h"

namespace adv {

struct AdvContext;

struct ActionKind {
  void* (*create)(AdvContext& context, const ActionSection& section, uint32_t now,
                  SettledChanges& settled) = nullptr;
  void (*finish)(AdvContext& context, void* state, uint32_t stop, uint32_t now,
                 SettledChanges& settled) = nullptr;
  void (*tick)(AdvContext& context, void* state, uint32_t now) = nullptr;
  void (*skip)(const ActionSection& section, SettledChanges& settled) = nullptr;
};

// What a create that acted at once and keeps nothing returns (and what the manager keeps for a
// frame change, whose create returns null): the section counts as started. Never freed.
void* ActionNoState();

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
// The end of a set (whose record is `ending`): the record is emptied, and every allocated slot's
// action delta group goes into its base, except the changes that sets still going on recorded
// for the image the slot holds.
void CommitActionDeltas(ActionManager& actions, SettledChanges& ending);

// A tick's report of a slot without a sprite: the kind's message, then the current text line.
void ReportMissingSprite(AdvContext& context, const char* message);

// Takes the alpha a slot's action delta group holds out of it and out of every set's record of
// its changes (the pushed copy's too), so that no set's end brings it back.
void DropSettledAlpha(AdvContext& context, int32_t slot_index);

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
// Shakes, the sound cue and the frame changes (1, 9, 10, 11, 12).
extern const ActionKind kActionShake;
extern const ActionKind kActionShake2;
extern const ActionKind kActionSound;
extern const ActionKind kActionAnimation;
extern const ActionKind kActionAnimationEx;
// Rectangle, colour, circles, visibility, held alpha and eased moves (16-19, 22-27).
extern const ActionKind kActionMoveRect;
extern const ActionKind kActionColor;
extern const ActionKind kActionCircle;
extern const ActionKind kActionShow;
extern const ActionKind kActionHide;
extern const ActionKind kActionSetAlpha;
extern const ActionKind kActionStraightDecele;
extern const ActionKind kActionEaseMove;
extern const ActionKind kActionEaseAlpha;
// The mask wipes (20, 21).
extern const ActionKind kActionSetMask;
extern const ActionKind kActionSetMask2;

}  // namespace adv
