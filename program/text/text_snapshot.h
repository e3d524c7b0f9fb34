// The message window's block of a snapshot, little-endian, between the history's block and the
// actions' block:
//   initialised word (0: the block ends here); text mode; icon mode; font size, ruby size, text
//   x, y, width, height, name x, y; the button group (u16) and two bytes; the page rectangle,
//   page name flag, page line x, page end y, page icon x and y, the page text (4,096 bytes);
//   the 148-byte slot states of the text and name slots, and of the page slot in text mode 1;
//   the base image word (0: none), then for a base its 368-byte sprite information and slot
//   state; per icon 0-2 its image word (0: none), then its sprite information, slot state and
//   animation time; the line's name (260), text (4,096) and voice (32); the read-text colour
//   switch and its two colours.
#pragma once

#include <array>
#include <cstdint>

#include "YEL/yel.h"
#include "program/buttons/button_snapshot.h"
#include "program/text/text_records.h"

namespace adv {

struct AdvContext;
class SnapshotWriter;
class SnapshotReader;

struct SavedTextImage {
  uint32_t image_word = 0;  // 0: none
  YelSpriteInfo info{};
  std::array<uint8_t, kSlotStateSize> state{};
  uint32_t animation_time = 0;  // icons only
};

struct SavedTextWindow {
  int32_t initialised = 0;
  int32_t text_mode = 0;
  int32_t icon_mode = 0;
  int32_t font_size = 0, ruby_size = 0;
  int32_t text_x = 0, text_y = 0, text_width = 0, text_height = 0;
  int32_t name_x = 0, name_y = 0;
  uint16_t button_group = kNoButtonGroup;
  std::array<int32_t, 4> page_rect{};
  int32_t page_name_flag = 0, page_line_x = 0, page_end_y = 0, page_icon_x = 0, page_icon_y = 0;
  std::array<char, kTextBytes> page_text{};
  std::array<uint8_t, kSlotStateSize> text_state{}, name_state{}, page_state{};
  SavedTextImage base;
  std::array<SavedTextImage, 3> icons;
  TextLine line;
  int32_t read_colour_on = 0;
  std::array<uint32_t, 2> read_colours{};
};

void AdvTextSave(const AdvContext& context, SnapshotWriter& out);
// Reads and checks the block: a text mode, size or button group the window cannot have, or a
// text without its terminator, refuses it (false).
bool AdvTextRead(SnapshotReader& in, SavedTextWindow& saved);
// Rebuilds the window on a reset scene: its sprites, base image and icons, and the saved line
// drawn whole, with no wait running. An image that does not load is logged and left out.
void AdvTextLoad(AdvContext& context, const SavedTextWindow& saved);

}  // namespace adv
