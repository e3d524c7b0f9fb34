// Command group 0x15: the script thread, a second stream of script code that gets one turn per
// frame before the main script (run by the game task).
#include <iterator>

#include "program/game/adv_context.h"
#include "program/script/command_args.h"
#include "program/script/command_table.h"
#include "program/script/instructions.h"
#include "program/script/script_run.h"

namespace adv {
namespace {

// The turn count stays: a turn that runs goes on, and the new entry is used from the next turn
// that starts. A label that "Point.dat" does not hold creates nothing.
int CmdCreateThread(AdvContext& context) {
  const int32_t label = PopArg(context);
  uint32_t offset = 0;
  if (LabelOffset(context, static_cast<uint32_t>(label), &offset)) {
    ScriptThread& thread = context.thread;
    thread.active = 1;
    thread.enabled = 1;
    thread.entry = offset;
    thread.label = label;
  }
  AdvDebugPrint(kLogTrace, "create_thread %d", label);
  return 1;
}

int CmdExitThread(AdvContext& context) {
  context.thread = ScriptThread{};
  AdvDebugPrint(kLogTrace, "exit_thread");
  return 1;
}

int CmdEnableThread(AdvContext& context) {
  const int32_t enabled = PopArg(context);
  SetCommandResult(context, context.thread.enabled);
  context.thread.enabled = enabled;
  AdvDebugPrint(kLogTrace, "enable_thread %d", enabled);
  return 1;
}

int CmdGetThread(AdvContext& context) {
  SetCommandResult(context, context.thread.label);
  AdvDebugPrint(kLogTrace, "[%d] get_thread", context.thread.label);
  return 1;
}

int CmdGetScriptThreadId(AdvContext& context) {
  const int32_t id = GetScriptThreadId();
  SetCommandResult(context, id);
  AdvDebugPrint(kLogTrace, "[%d] get_script_thread_id", id);
  return 1;
}

constexpr CommandHandler kThreadCommands[] = {
    CmdCreateThread,       // 0x150000 create_thread
    CmdExitThread,         // 0x150001 exit_thread
    CmdEnableThread,       // 0x150002 enable_thread
    CmdGetThread,          // 0x150003 get_thread
    CmdGetScriptThreadId,  // 0x150004 get_script_thread_id
};

}  // namespace

const CommandHandlers kCmdGroupThreadHandlers = {kThreadCommands, std::size(kThreadCommands)};

}  // namespace adv
