// Command group 0x06 (`CmdGroupSelect`): choices. `select` builds the choice from the
// `select_item` block that follows it, `end_select` waits on it every frame until one is decided.
#include <iterator>

#include "program/buttons/button_manager.h"
#include "program/buttons/choices.h"
#include "program/game/adv_context.h"
#include "program/script/command_args.h"
#include "program/script/command_table.h"
#include "program/script/script_names.h"
#include "program/script/value_stores.h"
#include "program/startup/yel_import.h"
#include "program/text/text_services.h"

namespace adv {
namespace {

constexpr uint32_t kOpaque = 0xFF000000;

int CmdSelectInit(AdvContext& context) {
  const auto [image, normal, hover, third] = PopArgs<4>(context);
  SelectState& select = context.select;
  select.init_image = image;
  select.init_colours = {static_cast<uint32_t>(normal) | kOpaque,
                         static_cast<uint32_t>(hover) | kOpaque,
                         static_cast<uint32_t>(third) | kOpaque};
  uint8_t name[33] = {};
  AdvGetFileName(context, name, static_cast<uint32_t>(image), false);
  AdvDebugPrint(kLogTrace, "select_init %s, %X, %X, %X", reinterpret_cast<const char*>(name),
                normal, hover, third);
  return 1;
}

int CmdSelect(AdvContext& context) {
  return AdvSelectBuild(context);
}

// Reached by itself, outside a select block: the item's arguments are taken off the stack so
// that they do not stay behind for later commands.
int CmdSelectItem(AdvContext& context) {
  PopArgs<6>(context);
  AdvDebugPrint(kLogError, "[%d]意味のないselect命令が呼び出されました。", context.script.pc);
  return 0;
}

int CmdEndSelect(AdvContext& context) {
  return AdvSelectFrame(context);
}

int CmdSelectClear(AdvContext& context) {
  AdvDebugPrint(kLogTrace, "select_clear");
  AdvSelectSpritesRelease(context);
  return 1;
}

int CmdSelectSetOffset(AdvContext& context) {
  const auto [index, row] = PopArgs<2>(context);
  AdvDebugPrint(kLogTrace, "select_set_offset %d, %d", index, row);
  if (index < 0 || index >= kChoiceCount) {
    AdvDebugPrint(kLogError, "select_set_offset %d : over", index);
    return 1;
  }
  context.select.items[index].row = row * 3;
  return 1;
}

int CmdSelectSetProcess(AdvContext& context) {
  const auto [enter, leave, decide] = PopArgs<3>(context);
  AdvDebugPrint(kLogTrace, "select_set_process %d, %d, %d", enter, leave, decide);
  context.select.hooks = {ButtonLabelOffset(context, enter), ButtonLabelOffset(context, leave),
                          ButtonLabelOffset(context, decide)};
  return 1;
}

int CmdSelectLock(AdvContext& context) {
  const int32_t value = PopArg(context);
  AdvDebugPrint(kLogTrace, "select_lock %d", value);
  context.select.row_lock = static_cast<uint32_t>(value);
  return 1;
}

int CmdGetSelectOnKey(AdvContext& context) {
  AdvDebugPrint(kLogTrace, "[%d]get_select_on_key", context.script.pc);
  SetCommandResult(context, static_cast<int32_t>(context.select.reaction & 0xFF) - 1);
  return 1;
}

int CmdGetSelectPullKey(AdvContext& context) {
  AdvDebugPrint(kLogTrace, "[%d]get_select_pull_key", context.script.pc);
  SetCommandResult(context, static_cast<int32_t>((context.select.reaction >> 16) & 0xFF) - 1);
  return 1;
}

int CmdGetSelectPushKey(AdvContext& context) {
  AdvDebugPrint(kLogTrace, "[%d]get_select_push_key", context.script.pc);
  const uint32_t reaction = context.select.reaction;
  SetCommandResult(context,
                   reaction & kChoiceDecided ? static_cast<int32_t>(reaction & 0xFF) - 1 : -1);
  return 1;
}

constexpr CommandHandler kSelectSlots[] = {
    CmdSelectInit,        // 0x00
    CmdSelect,            // 0x01
    CmdSelectItem,        // 0x02
    CmdEndSelect,         // 0x03
    CmdSelectClear,       // 0x04
    CmdSelectSetOffset,   // 0x05
    CmdSelectSetProcess,  // 0x06
    CmdSelectLock,        // 0x07
    CmdGetSelectOnKey,    // 0x08
    CmdGetSelectPullKey,  // 0x09
    CmdGetSelectPushKey,  // 0x0A
};

}  // namespace

const CommandHandlers kCmdGroupSelectHandlers = {kSelectSlots, std::size(kSelectSlots)};

}  // namespace adv
