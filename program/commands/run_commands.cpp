// Command group 0x16 (`CmdGroupRun`): the commit of the display queue. `run` commits and starts
// the full-screen transition from the last drawn frame, and the script yields; `run_no_wait`
// commits and lets each layer's own transition run; `run_stack` batches runs so that several
// queued changes commit together.
#include <iterator>

#include "program/game/adv_context.h"
#include "program/layers/layer_services.h"
#include "program/layers/transition_calls.h"
#include "program/script/command_args.h"
#include "program/script/command_table.h"
#include "program/script/skip_state.h"
#include "program/startup/yel_import.h"

namespace adv {
namespace {

constexpr uint32_t kRunInputBlockMs = 100;
constexpr uint32_t kMaxRunKind = 100;

enum BatchRequest : int32_t { kNoRequest = 0, kRunRequest = 1, kRunNoWaitRequest = 2 };

// The commit of a run: input is blocked for 100 ms and the screen transition starts, unless the
// script skips; the script yields either way.
void CommitAndTransit(AdvContext& context, int32_t kind, int32_t time, int32_t parameter,
                      bool from_batch) {
  RunDisplayQueue(context);
  if (AdvSkipState(context) == 0) {
    context.buttons.input_block = InputBlock{yel::YeltimeGetTime(), kRunInputBlockMs};
    ScreenTransitionStart(kind, time, parameter);
    if (from_batch) {
      AdvDebugPrint(kLogTrace, "run_stack[1][%d][%d][%d]", kind, time, parameter);
    } else {
      AdvDebugPrint(kLogTrace, "run  %d, %d", kind, time);
    }
  } else {
    AdvDebugPrint(kLogTrace, from_batch ? "run_stack[1][skip]" : "run  skip");
  }
  context.script.stop = 1;
}

int CmdRun(AdvContext& context) {
  const auto [kind, time, parameter] = PopArgs<3>(context);
  if (static_cast<uint32_t>(kind) > kMaxRunKind) {
    AdvDebugPrint(kLogError, "run error : 範囲外の値を指定しています。no = %d", kind);
    return 0;
  }
  yel::YelUpdateTime();
  LayerTable& layers = context.layers;
  if (layers.batch_open) {
    layers.batch_run = {kind, time, parameter};
    layers.batch_request = kRunRequest;
    return 1;
  }
  CommitAndTransit(context, kind, time, parameter, false);
  return 1;
}

int CmdRunNoWait(AdvContext& context) {
  LayerTable& layers = context.layers;
  if (layers.batch_open) {
    layers.batch_request = kRunNoWaitRequest;
    return 1;
  }
  layers.run_no_wait = 1;
  AdvDebugPrint(kLogTrace, "run_no_wait");
  RunDisplayQueue(context);
  return 1;
}

int CmdRunStack(AdvContext& context) {
  const int32_t open = PopArg(context);
  LayerTable& layers = context.layers;
  if (open) {
    layers.batch_open = 1;
    layers.batch_request = kNoRequest;
    return 1;
  }
  layers.batch_open = 0;
  if (layers.batch_request == kRunRequest) {
    CommitAndTransit(context, layers.batch_run[0], layers.batch_run[1], layers.batch_run[2], true);
  } else if (layers.batch_request == kRunNoWaitRequest) {
    layers.run_no_wait = 1;
    AdvDebugPrint(kLogTrace, "run_stack[2]");
    RunDisplayQueue(context);
  }
  layers.batch_request = kNoRequest;
  return 1;
}

constexpr CommandHandler kRunCommands[] = {
    CmdRun,        // 0x160000 run
    CmdRunNoWait,  // 0x160001 run_no_wait
    CmdRunStack,   // 0x160002 run_stack
};

}  // namespace

const CommandHandlers kCmdGroupRunHandlers = {kRunCommands, std::size(kRunCommands)};

}  // namespace adv
