// The sprite filters (box, weighted and motion blur, alpha copy), the stretch between sprites and
// single-pixel access. The source's cell area is copied out, the render lock is left on the work
// thread while the filter computes, and the result is written into the target's cell area.
#include <cstring>

#include "YEL/graphics/pixel_routines.h"
#include "YEL/graphics/sprite_pixels.h"
#include "YEL/render/render.h"

namespace yel {
namespace {

// Two work buffers of a cell's size from the counted allocator.
class WorkBuffers {
 public:
  WorkBuffers(int32_t width, int32_t height) {
    const uint64_t bytes =
        uint64_t{4} * static_cast<uint32_t>(width) * static_cast<uint32_t>(height);
    if (bytes == 0 || bytes > UINT32_MAX) return;
    first = static_cast<uint32_t*>(YelMemoryAlloc(static_cast<uint32_t>(bytes), 0));
    second = static_cast<uint32_t*>(YelMemoryAlloc(static_cast<uint32_t>(bytes), 0));
  }
  ~WorkBuffers() {
    YelMemoryFree(first);
    YelMemoryFree(second);
  }
  WorkBuffers(const WorkBuffers&) = delete;
  WorkBuffers& operator=(const WorkBuffers&) = delete;
  bool ok() const { return first && second; }
  uint32_t* first = nullptr;
  uint32_t* second = nullptr;
};

// Both sprites have textures and the same positive cell size, which fits inside both textures.
bool SameCells(YelSprite* target, YelSprite* source) {
  if (!target || !source || !target->texture || !source->texture) {
    SetLastError(ERROR_INVALID_HANDLE);
    return false;
  }
  const int32_t w = source->cell_width, h = source->cell_height;
  return w > 0 && h > 0 && target->cell_width == w && target->cell_height == h &&
         w <= source->texture->width && h <= source->texture->height &&
         w <= target->texture->width && h <= target->texture->height;
}

// Copies the sprite's cell area out of its texture, row by row at the texture's row length.
bool ReadCells(YelSprite* sprite, uint32_t* out) {
  SpritePixels source(sprite, false);
  if (!source) return false;
  const int32_t w = sprite->cell_width;
  for (int32_t y = 0; y < sprite->cell_height; ++y) {
    std::memcpy(out + static_cast<size_t>(y) * w, source.Row(y), size_t{4} * w);
  }
  return true;
}

bool WriteCells(YelSprite* sprite, const uint32_t* in) {
  SpritePixels target(sprite);
  if (!target) return false;
  const int32_t w = sprite->cell_width;
  for (int32_t y = 0; y < sprite->cell_height; ++y) {
    std::memcpy(target.Row(y), in + static_cast<size_t>(y) * w, size_t{4} * w);
  }
  return true;
}

// The frame of the sprite filters: `compute` turns the source cells in `first` into the result
// in `first` (with `second` as scratch); false from it fails the filter.
template <typename Compute>
int RunFilter(YelSprite* target, YelSprite* source, Compute compute) {
  if (!SameCells(target, source)) return 0;
  WorkBuffers buffers(source->cell_width, source->cell_height);
  if (!buffers.ok() || !ReadCells(source, buffers.first)) return 0;
  bool computed;
  {
    WorkThreadLockRelease release;
    computed = compute(buffers.first, buffers.second, source->cell_width, source->cell_height);
  }
  return computed && WriteCells(target, buffers.first) ? 1 : 0;
}

}  // namespace
}  // namespace yel

extern "C" {

YEL_API int YelBoxBlurFilter(YelSprite* target, YelSprite* source, int32_t radius_x,
                             int32_t radius_y, int32_t passes) {
  return yel::RunFilter(target, source, [&](uint32_t* a, uint32_t* b, int32_t w, int32_t h) {
    return yel::BoxBlur(a, b, w, h, radius_x, radius_y, passes);
  });
}

YEL_API int YelGaussianBlurFilter(YelSprite* target, YelSprite* source, int32_t strength) {
  if (strength < 0 || strength > 7) return 0;
  return yel::RunFilter(target, source, [&](uint32_t* a, uint32_t* b, int32_t w, int32_t h) {
    yel::WeightedBlur(b, a, w, h, w, strength);
    std::memcpy(a, b, size_t{4} * w * h);
    return true;
  });
}

YEL_API int YelMotionBlurFilter(YelSprite* target, YelSprite* source, int32_t length, double angle,
                                int32_t steps) {
  return yel::RunFilter(target, source, [&](uint32_t* a, uint32_t* b, int32_t w, int32_t h) {
    yel::MotionBlur(b, a, w, h, length, angle, steps);
    std::memcpy(a, b, size_t{4} * w * h);
    return true;
  });
}

YEL_API int YelAlphaCopyFilter(YelSprite* target, YelSprite* source, int32_t amount) {
  if (!yel::SameCells(target, source)) return 0;
  yel::SpritePixelPair pair(source, target);
  const yel::SpritePixels& in = pair.in();
  const yel::SpritePixels& out = pair.out();
  if (!pair) {
    YelDebugPrintf(0, "", "sp_alpha_copy lock error");
    return 0;
  }
  const yel::AlphaTint tint = yel::MakeAlphaTint(source->colour, amount);
  const bool clear = amount == 0 || tint.alpha == 0;
  for (int32_t y = 0; y < source->cell_height; ++y) {
    const uint32_t* from = in.Row(y);
    uint32_t* to = out.Row(y);
    for (int32_t x = 0; x < source->cell_width; ++x) {
      to[x] = clear ? 0 : yel::AlphaTinted(from[x], tint);
    }
  }
  return 1;
}

YEL_API int StretchImage(YelSprite* target, YelSprite* source, int32_t mode) {
  if (!target || !source || !target->texture || !source->texture) {
    yel::SetLastError(yel::ERROR_INVALID_HANDLE);
    return 0;
  }
  yel::SpritePixelPair pair(source, target);
  if (!pair) return 0;
  const yel::SpritePixels& in = pair.in();
  const yel::SpritePixels& out = pair.out();
  const float fx = static_cast<float>(out.width()) / static_cast<float>(in.width());
  const float fy = static_cast<float>(out.height()) / static_cast<float>(in.height());
  if (fx == 1.0f && fy == 1.0f) {
    if (in.pixels() != out.pixels())
      yel::CopyPixels(out.pixels(), in.pixels(), in.width(), in.height());
  } else if (mode == 0) {
    yel::ScaleNearest(out.pixels(), out.width(), out.height(), in.pixels(), in.width(), in.height(),
                      fx, fy);
  } else if (mode == 1) {
    yel::ScaleBilinear8(reinterpret_cast<uint8_t*>(out.pixels()), out.width() * 4, out.height(),
                        reinterpret_cast<const uint8_t*>(in.pixels()), in.width() * 4, in.height(),
                        fx, fy);
  } else if (mode == 2) {
    yel::ScaleBilinear32(out.pixels(), out.width(), out.height(), in.pixels(), in.width(),
                         in.height(), fx, fy);
  }
  return 1;
}

YEL_API uint32_t YelGetPixel(YelSprite* sprite, int32_t x, int32_t y) {
  if (!yel::SpriteOrError(sprite)) return 0;
  if (x < 0 || y < 0 || x >= sprite->cell_width || y >= sprite->cell_height) return 0;
  yel::SpritePixels pixels(sprite, false);
  if (!pixels || x >= pixels.width() || y >= pixels.height()) return 0;
  return pixels.Row(y)[x];
}

YEL_API void YelSetPixel(YelSprite* sprite, int32_t x, int32_t y, uint32_t pixel) {
  if (!yel::SpriteOrError(sprite)) return;
  if (x < 0 || y < 0 || x >= sprite->cell_width || y >= sprite->cell_height) return;
  yel::SpritePixels pixels(sprite);
  if (!pixels || x >= pixels.width() || y >= pixels.height()) return;
  pixels.Row(y)[x] = pixel;
}

}  // extern "C"
