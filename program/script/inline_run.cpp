// The inline path's dispatch. Every handler ends in its own indirect jump to the next
// instruction's handler, so the processor predicts each instruction from the one before it
// rather than from one shared jump; the program counter is the position in the decoded table.
#include "program/script/inline_run.h"

#include <cstddef>

#include "program/script/arithmetic.h"

namespace adv {
namespace {

using namespace arithmetic;

// The two-operand instructions, in the order of their InlineKind values.
// clang-format off
#define ADV_INLINE_BINARIES(X)                                                              \
  X(Move) X(Add) X(Sub) X(Mul) X(Div) X(And) X(Or) X(Xor) X(Equal) X(NotEqual) X(LessEqual) \
  X(GreaterEqual) X(Less) X(Greater) X(LogicalOr) X(LogicalAnd) X(Mod) X(ShiftLeft) X(ShiftRight)
// clang-format on

// kOne runs a single instruction: the work-thread mode takes the render lock around each one.
template <bool kOne>
InlineStop Run(ValueStores& v, const InlineOp* ops, uint32_t index, int32_t* rounds) {
#define ADV_LABELS(name) &&name##Var, &&name##Imm,
  // clang-format off
  static constexpr void* kHandlers[] = {
      &&stop, &&stop,  // kTable, and the unused kind 1
      ADV_INLINE_BINARIES(ADV_LABELS)
      &&JumpImm, &&JumpIfZeroVar, &&JumpIfZeroImm, &&Nop, &&PushVar, &&PushImm, &&Pop,
  };
  // clang-format on
#undef ADV_LABELS
  static_assert(sizeof kHandlers / sizeof kHandlers[0] ==
                static_cast<std::size_t>(InlineKind::kPop) + 1);
  const InlineOp* op = ops + index;
  const InlineOp* last = nullptr;
  int32_t* const cells = v.variables.data();

#define ADV_DISPATCH() goto* kHandlers[static_cast<uint8_t>(op->kind)]
// Moves on by `words` words of code.
#define ADV_NEXT(words)  \
  do {                   \
    last = op;           \
    op += (words);       \
    if (kOne) goto stop; \
    ADV_DISPATCH();      \
  } while (0)
// Only a jump goes back, and only a loop can keep the pass from its end.
#define ADV_JUMP(to_index)                           \
  do {                                               \
    last = op;                                       \
    const InlineOp* to = ops + (to_index);           \
    const bool back = to <= op;                      \
    op = to;                                         \
    if (kOne || (back && --*rounds <= 0)) goto stop; \
    ADV_DISPATCH();                                  \
  } while (0)

  ADV_DISPATCH();

#define ADV_HANDLERS(name)                                                \
  name##Var : {                                                           \
    int32_t& cell = cells[op->destination];                               \
    cell = name(cell, cells[op->source]);                                 \
    ADV_NEXT(3);                                                          \
  }                                                                       \
  name##Imm : {                                                           \
    v.immediate = op->source; /* the shared cell keeps every immediate */ \
    int32_t& cell = cells[op->destination];                               \
    cell = name(cell, op->source);                                        \
    ADV_NEXT(3);                                                          \
  }
  ADV_INLINE_BINARIES(ADV_HANDLERS)
#undef ADV_HANDLERS

JumpImm:
  v.immediate = op->source;
  ADV_JUMP(op->target);
JumpIfZeroVar:
  if (cells[op->source] == 0) ADV_JUMP(op->target);
  ADV_NEXT(3);
JumpIfZeroImm:
  v.immediate = op->source;
  if (op->source == 0) ADV_JUMP(op->target);
  ADV_NEXT(3);
Nop:
  ADV_NEXT(1);
PushVar:
  // The push that would fill the stack goes to the table, which reports it.
  if (v.value_count < 0 || v.value_count >= kValueStackSize - 1) goto stop;
  v.value_stack[v.value_count++] = cells[op->source];
  ADV_NEXT(2);
PushImm:
  if (v.value_count < 0 || v.value_count >= kValueStackSize - 1) goto stop;
  v.immediate = op->source;
  v.value_stack[v.value_count++] = op->source;
  ADV_NEXT(2);
Pop:
  if (v.value_count <= 0 || v.value_count > kValueStackSize) goto stop;
  cells[op->destination] = v.value_stack[--v.value_count];
  ADV_NEXT(2);

#undef ADV_JUMP
#undef ADV_NEXT
#undef ADV_DISPATCH
stop:
  return InlineStop{op, last};
}

#undef ADV_INLINE_BINARIES

}  // namespace

InlineStop RunInlineCode(ValueStores& v, const InlineOp* ops, uint32_t index, int32_t* rounds) {
  return Run<false>(v, ops, index, rounds);
}

InlineStop RunInlineStep(ValueStores& v, const InlineOp* ops, uint32_t index) {
  int32_t rounds = 1;
  return Run<true>(v, ops, index, &rounds);
}

}  // namespace adv
