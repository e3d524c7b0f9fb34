// The interpreter's instructions (command group 1) as the assembler writes them, and the operand
// word format they read.
#pragma once

#include <cstdint>
#include <string_view>

namespace advasm {

// How each word after an instruction word is written:
//   'd' an operand the instruction writes (a cell; an immediate is allowed, it writes the
//       shared immediate cell),
//   's' an operand the instruction reads,
//   'l' a plain word holding a label number (not an operand),
//   'v' a plain word holding a variable index that the instruction writes.
struct InstructionInfo {
  std::string_view mnemonic;  // what sources write: "mov"
  std::string_view name;      // the engine's name, accepted too: "OpMove"
  uint32_t code;
  std::string_view words;
};

// Finds an instruction by mnemonic or engine name; nullptr when there is none.
const InstructionInfo* FindInstruction(std::string_view name);

inline constexpr uint32_t kCallCommandCode = 0x00010017u;
inline constexpr uint32_t kPushCode = 0x0001001Fu;
inline constexpr uint32_t kMoveCode = 0x00010001u;
inline constexpr uint32_t kOrCode = 0x00010007u;
inline constexpr uint32_t kShiftLeftCode = 0x0001001Bu;

// Operand words: kind in bits 28-31, element e in bits 16-27, index n in bits 0-15.
enum class OperandKind : uint32_t {
  kImmediate = 0,
  kUser = 1,       // UserMemory[V[n]]
  kSystem = 2,     // SystemMemory[V[n]]
  kStack = 3,      // ValueStack slot n
  kVariable = 4,   // V[n]
  kTemp = 5,       // TempMemory[V[n] + (e ? e + frame base : 0)]
  kTable = 6,      // "Mem.dat" cell V[n] + e
  kTableLink = 7,  // "Mem.dat" cell V[n] + bits 16-27 of cell e
  kFrame = 8,      // FrameStack[frame top - n]
  kFrameBase = 9,  // the frame base register
};

inline constexpr uint32_t OperandWord(OperandKind kind, uint32_t element, uint32_t index) {
  return static_cast<uint32_t>(kind) << 28 | (element & 0xFFFu) << 16 | (index & 0xFFFFu);
}

// Values an immediate operand holds as itself: kinds 0 and 10 to 15.
inline constexpr bool IsImmediate(uint32_t value) {
  return value < 0x10000000u || value >= 0xA0000000u;
}

inline constexpr int kVariableCount = 255;
inline constexpr int kValueStackSize = 64;
inline constexpr int kFrameStackSize = 512;
inline constexpr uint32_t kMaxElement = 0xFFF;
// The value-stack slot that instruction sequences use as a scratch cell for values no
// immediate can hold. Slot 63 only holds a pushed value when the stack is full.
inline constexpr uint32_t kScratchSlot = 63;
inline constexpr uint32_t kStringVariableBit = 0x10000000u;
inline constexpr uint32_t kNoReference = 0x0FFFFFFFu;
inline constexpr int kStringVariableCount = 16;

}  // namespace advasm
