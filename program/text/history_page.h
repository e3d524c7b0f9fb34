// The history page: one page of past lines drawn bottom-up from a scroll position, each line
// with its name, text and voice icon, an optional face button, an optional jump button (lines
// with a history snapshot) and an optional separator; a voiced line under the mouse is
// highlighted and a click replays its voice. The screen around it is the script's. Main thread,
// render lock held.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "YEL/yel.h"

namespace adv {

struct AdvContext;

inline constexpr int32_t kHistoryPageLines = 128;

// What the page shows of one stored line (indexed by the line's entry number).
struct HistoryPageLine {
  bool voiced = false;
  YelSprite* name = nullptr;
  YelSprite* text = nullptr;
  YelSprite* icon = nullptr;
  YelSprite* separator = nullptr;
  // The button groups in which the page made this line's face and jump buttons; -1 for none.
  // Only those buttons go with the line: the same record of a group the page left alone (the
  // message window's buttons, say) is not the page's.
  int32_t face_group = -1;
  int32_t jump_group = -1;
};

// The page settings and switches; not saved in snapshots.
struct HistoryPage {
  int32_t name_x = 0, name_y = 0, text_x = 0, text_y = 0, icon_x = 0, icon_y = 0;
  int32_t spacing = 0;
  uint32_t normal_colour = 0xFF000000;
  uint32_t highlight_colour = 0xFF000000;
  std::array<int32_t, 4> rect{};  // left, top, right, bottom
  int32_t open = 0;               // while set, the text renderer ignores tips tags
  int32_t lines = 0;              // lines on the page
  int32_t position = 0;           // entry of the page's bottom line (0 = newest)
  int32_t max_position = 0;
  int32_t height = 0;
  int32_t icon_set = 0;
  std::array<char, 32> icon_name{};
  uint32_t face_flag_base = 0;
  int32_t face_x = 0, face_y = 0;
  int32_t face_label = 0;  // label number
  int32_t face_group = 0;
  uint32_t hover_sound = 0;                 // platform handles of type 5
  std::array<uint32_t, 3> button_sounds{};  // the face group's two sounds, then the third
  int32_t jump_group = 0;
  std::array<char, 32> jump_image{};
  int32_t jump_label1 = 0, jump_label2 = 0;
  int32_t jump_x = 0, jump_y = 0;
  int32_t separator_on = 0;
  std::array<char, 32> separator_image{};
  int32_t separator_x = 0, separator_y = 0;
  std::array<HistoryPageLine, kHistoryPageLines> page{};
  YelSprite* measure = nullptr;  // made by history_begin; the highlight
};

// The face image of a voice: "IC" and the voice's third and fourth characters when the third is
// a digit ("VO12a" gives "IC12"), else "IC99".
std::string HistoryFaceImageName(const char* voice);

// Opens the page: measures every stored line (scroll limits, page height), builds it at 0.
void AdvHistoryBegin(AdvContext& context);
// Builds the page with entry `position` at its bottom; 0 for a position outside the store.
int AdvHistoryBuildPage(AdvContext& context, int32_t position);
void AdvHistoryEnd(AdvContext& context);
// One frame of the open page: the highlight under the mouse; a decide click replays the voice.
void AdvHistoryUpdate(AdvContext& context);

// Stops and releases a platform sound handle and zeroes it.
void HistorySoundRelease(uint32_t& handle);

// his_favadd with the page's refusal sound (its third button sound).
int32_t AdvHistoryFavAdd(AdvContext& context, int32_t n);

}  // namespace adv
