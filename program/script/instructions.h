// The instruction set of command group 1: operand reading, the frame stack, label jumps, calls
// and returns.
#pragma once

#include <cstdint>

#include "program/script/command_table.h"
#include "program/script/script_state.h"

namespace adv {

struct AdvContext;

using InstructionFunc = CommandHandler;

inline constexpr uint32_t kGroupVm = 0x0001;
inline constexpr uint32_t kOpCallCommand = 0x00010017;
inline constexpr uint32_t kCommandCallSize = 12;
// Slots 0x00 (none) to 0x21.
inline constexpr uint32_t kInstructionSlots = 0x22;

// The instruction the low 16 bits of a word name, or null (0, 0x22 and above).
InstructionFunc InstructionFor(uint32_t word);

// The word at the program counter, which moves on by 4. A word the code does not hold reads 0;
// the run loop then finds the program counter outside the code and ends the pass.
inline uint32_t FetchWord(ScriptState& state) {
  uint32_t word = 0;
  state.code.Word(state.pc, &word);
  state.pc += 4;
  return word;
}
uint32_t FetchWord(AdvContext& context);
// Reads an operand word and returns its cell. A cell outside its table is logged at level 0 and
// stands in as a cell that reads 0 and keeps nothing written to it.
int32_t* FetchOperand(AdvContext& context);

// The offset (from the code origin) of a label; false, logged at level 0, for a label that
// "Point.dat" does not hold. Label 0 is offset 0.
bool LabelOffset(AdvContext& context, uint32_t label, uint32_t* offset);
// Program counter := code origin + the label's offset; false (nothing moves) for an unknown label.
bool JumpToLabel(AdvContext& context, uint32_t label);
// Calls a label as a subroutine: a return record {program counter, tag} is pushed (its failure
// is logged and the call still happens) and the program counter moves to the label. False,
// with nothing pushed or moved, for an unknown label.
bool CallLabel(AdvContext& context, uint32_t label, uint32_t tag);

}  // namespace adv
