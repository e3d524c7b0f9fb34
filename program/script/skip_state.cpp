#include "program/script/skip_state.h"

#include "program/game/adv_context.h"
#include "program/script/script_run.h"
#include "program/startup/yel_import.h"
#include "program/text/text_services.h"

namespace adv {
namespace {

constexpr uint32_t kKeyCtrl = 1u << 3;
constexpr uint32_t kKeyAlt = 1u << 5;
// Space, Return and the left mouse button.
constexpr uint32_t kDecideKeys = 0x800006;

}  // namespace

void AdvanceLatchAdd(uint32_t bits) {
  if (GetScriptThreadId() != kRunMain) return;
  AdvanceLatch& latch = Advance();
  latch.bits = latch.on ? latch.bits | bits : 0;
}

int32_t AdvSkipState(AdvContext& context) {
  if (context.skip.scene_skip) return SKIP_STATE_SCENE;
  if (context.skip.history_skip) return SKIP_STATE_HISTORY;
  int32_t word = context.skip.skip_mode ? SKIP_BIT_SKIP : 0;
  // The wheel and the decide keys set the one advance bit. Were both added, a wheel turn and a
  // click in the same frame would make 16: no advance bit, and what reads as a forced skip.
  if (yel::YelInputGetWheel() > 0) word |= SKIP_BIT_ADVANCE;
  const uint32_t decide =
      context.buttons.input_mode ? yel::YelInputGetKeyPull() : yel::YelInputGetKeyPush();
  const uint32_t held = yel::YelInputGetKeyOn();
  if ((decide & kDecideKeys) && !(held & kKeyAlt)) {
    word |= SKIP_BIT_ADVANCE;
    if (context.skip.skip_latch_on) context.skip.skip_latch_bits |= SKIP_BIT_ADVANCE;
  }
  if (held & kKeyCtrl) word |= SKIP_BIT_CTRL;
  if (GetScriptThreadId() == kRunMain) {
    AdvanceLatchAdd(static_cast<uint32_t>(word & SKIP_BIT_ADVANCE));
    const AdvanceLatch& latch = Advance();
    if (latch.applies && latch.on) word |= static_cast<int32_t>(latch.bits);
  }
  if (context.skip.skip_latch_on) word |= static_cast<int32_t>(context.skip.skip_latch_bits);
  return word;
}

void SkipLatchSet(AdvContext& context, int32_t value) {
  context.skip.skip_latch_on = value;
  context.skip.skip_latch_bits = 0;
}

uint32_t SkipLatchGet(const AdvContext& context) {
  return context.skip.skip_latch_on ? context.skip.skip_latch_bits : 0;
}

}  // namespace adv
