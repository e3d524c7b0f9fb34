// FX effects of the software back-end: the raster wave on one sprite or on the whole frame. Only
// the raster wave (kind 1) is drawn; other effects draw nothing.
#include "YEL/graphics/pixel_routines.h"
#include "YEL/render/soft_renderer.h"

namespace yel {
namespace {

constexpr int32_t kRasterKind = 1;

}  // namespace

void SoftRenderer::DrawSpriteThroughFx(const SoftImage& image, const SoftBlitParams& blit,
                                       const FxEffect& effect) {
  const int32_t width = FrameWidth(), height = FrameHeight();
  std::vector<uint32_t>& alone = fx_images_[0];
  std::vector<uint32_t>& waved = fx_images_[1];
  alone.assign(frame_.size(), 0);
  SoftBlit(SoftTarget{alone.data(), width, height}, image, blit, BlendMode::kCopy);
  if (effect.type != kRasterKind) return;
  // Cleared every time: the wave leaves the pixels it has no source for as they were.
  waved.assign(frame_.size(), 0);
  RasterWave(waved.data(), width, height, alone.data(), width, height, effect.params[0],
             effect.params[1], effect.params[2]);
  SoftBlitParams over;
  over.colour = blit.colour;
  over.rect = YelRect{0, 0, width, height};
  const SoftImage picture{width, height, waved.data(), 0};
  SoftBlit(FrameTarget(), picture, over, blend_);
}

// Where the wave has no source for a pixel, the frame keeps its own.
bool SoftRenderer::DrawScreenFx(const FxEffect& effect) {
  if (effect.type != kRasterKind) return false;
  const int32_t width = FrameWidth(), height = FrameHeight();
  std::vector<uint32_t>& waved = fx_images_[1];
  waved = frame_;
  RasterWave(waved.data(), width, height, frame_.data(), width, height, effect.params[0],
             effect.params[1], effect.params[2]);
  frame_.swap(waved);
  return true;
}

}  // namespace yel
