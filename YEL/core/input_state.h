// The input words of the platform library, read by the main program through the input exports.
// The main thread owns them: the window procedure reaches them only through posted messages.
#pragma once

#include <cstdint>

namespace yel {

// Key bits of the key words.
enum KeyBit : uint32_t {
  kKeyEsc = 1u << 0,
  kKeySpace = 1u << 1,
  kKeyEnter = 1u << 2,
  kKeyCtrl = 1u << 3,
  kKeyShift = 1u << 4,
  kKeyAlt = 1u << 5,
  kKeyTab = 1u << 6,
  kKeyF11 = 1u << 21,
};

struct InputState {
  uint32_t key_on = 0;        // keys held
  uint32_t key_push = 0;      // keys pressed in this frame
  uint32_t key_pull = 0;      // keys released in this frame
  uint32_t key_repeat = 0;    // pressed, or held past the repeat delay
  uint32_t window_event = 0;  // double clicks and requests of this frame (cleared each frame)
  int32_t wheel = 0;          // +1 toward the user, -1 away (cleared each frame)
};

// Touch bits written by the window procedure and taken by the input poll.
enum TouchBit : uint32_t {
  kTouchPoint0Down = 1u << 0,
  kTouchPoint1Down = 1u << 1,
  kTouchPosition = 1u << 2,
  kTouchRightPress = 1u << 3,
};

}  // namespace yel
