// One pass of the main thread's run loop. The common instructions (two-operand arithmetic and
// comparisons on variables and immediates, jumps to known labels, push, pop, nop) run inline from
// their decoded form (inline_code.h) with the program counter in a register; everything else, and
// every case that reports or could leave the code, goes through ScriptStep with the registers
// written back first, so a script sees the same thing either way.
#include <bit>

#include "os/byte_order.h"
#include "os/clock.h"
#include "program/game/adv_context.h"
#include "program/script/inline_run.h"
#include "program/script/instructions.h"
#include "program/script/script_run.h"
#include "program/startup/yel_import.h"

namespace adv {
namespace {

// Taken backward jumps between two looks at the end request: often enough that a script that
// never yields sees it within a few milliseconds, rarely enough to cost nothing.
constexpr int32_t kEndCheckRounds = 1024;
// An instruction run by ScriptStep counts as this many jumps (a command may take a while).
constexpr int32_t kStepRounds = 32;
// How long the last process may run once the end was requested.
constexpr uint32_t kLastProcessMs = 500;

// What ends a pass before an instruction and what the inline path may run; only an instruction
// run by ScriptStep can change it, so it is taken again after each of those.
struct PassView {
  const InlineOp* ops;
  // Decoded positions the inline path may run: none while a history skip runs (its arrival is
  // checked before every instruction) or while a script point stands (rare outside waits, and
  // the pass must stop on it).
  uint32_t op_count;
  uint32_t origin;
  uint32_t size;
  uint32_t point;  // the top script point, or the code size when there is none

  // Whether pc starts a whole word of the code in an open view: the checks ScriptStep makes
  // before an instruction then find nothing (no script point, no history skip, inside the code).
  bool HoldsWord(uint32_t pc) const {
    // An unaligned pc turns into an index beyond every table; the last position is the end.
    const uint32_t index = std::rotr(pc - origin, 2);
    return index < op_count && index != op_count - 1;
  }
};

PassView ViewOf(AdvContext& context) {
  ScriptState& state = context.script;
  InlineCode& decoded = state.inline_code;
  if (!decoded.FitsFor(state.code, context.lists, state.origin)) {
    decoded.Build(state.code, context.lists, state.origin);
  }
  PassView view{};
  view.ops = decoded.ops.data();
  view.origin = state.origin;
  view.size = state.code.size();
  view.point = view.size;
  if (state.point_count > 0 && state.point_count <= kScriptPointStackSize) {
    view.point = state.points[state.point_count - 1];
  }
  const bool open = !context.skip.history_skip && view.point == view.size;
  view.op_count = open ? static_cast<uint32_t>(decoded.ops.size()) : 0;
  return view;
}

// Whether an end request ends the pass now. The last process, which runs after the request,
// gets a while first.
struct EndWatch {
  bool last_process;
  uint32_t start_ms;

  bool EndsPass() const {
    if (!yel::IsSystemEnd()) return false;
    return !last_process || os::TimeMs() - start_ms >= kLastProcessMs;
  }
};

int RunPass(AdvContext& context, EndWatch end_watch) {
  ScriptState& state = context.script;
  if (AdvHasAsyncFunction() || state.threaded.load()) return 1;
  state.running = 1;
  ValueStores& values = context.values;
  PassView view = ViewOf(context);
  uint32_t pc = state.pc;
  // The start of the last instruction run inline, written back when the pass ends after it.
  bool inline_last = false;
  uint32_t last_pc = 0;
  int32_t rounds = kEndCheckRounds;
  for (;;) {
    // An unaligned pc turns into an index beyond every table. An instruction for the table
    // goes straight there, as one after another often do.
    const uint32_t index = std::rotr(pc - view.origin, 2);
    if (index < view.op_count && view.ops[index].kind != InlineKind::kTable) {
      const InlineStop stop = RunInlineCode(values, view.ops, index, &rounds);
      pc = view.origin + 4 * static_cast<uint32_t>(stop.next - view.ops);
      if (stop.last) {
        inline_last = true;
        last_pc = view.origin + 4 * static_cast<uint32_t>(stop.last - view.ops);
      }
      if (rounds <= 0) {
        rounds = kEndCheckRounds;
        if (end_watch.EndsPass()) break;
        continue;
      }
    }
    if (pc == view.size || pc == view.point) break;
    inline_last = false;
    rounds -= kStepRounds;
    if (rounds <= 0) {
      rounds = kEndCheckRounds;
      if (end_watch.EndsPass()) break;
    }
    state.pc = pc;
    const ScriptStepResult result =
        view.HoldsWord(pc) ? ScriptStepInsideCode(context) : ScriptStep(context);
    pc = state.pc;
    if (result == ScriptStepResult::kReturn) return 1;
    if (result == ScriptStepResult::kEndPass) break;
    view = ViewOf(context);
  }
  state.pc = pc;
  if (inline_last) {
    context.script_position = last_pc;
    state.current_word = os::LoadLe32(state.code.image.data() + last_pc);
    state.stop = 0;
  }
  state.running = 0;
  return state.threaded.load() ? 0 : 1;
}

}  // namespace

int ScriptRunUntilWait(AdvContext& context) {
  return RunPass(context, EndWatch{false, 0});
}

int ScriptRunLastProcess(AdvContext& context) {
  return RunPass(context, EndWatch{true, os::TimeMs()});
}

}  // namespace adv
