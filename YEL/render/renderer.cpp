// The life cycle's view of the renderer: the back-end is chosen once at start (the GL one when
// the hardware renderer is asked for and GL starts, else the software one) and every later call
// goes through its interface.
#include "YEL/render/renderer.h"

#include <numeric>

#include "YEL/core/system.h"
#include "YEL/input/input.h"
#include "YEL/render/backend.h"
#include "YEL/render/gl_renderer.h"
#include "YEL/render/soft_renderer.h"
#include "YEL/window/window_modes.h"
#include "os/debug_output.h"

namespace yel {
namespace {

RendererParams ParamsFrom(const YelSystem& system) {
  const YelInitParam& p = system.param;
  RendererParams params;
  params.window = system.window.get();
  const WindowState window = system.window_state.Get();
  params.window_width = window.width;
  params.window_height = window.height;
  params.game_width = p.game_width;
  params.game_height = p.game_height;
  params.option_bits = ((p.flags & YEL_FLAG_LINEAR_FILTER) ? 1u : 0u) |
                       (p.pacing_mode == 1 ? 2u : 0u) | ((p.flags & YEL_FLAG_FX) ? 4u : 0u);
  params.aspect_mode = window.aspect_mode;
  params.texture_slot_count = p.texture_slot_count;
  return params;
}

// The final filter (bits 11, 10, 9, else linear with the smooth default) and the sprites'
// second filter (bits 14, 13, else linear with the smooth default).
GlFilters FiltersFrom(uint32_t flags) {
  const bool smooth = (flags & YEL_FLAG_LINEAR_FILTER) != 0;
  GlFilters filters;
  if (flags & 0x800) {
    filters.final_filter = 3;
  } else if (flags & 0x400) {
    filters.final_filter = 2;
  } else if (flags & 0x200) {
    filters.final_filter = 1;
  } else {
    filters.final_filter = smooth ? 2 : 0;
  }
  if (flags & 0x4000) {
    filters.second_filter = 2;
  } else if (flags & 0x2000) {
    filters.second_filter = 1;
  } else {
    filters.second_filter = smooth ? 2 : 0;
  }
  return filters;
}

bool CreateHardware(YelSystem& system) {
  std::string error;
  std::unique_ptr<GlRenderer> renderer = GlRenderer::Create(
      ParamsFrom(system), FiltersFrom(system.param.flags), PowerOfTwoCaptures(system), &error);
  if (!renderer) {
    os::DebugOutputf("OpenGL renderer cannot start (%s): drawing in software\n", error.c_str());
    YelErrorLogPrintf("OpenGL : %s", error.c_str());
    return false;
  }
  system.core = renderer.release();
  return true;
}

// The display that holds the window; a fixed desktop gives its size.
os::Rect MonitorRect(const YelSystem& system) {
  os::Rect window = system.window ? system.window->ClientRect() : os::Rect{};
  os::Rect monitor = os::DisplayRectAt((window.left + window.right) / 2,
                                       (window.top + window.bottom) / 2, nullptr);
  if (YelIsDesktopRectFix()) {
    const os::Rect fixed = DesktopRect();
    monitor.right = monitor.left + fixed.Width();
    monitor.bottom = monitor.top + fixed.Height();
  }
  return monitor;
}

// Both fits of modes 1 and 3, in single precision as the rectangle has always been computed.
void AspectFits(int32_t w, int32_t h, int32_t gw, int32_t gh, int32_t fit_width[2],
                int32_t fit_height[2]) {
  const int32_t g = gh == 0 ? gw : std::gcd(gw, gh);
  const float a = static_cast<float>(gw) / static_cast<float>(g);
  const float b = static_cast<float>(gh) / static_cast<float>(g);
  const float across = static_cast<float>(w - gw) / a;
  const float down = static_cast<float>(h - gh) / b;
  fit_width[0] = gw + TruncateFloat(across * a);
  fit_width[1] = gh + TruncateFloat(across * b);
  fit_height[0] = gw + TruncateFloat(down * a);
  fit_height[1] = gh + TruncateFloat(down * b);
}

}  // namespace

bool FullScreenAspectRect(int32_t aspect_mode, int32_t w, int32_t h, int32_t gw, int32_t gh,
                          os::Rect& out) {
  if (gw <= 0 || gh < 0) return false;
  int32_t size[2] = {w, h};
  switch (aspect_mode) {
    case 0:
      out = os::Rect{0, 0, w, h};
      return true;
    case 2:
      size[0] = gw, size[1] = gh;
      break;
    case 1:
    case 3: {
      int32_t by_width[2], by_height[2];
      AspectFits(w, h, gw, gh, by_width, by_height);
      const bool too_tall = by_width[1] > h, too_short = by_width[1] < h;
      const bool use_height = aspect_mode == 1 ? too_tall : too_short;
      size[0] = use_height ? by_height[0] : by_width[0];
      size[1] = use_height ? by_height[1] : by_width[1];
      break;
    }
    default:
      return false;
  }
  const int32_t left = (w - size[0]) >> 1, top = (h - size[1]) >> 1;
  out = os::Rect{left, top, left + size[0], top + size[1]};
  return true;
}

bool RendererHardwareBuilt() {
#ifdef YEL_SOFTWARE_RENDERER_ONLY
  return false;
#else
  return true;
#endif
}

bool RendererCreate(YelSystem& system, bool hardware) {
  if (system.core.load()) return false;
  if (hardware) return CreateHardware(system);
  std::unique_ptr<SoftRenderer> renderer = SoftRenderer::Create(ParamsFrom(system));
  if (!renderer) return false;
  system.core = renderer.release();
  return true;
}

void RendererRelease(YelSystem& system) {
  delete system.core.exchange(nullptr);
}

void RendererDetachWindow(YelSystem& system) {
  if (auto* soft = dynamic_cast<SoftRenderer*>(system.core.load())) soft->DetachWindow();
  if (auto* gl = dynamic_cast<GlRenderer*>(system.core.load())) gl->DetachWindow();
}

bool RendererCreateTextureSlots(YelSystem& system) {
  return system.core.load() != nullptr;
}
bool RendererCreateCaptureTexture(YelSystem&) {
  return true;
}

bool RendererResize(YelSystem& system, int width, int height) {
  YelCore* core = system.core.load();
  return !core || core->Resize(width, height);
}

os::Rect RendererSetAspect(YelSystem& system, int aspect_mode, bool full_screen, int width,
                           int height) {
  YelCore* core = system.core.load();
  if (!core) return os::Rect{0, 0, width, height};
  // YelSetPow's switch reaches the render target at the reset a mode change brings.
  if (auto* gl = dynamic_cast<GlRenderer*>(core)) gl->SetPowerOfTwo(PowerOfTwoCaptures(system));
  if (!full_screen) core->Resize(width, height);
  return core->SetAspect(aspect_mode, full_screen, MonitorRect(system));
}

int RendererRestoreDevice(YelSystem& system) {
  YelCore* core = system.core.load();
  return core ? core->Restore() : 0;
}

YelCore* RendererCore(YelSystem& system) {
  return system.core.load();
}

bool RendererBeginFrame(YelSystem& system, uint32_t clear_colour) {
  YelCore* core = system.core.load();
  return !core || core->BeginFrame(clear_colour);
}

void RendererThreadDone(YelSystem& system) {
  if (auto* gl = dynamic_cast<GlRenderer*>(system.core.load())) gl->ThreadDone();
}

void RendererEndFrame(YelSystem& system) {
  if (YelCore* core = system.core.load()) core->EndFrame();
}

// Only the GL back-end draws into its target without showing it; the software one draws nothing.
bool RendererBeginTarget(YelSystem& system, uint32_t clear_colour) {
  auto* gl = dynamic_cast<GlRenderer*>(system.core.load());
  return gl && gl->BeginTarget(clear_colour);
}
void RendererEndTarget(YelSystem& system) {
  if (auto* gl = dynamic_cast<GlRenderer*>(system.core.load())) gl->EndTarget();
}

}  // namespace yel
