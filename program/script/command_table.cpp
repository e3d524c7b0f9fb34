#include "program/script/command_table.h"

#include "program/game/adv_context.h"
#include "program/script/instructions.h"

namespace adv {
namespace {

constexpr uint16_t kNoIndex = 0xFFFF;

constexpr CommandGroupTable kCommandTable = {{
    {"", kNoIndex, 0, nullptr},  // 0x00: no commands
    // The run loops read the instructions directly; a command call never reaches them.
    {"CmdGroupVm", 0x01, 0x21, nullptr},
    {"CmdGroupText", 0x00, 0x43, &kCmdGroupTextHandlers},
    {"CmdGroupSprite", 0x02, 0x5F, &kCmdGroupSpriteHandlers},
    {"CmdGroupBgm", 0x00, 0x14, &kCmdGroupBgmHandlers},
    {"CmdGroupSe", 0x00, 0x12, &kCmdGroupSeHandlers},
    {"CmdGroupSelect", 0x00, 0x0A, &kCmdGroupSelectHandlers},
    {"CmdGroupWait", 0x00, 0x0C, nullptr},
    {"CmdGroupButton", 0x00, 0x30, &kCmdGroupButtonHandlers},
    {"CmdGroupSystem", 0x00, 0x3F, &kCmdGroupSystemHandlers},
    {"CmdGroupSave", 0x00, 0x28, &kCmdGroupSaveHandlers},
    {"CmdGroupMovie", 0x00, 0x0D, &kCmdGroupMovieHandlers},
    {"CmdGroupSystemButton", 0x00, 0x02, nullptr},
    {"CmdGroupVoice", 0x00, 0x1E, &kCmdGroupVoiceHandlers},
    {"CmdGroupHistory", 0x00, 0x19, nullptr},
    {"CmdGroupDebug", 0x00, 0x0D, &kCmdGroupDebugHandlers},
    {"CmdGroupEffect", 0x00, 0x05, &kCmdGroupEffectHandlers},
    {"CmdGroupAction", 0x00, 0x2E, &kCmdGroupActionHandlers},
    {"CmdGroupExtra", 0x01, 0xA4, &kCmdGroupExtraHandlers},
    {"CmdGroupFx", 0x00, 0x03, &kCmdGroupFxHandlers},
    {"CmdGroupMath", 0x00, 0x0B, &kCmdGroupMathHandlers},
    {"CmdGroupThread", 0x00, 0x04, &kCmdGroupThreadHandlers},
    {"CmdGroupRun", 0x00, 0x02, &kCmdGroupRunHandlers},
    {"CmdGroupMessage", 0x00, 0x02, &kCmdGroupMessageHandlers},
}};

}  // namespace

const CommandGroupTable& CommandTable() {
  return kCommandTable;
}

CommandHandler CommandFor(const CommandGroupTable& table, uint32_t code) {
  const uint32_t group = code >> 16;
  const uint32_t index = code & 0xFFFF;
  if (group >= kCommandGroupCount) return nullptr;
  const CommandGroup& entry = table[group];
  if (!entry.handlers || entry.first > index || index > entry.last) return nullptr;
  if (index >= entry.handlers->count) return nullptr;
  return entry.handlers->slots[index];
}

CommandHandler CommandFor(uint32_t code) {
  return CommandFor(kCommandTable, code);
}

int OpCallCommand(AdvContext& context) {
  const uint32_t code = FetchWord(context);
  context.values.result_index = static_cast<int32_t>(FetchWord(context));
  context.script.current_word = code;
  const CommandHandler handler = CommandFor(*context.script.commands, code);
  return handler ? handler(context) : 0;
}

}  // namespace adv
