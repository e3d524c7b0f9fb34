// The interpreter's run loops and the points at which the script waits or returns.
#pragma once

#include <atomic>
#include <cstdint>

namespace adv {

struct AdvContext;
struct ScriptState;

// For whom the interpreter runs.
enum ScriptThreadIdValue : int32_t {
  kRunMain = 0,
  kRunThread = 1,
  kRunButton = 2,
  kRunSystemButton = 3,
  kRunWorkThread = 4,
};

using AsyncFunction = void (*)();

// Shared between the main thread and the work thread.
void AdvSetAsyncFunction(AsyncFunction function);
AsyncFunction AdvGetAsyncFunction();
bool AdvHasAsyncFunction();
// Calls the pending function; false when none is pending.
bool AdvCallAsyncFunction();
void SetScriptThreadId(int32_t id);
int32_t GetScriptThreadId();

// One pass: instructions until the script yields. 0 when the pass ended with the work-thread
// mode on, else 1.
int ScriptRunUntilWait(AdvContext& context);
// The work-thread job of the work-thread mode.
void ScriptWorkThreadLoop(uintptr_t context);

// The program counter at which the script waits: pushed by text and click waits, popped when
// the wait ends. Both do nothing during a forced skip.
int64_t ScriptPointPush(AdvContext& context);
uint32_t ScriptPointPop(AdvContext& context);
void ScriptPointReset(AdvContext& context);
// Moves the program counter back over the 12-byte command call, so the command runs again.
int AdvRetryCommand(AdvContext& context);
// Pushes a return record {offset, tag} under a list id; 0 when no memory.
int PushDataEntry(AdvContext& context, int32_t list_id, uint32_t offset, uint32_t tag);
// True while the script thread's turn runs (a return record with tag 3 stands on the list).
bool IsScriptThreadTurn(AdvContext& context);
// Frees every entry of the display-queue list (display operations and return records).
void DisplayQueueClear(AdvContext& context);
// True while a scene or history skip runs (the interpreter then ignores the stop flag).
bool ForcedSkipRunning(AdvContext& context);

}  // namespace adv
