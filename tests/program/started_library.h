// The platform library started in-process but not running: a hidden, offscreen window and an
// active render object, so that the render lock has something to lock. For tests and benchmarks
// that drive the interpreter's threads themselves.
#pragma once

#include <cstdlib>

#include "program/startup/yel_import.h"

namespace test {

// The active render object, or null when the library does not start. YelUninit ends it.
inline YelRender* StartLibraryHidden() {
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  YelInitParam param{};
  yel::YelDefaultCreate(&param);
  param.option_bits |= YEL_OPTION_HIDDEN;
  param.window_width = param.game_width = 320;
  param.window_height = param.game_height = 240;
  param.first_func = [] { return 1; };
  param.texture_slot_count = 1535;  // as the game starts it: room for every particle of the effects
  if (!yel::YelInit(&param)) return nullptr;
  YelRender* render = yel::YelRenderInit();
  yel::YelRenderSetActive(render);
  return render;
}

}  // namespace test
