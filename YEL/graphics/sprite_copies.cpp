// Copies and blends between sprites, the mask alpha and the clearing of transparent pixels.
// Every rectangle is cut to both textures first, so no pixel outside either is touched.
#include <algorithm>
#include <vector>

#include "YEL/files/files.h"
#include "YEL/graphics/image_codecs.h"
#include "YEL/graphics/sprite_pixels.h"
#include "YEL/render/render.h"

namespace yel {
namespace {

// The source pixel over the target, the target's alpha kept.
uint32_t Mixed(uint32_t source, uint32_t target) {
  const uint32_t a = source >> 24;
  if (a == 0) return target;
  if (a == 255) return (source & 0x00FFFFFFu) | (target & 0xFF000000u);
  uint32_t out = target & 0xFF000000u;
  for (int shift = 0; shift < 24; shift += 8) {
    const uint32_t s = source >> shift & 0xFF, t = target >> shift & 0xFF;
    out |= ((s * a + t * (255 - a)) >> 8) << shift;
  }
  return out;
}

// The source pixel composed over the target with both alphas.
uint32_t MixedBoth(uint32_t source, uint32_t target) {
  const uint32_t s = source >> 24, t = target >> 24;
  const uint32_t u = t * (255 - s) / 255, v = s + u;
  if (v == 0) return 0;
  uint32_t out = std::min<uint32_t>(v, 255) << 24;
  for (int shift = 0; shift < 24; shift += 8) {
    const uint32_t value = ((source >> shift & 0xFF) * s + (target >> shift & 0xFF) * u) / v;
    out |= std::min<uint32_t>(value, 255) << shift;
  }
  return out;
}

// Runs `apply(target_pixel, source_pixel)` over a copy rectangle between two sprites, cut to
// both textures. 0 for a null sprite, an empty rectangle or a texture that cannot be locked.
template <typename Apply>
int ForEachPair(YelSprite* target, CopyRect rect, YelSprite* source, Apply apply) {
  if (!target || !source) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  if (rect.width == 0 || rect.height == 0) return 0;
  SpritePixelPair pair(source, target);
  if (!pair) return 0;
  const SpritePixels& in = pair.in();
  const SpritePixels& out = pair.out();
  if (!ClipCopyRect(rect, out.width(), out.height(), in.width(), in.height())) return 1;
  for (int32_t j = 0; j < rect.height; ++j) {
    const uint32_t* from = in.Row(rect.source_y + j) + rect.source_x;
    uint32_t* to = out.Row(rect.y + j) + rect.x;
    for (int32_t i = 0; i < rect.width; ++i) apply(to[i], from[i]);
  }
  return 1;
}

// Runs `apply(pixel)` over a rectangle of one sprite, cut to its texture.
template <typename Apply>
int ForEachPixel(YelSprite* sprite, int32_t x, int32_t y, int32_t width, int32_t height,
                 Apply apply) {
  if (!SpriteOrError(sprite)) return 0;
  if (width == 0 || height == 0) return 0;
  SpritePixels pixels(sprite);
  if (!pixels) return 0;
  CopyRect rect{x, y, x, y, width, height};
  if (!ClipCopyRect(rect, pixels.width(), pixels.height(), pixels.width(), pixels.height())) {
    return 1;
  }
  for (int32_t j = 0; j < rect.height; ++j) {
    uint32_t* row = pixels.Row(rect.y + j) + rect.x;
    for (int32_t i = 0; i < rect.width; ++i) apply(row[i]);
  }
  return 1;
}

// A whole image file decoded into `pixels` (rows `width` apart); false when it cannot be read or
// is not an image the decoders take.
bool DecodeFile(const char* name, std::vector<uint32_t>& pixels, ImageHeader& header) {
  std::vector<uint8_t> bytes;
  if (!name || !ReadWholeFile(name, bytes) ||
      !ImageReadHeader(bytes.data(), bytes.size(), header)) {
    return false;
  }
  pixels.assign(static_cast<size_t>(header.width) * header.height, 0);
  return ImageDecode(bytes.data(), bytes.size(), pixels.data(), header.width);
}

}  // namespace
}  // namespace yel

extern "C" {

YEL_API int YelSpriteMaskAlpha(YelSprite* sprite, int32_t x, int32_t y, int32_t width,
                               int32_t height, const YelMaskImage* mask, int32_t mask_x,
                               int32_t mask_y) {
  if (!yel::SpriteOrError(sprite) || !mask || !mask->pixels || mask->width <= 0 ||
      mask->height <= 0) {
    return 0;
  }
  yel::SpritePixels pixels(sprite);
  if (!pixels) return 0;
  yel::CopyRect rect{x, y, mask_x, mask_y, width, height};
  if (!yel::ClipCopyRect(rect, pixels.width(), pixels.height(), mask->width, mask->height)) {
    return 1;
  }
  for (int32_t j = 0; j < rect.height; ++j) {
    const uint32_t* from = mask->pixels + static_cast<size_t>(rect.source_y + j) * mask->width;
    uint32_t* to = pixels.Row(rect.y + j) + rect.x;
    for (int32_t i = 0; i < rect.width; ++i) {
      const uint32_t alpha = (to[i] >> 24) * (from[rect.source_x + i] & 0xFF) / 256;
      to[i] = (to[i] & 0x00FFFFFFu) | alpha << 24;
    }
  }
  return 1;
}

YEL_API int YelMixSpriteToSprite(YelSprite* target, int32_t x, int32_t y, int32_t width,
                                 int32_t height, YelSprite* source, int32_t source_x,
                                 int32_t source_y) {
  return yel::ForEachPair(target, {x, y, source_x, source_y, width, height}, source,
                          [](uint32_t& to, uint32_t from) { to = yel::Mixed(from, to); });
}

YEL_API int YelMixSpriteToSpriteEx(YelSprite* target, int32_t x, int32_t y, int32_t width,
                                   int32_t height, YelSprite* source, int32_t source_x,
                                   int32_t source_y) {
  return yel::ForEachPair(target, {x, y, source_x, source_y, width, height}, source,
                          [](uint32_t& to, uint32_t from) { to = yel::MixedBoth(from, to); });
}

YEL_API int YelCopySpriteToSpriteRGB(YelSprite* target, int32_t x, int32_t y, YelSprite* source,
                                     int32_t source_x, int32_t source_y, int32_t width,
                                     int32_t height) {
  return yel::ForEachPair(target, {x, y, source_x, source_y, width, height}, source,
                          [](uint32_t& to, uint32_t from) { to = from; });
}

YEL_API int YelCopySpriteToSpriteRGBStr(YelSprite* target, int32_t x, int32_t y, int32_t unused1,
                                        int32_t unused2, YelSprite* source, int32_t source_x,
                                        int32_t source_y, int32_t width, int32_t height) {
  (void)unused1;
  (void)unused2;
  return YelCopySpriteToSpriteRGB(target, x, y, source, source_x, source_y, width, height);
}

YEL_API int YelCopySpriteToSpriteRectRGB(YelSprite* target, YelSprite* source) {
  if (!yel::SpriteOrError(source)) return 0;
  return YelCopySpriteToSpriteRGB(target, yel::TruncateFloat(source->x),
                                  yel::TruncateFloat(source->y), source, source->rect.left,
                                  source->rect.top, source->cell_width, source->cell_height);
}

YEL_API int YelCopySpriteToSpriteChannel(YelSprite* target, int32_t x, int32_t y,
                                         int32_t target_channel, YelSprite* source,
                                         int32_t source_x, int32_t source_y, int32_t width,
                                         int32_t height, int32_t source_channel) {
  if (target_channel < 0 || target_channel > 3 || source_channel < 0 || source_channel > 3) {
    return 0;
  }
  const int to_shift = 8 * target_channel, from_shift = 8 * source_channel;
  return yel::ForEachPair(target, {x, y, source_x, source_y, width, height}, source,
                          [&](uint32_t& to, uint32_t from) {
                            const uint32_t byte = from >> from_shift & 0xFF;
                            to = (to & ~(0xFFu << to_shift)) | byte << to_shift;
                          });
}

YEL_API int YelSpriteDeleteNoAlpha(YelSprite* sprite, int32_t x, int32_t y, int32_t width,
                                   int32_t height) {
  return yel::ForEachPixel(sprite, x, y, width, height, [](uint32_t& pixel) {
    if ((pixel >> 24) == 0) pixel = 0;
  });
}

YEL_API int YelSpriteDeleteNoAlpha255(YelSprite* sprite, int32_t x, int32_t y, int32_t width,
                                      int32_t height) {
  return yel::ForEachPixel(sprite, x, y, width, height, [](uint32_t& pixel) {
    pixel = (pixel >> 24) == 0 ? 0 : pixel | 0xFF000000u;
  });
}

YEL_API int YelCopyFileToSpriteRGB(YelSprite* sprite, int32_t x, int32_t y, const char* name,
                                   int32_t source_x, int32_t source_y, int32_t width,
                                   int32_t height) {
  if (!yel::SpriteOrError(sprite)) return 0;
  std::vector<uint32_t> image;
  yel::ImageHeader header;
  if (!yel::DecodeFile(name, image, header)) return 0;
  if (source_x < 0 || source_y < 0 || source_x >= header.width || source_y >= header.height) {
    return 0;
  }
  if (width < 0 || width > header.width) width = header.width;
  if (height < 0 || height > header.height) height = header.height;
  yel::SpritePixels pixels(sprite);
  if (!pixels) return 0;
  yel::CopyRect rect{x, y, source_x, source_y, width, height};
  if (!yel::ClipCopyRect(rect, pixels.width(), pixels.height(), header.width, header.height)) {
    return 1;
  }
  for (int32_t j = 0; j < rect.height; ++j) {
    const uint32_t* from =
        image.data() + static_cast<size_t>(rect.source_y + j) * header.width + rect.source_x;
    uint32_t* to = pixels.Row(rect.y + j) + rect.x;
    for (int32_t i = 0; i < rect.width; ++i) to[i] = yel::Mixed(from[i], to[i]);
  }
  return 1;
}

}  // extern "C"
