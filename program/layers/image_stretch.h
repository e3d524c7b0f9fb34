// Scaling of 32-bit images held in memory: the stretch-blit layer command's modes and the
// bilinear routine AdvStretchBlt32. Every routine cuts its output to the destination and reads
// only inside the source, so sizes taken from a script cannot reach past either image.
#pragma once

#include <cstdint>

namespace adv {

// An image, or the area of one from its first pixel: `width` x `height` pixels in rows `stride`
// pixels apart.
struct PixelArea {
  uint32_t* pixels = nullptr;
  int32_t stride = 0;
  int32_t width = 0;
  int32_t height = 0;
};

struct ConstPixelArea {
  const uint32_t* pixels = nullptr;
  int32_t stride = 0;
  int32_t width = 0;
  int32_t height = 0;
};

// The source area into the destination's top-left corner, pixel for pixel.
void StretchCopy(const PixelArea& destination, const ConstPixelArea& source);
// Nearest pixel in 1/128 steps.
void StretchNearest(const PixelArea& destination, const ConstPixelArea& source, float scale_x,
                    float scale_y);
// Bilinear in 1/128 steps (the routine of AdvStretchBlt32).
void StretchBilinear(const PixelArea& destination, const ConstPixelArea& source, float scale_x,
                     float scale_y);
// Bilinear in 1/256 steps, each byte of a pixel with the same byte of its neighbours.
void StretchBilinearFine(const PixelArea& destination, const ConstPixelArea& source, float scale_x,
                         float scale_y);

// Scales a 32-bit source image into a destination with bilinear filtering in 1/128 pixel steps.
// Widths are also the row lengths in pixels; scales are floats (1.0 = natural size). The output
// is w = min(trunc(source width x scale x), destination width) by the same rule for h; sizes
// or scales that leave nothing change nothing.
void AdvStretchBlt32(uint32_t* destination, int32_t destination_width, int32_t destination_height,
                     const uint32_t* source, int32_t source_width, int32_t source_height,
                     float scale_x, float scale_y);

}  // namespace adv
