// Window modes: full screen covers the display (or the fixed desktop), window mode restores the
// remembered window; resize and aspect requests travel through the main thread to the UI thread.
#include "YEL/window/window_modes.h"

#include <atomic>

#include "YEL/core/system.h"
#include "YEL/render/renderer.h"
#include "YEL/window/private_messages.h"
#include "os/clock.h"
#include "os/debug_output.h"

namespace yel {
namespace {

struct FixedDesktop {
  std::atomic<int32_t> flag{0};
  std::atomic<int32_t> width{1280};
  std::atomic<int32_t> height{720};
};

FixedDesktop& Fixed() {
  static FixedDesktop fixed;
  return fixed;
}

// Requests go to the main thread, which forwards them to the window between frames.
int PostRequest(ThreadMessage id, uintptr_t wparam, intptr_t lparam) {
  YelSystem* system = System();
  if (!system || !system->running.load()) return 0;
  return system->main.queue->Post(MakeMessage(id, wparam, lparam)) ? 1 : 0;
}

}  // namespace

os::Rect DesktopRect() {
  if (Fixed().flag.load()) return os::Rect{0, 0, Fixed().width.load(), Fixed().height.load()};
  return os::DesktopRect();
}

bool WindowChangeMode(YelSystem& system, int mode) {
  const WindowState state = system.window_state.Get();
  if (!system.window || !system.running.load() || state.full_screen == mode ||
      (system.param.option_bits & YEL_OPTION_NO_MODE_CHANGE)) {
    return true;
  }
  system.window->Restore();
  if (mode == 1) {
    system.geometry.window = system.window->ClientRect();
    const os::Rect centre = system.geometry.window;
    int display = 0;
    os::Rect area = os::DisplayRectAt((centre.left + centre.right) / 2,
                                      (centre.top + centre.bottom) / 2, &display);
    if (Fixed().flag.load()) {
      area.right = area.left + Fixed().width.load();
      area.bottom = area.top + Fixed().height.load();
      system.window->SetFullScreen(true, &area);
    } else if (!system.window->SetFullScreen(true)) {
      // The window stays as it was, and so does everything that follows its mode.
      os::DebugOutput("error SelectD3DDevice\n");
      system.window->SetFullScreen(false);
      return false;
    }
  } else {
    system.window->SetFullScreen(false);
    const os::Rect& frame = system.geometry.window;
    system.window->SetPosition(frame.left, frame.top);
    system.window->SetClientSize(frame.Width(), frame.Height());
  }
  const os::Rect view =
      RendererSetAspect(system, state.aspect_mode, mode != 0, state.width, state.height);
  system.window_state.Update([&](WindowState& w) {
    w.full_screen = mode;
    w.view = view;
  });
  system.geometry.desktop = DesktopRect();
  Process().change_mode_time = os::TimeMs();
  return true;
}

void WindowChangeSize(YelSystem& system, int width, int height) {
  if (!system.window || width <= 0 || height <= 0) return;
  system.window->SetClientSize(width, height);
  const WindowState state = system.window_state.Get();
  const os::Rect view =
      RendererSetAspect(system, state.aspect_mode, state.full_screen != 0, width, height);
  system.window_state.Update([&](WindowState& w) {
    w.width = width;
    w.height = height;
    w.view = view;
  });
}

void WindowChangeAspect(YelSystem& system, int aspect_mode) {
  const WindowState state = system.window_state.Get();
  const os::Rect view =
      RendererSetAspect(system, aspect_mode, state.full_screen != 0, state.width, state.height);
  system.window_state.Update([&](WindowState& w) {
    w.aspect_mode = aspect_mode;
    w.view = view;
  });
}

void WindowSetPosition(YelSystem& system, int x, int y) {
  if (system.window) system.window->SetPosition(x, y);
  system.window_state.Update([&](WindowState& w) {
    w.x = x;
    w.y = y;
  });
}

os::Rect WindowSizing(int game_width, int game_height, SizingEdge edge, os::Rect frame) {
  // Window frames have no border of their own here, so frame and client sizes are equal.
  const float aspect = static_cast<float>(game_width) / static_cast<float>(game_height);
  const float frame_aspect =
      static_cast<float>(frame.Width()) / static_cast<float>(frame.Height() ? frame.Height() : 1);
  const int width_for_height = static_cast<int>(static_cast<float>(frame.Height()) * aspect);
  const int height_for_width = static_cast<int>(static_cast<float>(frame.Width()) / aspect);
  const bool wider = aspect > frame_aspect;
  switch (edge) {
    case SizingEdge::kLeft:
    case SizingEdge::kRight: frame.bottom = frame.top + height_for_width; break;
    case SizingEdge::kTop:
    case SizingEdge::kBottom: frame.right = frame.left + width_for_height; break;
    case SizingEdge::kTopLeft:
      if (wider) frame.left = frame.right - width_for_height;
      else frame.top = frame.bottom - height_for_width;
      break;
    case SizingEdge::kTopRight:
      if (wider) frame.right = frame.left + width_for_height;
      else frame.top = frame.bottom - height_for_width;
      break;
    case SizingEdge::kBottomLeft:
      if (wider) frame.left = frame.right - width_for_height;
      else frame.bottom = frame.top + height_for_width;
      break;
    case SizingEdge::kBottomRight:
      if (frame_aspect == aspect) break;
      if (wider) frame.right = frame.left + width_for_height;
      else frame.bottom = frame.top + height_for_width;
      break;
  }
  return frame;
}

}  // namespace yel

using yel::System;
using yel::YelSystem;

extern "C" {

YEL_API int YelWindowChangeMode(int32_t mode) {
  return yel::PostRequest(yel::ThreadMessage::WM_YEL_REQ_MODE, static_cast<uintptr_t>(mode), 0);
}

YEL_API int YelChangeWindowSize(int32_t width, int32_t height) {
  YelSystem* system = System();
  if (!system || !system->running.load()) return 0;
  if (system->window_state.Get().full_screen) return 1;
  return yel::PostRequest(yel::ThreadMessage::WM_YEL_REQ_RESIZE, static_cast<uintptr_t>(width),
                          height);
}

YEL_API int YelChangeAspectMode(int32_t mode) {
  return yel::PostRequest(yel::ThreadMessage::WM_YEL_REQ_ASPECT, static_cast<uintptr_t>(mode), 0);
}

YEL_API int YelWindowChangeEnable(int32_t flag) {
  if (System()) System()->geometry.change_enabled = flag != 0;
  return 1;
}

YEL_API int YelWindowChangeEnableIs(void) {
  return System() && System()->geometry.change_enabled.load() ? 1 : 0;
}

YEL_API void YelSetDesktopRect(int32_t flag, int32_t width, int32_t height) {
  yel::Fixed().flag = flag;
  yel::Fixed().width = width;
  yel::Fixed().height = height;
}

YEL_API void YelGetDesktopRect(YelRect* out) {
  if (!out) return;
  const os::Rect r = yel::DesktopRect();
  *out = YelRect{r.left, r.top, r.right, r.bottom};
}

YEL_API int YelIsDesktopRectFix(void) { return yel::Fixed().flag.load(); }

YEL_API int YelGetWindowSize(int32_t* width, int32_t* height) {
  if (!width && !height) return 0;
  YelSystem* system = System();
  if (!system) return 0;
  const yel::WindowState state = system->window_state.Get();
  if (width) *width = state.full_screen ? state.view.Width() : state.width;
  if (height) *height = state.full_screen ? state.view.Height() : state.height;
  return 1;
}

YEL_API void YelWindowGetPos(int32_t* x, int32_t* y) {
  YelSystem* system = System();
  if (!system) return;
  const yel::WindowState state = system->window_state.Get();
  if (x) *x = state.full_screen ? state.view.left : state.x;
  if (y) *y = state.full_screen ? state.view.top : state.y;
}

// While the threads run, the move travels like every other window change: through the main
// thread, between frames, to the UI thread. Before the run the UI thread makes it at once.
YEL_API void YelWindowSetPos(int32_t x, int32_t y) {
  YelSystem* system = System();
  if (!system) return;
  if (system->running.load()) {
    yel::PostRequest(yel::ThreadMessage::WM_YEL_REQ_POS, static_cast<uintptr_t>(x), y);
  } else if (yel::OnUiThread()) {
    yel::WindowSetPosition(*system, x, y);
  }
}

YEL_API int YelWindowGetPosCenter(YelPoint* out, int32_t width, int32_t height) {
  if (!out) return 0;
  const os::Rect desktop = yel::DesktopRect();
  out->x = (desktop.right - width) >> 1;
  out->y = (desktop.bottom - height) >> 1;
  return 1;
}

YEL_API void GetMinWindowSize(int32_t* width, int32_t* height) {
  YelSystem* system = System();
  if (!system) return;
  if (width) *width = system->param.game_width / 4;
  if (height) *height = system->param.game_height / 4;
}

}  // extern "C"
