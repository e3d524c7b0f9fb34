#include "program/layers/action_manager.h"

#include <cstring>

#include "program/game/adv_context.h"
#include "program/layers/action_kinds.h"
#include "program/script/engine_log.h"
#include "program/script/script_run.h"
#include "program/script/skip_state.h"
#include "program/startup/yel_import.h"

namespace adv {
namespace {

constexpr uint32_t kActionAnimation = 11;
constexpr uint32_t kActionAnimationEx = 12;
constexpr uint32_t kEndlessLoop = 0xFFFFFFFF;
constexpr int32_t kActionSetsAbortedByLoad[] = {7, 8};

bool LineOpen(const ActionLine& line, const ActionLineState& state) {
  return state.section >= 0 && static_cast<uint32_t>(state.section) < line.count;
}

// Finishes the running section's state, if it has one.
void FinishRunning(AdvContext& context, ActionLine& line, uint32_t kind, uint32_t stop,
                   uint32_t now, SettledChanges& settled) {
  void* state = line.kind_state;
  line.kind_state = nullptr;
  if (!state || state == ActionNoState()) return;
  const ActionKind& row = ActionKindFor(kind);
  if (row.finish) {
    row.finish(context, state, stop, now, settled);
  } else {
    ActionStateFree(state);
  }
}

// Starts the line's current section; false when its create yielded nothing (the line waits).
bool StartSection(AdvContext& context, ActionLine& line, ActionLineState& state, uint32_t now,
                  SettledChanges& settled) {
  const ActionSection& section = line.sections[static_cast<uint32_t>(state.section)];
  const ActionKind& row = ActionKindFor(section.kind);
  if (row.create) {
    const ActionSection copy = section;
    void* kind_state = row.create(context, copy, now, settled);
    if (!kind_state) {
      if (section.kind != kActionAnimation && section.kind != kActionAnimationEx) return false;
      kind_state = ActionNoState();
    }
    line.kind_state = kind_state;
  }
  state.end_time += section.duration;
  state.started = 1;
  return true;
}

// A line advances by at most one section of non-zero duration per frame; zero-length sections
// end in the frame they start in.
void StepLine(AdvContext& context, ActionLine& line, ActionLineState& state, uint32_t elapsed,
              uint32_t now, SettledChanges& settled) {
  while (LineOpen(line, state)) {
    if (state.started) {
      const ActionSection& running = line.sections[static_cast<uint32_t>(state.section)];
      if (static_cast<int32_t>(state.end_time - elapsed) > 0) {
        const ActionKind& row = ActionKindFor(running.kind);
        if (row.tick && line.kind_state && line.kind_state != ActionNoState()) {
          row.tick(context, line.kind_state, now);
        }
        return;
      }
      FinishRunning(context, line, running.kind, 0, now, settled);
      ++state.section;
      state.started = 0;
      if (!LineOpen(line, state)) return;
    }
    if (!StartSection(context, line, state, now, settled)) return;
    if (line.sections[static_cast<uint32_t>(state.section)].duration != 0) return;
  }
}

bool CycleComplete(const ActionSet& set) {
  for (int32_t i = 0; i < kActionLineCount; ++i) {
    if (LineOpen(set.lines[i], set.states[i])) return false;
  }
  return true;
}

// Settles one set: the running section of each line finishes, the later ones are skipped
// unless the stop flag holds, then the slots' delta groups are folded into their bases.
void SettleSet(AdvContext& context, ActionSet& set, uint32_t stop, uint32_t now,
               SettledChanges& settled) {
  AdvDebugPrint(kLogTrace, "action_uninit");
  for (int32_t i = 0; i < kActionLineCount; ++i) {
    ActionLine& line = set.lines[i];
    ActionLineState& state = set.states[i];
    if (!LineOpen(line, state)) continue;
    if (state.started) {
      const uint32_t kind = line.sections[static_cast<uint32_t>(state.section)].kind;
      ++state.section;
      FinishRunning(context, line, kind, stop, now, settled);
    }
    if (stop) continue;
    for (uint32_t s = static_cast<uint32_t>(state.section); s < line.count; ++s) {
      const ActionKind& row = ActionKindFor(line.sections[s].kind);
      if (row.skip) row.skip(line.sections[s], settled);
    }
  }
  CommitActionDeltas(context.actions, settled);
  // ScriptPointPop passes during a scene or history skip, when the start pushed none.
  if (set.mode == kActionModeSync) ScriptPointPop(context);
  ActionSetClear(set);
}

// A set held aside is dropped without running anything: its states are freed.
void FreeSetStates(ActionSet& set) {
  for (ActionLine& line : set.lines) {
    if (line.kind_state && line.kind_state != ActionNoState()) ActionStateFree(line.kind_state);
    line.kind_state = nullptr;
  }
}

void StepSet(AdvContext& context, uint32_t index, uint32_t now) {
  ActionSet& set = context.actions.sets[index];
  set.cycle = 0;
  const uint32_t elapsed = now - set.start_time;
  if (set.mode == kActionModeSync && (AdvSkipState(context) != 0 || elapsed >= set.length)) {
    ActionUninit(context, index, now);
    return;
  }
  for (int32_t i = 0; i < kActionLineCount; ++i) {
    StepLine(context, set.lines[i], set.states[i], elapsed, now, context.actions.settled[index]);
  }
  if (set.mode == kActionModeRun) {
    if (elapsed >= set.length) ActionUninit(context, index, now);
    return;
  }
  if (set.mode != kActionModeLoop || !CycleComplete(set)) return;
  set.start_time = now;
  if (set.length == kEndlessLoop) {
    set.cycle = 1;
  } else if (--set.length == 0) {
    ActionUninit(context, index, now);
    return;
  }
  set.states = {};
}

}  // namespace

void ActionSetClear(ActionSet& set) {
  std::memset(static_cast<void*>(&set), 0, sizeof set);
}

void ActionSetStart(ActionSet& set, uint32_t now) {
  uint32_t mark = 0;
  for (int32_t i = 0; i < kActionLineCount; ++i) {
    if (static_cast<int32_t>(mark) < static_cast<int32_t>(set.lines[i].count)) {
      mark = static_cast<uint32_t>(i);
    }
  }
  set.line_mark = mark;
  set.running = 1;
  set.start_time = now;
}

void ActionsStep(AdvContext& context, uint32_t now) {
  for (uint32_t index = 0; index < kActionSetCount; ++index) {
    if (context.actions.sets[index].running) StepSet(context, index, now);
  }
}

void ActionUninit(AdvContext& context, uint32_t index, uint32_t now) {
  if (index >= kActionSetCount) return;
  ActionManager& actions = context.actions;
  SettleSet(context, actions.sets[index], actions.stop_flags[index], now, actions.settled[index]);
  actions.stop_flags[index] = 0;
}

void ActionUninitPushed(AdvContext& context, uint32_t now) {
  ActionManager& actions = context.actions;
  if (actions.pushed) SettleSet(context, *actions.pushed, 0, now, actions.pushed_settled);
}

void ActionClearReserve(AdvContext& context, uint32_t now) {
  ActionManager& actions = context.actions;
  for (uint32_t index = 0; index < kActionSetCount; ++index) {
    if (actions.clear_requests[index] != 1) continue;
    if (actions.sets[index].running) ActionUninit(context, index, now);
    ActionSetClear(actions.sets[index]);
    actions.clear_requests[index] = 0;
    actions.stop_flags[index] = 0;
  }
}

bool ActionPush(AdvContext& context, uint32_t now) {
  ActionManager& actions = context.actions;
  const uint32_t active = actions.active;
  if (active >= kActionSetCount || !actions.sets[active].running) return true;
  // A copy stored before is settled first, as an abort settles it: nothing it started is left
  // half done, and its memory takes the new copy.
  ActionUninitPushed(context, now);
  if (!actions.pushed) {
    actions.pushed = static_cast<ActionSet*>(yel::YelMemoryAlloc(sizeof(ActionSet), 0));
    if (!actions.pushed) return false;
  }
  actions.pushed_index = active;
  std::memcpy(static_cast<void*>(actions.pushed), &actions.sets[active], sizeof(ActionSet));
  actions.pushed_settled = std::move(actions.settled[active]);
  actions.settled[active].clear();
  ActionSetClear(actions.sets[active]);
  AdvDebugPrint(kLogTrace, "action_push");
  return true;
}

void ActionPop(AdvContext& context, uint32_t now) {
  ActionManager& actions = context.actions;
  if (!actions.pushed) return;
  const uint32_t index = actions.pushed_index;
  ActionUninit(context, index, now);
  std::memcpy(static_cast<void*>(&actions.sets[index]), actions.pushed, sizeof(ActionSet));
  actions.settled[index] = std::move(actions.pushed_settled);
  actions.pushed_settled.clear();
  yel::YelMemoryFree(actions.pushed);
  actions.pushed = nullptr;
  AdvDebugPrint(kLogTrace, "action_pop");
}

bool ActionSyncWaiting(const ActionManager& actions) {
  for (const ActionSet& set : actions.sets) {
    if (set.running && set.mode == kActionModeSync) return true;
  }
  return false;
}

void AdvActionUpdate(AdvContext& context) {
  ActionsStep(context, yel::YeltimeGetTime());
}

void AdvActionReset(AdvContext& context) {
  ActionManager& actions = context.actions;
  const uint32_t now = yel::YeltimeGetTime();
  if (actions.pushed) {
    FreeSetStates(*actions.pushed);
    yel::YelMemoryFree(actions.pushed);
    actions.pushed = nullptr;
  }
  // What the stored copy had settled is in the slots' delta groups: the ends of the sets below
  // fold it into their bases like every other set's.
  actions.pushed_settled.clear();
  for (uint32_t index = 0; index < kActionSetCount; ++index) ActionUninit(context, index, now);
  actions.active = 0;
  actions.clear_requests = {};
  actions.stop_flags = {};
  actions.pushed_index = 0;
  for (SettledChanges& settled : actions.settled) settled.clear();
  actions.pushed_settled.clear();
}

void AdvActionClearReserve(AdvContext& context) {
  ActionClearReserve(context, yel::YeltimeGetTime());
}

void AdvActionAbortActive(AdvContext& context) {
  ActionManager& actions = context.actions;
  const uint32_t now = yel::YeltimeGetTime();
  if (actions.active < kActionSetCount) {
    if (actions.sets[actions.active].running) ActionUninit(context, actions.active, now);
    ActionSetClear(actions.sets[actions.active]);
  }
  ActionClearReserve(context, now);
}

void AdvActionAbortLoadSets(AdvContext& context) {
  for (int32_t index : kActionSetsAbortedByLoad) {
    ActionUninit(context, static_cast<uint32_t>(index), yel::YeltimeGetTime());
  }
}

bool AdvActionSyncWaiting(const AdvContext& context) {
  return ActionSyncWaiting(context.actions);
}

}  // namespace adv
