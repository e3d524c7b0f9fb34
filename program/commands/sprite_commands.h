// Command group 3 (`CmdGroupSprite`): the layer commands. Each concern (image, appearance,
// queries, transitions, compositions, pixels, text and faces) lists its own slots in its own
// file; the group's handler table is put together from those lists.
#pragma once

#include "program/commands/extra_commands.h"

namespace adv {

extern const CommandSlotList kLayerImageCommandSlots;
extern const CommandSlotList kLayerAppearanceCommandSlots;
extern const CommandSlotList kLayerQueryCommandSlots;
extern const CommandSlotList kLayerTransitionCommandSlots;
extern const CommandSlotList kLayerCompositionCommandSlots;
extern const CommandSlotList kLayerPixelCommandSlots;
extern const CommandSlotList kLayerTextCommandSlots;

}  // namespace adv
