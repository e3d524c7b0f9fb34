// The interpreter's registers: the loaded code, the program counter and the script points on
// which text and waits hold the script.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

#include "program/data/script_files.h"
#include "program/script/command_table.h"
#include "program/script/inline_code.h"

namespace adv {

inline constexpr int32_t kScriptPointStackSize = 32;

struct ScriptState {
  ScriptCode code;            // the whole "Script.src" image with its stamp and entry
  uint32_t pc = 0;            // byte offset of the next word to read
  uint32_t origin = kCodeOrigin;
  uint32_t entry = 0;
  uint32_t current_word = 0;  // the executing instruction, or the command code of a call
  uint32_t last_process = 0;  // label offset run once at shutdown; 0 = none
  // Where command calls find their handlers: the game's commands (tests give a table of their
  // own).
  const CommandGroupTable* commands = &CommandTable();
  // Shared between the main thread and the work thread in the work-thread mode.
  std::atomic<int32_t> running{0};
  std::atomic<int32_t> threaded{0};
  int32_t stop = 0;
  std::array<uint32_t, kScriptPointStackSize> points{};
  int32_t point_count = 0;
  // The common instructions decoded once, for the run loops (the render lock guards it in the
  // work-thread mode, as it guards the rest of the script state).
  InlineCode inline_code;
};

// Tags of the return records kept on the display-queue list.
enum DataEntryTag : uint32_t {
  kReturnContinue = 0,  // gosub and label calls: the script goes on
  kReturnClick = 1,     // button click labels: the pass stops
  kReturnHook = 2,      // per-frame hooks: the pass stops
  kReturnThread = 3,    // the script thread's turn
};

// List ids of the display-queue list.
enum DisplayListId : int32_t {
  kListDisplayOp = 1,
  kListReturnPoint = 2,
  kListThreadPoint = 3,
};

struct DataEntry {
  uint32_t offset;
  uint32_t tag;
};

}  // namespace adv
