// Command group 0x11 (`CmdGroupAction`): the commands that start, wait for, clear and keep
// action sets, and the commands that append one section each to the active set. Each concern
// lists its own slots; the group's table is put together from both lists.
#pragma once

#include "program/commands/extra_commands.h"

namespace adv {

extern const CommandSlotList kActionSetCommandSlots;
extern const CommandSlotList kActionSectionCommandSlots;

}  // namespace adv
