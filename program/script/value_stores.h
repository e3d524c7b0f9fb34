// The value stores of the script: the value stack, the variables, the memories, the frame
// registers and the string variables. Every index a script supplies is bounded by the accessors
// of the interpreter; the arrays themselves are plain data so that snapshots can store them.
#pragma once

#include <array>
#include <cstdint>

namespace adv {

inline constexpr int32_t kValueStackSize = 64;
inline constexpr int32_t kVariableCount = 255;
inline constexpr int32_t kUserMemoryCells = 1024;
inline constexpr int32_t kTempMemoryCells = 4096;
inline constexpr int32_t kSystemMemoryCellCount = 1024;
inline constexpr int32_t kFrameStackSize = 512;
inline constexpr int32_t kMemoryStackLevels = 32;
inline constexpr int32_t kMemoryStackCells = 256;
inline constexpr int32_t kStringVariableCount = 16;
inline constexpr int32_t kStringVariableSize = 2047;

struct ValueStores {
  int32_t immediate = 0;  // the cell every immediate operand of an instruction names
  // Stands in for a cell that an operand names outside its table: it reads 0 (it is cleared
  // whenever it is handed out) and what is written to it is dropped.
  int32_t void_cell = 0;
  std::array<int32_t, kValueStackSize> value_stack{};
  int32_t value_count = 0;
  std::array<int32_t, kVariableCount> variables{};
  std::array<int32_t, kUserMemoryCells> user_memory{};
  std::array<int32_t, kTempMemoryCells> temp_memory{};
  std::array<int32_t, kSystemMemoryCellCount> system_memory{};
  int32_t frame_base = 0;
  int32_t frame_top = 0;
  std::array<int32_t, kFrameStackSize> frame_stack{};
  int32_t result_index = 0;  // the variable the executing command call writes its result to
  int32_t memory_stack_depth = 0;
  std::array<std::array<int32_t, kMemoryStackCells>, kMemoryStackLevels> memory_stack{};
  int32_t string_cursor = 0;  // the string variable the `string` command hands out next
  std::array<std::array<char, kStringVariableSize>, kStringVariableCount> string_variables{};
};

struct AdvContext;
struct DisplayOp;

// The value stack. A pop from an empty stack logs "not stack" and yields 0; the push that fills
// the 64th slot logs "stack over", and a push onto a full stack logs it again and drops the value.
// A count that a script or a snapshot set outside 0-64 never lets either leave the stack.
int32_t ValueStackPop(AdvContext& context);
void ValueStackPush(AdvContext& context, int32_t value);

// Variable n, or null (logged at level 0) when n names none.
int32_t* VariableAt(AdvContext& context, uint32_t n);
// Variable[result index] := value: how commands hand back their result. An index outside the
// variables is logged and nothing is written.
void SetCommandResult(AdvContext& context, int32_t value);

// Saves the first 256 cells of TempMemory on the memory stack (32 levels), and takes them back.
// "push memory stack over" and "pop memory stack none" are logged when there is no room or no
// level; nothing changes then.
void MemoryStackPush(AdvContext& context);
void MemoryStackPop(AdvContext& context);

// Appends a display operation at the end of the display queue under list id 1; 0 without memory
// (logged to the error log).
int DisplayQueueAppend(AdvContext& context, const DisplayOp& operation);

}  // namespace adv
