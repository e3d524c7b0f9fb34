// Command group 0x09 (`CmdGroupSystem`): the skip and auto modes, the window and input, the
// font, the memory stack, the return list and the clock share one group of 0x40 slots. Each
// concern lists its own slots in its own file; the group's handler table is put together from
// those lists (system_group_commands.cpp).
#pragma once

#include <cstdint>
#include <initializer_list>

#include "program/commands/extra_commands.h"

namespace adv {

struct AdvContext;

// The slots of each concern, defined beside its commands.
extern const CommandSlotList kWindowCommandSlots;      // window_commands.cpp
extern const CommandSlotList kInputCommandSlots;       // input_commands.cpp
extern const CommandSlotList kFontCommandSlots;        // font_commands.cpp
extern const CommandSlotList kReturnListCommandSlots;  // return_list_commands.cpp
extern const CommandSlotList kClockCommandSlots;       // clock_commands.cpp
extern const CommandSlotList kSkipCommandSlots;        // skip_commands.cpp

// The getters of the group write their values into TempMemory cells 0-255 named by arguments;
// a cell argument of -1 asks for that value not to be written.
inline constexpr int32_t kNoCell = -1;
inline constexpr uint32_t kSystemCellCount = 256;

// True when every cell is -1 or 0-255. Otherwise the first other one is logged at level 0
// ("[pc]command : TempMemory cell %d is out of range") and the caller writes none of them, so
// a bad index never lands beside the cells (a negative one would lie before them).
bool SystemCellsUsable(AdvContext& context, const char* command,
                       std::initializer_list<int32_t> cells);
// TempMemory[cell] := value; nothing for -1. The cell was checked by SystemCellsUsable.
void StoreSystemCell(AdvContext& context, int32_t cell, int32_t value);

}  // namespace adv
