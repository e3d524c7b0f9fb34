#include "os/display_modes.h"

#include <SDL.h>

namespace os {

int DisplayCount() {
  if (!SDL_WasInit(SDL_INIT_VIDEO)) return 0;
  const int count = SDL_GetNumVideoDisplays();
  return count > 0 ? count : 0;
}

bool CurrentDisplayMode(int index, DisplayMode* out) {
  *out = DisplayMode{};
  if (index < 0 || index >= DisplayCount()) return false;
  SDL_DisplayMode mode{};
  if (SDL_GetCurrentDisplayMode(index, &mode) != 0) return false;
  *out = DisplayMode{mode.w, mode.h, mode.refresh_rate};
  return true;
}

}  // namespace os
