// The input commands of group 0x09: the mouse position, the key words of this frame, a key read
// at once by its virtual-key number, and clearing the input.
#include <cstdint>

#include "program/commands/system_group_commands.h"
#include "program/game/adv_context.h"
#include "program/script/command_args.h"
#include "program/startup/yel_import.h"

namespace adv {
namespace {

int CmdGetMousePos(AdvContext& context) {
  const auto [x_cell, y_cell] = PopArgs<2>(context);
  if (!SystemCellsUsable(context, "get_mouse_pos", {x_cell, y_cell})) return 1;
  const int32_t x = yel::YelInputGetMouseX();
  const int32_t y = yel::YelInputGetMouseY();
  StoreSystemCell(context, x_cell, x);
  StoreSystemCell(context, y_cell, y);
  AdvDebugPrint(kLogTrace, "get_mouse_pos %d, %d", x, y);
  return 1;
}

int CmdGetPushKey(AdvContext& context) {
  const int32_t word = static_cast<int32_t>(yel::YelInputGetKeyPush());
  SetCommandResult(context, word);
  AdvDebugPrint(kLogTrace, "[%d] get_push_key", word);
  return 1;
}

int CmdGetOnKey(AdvContext& context) {
  const int32_t word = static_cast<int32_t>(yel::YelInputGetKeyOn());
  SetCommandResult(context, word);
  AdvDebugPrint(kLogTrace, "[%d] get_on_key", word);
  return 1;
}

int CmdGetPullKey(AdvContext& context) {
  const int32_t word = static_cast<int32_t>(yel::YelInputGetKeyPull());
  SetCommandResult(context, word);
  AdvDebugPrint(kLogTrace, "[%d] get_pull_key", word);
  return 1;
}

// A key held while the player works in another window is not meant for the game, so an inactive
// window reads every key as up.
int CmdGetAsyncKey(AdvContext& context) {
  const int32_t key = PopArg(context);
  const bool down = yel::IsActive() && yel::YelInputGetAsyncKey(static_cast<uint32_t>(key));
  SetCommandResult(context, down ? 1 : 0);
  if (down) AdvDebugPrint(kLogTrace, "[%d] get_async_key %d", 1, key);
  return 1;
}

int CmdInputClear(AdvContext& context) {
  yel::YelInputClear();
  yel::YelInputKeyRepeatClear();
  context.text_window.auto_word = 0;
  AdvDebugPrint(kLogTrace, "input_clear");
  return 1;
}

constexpr CommandSlot kSlots[] = {
    {0x0C, CmdGetMousePos}, {0x20, CmdGetPullKey}, {0x21, CmdGetOnKey},
    {0x22, CmdGetPushKey},  {0x23, CmdInputClear}, {0x36, CmdGetAsyncKey},
};

}  // namespace

const CommandSlotList kInputCommandSlots = {kSlots, std::size(kSlots)};

}  // namespace adv
