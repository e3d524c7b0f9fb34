// Command group 0x0A (`CmdGroupSave`): save points, save and load, the save slots' files and
// what a save screen draws of them. Each concern lists its own slots in its own file; the group's
// handler table is put together from those lists (save_commands.cpp).
#pragma once

#include <cstdint>
#include <string>

#include "os/file_times.h"
#include "program/commands/extra_commands.h"

namespace adv {

struct AdvContext;

// Save points, save and load, history snapshots and the settings of what a save records.
extern const CommandSlotList kSaveStateCommandSlots;
// Slot files: queries, copy, move, delete and lock.
extern const CommandSlotList kSaveSlotCommandSlots;
// What a save screen draws of a slot into a layer.
extern const CommandSlotList kSaveDrawCommandSlots;

// The texts of get_save_time (formats 0-3) and get_save_date (formats 0-1), as engine (CP932)
// text; empty for any other format.
std::string SaveTimeText(int32_t format, const os::LocalDateTime& time);
std::string SaveDateText(int32_t format, const os::LocalDateTime& time);

// Writes a value into TempMemory cell `index`; an index outside the cells is logged and dropped.
void SetTempMemory(AdvContext& context, int32_t index, int32_t value, const char* command);

}  // namespace adv
