// Soften, tone and negative filters: one pass each over the pixels, colour channels only where
// alpha is to be kept.
#include "YEL/graphics/pixel_routines.h"

namespace yel {
namespace {

uint32_t Channel(uint32_t pixel, int shift) {
  return pixel >> shift & 0xFF;
}

uint32_t Softened(uint32_t centre, uint32_t left, uint32_t right, uint32_t up, uint32_t down) {
  uint32_t out = centre & 0xFF000000u;
  for (int shift = 0; shift < 24; shift += 8) {
    const uint32_t sum = 4 * Channel(centre, shift) + Channel(left, shift) + Channel(right, shift) +
                         Channel(up, shift) + Channel(down, shift);
    out |= (sum / 8) << shift;
  }
  return out;
}

void FillBorder(uint32_t* pixels, int32_t width, int32_t height, size_t pitch) {
  uint32_t* top = pixels;
  uint32_t* bottom = pixels + (height - 1) * pitch;
  for (int32_t x = 0; x < width; ++x) top[x] = top[x + pitch];
  for (int32_t y = 0; y < height; ++y)
    pixels[y * pitch + width - 1] = pixels[y * pitch + width - 2];
  for (int32_t x = 0; x < width; ++x) bottom[x] = bottom[x - pitch];
  for (int32_t y = 0; y < height; ++y) pixels[y * pitch] = pixels[y * pitch + 1];
}

}  // namespace

void SoftenFilter(uint32_t* pixels, int32_t width, int32_t height, int32_t pitch) {
  if (width < 2 || height < 2 || pitch < width) return;
  const size_t stride = static_cast<size_t>(pitch);
  for (int32_t y = 1; y + 1 < height; ++y) {
    uint32_t* row = pixels + y * stride;
    for (int32_t x = 1; x + 1 < width; ++x) {
      row[x] = Softened(row[x], row[x - 1], row[x + 1], row[x - stride], row[x + stride]);
    }
  }
  FillBorder(pixels, width, height, stride);
}

void ToneFilter(uint32_t* pixels, int32_t width, int32_t height, const uint8_t* tone_table) {
  if (width <= 0 || height <= 0) return;
  const size_t count = static_cast<size_t>(width) * height;
  for (size_t k = 0; k < count; ++k) {
    const uint32_t pixel = pixels[k];
    const uint32_t grey = (Channel(pixel, 0) + 3 * Channel(pixel, 16) + 6 * Channel(pixel, 8)) / 10;
    uint32_t colour = grey * 0x010101u;
    if (tone_table) {
      const uint8_t* entry = tone_table + grey * 4;
      colour = static_cast<uint32_t>(entry[0]) << 16 | entry[1] << 8 | entry[2];
    }
    pixels[k] = (pixel & 0xFF000000u) | colour;
  }
}

void NegativeFilter(uint32_t* pixels, int32_t width, int32_t height, int32_t pitch) {
  if (width <= 0 || height <= 0 || pitch < width) return;
  for (int32_t y = 0; y < height; ++y) {
    uint32_t* row = pixels + static_cast<size_t>(y) * pitch;
    for (int32_t x = 0; x < width; ++x) {
      if (row[x] & 0xFF000000u) row[x] = (~row[x] & 0x00FFFFFFu) | 0xFF000000u;
    }
  }
}

}  // namespace yel
