// The handler table of command group 0x12, put together from the slot lists of its concerns.
#include "program/commands/extra_commands.h"

#include <array>

namespace adv {
namespace {

constexpr uint32_t kExtraSlotCount = 0xA5;

std::array<CommandHandler, kExtraSlotCount> BuildExtraSlots() {
  std::array<CommandHandler, kExtraSlotCount> table{};
  for (const CommandSlotList* list :
       {&kStringCommandSlots, &kProfileCommandSlots, &kFileCommandSlots, &kMemoryBlockCommandSlots,
        &kSystemCommandSlots, &kLayerFileCommandSlots, &kPlayerNameCommandSlots,
        &kDialogCommandSlots, &kFavouriteCommandSlots, &kLayerStretchCommandSlots,
        &kTipsCommandSlots}) {
    for (size_t i = 0; i < list->count; ++i) {
      const CommandSlot& slot = list->slots[i];
      // This runs before main, when nothing can be logged yet (the platform library is not
      // loaded): a slot outside the group is dropped and a slot claimed twice keeps the first
      // claim, so the other command does not run and its own tests fail.
      if (slot.index < kExtraSlotCount && !table[slot.index]) table[slot.index] = slot.handler;
    }
  }
  return table;
}

// Filled before main runs: the slot lists it reads are constant-initialised.
const std::array<CommandHandler, kExtraSlotCount> kExtraSlots = BuildExtraSlots();

}  // namespace

const CommandHandlers kCmdGroupExtraHandlers = {kExtraSlots.data(), kExtraSlotCount};


}  // namespace adv
