// What the game task and the interpreter call of text, interaction and sound each frame, at
// start and at the end.
#pragma once

#include <cstdint>

namespace adv {

struct AdvContext;

// The advance latch and the click carry bytes, shared by the waits and the game task.
struct AdvanceLatch {
  int32_t on = 0;
  uint32_t bits = 0;
  int32_t applies = 0;
};
AdvanceLatch& Advance();
void AdvanceLatchReset();
void TextClickCarryReset();

void AdvVoiceInit(AdvContext& context);
// Finished sound channels are released, fades and voices stepped.
void AdvSoundUpkeep(AdvContext& context);
void AdvSeReleaseAll(AdvContext& context);
void AdvBgmReleaseAll(AdvContext& context);
void AdvVoiceReleaseAll(AdvContext& context);
// A button or system-button reaction that has set its label up; true when one fired.
bool AdvButtonUpdate(AdvContext& context);
bool AdvSystemButtonUpdate(AdvContext& context);
void AdvButtonChildLinkUpdate(AdvContext& context);
void AdvButtonUnloadAll(AdvContext& context);
// The text reveal and the click wait; pops the script point when the line is done.
void AdvTextWaitUpdate(AdvContext& context);
void AdvTextWindowRelease(AdvContext& context);
void AdvSelectRelease(AdvContext& context);
// Prints every return record of list id 2 at level 10 ("ret stack %08x %d/%d").
void AdvDumpReturnStack(AdvContext& context);
// Ends a text wait of the message window (the scene reset).
void AdvTextClearWait(AdvContext& context);
// What the tips display does when a scene ends.
void AdvTipsEndHook(AdvContext& context);
// True while a choice is on screen (its item or text sprites exist).
bool AdvSelectShown(const AdvContext& context);
// Releases the sprites of the choice on screen; the choice's other state stays.
void AdvSelectSpritesRelease(AdvContext& context);
// Clears what the scene reset clears of the history, waits, child links and voice hooks.
void AdvTextStateReset(AdvContext& context);

}  // namespace adv
