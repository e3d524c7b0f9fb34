// A line of the message window as the line commands put it there: the steps they share, and the
// voiced road, on which a line waits for its voice to load on the work thread and is shown in a
// later frame. Main thread, render lock held.
#pragma once

#include <cstdint>

namespace adv {

struct AdvContext;
struct TextWindow;

// False, logging "text initialize error : %s" with the command's name, before text_init.
bool AdvTextWindowReady(AdvContext& context, const char* name);

// The line's text emptied (unless the line `appends` to it) and the font's colours taken; a
// recorded line opens a new history entry, a line that is not recorded switches recording off
// until AdvTextLineAfterTime.
void AdvTextLineBegin(AdvContext& context, TextWindow& window, bool recorded, bool appends = false);
// A recorded line: its history entry committed and its text made the save text. The colours
// come back in either case.
void AdvTextLineCommit(AdvContext& context, TextWindow& window, bool recorded);
// The auto word cleared; after a line that is not recorded, recording on again (whatever it was
// before).
void AdvTextLineAfterTime(AdvContext& context, TextWindow& window, bool recorded);
// Shows the window, holds the script at this line when `holds`, lays the page out when
// `page_pass` (text mode 1), places the wait icon and ends the frame's script work.
void AdvTextLineShow(AdvContext& context, TextWindow& window, bool holds, bool page_pass);

// The voiced road of `text`, `text_w` and `text_n` while the voiced-text switch is on; returns
// the command's result.
int AdvTextShowWithVoice(AdvContext& context, uint32_t voice, uint32_t name, uint32_t text,
                         int32_t time, uint32_t kind);
// Prepares the line's voice: 0 when its load was posted to the work thread, 1 when the line can
// be shown at once (no voice, skipping, or a load that could not be posted).
int AdvTextVoiceStart(AdvContext& context, TextWindow& window, uint32_t voice);
// The AsyncFunction while the voice loads: shows the line once the load is done or has failed,
// however long the work thread takes to reach it.
void AdvTextVoiceAsyncPoll();
// One poll at frame-clock time `now`; 1 when the line was shown (its time counts from `now`).
int AdvTextVoicePollStep(AdvContext& context, uint32_t now);
// The end shared by a voiced line shown at once and one shown after its load; the line's time
// starts at `now`.
int AdvTextFinishVoicedLine(AdvContext& context, uint32_t now);

// Stops the voices of channels 0-7 for a new line: released, the voice hooks' end, the paused
// background voices resumed.
void AdvTextLineVoicesStop(AdvContext& context);
// A voice of the voice pack while the pack is missing.
bool AdvTextVoiceOfMissingPack(const char* name);

}  // namespace adv
