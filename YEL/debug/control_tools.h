// The debug control tools' records and the steps they take each frame, apart from the input they
// read, so that the moves can be driven by a test as by the keys.
#pragma once

#include <array>
#include <cstdint>

#include "YEL/render/camera.h"
#include "YEL/yel.h"

namespace yel {

// The debug pages that show the tools' values (the numbers of their dialogs).
inline constexpr int32_t kSpriteToolPageKey = 102;
inline constexpr int32_t kCameraToolPageKey = 106;
inline constexpr float kCameraStep = 1.0f / 600.0f;

// The sprite tool's task data (zero-filled by the task system: no sprite picked).
struct SpriteToolData {
  YelSprite* sprite = nullptr;
  uint32_t saved_colour = 0;      // the sprite's colour when it was picked
  uint8_t blink = 0;              // phase: the low byte of a sine-table index, +2 a frame
  std::array<int32_t, 3> base{};  // position when picked
  std::array<int32_t, 3> offset{};
  std::array<int32_t, 3> base_rotation{};    // x, y, z in 1/512 turns
  std::array<int32_t, 3> rotation_offset{};  // 0 to 511 each
  float scale = 0.0f;
  char file_name[260] = {};
};

// What one frame of the sprite tool reads besides the pushed buttons.
struct SpriteToolInput {
  uint32_t held = 0;  // key word of held keys
  int32_t mouse_move_x = 0, mouse_move_y = 0;
  int16_t wheel = 0;
  // Per axis x, y, z: the keys that raise (U, J, A) and lower (O, L, D) the turn, with Shift.
  std::array<bool, 3> turn_up{}, turn_down{};
};

// Picks the topmost visible sprite at the game position (nothing when there is none).
void SpriteToolPick(SpriteToolData& data, int32_t x, int32_t y);
// One frame with a sprite picked: blink, drag, turn, move, scale, then the sprite is set.
void SpriteToolApply(SpriteToolData& data, const SpriteToolInput& input);
// Gives the sprite its colour back and forgets it.
void SpriteToolForget(SpriteToolData& data);

struct CameraToolData {
  CameraVectors start;
  CameraVectors current;
  std::array<float, 3> centre{};  // the centre of the turn
  std::array<float, 3> move{};
  int32_t angle = 0;  // 0 to 511
};

// Reads the renderer's camera as the start and current camera.
void CameraToolStart(CameraToolData& data);
// One frame of the held keys; the renderer's camera becomes the current one.
void CameraToolApply(CameraToolData& data, uint32_t held);
// Sets the current position (bit 0), look-at point (bit 1) and up vector (bit 2) to zero.
void CameraToolReset(CameraToolData& data, int which);
// Any thread (the debug window's reset buttons): the camera tool's next step resets those bits.
void CameraToolRequestReset(int which);

}  // namespace yel
