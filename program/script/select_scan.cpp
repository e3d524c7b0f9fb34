#include "program/script/select_scan.h"

#include "program/game/adv_context.h"
#include "program/script/engine_log.h"
#include "program/script/instructions.h"
#include "program/script/script_run.h"

namespace adv {
namespace {

int Malformed(AdvContext& context) {
  AdvDebugPrint(kLogError, "[%d]select命令の形式に誤りがあります。", context.script.pc);
  return 0;
}

bool WholeWordAt(const ScriptState& state) {
  uint32_t word = 0;
  return state.pc >= state.origin && state.code.Word(state.pc, &word);
}

}  // namespace

int SelectRunItemList(AdvContext& context, const std::function<bool(AdvContext&)>& add_item) {
  ScriptState& state = context.script;
  // A straight list runs fewer instructions than the code has words; more means a loop.
  const uint32_t step_limit = state.code.size() / 4;
  for (uint32_t step = 0; step <= step_limit; ++step) {
    if (!WholeWordAt(state)) return Malformed(context);
    const uint32_t word = FetchWord(context);
    if (word == kOpCallCommand) {
      const uint32_t code = FetchWord(context);
      FetchWord(context);  // the result index: the list's calls have no result
      if (code == kSelectItemCode) {
        if (!add_item(context)) return 0;
        continue;
      }
      if (code != kEndSelectCode) return Malformed(context);
      if (!ForcedSkipRunning(context)) state.pc -= kCommandCallSize;
      return 1;
    }
    const InstructionFunc instruction = (word >> 16) == kGroupVm ? InstructionFor(word) : nullptr;
    if (!instruction) return Malformed(context);
    state.current_word = word;
    instruction(context);
  }
  return Malformed(context);
}

}  // namespace adv
