// Window modes: full screen covers the desktop, window mode restores the client size.
#include "YEL/core/window_modes.h"

#include "YEL/core/system.h"
#include "os/clock.h"

namespace yel {

void WindowChangeMode(YelSystem& system, int mode) {
  if (!system.window) return;
  if (system.window->SetFullScreen(mode == 1)) system.param.full_screen = mode == 1 ? 1 : 0;
  Process().change_mode_time = os::TimeMs();
}

void WindowChangeSize(YelSystem& system, int width, int height) {
  if (!system.window || width <= 0 || height <= 0) return;
  system.window->SetClientSize(width, height);
  system.param.window_width = width;
  system.param.window_height = height;
  system.geometry.view = os::Rect{0, 0, width, height};
}

}  // namespace yel
