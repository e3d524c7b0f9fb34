// The touch switches: whether the window procedure reads touches, touch mode (touches arrive as
// mouse messages), the gesture record, and the capture textures' power-of-two switch.
#include <cstring>

#include "YEL/core/system.h"
#include "os/window.h"

namespace yel {
namespace {

// In touch mode the window no longer takes touches as touches, so they arrive as mouse messages.
void RegisterForTouch(YelSystem& system, bool registered) {
  system.touch.registered = registered;
  if (system.window) system.window->SetTouchAsMouse(!registered);
}

void PutWord(uint8_t* out, int32_t value) {
  const uint32_t bits = static_cast<uint32_t>(value);
  for (int i = 0; i < 4; ++i) out[i] = static_cast<uint8_t>(bits >> (8 * i));
}

}  // namespace
}  // namespace yel

using yel::System;
using yel::YelSystem;

extern "C" {

YEL_API void YelTouchEnable(uint8_t enable) {
  if (YelSystem* system = System()) system->touch.enabled = enable;
}

YEL_API void YelTouchMode(uint8_t on) {
  YelSystem* system = System();
  if (!system || !system->touch.available) return;
  const bool was_on = system->touch.mode.load() != 0;
  if (on && !was_on) yel::RegisterForTouch(*system, false);
  if (!on && was_on) yel::RegisterForTouch(*system, true);
  system->touch.mode = on;
}

YEL_API int32_t YelIsTouchMode(void) {
  YelSystem* system = System();
  return system ? system->touch.mode.load() : 0;
}

YEL_API int YelIsTouch(void) {
  YelSystem* system = System();
  return system && system->touch.available && system->touch.registered ? 1 : 0;
}

YEL_API void YelSetGesture(int32_t mode) {
  if (YelSystem* system = System()) system->touch.gesture_mode = mode;
}

// The gesture record: its mode word, then words nothing fills.
YEL_API void YelGetGesture(void* out_record48) {
  YelSystem* system = System();
  if (!system || !out_record48) return;
  auto* out = static_cast<uint8_t*>(out_record48);
  std::memset(out, 0, yel::kGestureRecordSize);
  yel::PutWord(out, system->touch.gesture_mode);
}

YEL_API int YelGestureCheck(void) {
  YelSystem* system = System();
  if (!system) return 0;
  for (const auto& mode : system->touch.point_modes) {
    if (mode >= 3 && mode <= 7) return 1;
  }
  return 0;
}

YEL_API void YelSetPow(uint8_t on) {
  if (YelSystem* system = System()) system->input.power_of_two = on;
}

}  // extern "C"
