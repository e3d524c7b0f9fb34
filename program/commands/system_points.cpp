// Points the script marks for later: the history point, the thread return point, the last
// process run at shutdown; and the scene reset, which ends what the current scene waits on.
#include "program/buttons/choices.h"
#include "program/commands/system_commands.h"
#include "program/game/adv_context.h"
#include "program/layers/layer_services.h"
#include "program/savedata/save_files.h"
#include "program/savedata/snapshot_services.h"
#include "program/script/command_args.h"
#include "program/script/instructions.h"
#include "program/script/script_run.h"
#include "program/script/skip_state.h"
#include "program/startup/yel_import.h"
#include "program/text/text_services.h"

namespace adv {

int CmdHistoryPointClear(AdvContext& context) {
  context.skip.history_point.fill(0);
  return 1;
}

// The history position is the offset after this instruction, where a save point is taken.
int CmdHistoryPoint(AdvContext& context) {
  const uint32_t pc = context.script.pc;
  context.skip.history_point = {static_cast<int32_t>(pc), 0, 0};
  TakeSavePoint(context, pc);
  HistorySnapshotSave(context);
  return 1;
}

// The popped value is an offset from the code origin, not a label. A failed return record is
// logged by PushDataEntry, and the entry is set all the same.
int CmdThreadReturnPoint(AdvContext& context) {
  const uint32_t offset = static_cast<uint32_t>(PopArg(context));
  PushDataEntry(context, kListThreadPoint, context.script.pc, kReturnContinue);
  context.thread.entry = offset;
  return 1;
}

// A label that "Point.dat" does not hold (logged) leaves no last process.
int CmdSetLastProcess(AdvContext& context) {
  const uint32_t label = static_cast<uint32_t>(PopArg(context));
  uint32_t offset = 0;
  if (!LabelOffset(context, label, &offset)) offset = 0;
  context.script.last_process = offset;
  AdvDebugPrint(kLogTrace, "set_last_process 0x%08X", offset);
  return 1;
}

// The script point is not popped while a scene or history skip runs (ScriptPointPop passes
// then); with none to pop it logs "script point pop stack none".
int CmdSceneReset(AdvContext& context) {
  AdvTextClearWait(context);
  AdvanceLatchReset();
  ScriptPointPop(context);
  AdvActionClearReserve(context);
  AdvTipsEndHook(context);
  AdvSelectCancel(context);
  return 1;
}

}  // namespace adv
