// The software back-end's compositing: one source image (a rectangle of it, moved, scaled and
// rotated) blended onto a target buffer. Integer arithmetic throughout, so results are exact.
#pragma once

#include <cstdint>

#include "YEL/render/texture.h"
#include "YEL/yel.h"

namespace yel {

enum class BlendMode { kCopy = 0, kAlpha = 1, kAdd = 2, kMultiply = 3 };

struct SoftTarget {
  uint32_t* pixels = nullptr;
  int32_t width = 0;
  int32_t height = 0;
};

struct SoftBlitParams {
  int32_t x = 0, y = 0;  // where the rectangle's top-left corner lands unrotated
  float scale_x = 1, scale_y = 1;
  int32_t rotation = 0;          // 1/512 turns
  uint32_t colour = 0xFFFFFFFF;  // modulates the source, 0xAARRGGBB
  YelRect rect{};                // source rectangle in the image
};

// Blends the rectangle of `source` onto `target`. A rotation or a scale other than 1 maps every
// pixel of a canvas sized from the rectangle's diagonal back into the rectangle (nearest pixel).
// Parts outside the target or the image are cut.
void SoftBlit(const SoftTarget& target, const SoftImage& source, const SoftBlitParams& params,
              BlendMode mode);

// Blends `count` source pixels onto a target row by the mode, with the colour.
void SoftBlendRow(uint32_t* target, const uint32_t* source, int32_t count, uint32_t colour,
                  BlendMode mode);

}  // namespace yel
