// The inline path's dispatch, in two forms over one set of instruction bodies. A pass runs the
// threaded form: every body ends in its own indirect jump to the next instruction's body, so the
// processor predicts each instruction from the one before it rather than from one shared jump.
// The work-thread mode, which takes the render lock around every instruction, runs one at a time
// through a switch that the compiler can inline.
#include "program/script/inline_run.h"

#include <bit>
#include <cstddef>

#include "os/byte_order.h"
#include "program/game/adv_context.h"
#include "program/script/arithmetic.h"
#include "program/script/script_run.h"

namespace adv {
namespace {

using namespace arithmetic;

// The two-operand instructions, in the order of their InlineKind values.
// clang-format off
#define ADV_INLINE_BINARIES(X)                                                              \
  X(Move) X(Add) X(Sub) X(Mul) X(Div) X(And) X(Or) X(Xor) X(Equal) X(NotEqual) X(LessEqual) \
  X(GreaterEqual) X(Less) X(Greater) X(LogicalOr) X(LogicalAnd) X(Mod) X(ShiftLeft) X(ShiftRight)
// clang-format on

// The body of every decoded instruction, with `op` the instruction, `v` the value stores and
// `cells` their variables. Each form defines ADV_CASE(kind) (where a body starts),
// ADV_NEXT(words) (move on by that many words of code), ADV_JUMP(index) (go to a table position)
// and ADV_REFUSE() (stop with the instruction not run, for the table to run and report).
#define ADV_BINARY_BODIES(name)                                           \
  ADV_CASE(name##Var) {                                                   \
    int32_t& cell = cells[op->destination];                               \
    cell = name(cell, cells[op->source]);                                 \
    ADV_NEXT(3);                                                          \
  }                                                                       \
  ADV_CASE(name##Imm) {                                                   \
    v.immediate = op->source; /* the shared cell keeps every immediate */ \
    int32_t& cell = cells[op->destination];                               \
    cell = name(cell, op->source);                                        \
    ADV_NEXT(3);                                                          \
  }
#define ADV_BODIES                                                               \
  ADV_INLINE_BINARIES(ADV_BINARY_BODIES)                                         \
  ADV_CASE(JumpImm) {                                                            \
    v.immediate = op->source;                                                    \
    ADV_JUMP(op->target);                                                        \
  }                                                                              \
  ADV_CASE(JumpIfZeroVar) {                                                      \
    if (cells[op->source] == 0) ADV_JUMP(op->target);                            \
    ADV_NEXT(3);                                                                 \
  }                                                                              \
  ADV_CASE(JumpIfZeroImm) {                                                      \
    v.immediate = op->source;                                                    \
    if (op->source == 0) ADV_JUMP(op->target);                                   \
    ADV_NEXT(3);                                                                 \
  }                                                                              \
  ADV_CASE(Nop) {                                                                \
    ADV_NEXT(1);                                                                 \
  }                                                                              \
  /* The push that would fill the stack goes to the table, which reports it. */  \
  ADV_CASE(PushVar) {                                                            \
    if (v.value_count < 0 || v.value_count >= kValueStackSize - 1) ADV_REFUSE(); \
    v.value_stack[v.value_count++] = cells[op->source];                          \
    ADV_NEXT(2);                                                                 \
  }                                                                              \
  ADV_CASE(PushImm) {                                                            \
    if (v.value_count < 0 || v.value_count >= kValueStackSize - 1) ADV_REFUSE(); \
    v.immediate = op->source;                                                    \
    v.value_stack[v.value_count++] = op->source;                                 \
    ADV_NEXT(2);                                                                 \
  }                                                                              \
  ADV_CASE(Pop) {                                                                \
    if (v.value_count <= 0 || v.value_count > kValueStackSize) ADV_REFUSE();     \
    cells[op->destination] = v.value_stack[--v.value_count];                     \
    ADV_NEXT(2);                                                                 \
  }

}  // namespace

InlineStop RunInlineCode(ValueStores& v, const InlineOp* ops, uint32_t index, int32_t* rounds) {
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
#define ADV_CASE(kind) \
  kind:
#define ADV_NEXT(words) \
  do {                  \
    last = op;          \
    op += (words);      \
    ADV_DISPATCH();     \
  } while (0)
// Only a jump goes back, and only a loop can keep the pass from its end.
#define ADV_JUMP(to_index)                 \
  do {                                     \
    last = op;                             \
    const InlineOp* to = ops + (to_index); \
    const bool back = to <= op;            \
    op = to;                               \
    if (back && --*rounds <= 0) goto stop; \
    ADV_DISPATCH();                        \
  } while (0)
#define ADV_REFUSE() goto stop

  ADV_DISPATCH();
  ADV_BODIES

#undef ADV_REFUSE
#undef ADV_JUMP
#undef ADV_NEXT
#undef ADV_CASE
#undef ADV_DISPATCH
stop:
  return InlineStop{op, last};
}

namespace {

// One instruction by the switch form.
inline InlineStop StepInline(ValueStores& v, const InlineOp* ops, uint32_t index) {
  const InlineOp* op = ops + index;
  int32_t* const cells = v.variables.data();
#define ADV_CASE(kind) case InlineKind::k##kind:
#define ADV_NEXT(words) \
  return InlineStop {   \
    op + (words), op    \
  }
#define ADV_JUMP(to_index) \
  return InlineStop {      \
    ops + (to_index), op   \
  }
#define ADV_REFUSE()  \
  return InlineStop { \
    op, nullptr       \
  }
  switch (op->kind) {
    ADV_BODIES
    case InlineKind::kTable:
      break;
  }
#undef ADV_REFUSE
#undef ADV_JUMP
#undef ADV_NEXT
#undef ADV_CASE
  return InlineStop{op, nullptr};
}

}  // namespace

bool ScriptStepInline(AdvContext& context) {
  ScriptState& state = context.script;
  InlineCode& decoded = state.inline_code;
  if (!decoded.FitsFor(state.code, context.lists, state.origin)) {
    decoded.Build(state.code, context.lists, state.origin);
  }
  const uint32_t at = state.pc;
  const uint32_t index = std::rotr(at - state.origin, 2);
  if (index >= decoded.ops.size()) return false;
  const InlineStop stop = StepInline(context.values, decoded.ops.data(), index);
  if (!stop.last) return false;
  context.script_position = at;
  state.current_word = os::LoadLe32(state.code.image.data() + at);
  state.stop = 0;
  state.pc = state.origin + 4 * static_cast<uint32_t>(stop.next - decoded.ops.data());
  return true;
}

#undef ADV_BODIES
#undef ADV_BINARY_BODIES
#undef ADV_INLINE_BINARIES

}  // namespace adv
