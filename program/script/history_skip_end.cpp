// The arrival of a history skip at its target, and the black screen it leaves.
#include "program/game/adv_context.h"
#include "program/layers/layer_services.h"
#include "program/savedata/snapshot_services.h"
#include "program/script/engine_log.h"
#include "program/script/script_run.h"
#include "program/startup/startup_names.h"
#include "program/startup/yel_import.h"
#include "program/text/text_services.h"

namespace adv {
namespace {

constexpr int32_t kBlackLayer = 65;
constexpr uint32_t kArrivalInputBlockMs = 100;

}  // namespace

void HistorySkipEnd(AdvContext& context) {
  ScriptState& state = context.script;
  AdvDebugPrint(kLogTrace, "history_skip end [%x:%x]", context.skip.history_skip_target, state.pc);
  AdvDumpReturnStack(context);
  context.save.previous_raw_length = 0;
  TakeSavePoint(context, state.pc);
  if (context.history.restart_label != 0) ReloadSnapshotAt(context, context.history.restart_label);
  context.skip.history_skip = 0;
  ForceRunNoWait(context);
  context.buttons.input_block = InputBlock{yel::YeltimeGetTime(), kArrivalInputBlockMs};
  if (context.save.load_after == kNoLoadAfter) {
    state.stop = 1;
    return;
  }
  PushDataEntry(context, kListReturnPoint, state.pc, kReturnContinue);
  state.pc = state.origin + context.save.load_after;
}

void ForceRunNoWait(AdvContext& context) {
  AdvLayerEmpty(context, kBlackLayer);
  if (!AdvLayerShowColourPlane(context, kBlackLayer, "#FF000000", AdvWindowWidth,
                               AdvWindowHeight)) {
    return;
  }
  DisplayOp show;
  show.code = kDisplayShowLayer;
  show.words[0] = kBlackLayer;
  DisplayQueueAppend(context, show);
  context.layers.run_no_wait = 1;
  AdvDebugPrint(kLogTrace, "force run_no_wait");
  RunDisplayQueue(context);
}

}  // namespace adv
