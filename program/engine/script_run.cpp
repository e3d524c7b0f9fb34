// The run loops: one pass of the main thread, and the loop of the work-thread mode.
#include "program/engine/script_run.h"

#include "os/clock.h"
#include "program/engine/adv_context.h"
#include "program/engine/instructions.h"
#include "program/engine/yel_import.h"

namespace adv {
namespace {

std::atomic<AsyncFunction> g_async_function{nullptr};
std::atomic<int32_t> g_script_thread_id{kRunMain};

// Runs the instruction word just read. Words of other groups and instructions that fail are
// reported and passed over.
void Execute(AdvContext& context, uint32_t word, const char* group_error) {
  ScriptState& state = context.script;
  if ((word >> 16) != kGroupVm) {
    yel::YelDebugPrintf(0, "", group_error, state.pc, word);
    yel::YelDebugPrintf(10, "", group_error, state.pc, word);
    return;
  }
  const InstructionFunc instruction = InstructionFor(word);
  if (!instruction || instruction(context) == 0) {
    yel::YelDebugPrintf(0, "", "[%d]内部エラー code = [0x%08X]", state.pc, state.current_word);
  }
}

// Reads the next instruction word; false when the program counter has left the code.
bool FetchInstruction(AdvContext& context, uint32_t& word) {
  ScriptState& state = context.script;
  if (!state.code.Word(state.pc, &word)) {
    yel::YelErrorLogPrintf("[%d]script position outside the code", state.pc);
    return false;
  }
  state.pc += 4;
  state.current_word = word;
  return true;
}

// The pass ends at the script's waiting point, at the end of the code and where it cannot go on.
bool PassEndsHere(const ScriptState& state) {
  if (state.pc == state.code.size()) return true;
  return state.point_count > 0 && state.pc == state.points[state.point_count - 1];
}

}  // namespace

void AdvSetAsyncFunction(AsyncFunction function) { g_async_function = function; }
AsyncFunction AdvGetAsyncFunction() { return g_async_function.load(); }
bool AdvHasAsyncFunction() { return g_async_function.load() != nullptr; }

bool AdvCallAsyncFunction() {
  const AsyncFunction function = g_async_function.load();
  if (!function) return false;
  function();
  return true;
}

void SetScriptThreadId(int32_t id) { g_script_thread_id = id; }
int32_t GetScriptThreadId() { return g_script_thread_id.load(); }

bool ForcedSkipRunning(AdvContext& context) {
  return context.skip.scene_skip != 0 || context.skip.history_skip != 0;
}

int ScriptRunUntilWait(AdvContext& context) {
  ScriptState& state = context.script;
  if (AdvHasAsyncFunction() || state.threaded.load()) return 1;
  state.running = 1;
  for (;;) {
    if (PassEndsHere(state)) break;
    context.script_position = state.pc;
    state.stop = 0;
    uint32_t word = 0;
    if (!FetchInstruction(context, word)) break;
    Execute(context, word, "[%d]内部コマンドエラー1 code = [0x%08X]");
    if (ForcedSkipRunning(context)) {
      if (!AdvHasAsyncFunction()) continue;
      yel::YelDebugPrintf(0, "", "★エラー スキップ中に非同期関数が動作しています!!!");
      return 1;
    }
    if (state.stop) break;
    if (AdvHasAsyncFunction()) return 1;
  }
  state.running = 0;
  return state.threaded.load() ? 0 : 1;
}

void ScriptWorkThreadLoop(uintptr_t argument) {
  AdvContext& context = *reinterpret_cast<AdvContext*>(argument);
  ScriptState& state = context.script;
  while (state.running.load() == 1) os::SleepMs(1);
  SetScriptThreadId(kRunWorkThread);
  state.running = 1;
  while (state.threaded.load()) {
    uint32_t word = 0;
    if (!FetchInstruction(context, word)) {
      // Nothing to run past the end of the code: leave the mode rather than spin.
      state.threaded = 0;
      break;
    }
    yel::YelRenderLockEnter();
    Execute(context, word, "[%d]内部コマンドエラー2 code = [0x%08X]");
    yel::YelRenderLockLeave();
    if (state.stop && state.threaded.load()) os::SleepMs(1);  // a waiting command: let time pass
  }
  state.running = 0;
}

int64_t ScriptPointPush(AdvContext& context) {
  if (ForcedSkipRunning(context)) return 0;
  ScriptState& state = context.script;
  if (state.point_count >= kScriptPointStackSize) {
    yel::YelDebugPrintf(0, "", "[%d]script point push stack over", state.pc);
    return -1;
  }
  state.points[state.point_count++] = state.pc;
  return state.pc;
}

uint32_t ScriptPointPop(AdvContext& context) {
  if (ForcedSkipRunning(context)) return 0;
  ScriptState& state = context.script;
  if (state.point_count <= 0) {
    yel::YelDebugPrintf(0, "", "[%d]script point pop stack none", state.pc);
    return 0;
  }
  const uint32_t value = state.points[--state.point_count];
  state.points[state.point_count] = 0;
  return value;
}

void ScriptPointReset(AdvContext& context) {
  context.script.points.fill(0);
  context.script.point_count = 0;
}

int AdvRetryCommand(AdvContext& context) {
  if (ForcedSkipRunning(context)) return 0;
  context.script.pc -= kCommandCallSize;
  return 1;
}

int PushDataEntry(AdvContext& context, int32_t list_id, uint32_t offset, uint32_t tag) {
  auto* entry = static_cast<DataEntry*>(yel::YelMemoryAlloc(sizeof(DataEntry), 1));
  if (!entry || !yel::YelListPush(context.display_queue, reinterpret_cast<uintptr_t>(entry),
                                  list_id)) {
    yel::YelMemoryFree(entry);
    yel::YelErrorLogPrintf("[%d]memory allocate error DataEntry", context.script.pc);
    return 0;
  }
  *entry = DataEntry{offset, tag};
  return 1;
}

bool IsScriptThreadTurn(AdvContext& context) {
  const int32_t count = yel::YelListGetDataCount(context.display_queue, kListReturnPoint);
  for (int32_t i = 0; i < count; ++i) {
    const auto* entry = reinterpret_cast<const DataEntry*>(
        yel::YelListGetData(context.display_queue, kListReturnPoint, i));
    if (entry && entry->tag == kReturnThread) return true;
  }
  return false;
}

void DisplayQueueClear(AdvContext& context) {
  if (!context.display_queue) return;
  while (context.display_queue->next) {
    yel::YelMemoryFree(reinterpret_cast<void*>(yel::YelListPopFirst(context.display_queue)));
  }
}

}  // namespace adv
