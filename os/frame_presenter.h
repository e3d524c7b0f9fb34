// Shows a CPU-composed 32-bit frame (0xAARRGGBB, rows top-down) in a window, scaled onto a
// rectangle of its client area; the rest of the client area is black. Made on the thread that
// owns the window, before its event loop runs; then used from one thread at a time: the one that
// presents frames.
#pragma once

#include <cstdint>
#include <memory>

#include "os/window.h"

namespace os {

class FramePresenter {
 public:
  // A presenter for frames of frame_width x frame_height; null when the window cannot take one.
  static std::unique_ptr<FramePresenter> Create(Window& window, int frame_width, int frame_height);
  ~FramePresenter();
  FramePresenter(const FramePresenter&) = delete;
  FramePresenter& operator=(const FramePresenter&) = delete;

  // Copies the frame to the window over `destination` (client coordinates; null: the whole
  // client area), with smoothing when `smooth`. False when the window could not take it.
  bool Present(const uint32_t* pixels, const Rect* destination, bool smooth);

 private:
  FramePresenter() = default;
  bool Bind();

  void* window_ = nullptr;    // SDL_Window
  void* renderer_ = nullptr;  // SDL_Renderer, made by the presenting thread
  void* texture_ = nullptr;   // SDL_Texture, streaming
  int width_ = 0;
  int height_ = 0;
};

}  // namespace os
