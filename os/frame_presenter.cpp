#include "os/frame_presenter.h"

#include <SDL.h>

namespace os {

std::unique_ptr<FramePresenter> FramePresenter::Create(Window& window, int frame_width,
                                                       int frame_height) {
  if (!window.NativeHandle() || frame_width <= 0 || frame_height <= 0) return nullptr;
  std::unique_ptr<FramePresenter> presenter(new FramePresenter());
  presenter->window_ = window.NativeHandle();
  presenter->width_ = frame_width;
  presenter->height_ = frame_height;
  // A window that cannot take the renderer yet gets it at a later present, as before.
  presenter->Bind();
  return presenter;
}

FramePresenter::~FramePresenter() {
  if (texture_) SDL_DestroyTexture(static_cast<SDL_Texture*>(texture_));
  if (renderer_) SDL_DestroyRenderer(static_cast<SDL_Renderer*>(renderer_));
}

// The renderer and its texture are made with the presenter, on the thread that owns the window and
// before its event loop runs: making a window's surface may load the graphics library and remake
// the native window, which must not happen beside another thread's event handling. The software
// renderer keeps the copy on the processor, as the frame is, and the window's surface is the
// window system's own framebuffer (no accelerated texture under it), so the presents that follow,
// from the frame thread, touch no graphics context.
bool FramePresenter::Bind() {
  if (texture_) return true;
  auto* window = static_cast<SDL_Window*>(window_);
  SDL_Renderer* renderer = SDL_GetRenderer(window);
  if (!renderer) {
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
  }
  if (!renderer) return false;
  renderer_ = renderer;
  texture_ = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING,
                               width_, height_);
  return texture_ != nullptr;
}

bool FramePresenter::Present(const uint32_t* pixels, const Rect* destination, bool smooth) {
  if (!pixels || !Bind()) return false;
  auto* texture = static_cast<SDL_Texture*>(texture_);
  auto* renderer = static_cast<SDL_Renderer*>(renderer_);
  SDL_SetTextureScaleMode(texture, smooth ? SDL_ScaleModeLinear : SDL_ScaleModeNearest);
  if (SDL_UpdateTexture(texture, nullptr, pixels, width_ * 4) != 0) return false;
  SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
  if (SDL_RenderClear(renderer) != 0) return false;
  SDL_Rect rect;
  if (destination) {
    rect =
        SDL_Rect{destination->left, destination->top, destination->Width(), destination->Height()};
  }
  if (SDL_RenderCopy(renderer, texture, nullptr, destination ? &rect : nullptr) != 0) return false;
  SDL_RenderPresent(renderer);
  return true;
}

}  // namespace os
