// One frame of the game: event handler, script, sound upkeep, actions, animations, layers.
#include "program/dialogs/player_name_field.h"
#include "program/game/game_task.h"
#include "program/layers/layer_services.h"
#include "program/script/script_run.h"
#include "program/script/skip_state.h"
#include "program/sound/sound_services.h"
#include "program/sound/voice_channels.h"
#include "program/startup/yel_import.h"
#include "program/text/text_services.h"

namespace adv {
namespace {

constexpr uint32_t kWindowModeSwitch = 8;

// Alt+Enter or a title-bar double click: event message 0 asks for the other window mode.
void PostWindowModeMessage(AdvContext& context) {
  if (!(yel::YelInputGetKeyEx() & kWindowModeSwitch)) return;
  const AdvTaskData* data = AdvGetTaskData();
  context.events.slots[0] = {1, data && data->system.settings.full_screen == 0 ? 1 : 0};
  context.events.pending = 1;
}

// A pending event with a handler runs the handler as a subroutine; nothing else runs that frame.
// While the work thread loads a line's voice the event waits: its label could start or stop
// voices in the records the load writes.
bool RunEventHandler(AdvContext& context) {
  if (context.events.handler == 0 || !context.events.pending) return false;
  if (AdvVoiceLoadPendingGet()) return false;
  PushDataEntry(context, kListReturnPoint, context.script.pc, kReturnHook);
  context.script.pc = context.script.origin + context.events.handler;
  context.events.pending = 0;
  ScriptRunUntilWait(context);
  return true;
}

// A button or system-button reaction runs its label in place of the main script.
bool RunReaction(AdvContext& context) {
  int32_t id = kRunButton;
  if (!AdvButtonUpdate(context)) {
    if (!AdvSystemButtonUpdate(context)) return false;
    id = kRunSystemButton;
  }
  // A reaction ends the active action set and every set with a clear request.
  AdvActionAbortActive(context);
  AdvanceLatchReset();
  TextClickCarryReset();
  SetScriptThreadId(id);
  ScriptRunUntilWait(context);
  return true;
}

void SyncActionWaitFrame(AdvContext& context) {
  if (yel::YelEffectIs() || context.buttons.run_skip) return;
  if (RunReaction(context)) return;
  SetScriptThreadId(kRunMain);
  AdvTextWaitUpdate(context);
}

void EndInputBlockWhenDue(AdvContext& context) {
  InputBlock& block = context.buttons.input_block;
  if (block.duration != 0 && yel::YeltimeGetTime() - block.start >= block.duration) {
    block.duration = 0;
  }
}

// The script thread's turn; false when the work-thread mode began in it.
bool RunScriptThreadTurn(AdvContext& context) {
  ScriptThread& thread = context.thread;
  if (!thread.active || !thread.enabled) return true;
  if (thread.turn_count == 0) {
    PushDataEntry(context, kListReturnPoint, context.script.pc, kReturnThread);
    context.script.pc = context.script.origin + thread.entry;
    ++thread.turn_count;
  }
  SetScriptThreadId(kRunThread);
  return ScriptRunUntilWait(context) != 0;
}

}  // namespace

void AdvScriptFrame(AdvContext& context) {
  if (AdvCallAsyncFunction()) return;
  if (context.script.threaded.load()) return;
  SetScriptThreadId(kRunMain);
  if (AdvEffectUpdate(context)) return;
  if (AdvActionSyncWaiting(context)) {
    SyncActionWaitFrame(context);
    return;
  }
  if (yel::YelEffectIs()) return;
  EndInputBlockWhenDue(context);
  if (!RunScriptThreadTurn(context)) return;
  if (!context.buttons.run_skip && RunReaction(context)) return;
  SetScriptThreadId(kRunMain);
  ScriptRunUntilWait(context);
  SetScriptThreadId(kRunMain);
  AdvTextWaitUpdate(context);
}

void AdvUpdate(AdvContext& context) {
  PostWindowModeMessage(context);
  if (RunEventHandler(context)) return;
  if (yel::IsMovie()) return;
  yel::YelFrameRateSet(AdvSkipState(context) != 0 ? -1 : 60);
  context.skip.key_push_accumulator |= yel::YelInputGetKeyPush();
  AdvGraphicSlotClearFrameParts(context);
  AdvScriptFrame(context);
  PlayerNameFieldCatchUp(context);
  AdvSoundUpkeep(context);
  AdvActionUpdate(context);
  AdvAnimUpdateAll(context);
  AdvLayerUpdate(context);
  AdvButtonChildLinkUpdate(context);
  AdvGraphicSlotApplyAll(context);
}

}  // namespace adv
