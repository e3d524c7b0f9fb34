// What the game task and the interpreter call of text and interaction each frame, at start and
// at the end.
#pragma once

#include <cstddef>
#include <cstdint>

namespace adv {

struct AdvContext;

// The advance latch and the click carry bytes, shared by the waits and the game task.
struct AdvanceLatch {
  int32_t on = 0;
  uint32_t bits = 0;
  int32_t applies = 0;
  int32_t click_through = 0;  // the click that completes a reveal also ends the wait
};
AdvanceLatch& Advance();
void AdvanceLatchReset();
void TextClickCarryReset();

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
// When a text wait ends (and at a scene reset): once a tip has been laid out, calls the tips end
// label and lets the begin label run again (text_tips.cpp).
void AdvTipsEndHook(AdvContext& context);
// True while a choice is on screen (its item or text sprites exist).
bool AdvSelectShown(const AdvContext& context);
// Releases the sprites of the choice on screen; the choice's other state stays.
void AdvSelectSpritesRelease(AdvContext& context);
// Expands a script text (name and variable references, tags) into `out`, at most size - 1
// bytes and a terminator, cut at a character boundary.
void AdvTextExpand(AdvContext& context, char* out, size_t size, const char* text);
// The text without its tags ("<" to ">"), for the save text drawn on a save screen: at most
// size - 1 bytes and a terminator.
void AdvTextStripTags(AdvContext& context, char* out, size_t size, const char* text, int32_t width,
                      int32_t height, int32_t font_size);
// The message window's calls into voices, buttons, tips and the auto mode (the voice hooks'
// AdvVoiceMixRunEnd is in program/sound/sound_calls.h).
// With voice cut on: the voices stopped and the paused background voices resumed.
void AdvTextVoiceCut(AdvContext& context);
// Starts the line's voice; true, with its name in `name`, when one belongs to the line.
bool AdvTextVoiceStart(AdvContext& context, uint32_t voice_operand, char* name, size_t size);
// A voice channel 0-7 plays; and whether the voices can be heard.
bool AdvVoicePlaying(AdvContext& context);
bool AdvVoiceAudible(AdvContext& context);
// The mouse is over a button of an in-use button group.
bool AdvButtonHitAny(AdvContext& context);
// Shows or hides every button of the window's group.
void AdvTextButtonGroupView(AdvContext& context, uint16_t group, int32_t visible);
// The name, voice and record buttons of the window's group follow the line
// (text_window_buttons.cpp).
void AdvTextSpecialButtonsUpdate(AdvContext& context, uint16_t group, bool name_shown,
                                 bool has_voice, bool voice_belongs);
bool AdvAutoModeOn(AdvContext& context);
// While a line waits: calls the tips begin label once a page holds a finished tip, then not
// again until the end hook or tips_pause clears the pause flag (text_tips.cpp).
void AdvTipsBeginHook(AdvContext& context);
bool AdvClickThrough();
// Clears what the scene reset clears of the history, waits, child links and voice hooks.
void AdvTextStateReset(AdvContext& context);

}  // namespace adv
