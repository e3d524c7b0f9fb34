// The joystick through SDL. The device is polled by whoever reads it, not by the event pump, so
// the thread that reads it always sees the state of the moment of the read.
#include "os/joystick.h"

#include <SDL.h>

#include <algorithm>

namespace os {
namespace {

SDL_Joystick* Sdl(void* joystick) { return static_cast<SDL_Joystick*>(joystick); }

// -32768..32767 onto -1000..1000, both ends included and 0 staying 0.
int32_t ScaleAxis(int16_t value) {
  const int64_t span = 2 * kJoystickAxisRange;
  return static_cast<int32_t>((static_cast<int64_t>(value) + 32768) * span / 65535) -
         kJoystickAxisRange;
}

}  // namespace

std::unique_ptr<Joystick> Joystick::OpenFirst() {
  // The reader updates the device itself; the window's event pump leaves it alone and no
  // joystick events pile up in the event queue. Focus does not matter.
  SDL_SetHint(SDL_HINT_AUTO_UPDATE_JOYSTICKS, "0");
  SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
  if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) return nullptr;
  SDL_JoystickEventState(SDL_IGNORE);
  const int count = SDL_NumJoysticks();
  for (int i = 0; i < count; ++i) {
    SDL_Joystick* sdl = SDL_JoystickOpen(i);
    if (!sdl) continue;
    std::unique_ptr<Joystick> joystick(new Joystick());
    joystick->joystick_ = sdl;
    return joystick;
  }
  SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
  return nullptr;
}

Joystick::~Joystick() {
  SDL_JoystickClose(Sdl(joystick_));
  SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
}

bool Joystick::Attached() const { return SDL_JoystickGetAttached(Sdl(joystick_)) == SDL_TRUE; }

bool Joystick::Read(JoystickState& out) {
  SDL_JoystickUpdate();
  SDL_Joystick* sdl = Sdl(joystick_);
  if (!SDL_JoystickGetAttached(sdl)) return false;
  const int axes = SDL_JoystickNumAxes(sdl);
  out.x = axes > 0 ? ScaleAxis(SDL_JoystickGetAxis(sdl, 0)) : 0;
  out.y = axes > 1 ? ScaleAxis(SDL_JoystickGetAxis(sdl, 1)) : 0;
  out.buttons = 0;
  const int buttons = std::min(SDL_JoystickNumButtons(sdl), kJoystickButtonCount);
  for (int i = 0; i < buttons; ++i) {
    if (SDL_JoystickGetButton(sdl, i)) out.buttons |= 1u << i;
  }
  return true;
}

}  // namespace os
