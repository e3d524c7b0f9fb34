// Command group 0x07 (`CmdGroupWait`): the waits over the context's WaitState, and the group's
// handler table.
#include "program/commands/wait_commands.h"

#include <iterator>

#include "program/game/adv_context.h"
#include "program/layers/action_manager.h"
#include "program/script/command_args.h"
#include "program/script/command_table.h"
#include "program/script/instructions.h"
#include "program/script/script_run.h"
#include "program/script/skip_state.h"
#include "program/startup/yel_import.h"
#include "program/text/text_services.h"
#include "program/text/text_window.h"

namespace adv {
namespace {

constexpr int32_t kSkipBitHistory = 0x20;

bool Forced(int32_t skip) {
  return (skip & SKIP_MASK_FORCED) != 0;
}

// The command runs again next frame: back over its own call, unless a forced skip passes it.
void Retry(AdvContext& context, int32_t skip) {
  if (!Forced(skip)) context.script.pc -= kCommandCallSize;
}

uint32_t Now() {
  return yel::YeltimeGetTime();
}

int CmdWait(AdvContext& context) {
  return AdvWaitStep(context, Now(), AdvSkipState(context));
}

int CmdWaitClick(AdvContext& context) {
  return AdvWaitClickStep(context, Now(), AdvSkipState(context));
}

int CmdWaitClickNoAnim(AdvContext& context) {
  return AdvWaitClickNoAnimStep(context, Now(), AdvSkipState(context));
}

int CmdWaitSyncBegin(AdvContext& context) {
  AdvWaitSyncBegin(context, Now());
  return 1;
}

int CmdWaitSync(AdvContext& context) {
  return AdvWaitSyncStep(context, Now(), AdvSkipState(context));
}

int CmdWaitSyncEnd(AdvContext& context) {
  context.wait.sync_base = 0;
  context.wait.sync_duration = 0;
  AdvDebugPrint(kLogTrace, "wait_sync_end");
  return 1;
}

int CmdWaitFrame(AdvContext& context) {
  context.script.stop = 1;
  return 1;
}

int CmdWaitClear(AdvContext& context) {
  AdvWaitClear(context);
  AdvDebugPrint(kLogTrace, "wait_clear");
  return 1;
}

int CmdWaitSyncGetTime(AdvContext& context) {
  const auto elapsed = static_cast<int32_t>(Now() - context.wait.sync_base);
  SetCommandResult(context, elapsed);
  AdvDebugPrint(kLogTrace, "[%d] wait_sync_get_time", elapsed);
  return 1;
}

int CmdWaitTimePush(AdvContext& context) {
  WaitState& wait = context.wait;
  wait.saved_start = wait.start;
  wait.saved_duration = wait.duration;
  wait.duration = 0;
  wait.cleared = 0;
  AdvDebugPrint(kLogTrace, "wait_time_push");
  return 1;
}

int CmdWaitTimePop(AdvContext& context) {
  WaitState& wait = context.wait;
  wait.start = wait.saved_start;
  wait.duration = wait.saved_duration;
  AdvDebugPrint(kLogTrace, "wait_time_pop");
  return 1;
}

int CmdWaitGetTime(AdvContext& context) {
  const auto duration = static_cast<int32_t>(context.wait.duration);
  SetCommandResult(context, duration);
  AdvDebugPrint(kLogTrace, "[%d] wait_get_time", duration);
  return 1;
}

int CmdWaitIsClear(AdvContext& context) {
  SetCommandResult(context, context.wait.cleared);
  AdvDebugPrint(kLogTrace, "[%d] wait_is_clear", context.wait.cleared);
  return 1;
}

constexpr CommandHandler kWaitSlots[] = {
    CmdWait,        CmdWaitClick,   CmdWaitSyncBegin,   CmdWaitSync,        CmdWaitSyncEnd,
    CmdWaitFrame,   CmdWaitClear,   CmdWaitClickNoAnim, CmdWaitSyncGetTime, CmdWaitTimePush,
    CmdWaitTimePop, CmdWaitGetTime, CmdWaitIsClear,
};

}  // namespace

const CommandHandlers kCmdGroupWaitHandlers = {kWaitSlots, std::size(kWaitSlots)};

int AdvWaitStep(AdvContext& context, uint32_t now, int32_t skip) {
  WaitState& wait = context.wait;
  context.script.stop = 1;
  if (wait.duration == 0) {
    if (wait.cleared) {
      wait.cleared = 0;
      AdvDebugPrint(kLogTrace, "wait is clear %d, %d", 0, wait.skippable);
      return 1;
    }
    wait.duration = static_cast<uint32_t>(PopArg(context));
    wait.skippable = PopArg(context);
    if (IsScriptThreadTurn(context)) {
      AdvDebugPrint(kLogError, "** error wait method from thread call %d, %d",
                    static_cast<int32_t>(wait.duration), wait.skippable);
      wait.duration = 0;
      wait.skippable = 0;
      return 1;
    }
    if (wait.duration == 0) wait.duration = 1;
    AdvDebugPrint(kLogTrace, "wait %d, %d", static_cast<int32_t>(wait.duration), wait.skippable);
    wait.start = now;
    if (Forced(skip)) wait.duration = 0;
  } else {
    uint32_t elapsed = now - wait.start;
    if (wait.skippable && skip != 0) {
      AdvDebugPrint(kLogTrace, "wait: isAdvSkipIs %d, %d", static_cast<int32_t>(wait.duration),
                    wait.skippable);
      wait.duration = 0;
      elapsed = 0;
    }
    // Auto mode with the voices muted: a wait for a voice nobody hears is cut.
    if (GetScriptThreadId() == kRunMain && Advance().on && AdvAutoModeOn(context) &&
        AdvVoicePlaying(context) && !AdvVoiceAudible(context)) {
      wait.duration = 0;
      elapsed = 0;
    }
    if (wait.duration != kWaitForever && elapsed >= wait.duration) {
      AdvDebugPrint(kLogTrace, "wait: is over %d, %d", static_cast<int32_t>(wait.duration),
                    wait.skippable);
      wait.start = 0;
      wait.duration = 0;
      return 1;
    }
  }
  Retry(context, skip);
  return 1;
}

int AdvWaitClickStep(AdvContext& context, uint32_t now, int32_t skip) {
  WaitState& wait = context.wait;
  TextWindow& window = context.text_window;
  context.script.stop = 1;
  if (skip & kSkipBitHistory) AdvActionClearReserve(context);
  const bool advance = (skip & SKIP_BIT_ADVANCE) != 0;
  const TextRevealDoneBytes done = TextRevealDone();
  const bool clicked = advance && (AdvClickThrough() || (done.first && done.second));
  AdvanceLatchReset();
  TextRevealDone() = {};
  if (wait.duration != 0) {
    // A timed wait that another command left running (the main script's `wait` while a button
    // label runs this one): this run ends or keeps it. Ending it also takes this command's own
    // argument and marks the wait cleared, so the `wait` returns at its next run without taking
    // its arguments a second time, and the value stack stays as the script built it.
    if (skip != 0 || now - wait.start >= wait.duration) {
      wait.start = 0;
      wait.duration = 0;
      PopArg(context);
      wait.cleared = 1;
    } else {
      Retry(context, skip);
    }
    return 1;
  }
  if (wait.cleared) {
    wait.cleared = 0;
    return 1;
  }
  int32_t ms = PopArg(context);
  AdvDebugPrint(kLogTrace, "wait_click %d", ms);
  if (ms == -1) {
    if (window.line_kind == 0) {
      if (!clicked) {
        AdvTextClickWaitBegin(context, window, skip, now);
        ScriptPointPush(context);
      }
    } else {
      window.line_kind &= ~static_cast<uint32_t>(kLineNotHeld);
      if (!clicked) ScriptPointPush(context);
    }
    if (clicked) {
      window.line_kind = kLineClickWaitOnce;
      window.click_wait_start = now;
      window.click_wait_time = 0;
      wait.start = 0;
      ScriptPointPush(context);
    }
    wait.duration = 0;
    return 1;
  }
  if (ms == 0) ms = 1;
  wait.start = now;
  AdvTextClickWaitBegin(context, window, skip, now);
  ScriptPointPush(context);
  window.line_kind |= kLineTimedClickWait;
  window.click_wait_start = now;
  window.click_wait_time = static_cast<uint32_t>(ms);
  wait.start = 0;
  wait.duration = 0;
  return 1;
}

int AdvWaitClickNoAnimStep(AdvContext& context, uint32_t now, int32_t skip) {
  WaitState& wait = context.wait;
  context.script.stop = 1;
  if (skip & kSkipBitHistory) AdvActionClearReserve(context);
  AdvanceLatchReset();
  if (wait.duration != 0) {
    const uint32_t elapsed = now - wait.start;
    const bool over =
        skip != 0 || context.text_window.auto_word != 0 ||
        (wait.duration != kWaitForever && elapsed >= wait.duration) ||
        (wait.duration == kWaitForever && AdvAutoModeOn(context) && !AdvVoicePlaying(context));
    if (over) {
      wait.start = 0;
      wait.duration = 0;
      return 1;
    }
  } else {
    if (wait.cleared) {
      wait.cleared = 0;
      return 1;
    }
    wait.duration = static_cast<uint32_t>(PopArg(context));
    if (wait.duration == 0) wait.duration = 1;
    AdvDebugPrint(kLogTrace, "wait_click_no_anim %d", static_cast<int32_t>(wait.duration));
    wait.start = now;
    if (Forced(skip)) wait.duration = 0;
  }
  Retry(context, skip);
  return 1;
}

// Released and started are two branches of one run: the run that releases a sync wait takes no
// new argument (the next command's argument is not this one's).
int AdvWaitSyncStep(AdvContext& context, uint32_t now, int32_t skip) {
  WaitState& wait = context.wait;
  if (wait.sync_duration != 0) {
    const uint32_t elapsed = now - wait.sync_base;
    if (elapsed >= wait.sync_duration) {
      wait.sync_duration = 0;
      AdvDebugPrint(kLogTrace, "wait_sync_release %d", static_cast<int32_t>(elapsed));
    }
  } else {
    wait.sync_duration = static_cast<uint32_t>(PopArg(context));
    if (Forced(skip)) {
      wait.sync_duration = 0;
      AdvDebugPrint(kLogTrace, "wait_sync skip");
    } else {
      AdvDebugPrint(kLogTrace, "wait_sync %d", static_cast<int32_t>(wait.sync_duration));
    }
  }
  if (wait.sync_duration == 0) return 1;
  Retry(context, skip);
  context.script.stop = 1;
  return 1;
}

void AdvWaitSyncBegin(AdvContext& context, uint32_t now) {
  context.wait.sync_base = now;
  context.wait.sync_duration = 0;
  AdvDebugPrint(kLogTrace, "wait_sync_begin");
}

void AdvWaitClear(AdvContext& context) {
  WaitState& wait = context.wait;
  wait.cleared = wait.duration != 0 ? 1 : 0;
  wait.duration = 0;
  wait.sync_duration = 0;
  wait.sync_base = 0;
  context.script.points.fill(0);
  context.script.point_count = 0;
}

}  // namespace adv
