// The software back-end's frame: clear, composite the sprites, scale the frame onto the window.
#include "YEL/render/soft_renderer.h"

#include <algorithm>
#include <cstring>

#include "os/debug_output.h"

namespace yel {

std::unique_ptr<SoftRenderer> SoftRenderer::Create(const RendererParams& params) {
  if (params.game_width <= 0 || params.game_height <= 0 || params.game_width > 16384 ||
      params.game_height > 16384) {
    return nullptr;
  }
  std::unique_ptr<SoftRenderer> renderer(new SoftRenderer(params));
  if (params.window) {
    renderer->presenter_ =
        os::FramePresenter::Create(*params.window, params.game_width, params.game_height);
    if (!renderer->presenter_) return nullptr;
  }
  return renderer;
}

SoftRenderer::SoftRenderer(const RendererParams& params)
    : params_(params),
      slots_(params.texture_slot_count),
      frame_(static_cast<size_t>(params.game_width) * static_cast<size_t>(params.game_height)),
      view_{0, 0, params.window_width, params.window_height} {}

SoftRenderer::~SoftRenderer() = default;

bool SoftRenderer::BeginFrame(uint32_t clear_colour) {
  // Nothing brings a window back the way a lost display mode would need, so a restore is all a
  // failed present needs before the next frame tries again.
  if (restore_needed_.load() != 0 && Restore() != 0) return false;
  std::fill(frame_.begin(), frame_.end(), clear_colour);
  return true;
}

void SoftRenderer::DrawSprite(const SpriteQuad& quad) {
  if (!quad.texture || !quad.texture->slot) return;
  TextureSlot* slot = quad.texture->slot;
  // A texture another thread is writing right now is drawn in the next frame: present never
  // waits for a writer while it holds the render-list lock.
  std::unique_lock pixels(slot->pixels_lock, std::try_to_lock);
  if (!pixels.owns_lock() || !slot->image) return;
  if (quad.render_mode >= 1 && quad.render_mode <= 3)
    blend_ = static_cast<BlendMode>(quad.render_mode);
  SoftBlitParams blit;
  blit.x = TruncateFloat(quad.x) + quad.offset_x;
  blit.y = TruncateFloat(quad.y) + quad.offset_y;
  blit.scale_x = quad.scale_x;
  blit.scale_y = quad.scale_y;
  blit.rotation = TruncateFloat(quad.angle);
  blit.colour = quad.colour;
  blit.rect = quad.rect;
  if (quad.fx) {
    DrawSpriteThroughFx(*slot->image, blit, *quad.fx);
  } else {
    SoftBlit(FrameTarget(), *slot->image, blit, blend_);
  }
  blend_ = BlendMode::kAlpha;
}

void SoftRenderer::EndFrame() {
  if (Present()) return;
  restore_needed_ = 1;
  os::DebugOutput("Present : Error\n");
}

bool SoftRenderer::Present() {
  std::lock_guard guard(view_lock_);
  if (!presenter_) return true;
  // In a window the frame fills the client area; in full screen the aspect rectangle.
  const os::Rect* destination = full_screen_ ? &view_ : nullptr;
  return presenter_->Present(frame_.data(), destination, (params_.option_bits & 1) != 0);
}

void SoftRenderer::DetachWindow() {
  std::lock_guard guard(view_lock_);
  presenter_.reset();
}

bool SoftRenderer::CaptureFrame(YelTexture* texture) {
  int32_t width = 0, height = 0;
  uint32_t* pixels = TextureLockPixels(texture, &width, &height);
  if (!pixels) return false;
  const bool fits = width >= FrameWidth() && height >= FrameHeight();
  if (fits) {
    for (int32_t row = 0; row < FrameHeight(); ++row) {
      std::memcpy(pixels + static_cast<size_t>(row) * width,
                  frame_.data() + static_cast<size_t>(row) * FrameWidth(),
                  static_cast<size_t>(FrameWidth()) * 4);
    }
  }
  TextureUnlockPixels(texture, fits);
  return fits;
}

bool SoftRenderer::Resize(int32_t width, int32_t height) {
  std::lock_guard guard(view_lock_);
  params_.window_width = width;
  params_.window_height = height;
  if (!full_screen_) view_ = os::Rect{0, 0, width, height};
  return true;
}

os::Rect SoftRenderer::SetAspect(int32_t aspect_mode, bool full_screen, const os::Rect& monitor) {
  std::lock_guard guard(view_lock_);
  full_screen_ = full_screen;
  if (!full_screen) {
    view_ = os::Rect{0, 0, params_.window_width, params_.window_height};
    return view_;
  }
  os::Rect rect;
  if (FullScreenAspectRect(aspect_mode, monitor.Width(), monitor.Height(), FrameWidth(),
                           FrameHeight(), rect)) {
    params_.aspect_mode = aspect_mode;
    view_ = rect;
  } else {
    os::DebugOutput("SetAspectRect : Invalid Prameter\n");
  }
  return view_;
}

int SoftRenderer::Restore() {
  restore_needed_ = 0;
  return 0;
}

}  // namespace yel
