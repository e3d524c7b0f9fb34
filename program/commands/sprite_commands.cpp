// The handler table of command group 3, put together from the slot lists of its concerns.
#include "program/commands/sprite_commands.h"

#include <array>

namespace adv {
namespace {

constexpr uint32_t kSpriteSlotCount = 0x60;

std::array<CommandHandler, kSpriteSlotCount> BuildSpriteSlots() {
  std::array<CommandHandler, kSpriteSlotCount> table{};
  for (const CommandSlotList* list :
       {&kLayerImageCommandSlots, &kLayerAppearanceCommandSlots, &kLayerQueryCommandSlots,
        &kLayerTransitionCommandSlots, &kLayerCompositionCommandSlots,
        &kLayerPixelCommandSlots, &kLayerTextCommandSlots}) {
    for (size_t i = 0; i < list->count; ++i) {
      const CommandSlot& slot = list->slots[i];
      // Runs before main (nothing can be logged): a slot outside the group is dropped and a slot
      // claimed twice keeps the first claim.
      if (slot.index < kSpriteSlotCount && !table[slot.index]) table[slot.index] = slot.handler;
    }
  }
  return table;
}

const std::array<CommandHandler, kSpriteSlotCount> kSpriteSlots = BuildSpriteSlots();

}  // namespace

const CommandHandlers kCmdGroupSpriteHandlers = {kSpriteSlots.data(), kSpriteSlotCount};

}  // namespace adv
