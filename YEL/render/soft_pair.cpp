// The software back-end's transition between two images: a cross-fade built in the work image,
// then drawn like the incoming sprite.
#include <algorithm>
#include <mutex>

#include "YEL/render/soft_renderer.h"

namespace yel {
namespace {

constexpr int32_t kMaxPairWidth = 4096;
constexpr int32_t kMaxPairHeight = 4096;

// A locked image of one side of the pair, and where it starts in the composite.
struct PairSide {
  const SoftImage* image;
  int32_t offset;
  uint32_t colour_alpha;
  uint32_t At(int32_t column, int32_t row) const {
    const int32_t x = column - offset;
    if (x < 0 || x >= image->width) return 0;
    return image->pixels[static_cast<size_t>(row) * image->width + x];
  }
};

uint32_t Mix(uint32_t f, uint32_t g, uint32_t weight, const PairSide& in, const PairSide& out) {
  const uint32_t fa = f >> 24, ga = g >> 24;
  if (fa == 0 && ga == 0) return 0;
  if (fa == 0 || ga == 0) {
    const uint32_t alpha = (fa * weight + ga * (255 - weight)) >> 8;
    return alpha << 24 | ((fa != 0 ? f : g) & 0xFFFFFF);
  }
  uint32_t mixed = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    const uint32_t fc = (f >> shift) & 0xFF, gc = (g >> shift) & 0xFF;
    mixed |= ((fc * weight + gc * (255 - weight)) >> 8) << shift;
  }
  const uint32_t alpha =
      std::min<uint32_t>(255, in.colour_alpha * fa / 256 + ((ga * out.colour_alpha) >> 8));
  return alpha << 24 | mixed;
}

}  // namespace

bool SoftRenderer::DrawSpritePair(const SpriteQuad& incoming, const SpriteQuad& outgoing,
                                  float factor) {
  const bool has_in = incoming.texture && incoming.texture->slot;
  const bool has_out = outgoing.texture && outgoing.texture->slot;
  if (!has_in || !has_out) {
    if (has_in || has_out) DrawSprite(has_in ? incoming : outgoing);
    return true;
  }
  TextureSlot* in_slot = incoming.texture->slot;
  TextureSlot* out_slot = outgoing.texture->slot;
  std::unique_lock in_lock(in_slot->pixels_lock, std::try_to_lock);
  std::unique_lock out_lock(out_slot->pixels_lock, std::defer_lock);
  if (!in_lock.owns_lock() || !out_lock.try_lock() || !in_slot->image || !out_slot->image) {
    return true;  // drawn once the writer is done
  }
  const SoftImage& in = *in_slot->image;
  const SoftImage& out = *out_slot->image;
  if (in.height != out.height) return false;
  const int32_t width = std::max(in.width, out.width);
  if (width > kMaxPairWidth || in.height > kMaxPairHeight) return false;
  // The work image is made when a pair first needs it and kept, so a pair never finds it absent.
  work_.resize(static_cast<size_t>(width) * in.height);
  const PairSide f{&in, (width - in.width) / 2, incoming.colour >> 24};
  const PairSide g{&out, (width - out.width) / 2, outgoing.colour >> 24};
  const uint32_t weight = static_cast<uint32_t>(std::clamp(TruncateFloat(factor * 255.0f), 0, 255));
  for (int32_t row = 0; row < in.height; ++row) {
    for (int32_t column = 0; column < width; ++column) {
      work_[static_cast<size_t>(row) * width + column] =
          Mix(f.At(column, row), g.At(column, row), weight, f, g);
    }
  }
  const SoftImage composite{width, in.height, work_.data(), 0};
  SoftBlitParams blit;
  blit.x = TruncateFloat(incoming.x) + incoming.offset_x - f.offset;
  blit.y = TruncateFloat(incoming.y) + incoming.offset_y;
  blit.scale_x = incoming.scale_x;
  blit.scale_y = incoming.scale_y;
  blit.rotation = TruncateFloat(incoming.angle);
  blit.colour = incoming.colour | 0xFF000000u;
  blit.rect = YelRect{0, 0, width, in.height};
  SoftBlit(FrameTarget(), composite, blit, BlendMode::kAlpha);
  return true;
}

}  // namespace yel
