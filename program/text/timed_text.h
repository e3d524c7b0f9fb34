// The timed text: a text shown outside the message window by a task of its own
// ("AdvTextTimeCheckTask"), revealed at the text speed, held for the auto time, hidden and
// revealed again until the script ends it. Main thread, in the task walk, render lock held.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "YEL/yel.h"
#include "program/text/text_reveal.h"

namespace adv {

struct AdvContext;
struct TextWindow;

inline constexpr size_t kTimedTextBytes = 4098;
// The largest width or height the begin command takes: the text window's own bound.
inline constexpr int32_t kTimedTextMaxSize = 1 << 13;

// The task's data. The glyphs of its text are its own: the window's lists are lent to the layout
// and the map build only for the length of one call and given back unchanged.
struct TimedText {
  YelSprite* sprite = nullptr;
  int32_t x = 0, y = 0;
  uint32_t hold_time = 0;  // the idle test of text_time_check_clear reads this word
  uint32_t hold_start = 0;
  int32_t length = 0;
  int32_t position = 0;
  int32_t running = 0;
  uint16_t font_size = 0, font_type = 0, font_effect = 0;
  std::array<char, kTimedTextBytes> text{};
  uint32_t reveal_start = 0;
  RevealMap map;
  GlyphList glyphs;
  AdvContext* context = nullptr;
  YelRender* render = nullptr;
  bool revealing = false;  // in the reveal step (else the hold step)
};

// Starts the task with its text drawn whole at (x, y) inside width x height (width rounded up to
// a multiple of 4). Null when the size is out of range or the task or its sprite cannot be made.
YelTask* AdvTextTimeCheckStart(AdvContext& context, const char* text, int32_t x, int32_t y,
                               int32_t width, int32_t height);
// The task's data, or null.
TimedText* AdvTextTimeCheckData(YelTask* task);
// Ends the window's task at once: its sprite and map go now, the task at its end step. Nothing
// without a task.
void AdvTextTimeCheckEnd(TextWindow& window);
// Hides the text's pixels and shows them again up to the reveal position (the reveal step only).
void AdvTextTimeCheckClear(TextWindow& window);

// One step at frame-clock time `now`: the hold, or the reveal (which the task then stays in).
void AdvTextTimeCheckStep(TimedText& timed, uint32_t now);

}  // namespace adv
