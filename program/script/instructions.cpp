// The instructions of command group 1. Arithmetic is 32-bit two's complement and wraps; every
// index an operand carries is bounded against its table before use.
#include "program/script/instructions.h"

#include <algorithm>
#include <array>
#include <limits>

#include "program/game/adv_context.h"
#include "program/game/game_task.h"
#include "program/layers/layer_services.h"
#include "program/script/arithmetic.h"
#include "program/script/engine_log.h"
#include "program/script/script_run.h"
#include "program/startup/yel_import.h"

namespace adv {
namespace {

using namespace arithmetic;

// Operand kinds (bits 28-31 of an operand word); 0 and 10-15 are immediates.
enum OperandKind : uint32_t {
  kUserMemory = 1,
  kSystemMemory = 2,
  kStackSlot = 3,
  kVariable = 4,
  kTempMemory = 5,
  kTableCell = 6,
  kTableCellIndirect = 7,
  kFrameSlot = 8,
  kFrameBase = 9,
};

int32_t* VoidCell(AdvContext& context) {
  context.values.void_cell = 0;
  return &context.values.void_cell;
}

int32_t* OutOfRange(AdvContext& context, uint32_t operand, int64_t index) {
  AdvDebugPrint(kLogError, "[%d]operand 0x%08X: index %lld out of range", context.script.pc,
                operand, static_cast<long long>(index));
  return VoidCell(context);
}

// The cell of a table at a bounded index.
template <size_t N>
int32_t* TableAt(AdvContext& context, uint32_t operand, std::array<int32_t, N>& table,
                 int64_t index) {
  if (index < 0 || index >= static_cast<int64_t>(N)) return OutOfRange(context, operand, index);
  return &table[static_cast<size_t>(index)];
}

int32_t* MemDatAt(AdvContext& context, uint32_t operand, int64_t index) {
  int32_t* cell = nullptr;
  if (index >= 0 && index <= std::numeric_limits<uint32_t>::max()) {
    cell = context.lists.TableCell(static_cast<uint32_t>(index));
  }
  return cell ? cell : OutOfRange(context, operand, index);
}

// Operands that index a table by a variable: V[n] of the operand.
int32_t* IndexedOperand(AdvContext& context, uint32_t operand, uint32_t kind, uint32_t n,
                        uint32_t e) {
  if (n >= static_cast<uint32_t>(kVariableCount)) return OutOfRange(context, operand, n);
  ValueStores& v = context.values;
  const int64_t index = v.variables[n];
  switch (kind) {
    case kUserMemory:
      return TableAt(context, operand, v.user_memory, index);
    case kSystemMemory:
      return TableAt(context, operand, v.system_memory, index);
    case kTempMemory:
      return TableAt(context, operand, v.temp_memory, e ? index + e + v.frame_base : index);
    case kTableCell:
      return MemDatAt(context, operand, index + e);
    default: {  // kTableCellIndirect: the element comes from bits 16-27 of cell e
      const int32_t* element = context.lists.TableCell(e);
      if (!element) return OutOfRange(context, operand, e);
      return MemDatAt(context, operand, index + ((static_cast<uint32_t>(*element) >> 16) & 0xFFF));
    }
  }
}

// Instructions with a destination and a source operand, both read before the operation.
template <int32_t (*Operation)(int32_t, int32_t)>
int BinaryInstruction(AdvContext& context) {
  int32_t* destination = FetchOperand(context);
  int32_t* source = FetchOperand(context);
  *destination = Operation(*destination, *source);
  return 1;
}

// OpNot and OpNegate name their variable by a plain word.
template <int32_t (*Operation)(int32_t)>
int VariableInstruction(AdvContext& context) {
  if (int32_t* cell = VariableAt(context, FetchWord(context) & 0xFFFF)) *cell = Operation(*cell);
  return 1;
}
int32_t Not(int32_t a) {
  return a == 0;
}
int32_t Negate(int32_t a) {
  return S(0u - U(a));
}

int OpJump(AdvContext& context) {
  JumpToLabel(context, U(*FetchOperand(context)));
  return 1;
}

int OpJumpIfZero(AdvContext& context) {
  const uint32_t label = FetchWord(context);
  if (*FetchOperand(context) == 0) JumpToLabel(context, label);
  return 1;
}

int Gosub(AdvContext& context) {
  const uint32_t label = U(*FetchOperand(context));
  const uint32_t return_offset = context.script.pc;
  if (!CallLabel(context, label, kReturnContinue) || !AdvLogWanted()) return 1;
  AdvDebugPrint(kLogTrace, "%s", "");
  AdvDebugPrint(kLogTrace, "gosub %d [%d] stack(%d)", S(return_offset), S(context.script.pc),
                context.values.value_count);
  return 1;
}

int OpEnd(AdvContext& context) {
  yel::YelEnd();
  context.script.stop = 1;
  return 1;
}

int OpNop(AdvContext&) {
  return 1;
}

int OpReset(AdvContext& context) {
  RunDisplayQueue(context);
  AdvResetState(context);
  return 1;
}

int OpPop(AdvContext& context) {
  int32_t* destination = FetchOperand(context);
  *destination = ValueStackPop(context);
  return 1;
}

int OpPush(AdvContext& context) {
  ValueStackPush(context, *FetchOperand(context));
  return 1;
}

// Values popped into the frame beyond its 512 cells are dropped. No more pops are made than the
// frame and the stack can hold between them, which changes nothing but the count of messages.
int OpEnterFrame(AdvContext& context) {
  const int32_t count =
      std::min<int32_t>(*FetchOperand(context), kFrameStackSize + kValueStackSize);
  ValueStores& v = context.values;
  for (int32_t i = 0; i < count; ++i) {
    const int32_t value = ValueStackPop(context);
    if (v.frame_top < 0 || v.frame_top >= kFrameStackSize) {
      AdvDebugPrint(kLogError, "[%d]frame stack over %d", context.script.pc, v.frame_top);
      continue;
    }
    v.frame_stack[v.frame_top++] = value;
  }
  ValueStackPush(context, v.frame_top);
  return 1;
}

// A frame top that would leave 0-512 is held at the nearest end.
int OpLeaveFrame(AdvContext& context) {
  ValueStores& v = context.values;
  const int64_t top = static_cast<int64_t>(v.frame_top) - *FetchOperand(context);
  if (top < 0 || top > kFrameStackSize) {
    AdvDebugPrint(kLogError, "[%d]frame stack out of range %lld", context.script.pc,
                  static_cast<long long>(top));
  }
  v.frame_top = static_cast<int32_t>(std::clamp<int64_t>(top, 0, kFrameStackSize));
  ValueStackPop(context);
  return 1;
}

// No return record left: the script starts again from its entry with a fresh scene.
void RestartFromEntry(AdvContext& context) {
  AdvResetState(context);
  context.script.pc = context.script.entry;
  context.buttons.system_buttons = {};
  AdvDebugPrint(kLogError, "戻り先がないので始めから開始します %x", context.script.pc);
  AdvDebugPrint(kLogTrace, "戻り先がないので始めから開始します %x", context.script.pc);
}

// lpop asked for frame registers back: pairs of {frame base, frame top} from the value stack.
// More pairs than the stack can hold only add "not stack" messages, so the loop stops there.
void RestoreFrames(AdvContext& context) {
  ValueStores& v = context.values;
  const int32_t pairs = std::min<int32_t>(context.skip.frame_restore_count, kValueStackSize);
  for (int32_t i = 0; i < pairs; ++i) {
    v.frame_base = ValueStackPop(context);
    v.frame_top = ValueStackPop(context);
  }
  context.skip.frame_restore_count = 0;
}

int Ret(AdvContext& context) {
  int32_t id = kListThreadPoint;
  auto* entry = reinterpret_cast<DataEntry*>(yel::YelListPop(context.display_queue, id));
  if (!entry) {
    id = kListReturnPoint;
    entry = reinterpret_cast<DataEntry*>(yel::YelListPop(context.display_queue, id));
  }
  if (!entry) {
    RestartFromEntry(context);
    return 1;
  }
  const DataEntry record = *entry;
  yel::YelMemoryFree(entry);
  if (id == kListThreadPoint || record.tag == kReturnThread) --context.thread.turn_count;
  if (id == kListThreadPoint || record.tag != kReturnContinue) context.script.stop = 1;
  if (context.skip.frame_restore_count > 0) RestoreFrames(context);
  context.script.pc = record.offset;
  if (id == kListReturnPoint && record.tag != kReturnThread && AdvLogWanted()) {
    AdvDebugPrint(kLogTrace, "ret [%d] stack(%d)", S(context.script.pc),
                  context.values.value_count);
    AdvDebugPrint(kLogTrace, "%s", "");
  }
  return 1;
}

// Indexed by the low 16 bits of the instruction word; slot 0 names none.
constexpr std::array<InstructionFunc, kInstructionSlots> kInstructions = {
    nullptr,
    BinaryInstruction<Move>,          // 0x01 OpMove
    BinaryInstruction<Add>,           // 0x02 OpAdd
    BinaryInstruction<Sub>,           // 0x03 OpSub
    BinaryInstruction<Mul>,           // 0x04 OpMul
    BinaryInstruction<Div>,           // 0x05 OpDiv
    BinaryInstruction<And>,           // 0x06 OpAnd
    BinaryInstruction<Or>,            // 0x07 OpOr
    BinaryInstruction<Xor>,           // 0x08 OpXor
    OpJump,                           // 0x09
    OpJumpIfZero,                     // 0x0A
    Gosub,                            // 0x0B gosub
    BinaryInstruction<Equal>,         // 0x0C OpEqual
    BinaryInstruction<NotEqual>,      // 0x0D OpNotEqual
    BinaryInstruction<LessEqual>,     // 0x0E OpLessEqual
    BinaryInstruction<GreaterEqual>,  // 0x0F OpGreaterEqual
    BinaryInstruction<Less>,          // 0x10 OpLess
    BinaryInstruction<Greater>,       // 0x11 OpGreater
    BinaryInstruction<LogicalOr>,     // 0x12 OpLogicalOr
    BinaryInstruction<LogicalAnd>,    // 0x13 OpLogicalAnd
    VariableInstruction<Not>,         // 0x14 OpNot
    OpEnd,                            // 0x15
    OpNop,                            // 0x16
    OpCallCommand,                    // 0x17
    Ret,                              // 0x18 ret
    OpReset,                          // 0x19
    BinaryInstruction<Mod>,           // 0x1A OpMod
    BinaryInstruction<ShiftLeft>,     // 0x1B OpShiftLeft
    BinaryInstruction<ShiftRight>,    // 0x1C OpShiftRight
    VariableInstruction<Negate>,      // 0x1D OpNegate
    OpPop,                            // 0x1E
    OpPush,                           // 0x1F
    OpEnterFrame,                     // 0x20
    OpLeaveFrame,                     // 0x21
};

}  // namespace

InstructionFunc InstructionFor(uint32_t word) {
  const uint32_t index = word & 0xFFFF;
  return index < kInstructions.size() ? kInstructions[index] : nullptr;
}

uint32_t FetchWord(AdvContext& context) {
  return FetchWord(context.script);
}

int32_t* FetchOperand(AdvContext& context) {
  const uint32_t operand = FetchWord(context.script);
  const uint32_t kind = operand >> 28;
  const uint32_t n = operand & 0xFFFF;
  ValueStores& v = context.values;
  switch (kind) {
    case kUserMemory:
    case kSystemMemory:
    case kTempMemory:
    case kTableCell:
    case kTableCellIndirect:
      return IndexedOperand(context, operand, kind, n, (operand >> 16) & 0xFFF);
    case kStackSlot:
      return TableAt(context, operand, v.value_stack, n);
    case kVariable:
      return TableAt(context, operand, v.variables, n);
    case kFrameSlot:
      return TableAt(context, operand, v.frame_stack, static_cast<int64_t>(v.frame_top) - n);
    case kFrameBase:
      return &v.frame_base;
    default:
      v.immediate = S(operand);
      return &v.immediate;
  }
}

bool LabelOffset(AdvContext& context, uint32_t label, uint32_t* offset) {
  if (context.lists.LabelOffset(label, offset)) return true;
  AdvDebugPrint(kLogError, "[%d]label %u is not in Point.dat", context.script.pc, label);
  return false;
}

bool JumpToLabel(AdvContext& context, uint32_t label) {
  uint32_t offset = 0;
  if (!LabelOffset(context, label, &offset)) return false;
  context.script.pc = context.script.origin + offset;
  return true;
}

bool CallLabel(AdvContext& context, uint32_t label, uint32_t tag) {
  uint32_t offset = 0;
  if (!LabelOffset(context, label, &offset)) return false;
  PushDataEntry(context, kListReturnPoint, context.script.pc, tag);
  context.script.pc = context.script.origin + offset;
  return true;
}

}  // namespace adv
