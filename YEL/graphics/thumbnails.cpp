// Thumbnails: the last presented frame (or any 32-bit image) scaled into a small pixel buffer,
// optionally pixelated, for the pictures of saved games. Made on the main thread between
// presents; the frame is read through the back-end, and the intermediate of a mosaic is a buffer
// of its own rather than the shared scratch pool.
#include <algorithm>
#include <vector>

#include "YEL/core/system.h"
#include "YEL/graphics/pixel_routines.h"
#include "YEL/render/backend.h"
#include "YEL/render/texture.h"

namespace yel {
namespace {

bool Running() {
  const YelSystem* system = System();
  return system && system->running.load() != 0;
}

void ScaleTo(uint32_t* target, int32_t width, int32_t height, const uint32_t* source,
             int32_t source_width, int32_t source_height) {
  ScaleNearest(target, width, height, source, source_width, source_height,
               static_cast<float>(width) / static_cast<float>(source_width),
               static_cast<float>(height) / static_cast<float>(source_height));
}

// Down to about 1/block of the target's size, then up again: blocks of one colour. A block
// below 1 is taken as 1.
void ScaleMosaic(uint32_t* target, int32_t width, int32_t height, const uint32_t* source,
                 int32_t source_width, int32_t source_height, int32_t block) {
  const float b = static_cast<float>(std::max(block, 1));
  const float fx = static_cast<float>(width) / (b * static_cast<float>(source_width));
  const float fy = static_cast<float>(height) / (b * static_cast<float>(source_height));
  const int32_t iw = std::max(1, static_cast<int32_t>(static_cast<float>(source_width) * fx));
  const int32_t ih = std::max(1, static_cast<int32_t>(static_cast<float>(source_height) * fy));
  std::vector<uint32_t> small(static_cast<size_t>(iw) * static_cast<size_t>(ih));
  ScaleNearest(small.data(), iw, ih, source, source_width, source_height, fx, fy);
  ScaleTo(target, width, height, small.data(), iw, ih);
}

bool ValidSize(int32_t width, int32_t height) {
  return width > 0 && height > 0;
}

// Runs `scale` on the last frame at the game's size; false when it cannot be read.
template <typename Scale>
bool WithLastFrame(Scale scale) {
  YelSystem* system = System();
  YelCore* core = system ? system->core.load() : nullptr;
  if (!core) return false;
  const int32_t width = system->param.game_width;
  const int32_t height = system->param.game_height;
  YelTexture* capture = core->TextureCreate(width, height);
  if (!capture) return false;
  bool done = false;
  if (core->CaptureFrame(capture)) {
    int32_t row = 0, rows = 0;
    if (const uint32_t* pixels = TextureLockPixels(capture, &row, &rows)) {
      if (row == width && rows >= height) {
        scale(pixels, width, height);
        done = true;
      }
      TextureUnlockPixels(capture, false);
    }
  }
  core->TextureRelease(capture);
  return done;
}

}  // namespace
}  // namespace yel

extern "C" {

YEL_API int YelThumbnailCreateEx(uint32_t* target, int32_t width, int32_t height,
                                 const uint32_t* source, int32_t source_width,
                                 int32_t source_height) {
  if (!yel::Running() || !target || !source || !yel::ValidSize(width, height) ||
      !yel::ValidSize(source_width, source_height)) {
    return 0;
  }
  yel::ScaleTo(target, width, height, source, source_width, source_height);
  return 1;
}

YEL_API int YelThumbnailCreateMosaicEx(uint32_t* target, int32_t width, int32_t height,
                                       const uint32_t* source, int32_t source_width,
                                       int32_t source_height, int32_t block) {
  if (!yel::Running() || !target || !source || !yel::ValidSize(width, height) ||
      !yel::ValidSize(source_width, source_height)) {
    return 0;
  }
  yel::ScaleMosaic(target, width, height, source, source_width, source_height, block);
  return 1;
}

YEL_API int YelThumbnailCreate(uint32_t* target, uint32_t, int32_t width, int32_t height) {
  if (!yel::Running() || !target || !yel::ValidSize(width, height)) return 0;
  return yel::WithLastFrame([&](const uint32_t* frame, int32_t fw, int32_t fh) {
    yel::ScaleTo(target, width, height, frame, fw, fh);
  })
             ? 1
             : 0;
}

YEL_API int YelThumbnailCreateMosaic(uint32_t* target, uint32_t, int32_t width, int32_t height,
                                     int32_t block) {
  if (!yel::Running() || !target || !yel::ValidSize(width, height)) return 0;
  return yel::WithLastFrame([&](const uint32_t* frame, int32_t fw, int32_t fh) {
    yel::ScaleMosaic(target, width, height, frame, fw, fh, block);
  })
             ? 1
             : 0;
}

}  // extern "C"
