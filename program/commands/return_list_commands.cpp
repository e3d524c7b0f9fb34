// The memory and return-list commands of group 0x09: the stack of TempMemory copies, clearing
// UserMemory, and direct access to the interpreter's return records, so that a script can leave
// a subroutine elsewhere than where it was called from.
#include <cstdint>

#include "program/commands/system_group_commands.h"
#include "program/game/adv_context.h"
#include "program/script/arithmetic.h"
#include "program/script/command_args.h"
#include "program/script/instructions.h"
#include "program/script/script_run.h"
#include "program/startup/yel_import.h"

namespace adv {
namespace {

using arithmetic::S;
using arithmetic::Sub;

int CmdMemoryPush(AdvContext& context) {
  MemoryStackPush(context);
  AdvDebugPrint(kLogTrace, "memory_push");
  return 1;
}

int CmdMemoryPop(AdvContext& context) {
  MemoryStackPop(context);
  AdvDebugPrint(kLogTrace, "memory_pop");
  return 1;
}

int CmdClearUserMemory(AdvContext& context) {
  context.values.user_memory.fill(0);
  AdvDebugPrint(kLogTrace, "clear_user_memory");
  return 1;
}

// The record keeps the label's place in the code as an offset, as every return record does, so
// a snapshot holding it stays valid wherever the code is loaded.
int CmdLPush(AdvContext& context) {
  const int32_t label = PopArg(context);
  uint32_t offset = 0;
  if (!LabelOffset(context, static_cast<uint32_t>(label), &offset)) return 1;
  const uint32_t position = context.script.origin + offset;
  PushDataEntry(context, kListReturnPoint, position, kReturnContinue);
  AdvDebugPrint(kLogTrace, "lpush %d", S(position));
  return 1;
}

int CmdLPop(AdvContext& context) {
  const int32_t count = PopArg(context);
  const int32_t n = count == 0 ? 1 : count;
  context.skip.frame_restore_count = Sub(n, 1);
  for (int32_t i = 0; i < n; ++i) {
    auto* entry =
        reinterpret_cast<DataEntry*>(yel::YelListPop(context.display_queue, kListReturnPoint));
    if (!entry) {
      AdvDebugPrint(kLogError, "error : lpop non stack");
      break;
    }
    AdvDebugPrint(kLogTrace, "lpop [%d]", S(entry->offset));
    yel::YelMemoryFree(entry);
  }
  return 1;
}

int CmdLSize(AdvContext& context) {
  const int32_t size = yel::YelListGetDataCount(context.display_queue, kListReturnPoint);
  SetCommandResult(context, size);
  AdvDebugPrint(kLogTrace, "[%d]lsize", size);
  return 1;
}

constexpr CommandSlot kSlots[] = {
    {0x0E, CmdClearUserMemory}, {0x15, CmdMemoryPush}, {0x16, CmdMemoryPop},
    {0x17, CmdLPush},           {0x18, CmdLPop},       {0x35, CmdLSize},
};

}  // namespace

const CommandSlotList kReturnListCommandSlots = {kSlots, std::size(kSlots)};

}  // namespace adv
