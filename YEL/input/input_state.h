// The input state of the platform library: the words the main program reads through the input
// exports, and the raw device state they are made from.
//
// Threads:
// - The window procedure (UI thread) writes only the raw state (`RawInput`): which keyboard keys
//   and mouse buttons are down and where the pointer is. Mouse clicks, double clicks and the
//   wheel also reach the main thread as posted input codes, so that a click shorter than a frame
//   is not lost; key presses are also kept in a word of their own until the next poll takes them,
//   so that a key tap shorter than a frame is not lost either.
// - The main thread's poll turns the raw state into the key, mouse and joystick words once per
//   frame, and applies the posted codes between frames. Apart from the exported setters and
//   clears, which any thread may call, nothing else writes the words.
// - Every word is atomic, so the work thread (which runs the interpreter at times) and the
//   exports always read whole values.
// - The joystick device is opened and closed on the UI thread only while the main thread runs
//   no frame (start, forwarded device changes, end); the poll reads it.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>

#include "YEL/input/cursor.h"
#include "os/joystick.h"
#include "os/virtual_keys.h"

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
  kKeyUp = 1u << 7,
  kKeyDown = 1u << 8,
  kKeyLeft = 1u << 9,
  kKeyRight = 1u << 10,
  kKeyF1 = 1u << 11,
  kKeyF11 = 1u << 21,
  kKeyF12 = 1u << 22,
  kKeyMouseLeft = 1u << 23,  // the logical left (primary) button
  kKeyMouseRight = 1u << 24,
  kKeyMouseMiddle = 1u << 25,
  kKeyY = 1u << 26,
  kKeyN = 1u << 27,
  kKeyZ = 1u << 28,
  kKeyX = 1u << 29,
  kKeyC = 1u << 30,
};
inline constexpr uint32_t kKeyMouseButtons = kKeyMouseLeft | kKeyMouseRight | kKeyMouseMiddle;
inline constexpr int kKeyBitCount = 31;

// Joystick word bits: the directions past the threshold, then buttons 0 to 9.
enum JoyBit : uint32_t {
  kJoyUp = 1u << 0,
  kJoyDown = 1u << 1,
  kJoyLeft = 1u << 2,
  kJoyRight = 1u << 3,
  kJoyButton0 = 1u << 4,
};
inline constexpr int32_t kJoyThreshold = 800;

// What the window procedure has seen of the devices (written on the UI thread).
struct RawInput {
  std::array<std::atomic<uint32_t>, os::kScancodeCount / 32> scancodes{};  // keys down
  // Keys pressed since the last poll, down or already up again: the poll counts a key tapped
  // between two frames as down for one frame, so that its press is not lost.
  std::array<std::atomic<uint32_t>, os::kScancodeCount / 32> pressed{};
  std::atomic<uint32_t> buttons{0};  // os::MouseButtonBit, buttons down
  // The pointer's client position: x in bits 0-15 and y in bits 16-31 (signed), bit 32 set while
  // the position is known (the pointer is over the window, or captured by a held button).
  std::atomic<uint64_t> pointer{0};
};

// A word and the words derived from it in each poll: held in this and the previous poll,
// newly pressed, released.
struct PolledWords {
  std::atomic<uint32_t> current{0};
  std::atomic<uint32_t> previous{0};
  std::atomic<uint32_t> push{0};
  std::atomic<uint32_t> on{0};
  std::atomic<uint32_t> pull{0};
  std::atomic<uint32_t> repeat{0};
};

struct InputState {
  RawInput raw;

  PolledWords keys;
  std::atomic<uint32_t> window_event{0};  // double clicks and requests (cleared each frame)
  std::atomic<uint32_t> repeat_keys{0};
  std::atomic<uint32_t> repeat_start{0};  // frame time of the last press

  std::atomic<int32_t> mouse_x{-1};  // game coordinates, -1 outside
  std::atomic<int32_t> mouse_y{-1};
  std::atomic<int32_t> mouse_move_x{0};
  std::atomic<int32_t> mouse_move_y{0};
  std::atomic<int32_t> wheel{0};  // 16 bits signed: +1 toward the user (cleared each frame)

  // Applied after every poll until changed (YelInputKeyCancel).
  std::atomic<uint32_t> cancel_low{0};
  std::atomic<uint32_t> cancel_high{0};

  PolledWords joy;  // its repeat word is never set
  std::unique_ptr<os::Joystick> joystick;
  std::atomic<bool> joystick_present{false};

  CursorState cursor;
  // The hardware renderer's switch for power-of-two capture textures (YelSetPow).
  std::atomic<uint8_t> power_of_two{0};
};

// Touch bits written by the window procedure and taken by the input poll.
enum TouchBit : uint32_t {
  kTouchPoint0Down = 1u << 0,
  kTouchPoint1Down = 1u << 1,
  kTouchPosition = 1u << 2,
  kTouchRightPress = 1u << 3,
};

inline constexpr int kTouchPointCount = 5;
inline constexpr size_t kGestureRecordSize = 48;

struct TouchState {
  std::atomic<uint32_t> bits{0};  // TouchBit, written by the window procedure
  std::atomic<int> x{0}, y{0};
  std::atomic<int32_t> mode{0};         // touch mode: touches arrive as mouse messages
  std::atomic<uint8_t> enabled{0};      // the window procedure reads touches
  std::atomic<bool> available{false};   // a touch device was present at start
  std::atomic<bool> registered{false};  // the window takes touches as touches
  std::atomic<int32_t> gesture_mode{0};  // first word of the current gesture record
  // First words of the touch-point records; nothing fills them, so they stay 0.
  std::array<std::atomic<int32_t>, kTouchPointCount> point_modes{};
};

}  // namespace yel
