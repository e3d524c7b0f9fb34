// Command group 0x09 (`CmdGroupSystem`): the skip and auto modes, and the window, input, font,
// memory, return-list and clock commands share one group of 0x40 slots. Each concern lists its
// own slots in its own file; the group's handler table is put together from those lists.
#pragma once

#include "program/commands/extra_commands.h"  // CommandSlot, CommandSlotList

namespace adv {

// The slots of each concern, defined beside its commands.
extern const CommandSlotList kSkipCommandSlots;

}  // namespace adv
