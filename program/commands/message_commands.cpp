// Command group 0x17: the event messages. The engine and the interaction code post a message by
// flagging its slot; the script takes them with get_message, or in the handler label that the
// game task calls at the start of a frame while a message is pending.
#include <iterator>

#include "program/game/adv_context.h"
#include "program/script/command_args.h"
#include "program/script/command_table.h"
#include "program/script/instructions.h"

namespace adv {
namespace {

// Clears every slot and the pending flag; the label becomes the handler (label 0: none).
int CmdCreateMessage(AdvContext& context) {
  const int32_t label = PopArg(context);
  context.events = EventMessage{};
  uint32_t offset = 0;
  if (LabelOffset(context, static_cast<uint32_t>(label), &offset)) context.events.handler = offset;
  AdvDebugPrint(kLogTrace, "create_message  %d", label);
  return 1;
}

// The lowest flagged slot, taken; -1 when none is flagged.
int CmdGetMessage(AdvContext& context) {
  for (int32_t slot = 0; slot < kEventSlotCount; ++slot) {
    EventMessage::Slot& message = context.events.slots[slot];
    if (!message.flag) continue;
    message.flag = 0;
    SetCommandResult(context, slot);
    AdvDebugPrint(kLogTrace, "get_message  0x%04X", slot);
    return 1;
  }
  SetCommandResult(context, -1);
  return 1;
}

// A slot outside 0-7 holds no parameter: the result is 0.
int CmdGetMessageParam(AdvContext& context) {
  const int32_t slot = PopArg(context);
  int32_t param = 0;
  if (slot >= 0 && slot < kEventSlotCount) {
    param = context.events.slots[slot].param;
  } else {
    AdvDebugPrint(kLogError, "[%d]get_message_param: no slot %d", context.script.pc, slot);
  }
  SetCommandResult(context, param);
  AdvDebugPrint(kLogTrace, "get_message_param  0x%08X", param);
  return 1;
}

constexpr CommandHandler kMessageCommands[] = {
    CmdCreateMessage,    // 0x170000 create_message
    CmdGetMessage,       // 0x170001 get_message
    CmdGetMessageParam,  // 0x170002 get_message_param
};

}  // namespace

const CommandHandlers kCmdGroupMessageHandlers = {kMessageCommands, std::size(kMessageCommands)};

}  // namespace adv
