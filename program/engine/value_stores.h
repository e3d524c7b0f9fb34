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

}  // namespace adv
