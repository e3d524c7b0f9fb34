// The common instructions of a loaded script decoded once, for the run loop's inline path: each
// word position of the code (from the code origin, in steps of 4) holds what the instruction
// starting there does when it is a two-operand instruction on a variable with a variable or an
// immediate source, a jump to a label at a word position, a push or pop of a variable or
// immediate, or nop, and every word it reads lies inside the code. One position more stands for
// the end of the code's whole words.
// Anything else is marked for the instruction table, which does all the checking and reporting.
#pragma once

#include <cstdint>
#include <vector>

#include "program/data/script_files.h"

namespace adv {

enum class InlineKind : uint8_t {
  kTable = 0,  // run through the instruction table
  // Two-operand instructions: the low bit is 1 for an immediate source.
  kMoveVar = 2, kMoveImm, kAddVar, kAddImm, kSubVar, kSubImm, kMulVar, kMulImm,
  kDivVar, kDivImm, kAndVar, kAndImm, kOrVar, kOrImm, kXorVar, kXorImm,
  kEqualVar, kEqualImm, kNotEqualVar, kNotEqualImm, kLessEqualVar, kLessEqualImm,
  kGreaterEqualVar, kGreaterEqualImm, kLessVar, kLessImm, kGreaterVar, kGreaterImm,
  kLogicalOrVar, kLogicalOrImm, kLogicalAndVar, kLogicalAndImm, kModVar, kModImm,
  kShiftLeftVar, kShiftLeftImm, kShiftRightVar, kShiftRightImm,
  kJumpImm,        // jmp to an immediate label
  kJumpIfZeroVar,  // jz to a label on a variable or an immediate
  kJumpIfZeroImm,
  kNop,
  kPushVar,  // push onto a stack that keeps room after it (the push that fills it reports)
  kPushImm,
  kPop,      // pop into a variable from a stack that holds a value
};

struct InlineOp {
  InlineKind kind = InlineKind::kTable;
  uint8_t destination = 0;  // the variable written (two-operand instructions)
  int32_t source = 0;       // a variable number or the immediate (label for kJumpImm)
  uint32_t target = 0;      // the position (index into the table) a jump goes to
};

struct InlineCode {
  // What the table was built from; a different image or label table makes it stale.
  uint64_t code_generation = 0;
  uint64_t label_generation = 0;
  uint32_t origin = 0;
  std::vector<InlineOp> ops;  // index (pc - origin) / 4, and one for the end

  // Inline: the work-thread mode asks before every instruction.
  bool FitsFor(const ScriptCode& code, const ListFileRecord& lists, uint32_t code_origin) const {
    return code_generation == code.generation && label_generation == lists.LabelGeneration() &&
           origin == code_origin;
  }
  void Build(const ScriptCode& code, const ListFileRecord& lists, uint32_t code_origin);
};

}  // namespace adv
