// One joystick or game controller, read on demand. Reading is safe from a thread other than the
// one that opened the device; opening and closing happen while no read runs.
#pragma once

#include <cstdint>
#include <memory>

namespace os {

// Axes are scaled to -1000..1000 whatever the device reports.
inline constexpr int32_t kJoystickAxisRange = 1000;
inline constexpr int kJoystickButtonCount = 10;

struct JoystickState {
  int32_t x = 0;
  int32_t y = 0;
  uint32_t buttons = 0;  // bit n: button n down, for the first kJoystickButtonCount buttons
};

class Joystick {
 public:
  // Opens the first attached joystick that can be opened; null when there is none.
  static std::unique_ptr<Joystick> OpenFirst();
  ~Joystick();
  Joystick(const Joystick&) = delete;
  Joystick& operator=(const Joystick&) = delete;

  // Updates the device and reads it; false when the device is gone.
  bool Read(JoystickState& out);
  bool Attached() const;

 private:
  Joystick() = default;
  void* joystick_ = nullptr;  // SDL_Joystick
};

}  // namespace os
