// The records of text, interaction and sound that the script engine keeps in its context and
// touches from the game task and the interpreter.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "YEL/yel.h"
#include "program/text/text_reveal.h"
#include "program/sound/sound_state.h"
#include "program/text/history_store.h"
#include "program/buttons/button_records.h"

namespace adv {

struct GraphicSlot;

inline constexpr uint32_t kNoTextOperand = 0x0FFFFFFF;
inline constexpr size_t kTextBytes = 4096;
inline constexpr uint16_t kNoButtonGroup = 0xFFFF;
// The largest font size, ruby size, text width and height the window takes.
inline constexpr int32_t kTextSizeMax = 1 << 13;

// The line on show: what redraws, snapshots and the debug print read.
struct TextLine {
  std::array<char, 260> name{};
  std::array<char, kTextBytes> text{};  // expanded
  std::array<char, 32> voice{};
};
static_assert(sizeof(TextLine) == 4388);

// Bits of the line kind word: how the text wait treats the line.
enum TextLineKind : uint32_t {
  kLineRevealing = 0x1,
  kLineClickWait = 0x2,
  kLineTimedClickWait = 0x4,
  kLineRevealEndsWait = 0x8,
  kLineClickWaitOnce = 0x10,
  kLineHolds = 0x10000,
  kLineNotHeld = 0x20000,
  kLineAtOnce = 0x40000,
  kLineEndsAfterReveal = 0x80000,
};

struct TextIcon {
  GraphicSlot* slot = nullptr;
  YelTask* animation = nullptr;
};

// The message window. Zero until text_init; AdvTextWindowRelease makes it so again.
struct TextWindow {
  int32_t initialised = 0;
  int32_t text_mode = 0;  // 0 window, 1 visual-novel page, 2 window without name
  int32_t icon_mode = 0;  // 1: the wait icons follow the end of the text
  int32_t font_size = 0;
  int32_t ruby_size = 0;
  int32_t text_x = 0, text_y = 0;
  int32_t text_width = 0, text_height = 0;
  int32_t name_x = 0, name_y = 0;
  uint16_t button_group = kNoButtonGroup;
  std::array<int32_t, 4> page_rect{};  // x, y, width, height
  int32_t page_name_flag = 0;
  int32_t page_line_x = 0, page_end_y = 0;
  int32_t page_icon_x = 0, page_icon_y = 0;
  std::array<char, kTextBytes> page_text{};
  int32_t visible = 0;
  int32_t line_read = 0;
  int32_t auto_word = 0;
  int32_t time_word = 0;  // 0 from the text speed, negative at once, else milliseconds
  int32_t external_word = 0;
  uint32_t line_kind = 0;   // TextLineKind bits
  uint32_t line_state = 0;  // 1 a name was drawn, 2 a voice belongs to the line
  uint32_t wait_start = 0;
  uint32_t wait_time = 0;
  uint32_t reveal_head_start = 0;
  uint32_t click_wait_time = 0, click_wait_start = 0;
  int32_t laid_out_length = 0;
  uint32_t voice_operand = 0, name_operand = 0, text_operand = 0;
  uint32_t set_history_text = 0;
  int32_t cursor_x = 0, cursor_y = 0;
  YelTask* time_check_task = nullptr;
  GraphicSlot* name_slot = nullptr;  // bank 0 entry 5
  GraphicSlot* text_slot = nullptr;  // bank 0 entry 4
  GraphicSlot* page_slot = nullptr;  // bank 0 entry 6
  GraphicSlot* base_slot = nullptr;  // bank 0 entry 0
  std::array<TextIcon, 3> icons{};   // click wait, skip mode, auto mode (entries 1-3)
  RevealMap reveal_map;
  int32_t current_icon = 0;
  std::array<uint32_t, 2> colours{};
  std::array<uint32_t, 2> saved_colours{};
  TextLine line;
};

// The waits of group 0x07: one timed wait at a time (wait, wait_click's timed branch and
// wait_click_no_anim share start and duration), the sync time line and the parked timed wait.
// Not in snapshots; a scene reset zeroes it.
struct WaitState {
  uint32_t start = 0;     // frame clock when the timed wait began
  uint32_t duration = 0;  // 0: none runs; 0xFFFFFFFF: for ever
  uint32_t sync_duration = 0;
  uint32_t sync_base = 0;
  uint32_t saved_start = 0;  // wait_time_push
  uint32_t saved_duration = 0;
  int32_t skippable = 0;
  int32_t cleared = 0;  // wait_clear ended a running wait; the next waiting command consumes it
};

}  // namespace adv
