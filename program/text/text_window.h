// The message window: starting a line in it (name, text, appended text, time), showing it with
// its wait icons, the visual-novel page, and the text wait that reveals a line and waits for the
// reader. Main thread, render lock held.
#pragma once

#include <cstdint>

#include "program/text/text_records.h"

namespace adv {

struct AdvContext;

// Line start.
int AdvTextSceneSkipStop(AdvContext& context, TextWindow& window);
void AdvTextLayoutName(AdvContext& context, TextWindow& window, uint32_t name_operand);
void AdvTextLayoutLine(AdvContext& context, TextWindow& window, uint32_t text_operand);
void AdvTextAppendLine(AdvContext& context, TextWindow& window, uint32_t text_operand);
void AdvTextLineVoice(AdvContext& context, TextWindow& window, uint32_t voice_operand);
void AdvTextSetTime(AdvContext& context, TextWindow& window, int32_t time_word, uint32_t now);
void AdvTextMarkRead(AdvContext& context, TextWindow& window, uint32_t text_number);
// The speaker name of an operand into 256 bytes; false when there is none.
bool AdvTextGetName(AdvContext& context, TextWindow& window, uint32_t name_operand, char* name);
void AdvTextSpeakerColor(AdvContext& context, TextWindow& window, const char* name);
// Milliseconds of `length` laid-out pixels at `unit` pixels a character; 0 for a unit below 1.
uint32_t TextTimeFor(int32_t length, int32_t unit, int32_t ms_per_character);
void AdvPrintCurrentText(AdvContext& context);

// Display.
void AdvTextWindowShow(AdvContext& context, TextWindow& window, int32_t visible);
int AdvTextButtonsUpdate(AdvContext& context, TextWindow& window);
int AdvTextIconPlace(AdvContext& context, TextWindow& window);
void AdvTextIconSelect(AdvContext& context, TextWindow& window, int32_t icon);
void AdvTextPageLayout(AdvContext& context, TextWindow& window);
// Base position of a slot, integer and float alike.
void TextSlotPlace(GraphicSlot* slot, int32_t x, int32_t y);
// The power of two a text texture side is made of (at least `value`, at most 16,384).
int32_t TextTextureSide(int32_t value);
// A slot of bank 0 holding a new sprite of that size at (x, y), at the text sprite priority;
// null when either cannot be made.
GraphicSlot* AdvTextSpriteSlot(AdvContext& context, int32_t entry, int32_t width, int32_t height,
                               int32_t x, int32_t y);
// The window's text slot and reveal map for its size and font: a slot of bank 0 entry 4 whose
// texture holds the line width (text width + font size + wrap margin) and the height, and a map
// that covers no pixel the texture lacks.
void AdvTextMakeTextSlot(AdvContext& context, TextWindow& window);
// Whether the renderer holds the text texture AdvTextMakeTextSlot would make for a window of
// these sizes (AdvTextureFits); otherwise the level-0 line names `command` and the texture size.
bool AdvTextAreaFits(const char* command, int32_t text_width, int32_t text_height,
                     int32_t font_size);

// The text wait, one step: `skip` is this frame's AdvSkipState, `now` the frame clock. 1 when
// the wait ended in this step (and after most reveal steps).
int AdvTextWaitStep(AdvContext& context, int32_t skip, uint32_t now);
int AdvTextRevealStep(AdvContext& context, TextWindow& window, int32_t skip, uint32_t now);
void AdvTextClickWaitBegin(AdvContext& context, TextWindow& window, int32_t skip, uint32_t now);
void AdvTextClearWaitWindow(AdvContext& context, TextWindow& window);
// The end of a wait: cleared, the latch reset, the script point popped.
void AdvTextWaitEnd(AdvContext& context);

// Both set when a non-holding line finished its reveal without an advance input.
struct TextRevealDoneBytes {
  uint8_t first = 0;
  uint8_t second = 0;
};
TextRevealDoneBytes& TextRevealDone();

}  // namespace adv
