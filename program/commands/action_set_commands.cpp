// The action set commands: choose the active set, start sets in their three modes, wait for
// them, clear and stop them, keep one aside, and ask whether sets run. A set argument is 0-15,
// or 0xFFFFFFFF for the active set; any other value is logged and the command does nothing.
#include <iterator>

#include "os/message_box.h"
#include "program/commands/action_commands.h"
#include "program/game/adv_context.h"
#include "program/layers/action_kinds.h"
#include "program/layers/action_manager.h"
#include "program/layers/graphic_slots.h"
#include "program/script/command_args.h"
#include "program/script/script_run.h"
#include "program/script/skip_state.h"
#include "program/startup/yel_import.h"

namespace adv {
namespace {

constexpr int32_t kSceneSkipBit = 0x10;

// The index a set argument names; false (logged with the command's message) when it names none.
bool SetIndex(AdvContext& context, int32_t argument, const char* over_message, uint32_t* index) {
  const auto value = static_cast<uint32_t>(argument);
  if (value == kActiveActionSet) {
    *index = context.actions.active;
    return true;
  }
  if (value >= static_cast<uint32_t>(kActionSetCount)) {
    AdvDebugPrint(kLogError, over_message, argument);
    return false;
  }
  *index = value;
  return true;
}

bool EffectsOn() {
  return yel::YelEffectEnableIs() != 0;
}

// Length and mode, then the start at the frame clock.
void StartSet(ActionSet& set, uint32_t length, uint32_t mode, uint32_t now) {
  set.length = length;
  set.mode = mode;
  ActionSetStart(set, now);
}

uint32_t RefreshedClock() {
  yel::YelUpdateTime();
  return yel::YeltimeGetTime();
}

int CmdActionRun(AdvContext& context) {
  const auto [set_argument, duration] = PopArgs<2>(context);
  AdvDebugPrint(kLogTrace, "action_run %d, %d", set_argument, duration);
  uint32_t index = 0;
  if (!SetIndex(context, set_argument, "action_run count over [%d]", &index)) return 1;
  ActionSet& set = context.actions.sets[index];
  if (set.running) return 1;
  const uint32_t now = RefreshedClock();
  StartSet(set, static_cast<uint32_t>(duration), kActionModeRun, now);
  if (!EffectsOn() || (AdvSkipState(context) & kSceneSkipBit)) ActionUninit(context, index, now);
  return 1;
}

// Starts a set the script waits for; without effects, under a skip or with no time, it settles
// in this frame.
void StartSyncSet(AdvContext& context, uint32_t index, int32_t duration, uint32_t now) {
  StartSet(context.actions.sets[index], static_cast<uint32_t>(duration), kActionModeSync, now);
  ScriptPointPush(context);
  if (!EffectsOn() || AdvSkipState(context) != 0 || duration == 0) {
    ActionUninit(context, index, now);
  }
}

int CmdActionSyncRun(AdvContext& context) {
  auto [set_argument, duration] = PopArgs<2>(context);
  AdvDebugPrint(kLogTrace, "action_sync_run %d, %d", set_argument, duration);
  if (IsScriptThreadTurn(context)) {
    AdvDebugPrint(kLogError, "** error action_sync_run method from thread call %d, %d",
                  set_argument, duration);
    duration = 0;
  }
  uint32_t index = 0;
  if (!SetIndex(context, set_argument, "action_sync_run count over [%d]", &index)) return 1;
  if (context.actions.sets[index].running) return 1;
  StartSyncSet(context, index, duration, RefreshedClock());
  context.script.stop = 1;
  return 1;
}

int CmdActionLoopRun(AdvContext& context) {
  const auto [set_argument, count] = PopArgs<2>(context);
  AdvDebugPrint(kLogTrace, "action_loop_run %d, %d", set_argument, count);
  uint32_t index = 0;
  if (!SetIndex(context, set_argument, "action_loop_run count over [%d]", &index)) return 1;
  ActionSet& set = context.actions.sets[index];
  if (set.running) return 1;
  StartSet(set, static_cast<uint32_t>(count), kActionModeLoop, yel::YeltimeGetTime());
  return 1;
}

int CmdActionClear(AdvContext& context) {
  const int32_t set_argument = PopArg(context);
  uint32_t index = 0;
  if (!SetIndex(context, set_argument, "action_clear count over [%d]", &index)) return 1;
  AdvDebugPrint(kLogTrace, "action_clear %d", set_argument);
  ActionSet& set = context.actions.sets[index];
  if (set.running) ActionUninit(context, index, yel::YeltimeGetTime());
  ActionSetClear(set);
  return 1;
}

int CmdActionSyncWait(AdvContext& context) {
  const int32_t set_argument = PopArg(context);
  uint32_t index = 0;
  if (!SetIndex(context, set_argument, "action_sync_wait count over [%d]", &index)) return 1;
  if (AdvSkipState(context) != 0) return 1;
  const ActionSet& set = context.actions.sets[index];
  if (set.running && set.cycle == 0 && IsScriptThreadTurn(context)) {
    AdvDebugPrint(kLogError, "** error action_sync_wait(%d) method from thread call", set_argument);
    ActionUninit(context, index, yel::YeltimeGetTime());
  }
  context.script.stop = 1;
  return 1;
}

int CmdActionPush(AdvContext& context) {
  if (ActionPush(context, yel::YeltimeGetTime())) return 1;
  os::ShowMessageBox("メモリ不足の可能性があります。", "警告", os::BoxButtons::kOk,
                     os::BoxIcon::kWarning);
  return 0;
}

int CmdActionPop(AdvContext& context) {
  ActionPop(context, yel::YeltimeGetTime());
  return 1;
}

int CmdSetActiveAction(AdvContext& context) {
  const int32_t index = PopArg(context);
  AdvDebugPrint(kLogTrace, "set_active_action %d", index);
  ActionManager& actions = context.actions;
  if (static_cast<uint32_t>(index) >= static_cast<uint32_t>(kActionSetCount)) {
    AdvDebugPrint(kLogError, "action count over [%d][old=%d]", index, actions.active);
    return 1;
  }
  SetCommandResult(context, static_cast<int32_t>(actions.active));
  actions.active = static_cast<uint32_t>(index);
  return 1;
}

int CmdGetActiveAction(AdvContext& context) {
  const auto active = static_cast<int32_t>(context.actions.active);
  AdvDebugPrint(kLogTrace, "[%d]get_active_action", active);
  SetCommandResult(context, active);
  return 1;
}

int CmdActionRunAll(AdvContext& context) {
  const int32_t duration = PopArg(context);
  AdvDebugPrint(kLogTrace, "action_run_all %d", duration);
  const uint32_t now = RefreshedClock();
  for (uint32_t index = 0; index < kActionSetCount; ++index) {
    ActionSet& set = context.actions.sets[index];
    if (set.running) continue;
    StartSet(set, static_cast<uint32_t>(duration), kActionModeRun, now);
    if (!EffectsOn() || (AdvSkipState(context) & SKIP_MASK_FORCED)) {
      ActionUninit(context, index, now);
    }
  }
  return 1;
}

int CmdActionSyncRunAll(AdvContext& context) {
  int32_t duration = PopArg(context);
  AdvDebugPrint(kLogTrace, "action_sync_run_all %d", duration);
  if (IsScriptThreadTurn(context)) {
    AdvDebugPrint(kLogError, "** error action_sync_run_all(%d) method from thread call", duration);
    duration = 0;
  }
  const uint32_t now = yel::YeltimeGetTime();
  for (uint32_t index = 0; index < kActionSetCount; ++index) {
    ActionSet& set = context.actions.sets[index];
    if (set.running) continue;
    StartSyncSet(context, index, duration, now);
  }
  context.script.stop = 1;
  return 1;
}

int CmdActionLoopRunAll(AdvContext& context) {
  const int32_t count = PopArg(context);
  AdvDebugPrint(kLogTrace, "action_loop_run_all %d", count);
  const uint32_t now = yel::YeltimeGetTime();
  for (ActionSet& set : context.actions.sets) {
    if (!set.running) StartSet(set, static_cast<uint32_t>(count), kActionModeLoop, now);
  }
  return 1;
}

int CmdActionClearAll(AdvContext& context) {
  const uint32_t now = yel::YeltimeGetTime();
  for (uint32_t index = 0; index < kActionSetCount; ++index) {
    ActionSet& set = context.actions.sets[index];
    if (set.running) ActionUninit(context, index, now);
    ActionSetClear(set);
  }
  AdvDebugPrint(kLogTrace, "action_clear_all");
  return 1;
}

int CmdSetActionClear(AdvContext& context) {
  const int32_t set_argument = PopArg(context);
  AdvDebugPrint(kLogTrace, "set_action_clear %d", set_argument);
  uint32_t index = 0;
  if (!SetIndex(context, set_argument, "set_action_clear count over [%d]", &index)) return 1;
  context.actions.clear_requests[index] = 1;
  return 1;
}

int CmdIsActionRun(AdvContext& context) {
  const int32_t set_argument = PopArg(context);
  uint32_t index = 0;
  if (!SetIndex(context, set_argument, "is_action_run [%d]", &index)) {
    SetCommandResult(context, 0);
    return 1;
  }
  SetCommandResult(context, context.actions.sets[index].running ? 1 : 0);
  return 1;
}

int CmdSetActionStop(AdvContext& context) {
  const auto [set_argument, flag] = PopArgs<2>(context);
  AdvDebugPrint(kLogTrace, "set_action_stop %d %d", set_argument, flag);
  uint32_t index = 0;
  if (!SetIndex(context, set_argument, "set_action_stop count over [%d]", &index)) return 1;
  context.actions.stop_flags[index] = flag != 0 ? 1 : 0;
  return 1;
}

// Whether a running set holds a moving section (done, running or to come) aimed at the slot.
bool SlotMoves(const ActionManager& actions, uint32_t slot) {
  for (const ActionSet& set : actions.sets) {
    if (!set.running) continue;
    for (const ActionLine& line : set.lines) {
      for (uint32_t s = 0; s < line.count && s < kActionSectionCount; ++s) {
        const ActionSection& section = line.sections[s];
        if (AdvActionKindMovesLayer(section.kind) && section.parameters[0] == slot) return true;
      }
    }
  }
  return false;
}

// A number that names no slot asks about no slot: sections aimed at none do not answer it.
int CmdIsActionLayerMove(AdvContext& context) {
  const int32_t slot = AdvImageNoToSlot(static_cast<uint32_t>(PopArg(context)));
  const bool moves = slot >= 0 && SlotMoves(context.actions, static_cast<uint32_t>(slot));
  SetCommandResult(context, moves ? 1 : 0);
  return 1;
}

constexpr CommandSlot kSlots[] = {
    {0x00, CmdActionRun},      {0x01, CmdActionSyncRun},     {0x02, CmdActionLoopRun},
    {0x03, CmdActionClear},    {0x04, CmdActionSyncWait},    {0x0C, CmdActionPush},
    {0x0D, CmdActionPop},      {0x17, CmdSetActiveAction},   {0x18, CmdGetActiveAction},
    {0x19, CmdActionRunAll},   {0x1A, CmdActionSyncRunAll},  {0x1B, CmdActionLoopRunAll},
    {0x1C, CmdActionClearAll}, {0x1E, CmdSetActionClear},    {0x24, CmdIsActionRun},
    {0x2A, CmdSetActionStop},  {0x2E, CmdIsActionLayerMove},
};

}  // namespace

const CommandSlotList kActionSetCommandSlots = {kSlots, std::size(kSlots)};

}  // namespace adv
