// The records of text, interaction and sound that the script engine keeps in its context and
// touches from the game task and the interpreter.
#pragma once

#include <array>
#include <cstdint>

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

struct HistoryBlock {
  int32_t count = 0;
  int32_t off = 0;
  uint32_t restart_label = 0;  // script offset rebuilt to at a history skip; 0 = none
};

struct WaitState {
  int32_t waiting = 0;
};

struct SoundState {
  int32_t initialised = 0;
};

struct SelectState {
  int32_t item_count = 0;
};

}  // namespace adv
