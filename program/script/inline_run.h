// Runs the decoded instructions of inline_code.h one after another, each handing on straight to
// the next, until one that the instruction table must run. ScriptStepInline (script_run.h), the
// work-thread mode's one instruction at a time, lives beside it.
#pragma once

#include <cstdint>

#include "program/script/inline_code.h"
#include "program/script/value_stores.h"

namespace adv {

// Where a run stopped: `next` is the next instruction, not run; `last` the last one run, null
// when none ran. Two pointers come back in registers.
struct InlineStop {
  const InlineOp* next;
  const InlineOp* last;
};

// Runs from ops[index] on. Each backward jump counts *rounds down; the run stops at the jump's
// target when it reaches 0, so that the caller can look at the end request. The table must end
// with an instruction the table runs (InlineCode keeps one there).
InlineStop RunInlineCode(ValueStores& v, const InlineOp* ops, uint32_t index, int32_t* rounds);

}  // namespace adv
