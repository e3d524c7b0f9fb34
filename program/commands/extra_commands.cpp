// The handler table of command group 0x12, put together from the slot lists of its concerns.
#include "program/commands/extra_commands.h"

#include <array>

#include "program/script/engine_log.h"

namespace adv {
namespace {

constexpr uint32_t kExtraSlotCount = 0xA5;

std::array<CommandHandler, kExtraSlotCount> BuildExtraSlots() {
  std::array<CommandHandler, kExtraSlotCount> table{};
  for (const CommandSlotList* list : {&kStringCommandSlots, &kProfileCommandSlots,
                                      &kFileCommandSlots, &kMemoryBlockCommandSlots,
                                      &kSystemCommandSlots}) {
    for (size_t i = 0; i < list->count; ++i) {
      const CommandSlot& slot = list->slots[i];
      // Two concerns claiming one slot, or a slot outside the group, is a fault of the build.
      if (slot.index >= kExtraSlotCount || table[slot.index]) {
        AdvErrorLog("command group 0x12: slot 0x%X listed twice or out of range",
                    static_cast<unsigned>(slot.index));
        continue;
      }
      table[slot.index] = slot.handler;
    }
  }
  return table;
}

// Filled before main runs: the slot lists it reads are constant-initialised.
const std::array<CommandHandler, kExtraSlotCount> kExtraSlots = BuildExtraSlots();

}  // namespace

const CommandHandlers kCmdGroupExtraHandlers = {kExtraSlots.data(), kExtraSlotCount};

// Concerns not built yet list no slots.
const CommandSlotList kStringCommandSlots = {nullptr, 0};
const CommandSlotList kProfileCommandSlots = {nullptr, 0};
const CommandSlotList kFileCommandSlots = {nullptr, 0};
const CommandSlotList kMemoryBlockCommandSlots = {nullptr, 0};
const CommandSlotList kSystemCommandSlots = {nullptr, 0};

}  // namespace adv
