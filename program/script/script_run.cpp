// The run loops: one pass of the main thread, and the loop of the work-thread mode.
#include "program/script/script_run.h"

#include "os/clock.h"
#include "os/debug_output.h"
#include "program/game/adv_context.h"
#include "program/layers/layer_services.h"
#include "program/script/engine_log.h"
#include "program/script/instructions.h"
#include "program/startup/yel_import.h"

namespace adv {
namespace {

constexpr const char* kGroupErrorMain = "[%d]内部コマンドエラー1 code = [0x%08X]";
constexpr const char* kGroupErrorWork = "[%d]内部コマンドエラー2 code = [0x%08X]";
constexpr const char* kAsyncInSkip = "★エラー スキップ中に非同期関数が動作しています!!!";
// The longest a waiting command on the work thread waits for the next frame before it is tried
// again (a frame at 60 frames per second, and a little).
constexpr uint32_t kFrameWaitMs = 20;
// Return records one list id may hold: far beyond any script's nesting, and a bound on what
// a gosub that recurses without ret can take.
constexpr int32_t kReturnRecordLimit = 4096;

std::atomic<AsyncFunction> g_async_function{nullptr};
std::atomic<int32_t> g_script_thread_id{kRunMain};

// Runs the instruction word just read. Words of other groups and instructions that fail are
// reported and passed over.
void Execute(AdvContext& context, uint32_t word, const char* group_error) {
  ScriptState& state = context.script;
  if ((word >> 16) != kGroupVm) {
    AdvDebugPrint(kLogError, group_error, state.pc, word);
    AdvDebugPrint(kLogTrace, group_error, state.pc, word);
    return;
  }
  const InstructionFunc instruction = InstructionFor(word);
  if (!instruction || instruction(context) == 0) {
    AdvDebugPrint(kLogError, "[%d]内部エラー code = [0x%08X]", state.pc, state.current_word);
  }
}

// Whether the program counter names a whole word of the code (from the code origin on).
bool InsideCode(const ScriptState& state) {
  uint32_t word = 0;
  return state.pc >= state.origin && state.code.Word(state.pc, &word);
}

// The program counter left the code (a label offset or return offset beyond it, or operands that
// ran past its end): reported once, and the script stands at the end of its code from then on.
void LeaveCode(AdvContext& context) {
  ScriptState& state = context.script;
  AdvErrorLog("[%d]script position outside the code (size %u)", state.pc, state.code.size());
  AdvDebugPrint(kLogError, "[%d]script position outside the code (size %u)", state.pc,
                state.code.size());
  state.pc = state.code.size();
}

bool AtScriptPoint(const ScriptState& state) {
  return state.point_count > 0 && state.point_count <= kScriptPointStackSize &&
         state.pc == state.points[state.point_count - 1];
}

bool HistorySkipArrived(const AdvContext& context) {
  if (!context.skip.history_skip) return false;
  const uint32_t distance = context.script.pc - context.skip.history_skip_target;
  return distance < kCommandCallSize;  // target <= pc < target + 12
}

uint32_t FetchInstruction(AdvContext& context) {
  context.script_position = context.script.pc;
  context.script.stop = 0;
  const uint32_t word = FetchWord(context.script);
  context.script.current_word = word;
  return word;
}

// A command that waits on the work thread runs again once the frame has moved on, as it would on
// the main thread, instead of spinning on the render lock.
void WaitForNextFrame(const ScriptState& state) {
  const uint32_t frame = yel::YeltimeGetTime();
  const uint32_t start = os::TimeMs();
  while (state.threaded.load() && !yel::IsSystemEnd() && yel::YeltimeGetTime() == frame &&
         os::TimeMs() - start < kFrameWaitMs) {
    os::SleepMs(1);
  }
}

// One instruction of the work-thread mode; false when the mode ended because the code ran out.
bool WorkThreadStep(AdvContext& context) {
  // A decoded instruction lies inside the code, so it needs none of the checks below.
  if (ScriptStepInline(context)) return true;
  ScriptState& state = context.script;
  if (state.pc == state.code.size()) {
    AdvErrorLog("[%d]script ended in the work-thread mode", state.pc);
    state.threaded = 0;
    return false;
  }
  if (!InsideCode(state)) {
    LeaveCode(context);
    state.threaded = 0;
    return false;
  }
  Execute(context, FetchInstruction(context), kGroupErrorWork);
  return true;
}

}  // namespace

void AdvSetAsyncFunction(AsyncFunction function) {
  g_async_function = function;
}
AsyncFunction AdvGetAsyncFunction() {
  return g_async_function.load();
}
bool AdvHasAsyncFunction() {
  return g_async_function.load() != nullptr;
}

bool AdvCallAsyncFunction() {
  const AsyncFunction function = g_async_function.load();
  if (!function) return false;
  function();
  return true;
}

void SetScriptThreadId(int32_t id) {
  g_script_thread_id = id;
}
int32_t GetScriptThreadId() {
  return g_script_thread_id.load();
}

bool ForcedSkipRunning(const AdvContext& context) {
  return context.skip.scene_skip != 0 || context.skip.history_skip != 0;
}

ScriptStepResult ScriptStep(AdvContext& context) {
  ScriptState& state = context.script;
  if (state.pc == state.code.size() || AtScriptPoint(state)) return ScriptStepResult::kEndPass;
  if (!InsideCode(state)) {
    LeaveCode(context);
    return ScriptStepResult::kEndPass;
  }
  if (HistorySkipArrived(context)) {
    context.script_position = state.pc;
    HistorySkipEnd(context);
    return ScriptStepResult::kEndPass;
  }
  return ScriptStepInsideCode(context);
}

ScriptStepResult ScriptStepInsideCode(AdvContext& context) {
  ScriptState& state = context.script;
  Execute(context, FetchInstruction(context), kGroupErrorMain);
  if (ForcedSkipRunning(context)) {
    // The skip runs through waits and stops; an AsyncFunction cannot be waited for inside it.
    if (!AdvHasAsyncFunction()) return ScriptStepResult::kGoOn;
    AdvDebugPrint(kLogError, "%s", kAsyncInSkip);
    os::DebugOutput(kAsyncInSkip);
    return ScriptStepResult::kReturn;
  }
  if (state.stop) return ScriptStepResult::kEndPass;
  if (AdvHasAsyncFunction()) return ScriptStepResult::kReturn;
  return ScriptStepResult::kGoOn;
}

// Leaves the mode when the code runs out, and ends with the program. Everything the script
// state holds is read and written with the render lock held: the main thread's frame (which may
// move the program counter to an event handler) runs under the same lock between two
// instructions.
//
// The running flag changes hands with one exchange each way: the loop takes it only from 0 (the
// main pass has ended), and gives it back under the render lock in the step that ended the mode,
// so a frame that sees the mode ended never runs its pass beside the loop's last instruction,
// and the loop never clears the flag of a pass the main thread has begun since.
void ScriptWorkThreadLoop(uintptr_t argument) {
  AdvContext& context = *reinterpret_cast<AdvContext*>(argument);
  ScriptState& state = context.script;
  for (int32_t idle = 0; !state.running.compare_exchange_weak(idle, 1); idle = 0) {
    os::SleepMs(1);
  }
  SetScriptThreadId(kRunWorkThread);
  bool handed_back = false;
  while (state.threaded.load() && !yel::IsSystemEnd()) {
    yel::YelRenderLockEnter();
    const bool go_on = WorkThreadStep(context);
    const bool waits = go_on && state.stop != 0;
    if (!go_on || !state.threaded.load()) {
      state.running = 0;
      handed_back = true;
    }
    yel::YelRenderLockLeave();
    if (handed_back) break;
    if (waits && state.threaded.load()) WaitForNextFrame(state);
  }
  if (!handed_back) state.running = 0;
}

int64_t ScriptPointPush(AdvContext& context) {
  if (ForcedSkipRunning(context)) return 0;
  ScriptState& state = context.script;
  if (state.point_count < 0 || state.point_count >= kScriptPointStackSize) {
    AdvDebugPrint(kLogError, "[%d]script point push stack over", state.pc);
    return -1;
  }
  state.points[state.point_count++] = state.pc;
  return state.pc;
}

uint32_t ScriptPointPop(AdvContext& context) {
  if (ForcedSkipRunning(context)) return 0;
  ScriptState& state = context.script;
  if (state.point_count <= 0 || state.point_count > kScriptPointStackSize) {
    AdvDebugPrint(kLogError, "[%d]script point pop stack none", state.pc);
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
  if (yel::YelListGetDataCount(context.display_queue, list_id) >= kReturnRecordLimit) {
    AdvDebugPrint(kLogError, "[%d]return point stack over", context.script.pc);
    return 0;
  }
  auto* entry = static_cast<DataEntry*>(yel::YelMemoryAlloc(sizeof(DataEntry), 1));
  if (entry) {
    *entry = DataEntry{offset, tag};
    if (yel::YelListPush(context.display_queue, reinterpret_cast<uintptr_t>(entry), list_id)) {
      return 1;
    }
    yel::YelMemoryFree(entry);
  }
  AdvErrorLog("[%d]memory allocate error DataEntry", context.script.pc);
  return 0;
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
  while (YelListNode* node = context.display_queue->next) {
    // A queued sprite release still releases its sprite, or the sprite would be lost.
    if (node->id == kListDisplayOp) DisplayOpDiscard(*reinterpret_cast<DisplayOp*>(node->data));
    yel::YelMemoryFree(reinterpret_cast<void*>(yel::YelListPopFirst(context.display_queue)));
  }
}

}  // namespace adv
