#include "program/script/inline_code.h"

#include <span>

#include "os/byte_order.h"
#include "program/data/script_files.h"
#include "program/script/value_stores.h"

namespace adv {
namespace {

constexpr uint32_t kGroupVmWord = 0x10000;
// A variable operand as the assembler writes it: kind 4, no element bits, n below 255. Other
// spellings of a variable (element bits set) take the table path.
constexpr uint32_t kPlainVariable = 0x40000000;

bool IsPlainVariable(uint32_t operand) {
  return operand - kPlainVariable < static_cast<uint32_t>(kVariableCount);
}
bool IsImmediate(uint32_t operand) { return (operand >> 28) - 1 >= 9; }

// The first kind of each two-operand instruction, by its low 16 bits (0 = not one).
InlineKind BinaryKind(uint32_t opcode) {
  switch (opcode) {
    case 0x01: return InlineKind::kMoveVar;
    case 0x02: return InlineKind::kAddVar;
    case 0x03: return InlineKind::kSubVar;
    case 0x04: return InlineKind::kMulVar;
    case 0x05: return InlineKind::kDivVar;
    case 0x06: return InlineKind::kAndVar;
    case 0x07: return InlineKind::kOrVar;
    case 0x08: return InlineKind::kXorVar;
    case 0x0C: return InlineKind::kEqualVar;
    case 0x0D: return InlineKind::kNotEqualVar;
    case 0x0E: return InlineKind::kLessEqualVar;
    case 0x0F: return InlineKind::kGreaterEqualVar;
    case 0x10: return InlineKind::kLessVar;
    case 0x11: return InlineKind::kGreaterVar;
    case 0x12: return InlineKind::kLogicalOrVar;
    case 0x13: return InlineKind::kLogicalAndVar;
    case 0x1A: return InlineKind::kModVar;
    case 0x1B: return InlineKind::kShiftLeftVar;
    case 0x1C: return InlineKind::kShiftRightVar;
    default: return InlineKind::kTable;
  }
}

// A source operand: the variable number or the immediate, and whether it is an immediate;
// false for the kinds the table path handles.
bool DecodeSource(uint32_t operand, InlineOp& op, bool* immediate) {
  if (IsPlainVariable(operand)) {
    op.source = static_cast<int32_t>(operand - kPlainVariable);
    *immediate = false;
    return true;
  }
  if (!IsImmediate(operand)) return false;
  op.source = static_cast<int32_t>(operand);
  *immediate = true;
  return true;
}

InlineKind WithSource(InlineKind var_kind, bool immediate) {
  return static_cast<InlineKind>(static_cast<uint8_t>(var_kind) + (immediate ? 1 : 0));
}

// The table position a label names: a whole word of the code, or the end of the code's whole
// words. A label elsewhere is left to the table path, which moves there and reports what follows.
bool LabelIndex(std::span<const uint32_t> labels, uint32_t label, uint32_t last_index,
                uint32_t* index) {
  if (label >= labels.size()) return false;
  const uint32_t offset = labels[label];
  if (offset % 4 != 0 || offset / 4 > last_index) return false;
  *index = offset / 4;
  return true;
}

// The instruction at `at` with `left` bytes of code from it; last_index is the table's end.
InlineOp Decode(const uint8_t* at, uint32_t left, std::span<const uint32_t> labels,
                uint32_t last_index) {
  InlineOp op;
  const uint32_t word = os::LoadLe32(at);
  if ((word >> 16) != (kGroupVmWord >> 16)) return op;
  const uint32_t opcode = word & 0xFFFF;
  if (opcode == 0x16) {
    op.kind = InlineKind::kNop;
    return op;
  }
  if (opcode == 0x09) {  // jmp label: the label passes through the immediate cell
    const uint32_t label = left >= 8 ? os::LoadLe32(at + 4) : 0;
    if (left < 8 || !IsImmediate(label) || !LabelIndex(labels, label, last_index, &op.target)) {
      return op;
    }
    op.kind = InlineKind::kJumpImm;
    op.source = static_cast<int32_t>(label);
    return op;
  }
  if ((opcode == 0x1F || opcode == 0x1E) && left >= 8) {  // push s / pop d
    const uint32_t operand = os::LoadLe32(at + 4);
    bool immediate = false;
    if (opcode == 0x1E) {
      if (!IsPlainVariable(operand)) return op;
      op.kind = InlineKind::kPop;
      op.destination = static_cast<uint8_t>(operand - kPlainVariable);
    } else if (DecodeSource(operand, op, &immediate)) {
      op.kind = WithSource(InlineKind::kPushVar, immediate);
    }
    return op;
  }
  if (left < 12) return op;
  const uint32_t first = os::LoadLe32(at + 4);
  const uint32_t second = os::LoadLe32(at + 8);
  bool immediate = false;
  if (opcode == 0x0A) {  // jz label, operand
    if (!LabelIndex(labels, first, last_index, &op.target)) return op;
    if (!DecodeSource(second, op, &immediate)) return op;
    op.kind = WithSource(InlineKind::kJumpIfZeroVar, immediate);
    return op;
  }
  const InlineKind binary = BinaryKind(opcode);
  if (binary == InlineKind::kTable || !IsPlainVariable(first)) return op;
  if (!DecodeSource(second, op, &immediate)) return op;
  op.kind = WithSource(binary, immediate);
  op.destination = static_cast<uint8_t>(first - kPlainVariable);
  return op;
}

}  // namespace

void InlineCode::Build(const ScriptCode& code, const ListFileRecord& lists, uint32_t code_origin) {
  code_generation = code.generation;
  label_generation = lists.LabelGeneration();
  origin = code_origin;
  ops.clear();
  const uint32_t size = code.size();
  if (code_origin > size) return;
  const std::span<const uint32_t> labels = lists.LabelOffsets();
  // One more position than the code has whole words: the end, where the table path takes over.
  const uint32_t last_index = (size - code_origin) / 4;
  ops.resize(last_index + 1);
  for (uint32_t i = 0; i < last_index; ++i) {
    const uint32_t pc = code_origin + 4 * i;
    ops[i] = Decode(code.image.data() + pc, size - pc, labels, last_index);
  }
}

}  // namespace adv
