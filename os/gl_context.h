// An OpenGL 3.3 core context on a window made with the `opengl` option, for the hardware
// renderer. The context is current on one thread at a time: the one that draws frames makes it
// current; the thread that made it lets go of it after creation.
#pragma once

#include <memory>
#include <string>

#include "os/window.h"

namespace os {

class GlContext {
 public:
  // A context on `window`, current on the calling thread; null when the window carries no GL
  // surface or the system cannot give a 3.3 core context (`error` then says why).
  static std::unique_ptr<GlContext> Create(Window& window, std::string* error);
  ~GlContext();
  GlContext(const GlContext&) = delete;
  GlContext& operator=(const GlContext&) = delete;

  // Makes the context current on the calling thread; false when the system refuses.
  bool MakeCurrent();
  // The calling thread lets go of the context so another thread may take it.
  void Release();
  // Shows the drawn back buffer.
  void Swap();
  // The window's drawable size in pixels.
  void DrawableSize(int* width, int* height) const;
  // 1: wait for the vertical blank when swapping, 0: swap at once. False when refused.
  bool SetSwapInterval(int interval);

 private:
  GlContext() = default;
  void* window_ = nullptr;   // SDL_Window
  void* context_ = nullptr;  // SDL_GLContext
};

}  // namespace os
