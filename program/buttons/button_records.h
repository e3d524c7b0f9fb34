// The records of the script's buttons and choices kept in the context: the button manager with
// its 16 groups of 128 buttons, the system buttons, the input mode and the input pause, and the
// state of the choice on screen.
#pragma once

#include <array>
#include <cstdint>

#include "YEL/yel.h"

namespace adv {

struct GraphicSlot;

inline constexpr int32_t kButtonGroupCount = 16;
inline constexpr int32_t kButtonsPerGroup = 128;
// Group 15's slots end with the slot table: it holds buttons 0-118 only.
inline constexpr int32_t kLastGroupButtons = 119;
inline constexpr int32_t kSpecialButtonCount = 6;
inline constexpr int32_t kSystemButtonCount = 32;

// The input pause: while `duration` is non-zero no button group and no system button reacts.
struct InputBlock {
  uint32_t start = 0;     // frame clock when the pause began
  uint32_t duration = 0;  // milliseconds during which button input is ignored
};

// A fixed input (a mouse button, the wheel, a function key, Escape, an arrow) bound to a label.
struct SystemButton {
  int32_t init = 0;          // 1 once system_btn_set bound the entry
  int32_t enabled = 0;       // 0 while disabled (by the script or by a waiting choice)
  uint32_t repeat_mask = 0;  // 0xFFFFFFFF: a key held past the repeat delay fires again
  uint32_t label = 0;        // code offset from the origin; 0 = none
};

enum ButtonRecordFlag : uint32_t {
  kButtonLocked = 1,  // btn_enable with 0: the button's labels do not run
};

struct ButtonRecord {
  GraphicSlot* slot = nullptr;  // null: no button
  uint32_t click_label = 0;     // code offsets from the code origin; 0 = none
  uint32_t on_label = 0;
  uint32_t off_label = 0;
  int32_t link = 0;
  int32_t tips = 0;
  uint32_t flags = 0;
};

struct ButtonGroup {
  uint32_t in_use = 0;
  uint32_t slide_released = 0;
  uint32_t lock = 0;
  uint32_t lock_time = 0;  // 0xFFFFFFFF: until btn_unlock
  uint32_t lock_start = 0;
  int32_t clicked = 0;
  int32_t on_mouse = 0;
  int32_t off_mouse = 0;
  YelButton* object = nullptr;
  int32_t hovered = -1;      // index of the button whose on label ran; -1 = none
  uint32_t hover_sound = 0;  // file arguments of the two sounds; 0 = none
  uint32_t decide_sound = 0;
  YelSoundHandle hover_channel = 0;
  YelSoundHandle decide_channel = 0;
  std::array<ButtonRecord, kButtonsPerGroup> buttons{};
  YelSpriteInfo hovered_info{};  // the hovered button's sprite info when it was entered
  std::array<int32_t, kSpecialButtonCount> special{-1, -1, -1, -1, -1, -1};
  int32_t toggle = 0;
};

struct ButtonManager {
  uint8_t input_mode = 0;  // 0: decide on push, else on release
  InputBlock input_block;
  int32_t run_skip = 0;  // set by btn_run_skip: no reaction runs
  std::array<ButtonGroup, kButtonGroupCount> groups{};
  std::array<SystemButton, kSystemButtonCount> system_buttons{};
};

inline constexpr int32_t kChoiceCount = 16;
inline constexpr int32_t kChoiceTextBytes = 260;

enum ChoiceFlag : uint32_t {
  kChoiceShown = 1,
  kChoiceSelectable = 2,
};

struct ChoiceItem {
  YelSprite* sprite = nullptr;
  YelSprite* text_sprite = nullptr;
  uint32_t label = 0;  // code offset from the origin; 0 when the label argument was 0
  int32_t row = 0;
  uint32_t flags = 0;
  std::array<char, kChoiceTextBytes> text{};
};

struct SelectState {
  uint32_t shown = 0;
  uint32_t row_lock = 0;
  int32_t item_count = 0;
  int32_t key_selection = -1;
  int32_t init_image = 0;                  // the image word of select_init
  std::array<uint32_t, 3> init_colours{};  // normal, hover, third (alpha 0xFF)
  uint32_t reaction = 0;                   // low 16 bits this frame, high 16 bits the frame before
  std::array<uint32_t, 3> hooks{};         // enter, leave, decide labels (code offsets), as popped
  std::array<ChoiceItem, kChoiceCount> items{};
};

}  // namespace adv
