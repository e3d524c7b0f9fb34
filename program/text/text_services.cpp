// Text and interaction as the game task drives them; the buttons and choices are in
// program/buttons/.
#include "program/text/text_services.h"

#include <cstring>

#include "program/game/adv_context.h"
#include "program/script/engine_log.h"
#include "program/startup/yel_import.h"
#include "program/text/text_window.h"

namespace adv {

AdvanceLatch& Advance() {
  static AdvanceLatch latch;
  return latch;
}

// The click-through switch outlives the latch's resets.
void AdvanceLatchReset() {
  AdvanceLatch& latch = Advance();
  latch.on = 0;
  latch.bits = 0;
  latch.applies = 1;
}
// The carry is the pair of reveal-done bytes: a line that finished without a click leaves them
// set for the next wait_click, and nothing else may inherit them.
void TextClickCarryReset() {
  TextRevealDone() = {};
}

void AdvDumpReturnStack(AdvContext& context) {
  const int32_t count = yel::YelListGetDataCount(context.display_queue, kListReturnPoint);
  for (int32_t i = 0; i < count; ++i) {
    const auto* entry = reinterpret_cast<const DataEntry*>(
        yel::YelListGetData(context.display_queue, kListReturnPoint, i));
    if (entry) AdvDebugPrint(kLogTrace, "ret stack %08x %d/%d", entry->offset, i, count);
  }
}

// Call points of the message window (the voices are text_voice.cpp, the buttons program/buttons,
// the tips text_tips.cpp), and the auto mode word as the text wait reads it.
bool AdvAutoModeOn(AdvContext& context) {
  return context.skip.auto_mode != 0;
}
bool AdvClickThrough() {
  return Advance().click_through != 0;
}

void AdvTextStateReset(AdvContext& context) {
  context.history.count = 0;
  context.history.off = 0;
  context.history.entries = {};
  context.wait = WaitState{};
}

}  // namespace adv
