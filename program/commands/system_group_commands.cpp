// The handler table of command group 0x09, put together from the slot lists of its concerns,
// and the TempMemory cells its getters write.
#include "program/commands/system_group_commands.h"

#include <array>

#include "program/game/adv_context.h"
#include "program/script/engine_log.h"

namespace adv {
namespace {

constexpr uint32_t kSystemSlotCount = 0x40;

std::array<CommandHandler, kSystemSlotCount> BuildSystemSlots() {
  std::array<CommandHandler, kSystemSlotCount> table{};
  for (const CommandSlotList* list : {&kWindowCommandSlots, &kInputCommandSlots, &kFontCommandSlots,
                                      &kReturnListCommandSlots, &kClockCommandSlots,
                                      &kSkipCommandSlots}) {
    for (size_t i = 0; i < list->count; ++i) {
      const CommandSlot& slot = list->slots[i];
      // Runs before main (nothing can be logged): a slot outside the group is dropped and a slot
      // claimed twice keeps the first claim.
      if (slot.index < kSystemSlotCount && !table[slot.index]) table[slot.index] = slot.handler;
    }
  }
  return table;
}

const std::array<CommandHandler, kSystemSlotCount> kSystemSlots = BuildSystemSlots();

}  // namespace

const CommandHandlers kCmdGroupSystemHandlers = {kSystemSlots.data(), kSystemSlotCount};

bool SystemCellsUsable(AdvContext& context, const char* command,
                       std::initializer_list<int32_t> cells) {
  for (const int32_t cell : cells) {
    if (cell == kNoCell || static_cast<uint32_t>(cell) < kSystemCellCount) continue;
    AdvDebugPrint(kLogError, "[%d]%s : TempMemory cell %d is out of range", context.script.pc,
                  command, cell);
    return false;
  }
  return true;
}

void StoreSystemCell(AdvContext& context, int32_t cell, int32_t value) {
  if (cell == kNoCell) return;
  context.values.temp_memory[static_cast<uint32_t>(cell)] = value;
}

}  // namespace adv
