// The software back-end: textures are CPU pixel buffers, sprites are composited by the processor
// into a game-sized 32-bit frame, and the frame is scaled onto the window. The renderer of the
// "/DIB" option and of machines where the hardware one cannot start, and the reference that pixel
// tests of other back-ends compare against.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "YEL/render/backend.h"
#include "YEL/render/soft_blit.h"
#include "YEL/render/texture.h"
#include "os/frame_presenter.h"

namespace yel {

class SoftRenderer final : public YelCore {
 public:
  // Null when the game size is not positive or the frame cannot be allocated.
  static std::unique_ptr<SoftRenderer> Create(const RendererParams& params);
  ~SoftRenderer() override;

  YelTexture* TextureFromImage(const char* name, const uint8_t* bytes, size_t size) override;
  YelTexture* TextureCreate(int32_t width, int32_t height) override;
  bool TextureRelease(YelTexture* texture) override;

  bool BeginFrame(uint32_t clear_colour) override;
  void DrawSprite(const SpriteQuad& quad) override;
  bool DrawSpritePair(const SpriteQuad& incoming, const SpriteQuad& outgoing,
                      float factor) override;
  void EndFrame() override;
  // The raster wave (kind 1) over the frame drawn so far; false for any other effect.
  bool DrawScreenFx(const FxEffect& effect) override;
  bool CaptureFrame(YelTexture* texture) override;

  bool Resize(int32_t width, int32_t height) override;
  os::Rect SetAspect(int32_t aspect_mode, bool full_screen, const os::Rect& monitor) override;
  int Restore() override;

  // The frame as composed so far (game size, rows game width apart). Main thread.
  const uint32_t* Frame() const { return frame_.data(); }
  int32_t FrameWidth() const { return params_.game_width; }
  int32_t FrameHeight() const { return params_.game_height; }
  TextureSlotTable& Slots() { return slots_; }
  bool RestoreNeeded() const { return restore_needed_.load() != 0; }
  // Drops the window's presenter before the window goes; frames are then shown nowhere.
  void DetachWindow();

 private:
  explicit SoftRenderer(const RendererParams& params);
  SoftTarget FrameTarget() { return SoftTarget{frame_.data(), FrameWidth(), FrameHeight()}; }
  bool Present();
  // soft_fx.cpp: a sprite drawn alone into FX image 1, displaced by its effect into FX image 2,
  // which is laid over the frame.
  void DrawSpriteThroughFx(const SoftImage& image, const SoftBlitParams& blit,
                           const FxEffect& effect);

  RendererParams params_;
  TextureSlotTable slots_;
  std::vector<uint32_t> frame_;  // main thread
  std::vector<uint32_t> work_;   // the cross-fade of a transition pair; main thread
  // The two FX images (game size) of the effects, made when an effect first needs them; main
  // thread.
  std::vector<uint32_t> fx_images_[2];
  // Between draws the blend mode is alpha; a draw sets it from the sprite's render mode.
  BlendMode blend_ = BlendMode::kAlpha;
  // Set when the window did not take a frame; frames are skipped until a restore clears it.
  // Written by the main thread (present) and the UI thread (restore).
  std::atomic<int> restore_needed_{0};
  std::mutex view_lock_;  // guards presenter_, view_, full_screen_ (main and UI thread)
  std::unique_ptr<os::FramePresenter> presenter_;
  os::Rect view_;
  bool full_screen_ = false;
};

}  // namespace yel
