// The global record and the small getters and setters of the exported interface.
#include "YEL/core/system.h"

#include "YEL/render/backend.h"
#include "os/clock.h"

namespace yel {

std::atomic<YelSystem*> detail::g_system{nullptr};

void SetSystem(YelSystem* system) { detail::g_system.store(system); }

YelInitParam RunTimeParameters(const YelSystem& system) {
  YelInitParam out = system.param;
  const WindowState window = system.window_state.Get();
  out.full_screen = window.full_screen;
  out.window_x = window.x;
  out.window_y = window.y;
  out.window_width = window.width;
  out.window_height = window.height;
  out.aspect_mode = window.aspect_mode;
  out.frame_rate = system.frame_rate.load();
  return out;
}

ProcessWords& Process() {
  static ProcessWords words;
  return words;
}

}  // namespace yel

using yel::System;

extern "C" {

YEL_API void YelGetSystemParameters(YelInitParam* out) {
  if (out && System()) *out = yel::RunTimeParameters(*System());
}

YEL_API int IsActive(void) {
  yel::YelSystem* s = System();
  if (!s || s->inactive.load()) return 0;
  return s->active.load();
}

YEL_API int IsMovie(void) { return System() ? System()->movie.load() : 0; }
YEL_API int IsSystemEnd(void) { return yel::Process().system_end.load() ? 1 : 0; }
YEL_API int YelCheckWindowMode(void) {
  return System() ? System()->window_state.Get().full_screen : 0;
}
YEL_API int YelCheckAspectMode(void) {
  return System() ? System()->window_state.Get().aspect_mode : 0;
}
YEL_API YelCore* YelGetCore(void) { return System() ? System()->core.load() : nullptr; }
YEL_API int YelGetTextureCaps(YelTextureCaps* out) {
  if (!out) return 0;
  *out = YelTextureCaps{};
  const YelCore* core = YelGetCore();
  if (!core) return 0;
  *out = core->TextureCaps();
  return 1;
}
YEL_API YelRender* YelGetRender(void) { return System() ? System()->active_render.load() : nullptr; }
YEL_API int Yel3DIs(void) { return System() ? static_cast<int>(System()->param.flags & 8) : 0; }
YEL_API int YelDebugIs(void) { return System() ? System()->param.debug : 0; }
YEL_API const char* YelGetCmdLine(void) { return System() ? System()->param.cmd_line : nullptr; }

YEL_API void* YelGetWindowHandle(void) {
  yel::YelSystem* s = System();
  return s && s->window ? s->window.get() : nullptr;
}

YEL_API void* YelGetInstanceHandle(void) { return System() ? System()->param.instance : nullptr; }

YEL_API void YelDisableChangeWindowMode(int32_t disabled) {
  yel::Process().change_mode_disabled = disabled;
}

YEL_API uint32_t YelGetChangeWindowModeTime(void) {
  return yel::Process().change_mode_time.load();
}

YEL_API uint32_t YelSetChangeWindowModeTime(void) {
  const uint32_t now = os::TimeMs();
  yel::Process().change_mode_time = now;
  return now;
}

YEL_API void YelDebugDump(void) {}

YEL_API void YelFrameRateSet(int32_t frames_per_second) {
  if (System()) System()->frame_rate = frames_per_second;
}

}  // extern "C"
