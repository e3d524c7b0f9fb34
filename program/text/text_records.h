// The records of text, interaction and sound that the script engine keeps in its context and
// touches from the game task and the interpreter.
#pragma once

#include <array>
#include <cstdint>

#include "program/sound/sound_state.h"
#include "program/text/history_store.h"

namespace adv {

struct TextWindow {
  int32_t shown = 0;
};

struct InputBlock {
  uint32_t start = 0;     // frame clock when the block began
  uint32_t duration = 0;  // milliseconds during which button input is ignored
};

inline constexpr int32_t kSystemButtonCount = 32;

struct SystemButton {
  int32_t label = 0;
  int32_t enabled = 0;
  int32_t reserved[2] = {0, 0};
};

struct ButtonManager {
  uint8_t input_mode = 0;  // 0: decide on push, else on release
  InputBlock input_block;
  int32_t run_skip = 0;    // set by btn_run_skip: no reaction runs
  std::array<SystemButton, kSystemButtonCount> system_buttons{};
};

struct WaitState {
  int32_t waiting = 0;
};

struct SelectState {
  int32_t item_count = 0;
  int32_t init_image = 0;  // the image word of select_init
  std::array<uint32_t, 3> init_colours{};
  std::array<uint32_t, 3> hooks{};  // select_set_process labels, in the order popped
};

}  // namespace adv
