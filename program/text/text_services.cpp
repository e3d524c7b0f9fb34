// Text, interaction and sound as the game task drives them. The program has no message window,
// buttons, choices or sound channels, so the steps have nothing to do.
#include "program/text/text_services.h"

#include "program/engine/adv_context.h"

namespace adv {

AdvanceLatch& Advance() {
  static AdvanceLatch latch;
  return latch;
}

void AdvanceLatchReset() { Advance() = AdvanceLatch{0, 0, 1}; }
void TextClickCarryReset() {}

void AdvVoiceInit(AdvContext&) {}
void AdvSoundUpkeep(AdvContext&) {}
void AdvSeReleaseAll(AdvContext&) {}
void AdvBgmReleaseAll(AdvContext&) {}
void AdvVoiceReleaseAll(AdvContext&) {}
bool AdvButtonUpdate(AdvContext&) { return false; }
bool AdvSystemButtonUpdate(AdvContext&) { return false; }
void AdvButtonChildLinkUpdate(AdvContext&) {}
void AdvButtonUnloadAll(AdvContext&) {}
void AdvTextWaitUpdate(AdvContext&) {}
void AdvTextWindowRelease(AdvContext& context) { context.text_window = TextWindow{}; }
void AdvSelectRelease(AdvContext& context) { context.select = SelectState{}; }

void AdvTextStateReset(AdvContext& context) {
  context.history.count = 0;
  context.history.off = 0;
  context.wait = WaitState{};
}

}  // namespace adv
