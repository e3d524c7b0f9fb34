// The handler table of command group 0x09, put together from the slot lists of its concerns.
#include "program/commands/system_group_commands.h"

#include <array>

namespace adv {
namespace {

constexpr uint32_t kSystemGroupSlotCount = 0x40;

std::array<CommandHandler, kSystemGroupSlotCount> BuildSystemGroupSlots() {
  std::array<CommandHandler, kSystemGroupSlotCount> table{};
  for (const CommandSlotList* list : {&kSkipCommandSlots}) {
    for (size_t i = 0; i < list->count; ++i) {
      const CommandSlot& slot = list->slots[i];
      // Runs before main, when nothing can be logged yet: a slot outside the group is dropped
      // and a slot claimed twice keeps the first claim, so the other command's tests fail.
      if (slot.index < kSystemGroupSlotCount && !table[slot.index]) {
        table[slot.index] = slot.handler;
      }
    }
  }
  return table;
}

// Filled before main runs: the slot lists it reads are constant-initialised.
const std::array<CommandHandler, kSystemGroupSlotCount> kSystemGroupSlots = BuildSystemGroupSlots();

}  // namespace

const CommandHandlers kCmdGroupSystemHandlers = {kSystemGroupSlots.data(), kSystemGroupSlotCount};

}  // namespace adv
