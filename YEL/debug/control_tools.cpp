// The debug control tools: the sprite tool picks the sprite under the mouse, makes it blink and
// moves, turns and scales it; the camera tool moves the hardware renderer's camera. Each is a
// blocking task under the root (the game's tasks only run their end steps while it lives) with
// a page of the debug window that shows its values.
//
// Threads: the steps and end steps run on the main thread inside the task walk, under the render
// lock. The tool toggle runs on the UI thread and takes the render lock to change the tree.
#include <array>
#include <atomic>
#include <cmath>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "YEL/core/system.h"
#include "YEL/debug/control_tools.h"
#include "YEL/debug/debug_pages.h"
#include "YEL/debug/debug_window.h"
#include "YEL/render/camera.h"
#include "YEL/render/render.h"
#include "YEL/window/private_messages.h"
#include "os/encoding.h"
#include "os/text_format.h"
#include "os/virtual_keys.h"

namespace yel {
namespace {

YelTask* g_control_task = nullptr;   // UI thread only
std::atomic<int> g_camera_reset{0};  // reset bits asked for by the window, taken by the step

// sin(2 pi k / 512), the unit of the tools' angles.
float SineEntry(int32_t k) {
  return static_cast<float>(std::sin(6.283185307179586 * static_cast<double>(k & 511) / 512.0));
}

int32_t WrapAngle(int32_t angle) {
  return angle & 511;
}

bool VirtualKeyHeld(const YelSystem& system, uint32_t virtual_key) {
  uint32_t scancodes[os::kMaxScancodesPerKey];
  const int count = os::VirtualKeyScancodes(virtual_key, scancodes);
  for (int i = 0; i < count; ++i) {
    const uint32_t code = scancodes[i];
    if (system.input.raw.scancodes[code / 32].load() & (1u << (code % 32))) return true;
  }
  return false;
}

// Fresh presses of Esc end the tool; the game sees none of the tool's keys in the frame.
void EndFrameInput(YelSystem& system) {
  if (system.input.keys.push.load() & kKeyEsc) {
    system.ui_queue->Post(MakeMessage(WindowMessage::WM_YEL_DEBUG_TASK, 0));
  }
  for (PolledWords* words : {&system.input.keys, &system.input.joy}) {
    words->push = 0;
    words->on = 0;
    words->pull = 0;
    words->repeat = 0;
  }
}

constexpr uint32_t kHandCursor = 32649;

// A cursor of the system by its number, shown over the game window.
void SetSystemCursor(uint32_t id) {
  YelSetCursor(reinterpret_cast<const char*>(static_cast<uintptr_t>(id)), 1, 0, 0);
}

void ShowRows(int32_t key, std::vector<std::pair<std::string, std::string>> rows) {
  DebugPageSetRows(key, std::move(rows));
}

}  // namespace

// ---- Sprite tool ----------------------------------------------------------------------------

void SpriteToolPick(SpriteToolData& data, int32_t x, int32_t y) {
  YelSprite* sprite = YelSpriteGetForeground(x, y, 0);
  YelSpriteInfo info{};
  if (!sprite || !YelSpriteGetInfo(sprite, &info)) return;
  data = SpriteToolData{};
  data.sprite = sprite;
  data.saved_colour = info.colour;
  data.base = {static_cast<int32_t>(info.x), static_cast<int32_t>(info.y),
               static_cast<int32_t>(info.z)};
  data.base_rotation = {static_cast<int32_t>(info.rotation_x),
                        static_cast<int32_t>(info.rotation_y), static_cast<int32_t>(info.angle)};
  data.scale = info.scale_x;
  std::memcpy(data.file_name, info.file_name, sizeof data.file_name);
  data.file_name[sizeof data.file_name - 1] = '\0';
}

void SpriteToolForget(SpriteToolData& data) {
  if (data.sprite) YelSpriteSetColor(data.sprite, data.saved_colour);
  data = SpriteToolData{};
}

void SpriteToolApply(SpriteToolData& data, const SpriteToolInput& in) {
  // One blink is 128 frames: the alpha rises from 0 to 255 and falls back.
  const auto alpha = static_cast<uint32_t>(static_cast<int32_t>(255.0f * SineEntry(data.blink)));
  YelSpriteSetColor(data.sprite, ((alpha & 0xFF) << 24) | (data.saved_colour & 0x00FFFFFF));
  data.blink = static_cast<uint8_t>(data.blink + 2);
  if (in.held & kKeyMouseLeft) {
    data.offset[0] += in.mouse_move_x;
    data.offset[1] += in.mouse_move_y;
  }
  if (in.held & kKeyShift) {
    for (int axis = 0; axis < 3; ++axis) {
      const int32_t turn = (in.turn_up[axis] ? 1 : 0) - (in.turn_down[axis] ? 1 : 0);
      data.rotation_offset[axis] = WrapAngle(data.rotation_offset[axis] + turn);
    }
    if (in.held & kKeyUp) --data.offset[2];
    if (in.held & kKeyDown) ++data.offset[2];
  } else {
    if (in.held & kKeyUp) --data.offset[1];
    if (in.held & kKeyDown) ++data.offset[1];
    if (in.held & kKeyRight) ++data.offset[0];
    if (in.held & kKeyLeft) --data.offset[0];
  }
  if (in.wheel < 0) data.scale += 0.01f;
  if (in.wheel > 0) data.scale -= 0.01f;
  YelSpriteSetPos(data.sprite, static_cast<float>(data.base[0] + data.offset[0]),
                  static_cast<float>(data.base[1] + data.offset[1]),
                  static_cast<float>(data.base[2] + data.offset[2]));
  YelSpriteSetRotateEx(data.sprite, data.base_rotation[0] + data.rotation_offset[0],
                       data.base_rotation[1] + data.rotation_offset[1],
                       data.base_rotation[2] + data.rotation_offset[2]);
  YelSpriteSetScale(data.sprite, data.scale, data.scale);
}

namespace {

void ShowSpriteTool(const SpriteToolData& d, const YelSystem& system) {
  auto triple = [](const std::array<int32_t, 3>& v) {
    return os::Format("%d, %d, %d", v[0], v[1], v[2]);
  };
  std::array<int32_t, 3> sum{};
  for (size_t i = 0; i < 3; ++i) sum[i] = d.base[i] + d.offset[i];
  // Rounded away from zero after a nudge in the scale's direction.
  const float nudged = d.scale * 100.0f + (d.scale < 0 ? -0.001f : 0.001f);
  const int32_t scale = static_cast<int32_t>(d.scale < 0 ? nudged - 0.5f : nudged + 0.5f);
  YelSpriteInfo info{};
  if (d.sprite) YelSpriteGetInfo(d.sprite, &info);
  ShowRows(
      kSpriteToolPageKey,
      {{"mouse", os::Format("%d, %d", system.input.mouse_x.load(), system.input.mouse_y.load())},
       {"sprite", d.sprite ? d.file_name : ""},
       {"pos", triple(d.base)},
       {"move", triple(d.offset)},
       {"pos + move", triple(sum)},
       {"scale", std::to_string(d.sprite ? scale : 0)},
       {"Layer", std::to_string(info.layer)},
       {"rotate", triple(d.base_rotation)},
       {"rot move", triple(d.rotation_offset)}});
}

int SpriteCtrlStep(void* raw) {
  YelSystem* system = System();
  if (!system) return 1;
  auto& data = *static_cast<SpriteToolData*>(raw);
  const InputState& input = system->input;
  if (!data.sprite) {
    if (input.keys.push.load() & kKeyMouseLeft) {
      SpriteToolPick(data, input.mouse_x.load(), input.mouse_y.load());
      if (data.sprite) SetSystemCursor(kHandCursor);
    }
  } else {
    SpriteToolInput in;
    in.held = input.keys.on.load();
    in.mouse_move_x = input.mouse_move_x.load();
    in.mouse_move_y = input.mouse_move_y.load();
    in.wheel = static_cast<int16_t>(input.wheel.load());
    // x: U and O, y: J and L, z: A and D.
    const std::array<std::pair<char, char>, 3> keys = {{{'U', 'O'}, {'J', 'L'}, {'A', 'D'}}};
    for (size_t axis = 0; axis < 3; ++axis) {
      in.turn_up[axis] = VirtualKeyHeld(*system, static_cast<uint32_t>(keys[axis].first));
      in.turn_down[axis] = VirtualKeyHeld(*system, static_cast<uint32_t>(keys[axis].second));
    }
    SpriteToolApply(data, in);
    if (input.keys.push.load() & kKeyMouseRight) SpriteToolForget(data);
  }
  ShowSpriteTool(data, *system);
  EndFrameInput(*system);
  return 1;
}

int SpriteCtrlEnd(void* raw) {
  SpriteToolForget(*static_cast<SpriteToolData*>(raw));
  SetSystemCursor(YEL_CURSOR_ARROW);
  DebugPageDelete(kSpriteToolPageKey);
  return 1;
}

int SpriteCtrlFirst(void* raw) {
  YelTaskChangeNext(SpriteCtrlStep);
  return SpriteCtrlStep(raw);
}

}  // namespace

// ---- Camera tool ----------------------------------------------------------------------------

void CameraToolStart(CameraToolData& data) {
  data.start = CameraGet();
  data.current = data.start;
  data.centre = data.start.at;
  data.move = {0.0f, 0.0f, kCameraStep};
  data.angle = 0;
}

void CameraToolApply(CameraToolData& data, uint32_t held) {
  CameraVectors& c = data.current;
  if (held & kKeyShift) {
    if (held & kKeyUp) c.from[1] += kCameraStep;
    if (held & kKeyDown) c.from[1] -= kCameraStep;
    if (held & kKeyLeft) c.from[0] -= kCameraStep;
    if (held & kKeyRight) c.from[0] += kCameraStep;
  } else if (held & kKeyCtrl) {
    if (held & kKeyUp) c.from[2] -= kCameraStep;
    if (held & kKeyDown) c.from[2] += kCameraStep;
  } else {
    const float direction = (held & kKeyUp) ? -1.0f : (held & kKeyDown) ? 1.0f : 0.0f;
    for (size_t i = 0; i < 3; ++i) {
      data.centre[i] += direction * data.move[i];
      c.from[i] += direction * data.move[i];
    }
    if (held & (kKeyLeft | kKeyRight)) {
      if (held & kKeyLeft) --data.angle;
      if (held & kKeyRight) ++data.angle;
      if (data.angle > 511) data.angle = 0;
      if (data.angle < 0) data.angle = 511;
      c.at[0] = data.centre[0] + SineEntry(data.angle + 128);
      c.at[2] = data.centre[2] - SineEntry(data.angle);
    }
  }
  CameraSet(c);
}

void CameraToolReset(CameraToolData& data, int which) {
  const std::array<float, 3> zero{};
  if (which & 1) data.current.from = zero;
  if (which & 2) data.current.at = zero;
  if (which & 4) data.current.up = zero;
  CameraSet(data.current);
}

namespace {

void ShowCameraTool(const CameraToolData& d) {
  auto vector = [](const std::array<float, 3>& v) {
    return os::Format("%f, %f, %f", v[0], v[1], v[2]);
  };
  ShowRows(kCameraToolPageKey, {{"from", vector(d.current.from)},
                                {"at", vector(d.current.at)},
                                {"wup", vector(d.current.up)},
                                {"from (start)", vector(d.start.from)},
                                {"at (start)", vector(d.start.at)},
                                {"wup (start)", vector(d.start.up)}});
}

int CameraCtrlStep(void* raw) {
  YelSystem* system = System();
  if (!system) return 1;
  auto& data = *static_cast<CameraToolData*>(raw);
  if (const int reset = g_camera_reset.exchange(0)) CameraToolReset(data, reset);
  CameraToolApply(data, system->input.keys.on.load());
  ShowCameraTool(data);
  EndFrameInput(*system);
  return 1;
}

int CameraCtrlEnd(void* raw) {
  CameraSet(static_cast<CameraToolData*>(raw)->start);
  DebugPageDelete(kCameraToolPageKey);
  return 1;
}

int CameraCtrlFirst(void* raw) {
  CameraToolStart(*static_cast<CameraToolData*>(raw));
  YelTaskChangeNext(CameraCtrlStep);
  return CameraCtrlStep(raw);
}

}  // namespace

void CameraToolRequestReset(int which) {
  g_camera_reset |= which;
}

void DebugControlTaskToggle(YelSystem& system, uintptr_t kind) {
  // The tree belongs to the main thread's walk: change it only under the render lock.
  RenderLockScope lock;
  if (g_control_task) {
    YelTaskFree(g_control_task);
    g_control_task = nullptr;
    return;
  }
  const bool sprite = kind == 1;
  if (kind != 1 && kind != 2) return;
  const int32_t page = sprite ? kSpriteToolPageKey : kCameraToolPageKey;
  DebugPageCreate(page, os::Utf8ToCp932(sprite ? "ステータス" : "カメラ情報"), kLogPageWithLabel);
  g_control_task = YelTaskCreate(
      sprite ? SpriteCtrlFirst : CameraCtrlFirst, sprite ? SpriteCtrlEnd : CameraCtrlEnd,
      sprite ? sizeof(SpriteToolData) : sizeof(CameraToolData), nullptr, 0x10001, system.tasks.root,
      sprite ? "YelSpriteCtrlTask" : "YelCameraCtrlTask");
  if (!g_control_task) DebugPageDelete(page);
}

}  // namespace yel
