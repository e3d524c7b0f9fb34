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

// One pass: instructions until the script yields (the end of the code, the top script point, a
// stop, a pending AsyncFunction, the target of a history skip). 0 when the pass ended with the
// work-thread mode on, else 1. A program counter outside the code ends the pass with an
// error-log line and is moved to the end of the code, where later passes end at once.
// A pass also ends within a few milliseconds of an end request (IsSystemEnd), wherever the
// script stands, so that a script that never yields cannot hold the end of the program.
int ScriptRunUntilWait(AdvContext& context);
// The pass of the last process at shutdown, which runs after the end was requested: it ends as
// any pass does, or half a second after it began.
int ScriptRunLastProcess(AdvContext& context);

// One step of a pass: the checks before an instruction, the instruction, the checks after it.
enum class ScriptStepResult {
  kGoOn,
  kEndPass,  // the pass ends here
  kReturn,   // an AsyncFunction became pending: the pass returns with running still set
};
ScriptStepResult ScriptStep(AdvContext& context);
// The instruction and the checks after it, for a caller that knows the checks before it find
// nothing: the instruction word lies inside the code, no script point stands at it and no
// history skip runs.
ScriptStepResult ScriptStepInsideCode(AdvContext& context);
// Runs the instruction at the program counter from its decoded form (inline_code.h), with the
// registers set as the instruction table would set them; false, with nothing done, for an
// instruction without one. The thread that runs the script (under the render lock in the
// work-thread mode) owns the decoded form.
bool ScriptStepInline(AdvContext& context);
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
// True while a scene or history skip runs (the interpreter then ignores the stop flag). This is
// what AdvSkipState's forced bits (16 with a scene skip, 32 otherwise) say, without asking the
// input for the rest of the word.
bool ForcedSkipRunning(const AdvContext& context);

// A history skip has reached its target: the save point there, the scene rebuilt when a restart
// label is set, the skip ended, the screen replaced with black at once and the load-after label
// called (or the pass stopped).
void HistorySkipEnd(AdvContext& context);
// Empties layer 65 and shows it as a black plane of the game size at once, without transition.
void ForceRunNoWait(AdvContext& context);

}  // namespace adv
