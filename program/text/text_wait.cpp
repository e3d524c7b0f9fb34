// The text wait: once per frame after the main script's turn it reveals the line over its time,
// then waits for the reader (a click or key, auto mode, skip mode or a time-out) and pops the
// script point that the text command pushed.
#include "program/game/adv_context.h"
#include "program/game/game_task.h"
#include "program/layers/graphic_slots.h"
#include "program/layers/layer_services.h"
#include "program/script/engine_log.h"
#include "program/script/script_run.h"
#include "program/script/skip_state.h"
#include "program/sound/sound_calls.h"
#include "program/startup/yel_import.h"
#include "program/text/text_layout.h"
#include "program/text/text_services.h"
#include "program/text/text_window.h"

namespace adv {
namespace {

constexpr uint32_t kPrimaryMouseButton = 0x800000;
constexpr uint32_t kAutoExtraMs = 500;

int32_t Setting(AdvContext& context, int32_t SystemSettings::*word) {
  return context.task_data ? context.task_data->system.settings.*word : 0;
}

// An advance made with a click on a button is the button's, not the text's.
int32_t WithoutButtonClicks(AdvContext& context, int32_t skip) {
  if (!(skip & SKIP_BIT_ADVANCE)) return skip;
  const uint32_t keys =
      context.buttons.input_mode ? yel::YelInputGetKeyPull() : yel::YelInputGetKeyPush();
  if ((keys & kPrimaryMouseButton) && AdvButtonHitAny(context)) skip &= ~SKIP_BIT_ADVANCE;
  return skip;
}

// Nonzero when auto mode may end the wait: the auto time passed and no voice plays (or the
// voices cannot be heard), or an advance while the latch is armed.
int32_t AutoCheck(AdvContext& context, const TextWindow& window, int32_t skip, uint32_t now) {
  const uint32_t elapsed = now - window.wait_start;
  if (!AdvVoicePlaying(context)) return elapsed >= window.wait_time ? 1 : skip;
  int32_t result = skip;
  if (!AdvVoiceAudible(context) && elapsed >= window.wait_time) result = 1;
  if (GetScriptThreadId() == kRunMain && Advance().on && (skip & SKIP_BIT_ADVANCE)) result = 1;
  return result;
}

void IconView(TextWindow& window, int32_t visible) {
  const GraphicSlot* slot = window.icons[window.current_icon].slot;
  if (slot && slot->sprite) yel::YelSpriteViewCtrl(slot->sprite, visible);
}

int EndWait(AdvContext& context, bool clear_click_wait) {
  TextWindow& window = context.text_window;
  if (clear_click_wait) window.click_wait_time = window.click_wait_start = 0;
  AdvTextWaitEnd(context);
  AdvDebugPrint(kLogTrace, "*action_clear_reserve()");
  return 1;
}

}  // namespace

TextRevealDoneBytes& TextRevealDone() {
  static TextRevealDoneBytes bytes;
  return bytes;
}

int AdvTextRevealStep(AdvContext& context, TextWindow& window, int32_t skip, uint32_t now) {
  const uint32_t latched = Advance().applies && Advance().on ? Advance().bits : 0;
  const int64_t full = int64_t{window.laid_out_length} + 64;
  int64_t position = full;
  bool done = true;
  if (!latched && skip == 0 &&
      !(window.time_word == 0 && Setting(context, &SystemSettings::text_speed) == 0)) {
    const uint32_t t = now - window.wait_start + window.reveal_head_start;
    done = t > window.wait_time;
    const float f = window.wait_time == 0 ? 0.0f
                                          : static_cast<float>(std::min(t, window.wait_time)) /
                                                static_cast<float>(window.wait_time);
    position = static_cast<int64_t>(static_cast<float>(full) * f);
  }
  if (window.text_slot && window.text_slot->sprite) {
    AdvRevealApply(window.text_slot->sprite, window.reveal_map,
                   static_cast<int32_t>(std::min<int64_t>(position, INT32_MAX)));
  }
  AdvVoiceMixRunEnd(context);
  return done ? 1 : 0;
}

void AdvTextClickWaitBegin(AdvContext& context, TextWindow& window, int32_t skip, uint32_t now) {
  TextIcon& icon = window.icons[window.current_icon];
  if ((skip & SKIP_BIT_ADVANCE) && icon.animation) yel::YelAnimationReset(icon.animation);
  IconView(window, 1);
  window.line_kind = (window.line_kind & 0xFFFF0000u) | kLineClickWait;
  window.auto_word = 0;
  window.wait_time =
      TextTimeFor(window.laid_out_length, window.font_size + TextLayout().wrap_margin,
                  Setting(context, &SystemSettings::auto_speed)) +
      kAutoExtraMs;
  window.wait_start = now;
}

void AdvTextClearWaitWindow(AdvContext& context, TextWindow& window) {
  if (!(window.line_kind & (kLineNotHeld | kLineEndsAfterReveal))) AdvTextVoiceCut(context);
  if (window.current_icon != 1) IconView(window, 0);
  AdvVoiceMixRunEnd(context);
  window.line_kind = 0;
}

void AdvTextClearWait(AdvContext& context) {
  AdvTextClearWaitWindow(context, context.text_window);
}

void AdvTextWaitEnd(AdvContext& context) {
  AdvTextClearWait(context);
  AdvanceLatchReset();
  ScriptPointPop(context);
  AdvActionClearReserve(context);
  AdvTipsEndHook(context);
}

int AdvTextWaitStep(AdvContext& context, int32_t skip, uint32_t now) {
  TextWindow& window = context.text_window;
  if (window.line_kind == 0) return 0;
  // A hidden message window holds its line's wait until it shows again; a timed click wait
  // (wait_click with a time) is no line of the window: it also ends while the window is hidden
  // or was never set up, as on a title screen.
  if (!window.visible && !(window.line_kind & kLineTimedClickWait)) return 0;
  int32_t s = WithoutButtonClicks(context, skip);
  AdvVoiceMixRunEnd(context);
  if ((s & SKIP_BIT_SKIP) && !(s & SKIP_BIT_CTRL) &&
      Setting(context, &SystemSettings::skip_switch) == 0 && window.line_read == 0) {
    s &= ~SKIP_BIT_SKIP;
  }
  if (window.auto_word) s |= SKIP_BIT_AUTO;
  const uint32_t kind = window.line_kind;
  if (kind & kLineClickWaitOnce) {
    if (!(kind & (kLineNotHeld | kLineEndsAfterReveal))) AdvTipsBeginHook(context);
    return EndWait(context, true);
  }
  if (kind & kLineRevealing) {
    if (kind & kLineAtOnce) {
      s |= SKIP_BIT_SKIP;
    } else if (kind & kLineNotHeld) {
      s = 0;
    }
    if (AdvTextRevealStep(context, window, s, now)) {
      if (kind & kLineRevealEndsWait) return EndWait(context, true);
      if (kind & kLineNotHeld) {
        AdvTextClearWaitWindow(context, window);
        if (!(skip & SKIP_BIT_ADVANCE)) TextRevealDone() = {1, 1};
      } else if (kind & kLineEndsAfterReveal) {
        AdvTextClearWaitWindow(context, window);
        ScriptPointPop(context);
      } else {
        AdvTextClickWaitBegin(context, window, skip, now);
        if (AdvClickThrough() && (skip & SKIP_BIT_ADVANCE)) {
          AdvTipsBeginHook(context);
          return EndWait(context, true);
        }
      }
    }
    if (window.line_kind & kLineNotHeld) return 0;
    AdvTipsBeginHook(context);
    return 1;
  }
  if (kind & kLineTimedClickWait) {
    AdvTipsBeginHook(context);
    int32_t r = AdvAutoModeOn(context) ? AutoCheck(context, window, s, now) : s;
    if (r) return EndWait(context, true);
    r = AutoCheck(context, window, s, now);
    if (!r) return 0;
    if (window.click_wait_time != 0) {
      const uint32_t elapsed = skip != 0 ? window.click_wait_time : now - window.click_wait_start;
      if (elapsed < window.click_wait_time) return 0;
    }
    return EndWait(context, true);
  }
  if (kind & kLineClickWait) {
    AdvTipsBeginHook(context);
    if (AdvAutoModeOn(context)) s = AutoCheck(context, window, s, now);
    if (s == 0) return 0;
    return EndWait(context, false);
  }
  return 0;
}

void AdvTextWaitUpdate(AdvContext& context) {
  AdvTextWaitStep(context, AdvSkipState(context), yel::YeltimeGetTime());
}

}  // namespace adv
