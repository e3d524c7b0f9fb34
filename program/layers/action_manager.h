// The action manager: up to 16 action sets of 60 lines, each line a sequence of sections run one
// after another against the frame clock. The script builds the active set section by section
// and starts it in one of three modes (run, sync run, loop run); once per frame every running
// set is stepped. Every end or abort of a set goes through ActionUninit, which settles the set's
// sections and folds what that set settled into the slots' bases.
//
// Everything runs on the interpreter's thread with the render lock held. The functions that take
// `now` measure time from it (the frame clock, milliseconds, compared as unsigned 32 bits).
#pragma once

#include <cstdint>

#include "program/layers/action_records.h"

namespace adv {

struct AdvContext;

// The per-frame step of every running set at frame clock `now` (AdvActionUpdate passes the
// platform's frame clock).
void ActionsStep(AdvContext& context, uint32_t now);
// Marks a set running from `now`; the caller has set its length and mode.
void ActionSetStart(ActionSet& set, uint32_t now);
// Aborts set `index` (0-15): running sections finish (whole, or where they stand when the set's
// stop flag is set), later ones are skipped into their slots (none with the stop flag), the
// set's settled changes are folded into the slots' bases, a sync set pops its script point, and
// the set is emptied.
void ActionUninit(AdvContext& context, uint32_t index, uint32_t now);
// The same for action_push's stored copy, which has no stop flag.
void ActionUninitPushed(AdvContext& context, uint32_t now);
// Empties a set in place without settling anything.
void ActionSetClear(ActionSet& set);
// Aborts and empties every set with a clear request; their requests and stop flags are cleared.
void ActionClearReserve(AdvContext& context, uint32_t now);
// Stores the active set aside (settling a copy stored before); false when no memory.
bool ActionPush(AdvContext& context, uint32_t now);
// Puts the stored set back at its index, aborting what that set held; nothing when none.
void ActionPop(AdvContext& context, uint32_t now);
// True while any set runs in sync mode: the main script is held.
bool ActionSyncWaiting(const ActionManager& actions);

// The game's calls, with the platform's frame clock.
void AdvActionUpdate(AdvContext& context);
void AdvActionReset(AdvContext& context);
// The reader moved on (a decided line, a click wait, a text command): sets with a clear request
// end.
void AdvActionClearReserve(AdvContext& context);
// A button or system button reacted: the active set ends, then the clear requests are served.
void AdvActionAbortActive(AdvContext& context);
// load and history_load: action sets 7 and 8 end.
void AdvActionAbortLoadSets(AdvContext& context);
bool AdvActionSyncWaiting(const AdvContext& context);

}  // namespace adv
