// Text, interaction and sound as the game task drives them. The program has no message window,
// buttons, choices or sound channels, so the steps have nothing to do.
#include "program/text/text_services.h"

#include "program/game/adv_context.h"
#include "program/script/engine_log.h"
#include "program/startup/yel_import.h"

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
void AdvTextClearWait(AdvContext&) {}
void AdvTipsEndHook(AdvContext&) {}
bool AdvSelectShown(const AdvContext&) { return false; }
void AdvSelectSpritesRelease(AdvContext&) {}

void AdvDumpReturnStack(AdvContext& context) {
  const int32_t count = yel::YelListGetDataCount(context.display_queue, kListReturnPoint);
  for (int32_t i = 0; i < count; ++i) {
    const auto* entry = reinterpret_cast<const DataEntry*>(
        yel::YelListGetData(context.display_queue, kListReturnPoint, i));
    if (entry) AdvDebugPrint(kLogTrace, "ret stack %08x %d/%d", entry->offset, i, count);
  }
}

void AdvTextStateReset(AdvContext& context) {
  context.history.count = 0;
  context.history.off = 0;
  context.wait = WaitState{};
}

}  // namespace adv
