// Command group 0x12 (`CmdGroupExtra`): strings, files, INI profiles, memory blocks and system
// commands share one group of 0xA5 slots. Each concern lists its own slots in its own file; the
// group's handler table is put together from those lists.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "program/script/command_table.h"

namespace adv {

// One command of the group: its index (the low 16 bits of its code) and its handler.
struct CommandSlot {
  uint16_t index;
  CommandHandler handler;
};

struct CommandSlotList {
  const CommandSlot* slots;
  size_t count;
};

// The slots of each concern, defined beside its commands.
extern const CommandSlotList kStringCommandSlots;
extern const CommandSlotList kProfileCommandSlots;
extern const CommandSlotList kFileCommandSlots;
extern const CommandSlotList kMemoryBlockCommandSlots;
extern const CommandSlotList kSystemCommandSlots;
extern const CommandSlotList kLayerFileCommandSlots;
extern const CommandSlotList kPlayerNameCommandSlots;
extern const CommandSlotList kDialogCommandSlots;
extern const CommandSlotList kFavouriteCommandSlots;
extern const CommandSlotList kLayerStretchCommandSlots;
extern const CommandSlotList kTipsCommandSlots;

// The path the open and save file dialogs chose last (empty while none was chosen); read by
// `get_dialog_file_name`. Used on the interpreter's thread only.
std::string& FileDialogPath();

}  // namespace adv
