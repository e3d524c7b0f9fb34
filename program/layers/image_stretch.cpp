#include "program/layers/image_stretch.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace adv {
namespace {

constexpr int kStepShift = 7;  // 1/128 pixel
constexpr int kFineShift = 8;  // 1/256 pixel

// The walk of a scaled copy: the output's size and the source step per output pixel in
// 1/2^shift pixel units.
struct Walk {
  int32_t columns = 0, rows = 0;
  int64_t step_x = 0, step_y = 0;
};

bool Usable(const PixelArea& d, const ConstPixelArea& s) {
  return d.pixels && s.pixels && d.width > 0 && d.height > 0 && s.width > 0 && s.height > 0 &&
         d.stride >= d.width && s.stride >= s.width;
}

// False when nothing is to be written (a scale of 0, negative or not a number, or an output
// smaller than a pixel).
bool MakeWalk(const PixelArea& d, const ConstPixelArea& s, float scale_x, float scale_y, int shift,
              Walk& walk) {
  if (!Usable(d, s) || !(scale_x > 0) || !(scale_y > 0)) return false;
  const double columns = std::trunc(static_cast<double>(s.width) * scale_x);
  const double rows = std::trunc(static_cast<double>(s.height) * scale_y);
  walk.columns = static_cast<int32_t>(std::min<double>(columns, d.width));
  walk.rows = static_cast<int32_t>(std::min<double>(rows, d.height));
  if (walk.columns <= 0 || walk.rows <= 0) return false;
  // At least one whole source pixel per output pixel, so the steps stay within 64 bits.
  const float unit = static_cast<float>(1 << shift);
  walk.step_x = static_cast<int64_t>(std::fabs(unit / scale_x));
  walk.step_y = static_cast<int64_t>(std::fabs(unit / scale_y));
  return true;
}

// The four neighbours of a source pixel: right and below fall back to the pixel itself at the
// last column or row, and below-right unless neither is last.
struct Neighbours {
  uint32_t p00, p01, p10, p11;
};

Neighbours Around(const ConstPixelArea& s, int64_t x, int64_t y) {
  const uint32_t* row = s.pixels + static_cast<size_t>(y) * s.stride;
  const bool last_column = x + 1 >= s.width, last_row = y + 1 >= s.height;
  const uint32_t p00 = row[x];
  const uint32_t* below = row + s.stride;
  return {p00, last_column ? p00 : row[x + 1], last_row ? p00 : below[x],
          last_column || last_row ? p00 : below[x + 1]};
}

// A pixel's four bytes spread into 16-bit lanes (blue, green, red, alpha from the bottom).
uint64_t Spread(uint32_t p) {
  return (p & 0xFFull) | (p & 0xFF00ull) << 8 | (p & 0xFF0000ull) << 16 |
         (p & 0xFF000000ull) << 24;
}

// Each channel: the two neighbours of each row blended by fx, then the two rows by fy, shifted
// down by 2 x shift. The rows' blends (at most 255 x 2^shift) fit the 16-bit lanes; the second
// step runs on two channels at a time in 32-bit lanes, so no lane carries into the next.
template <int kShift>
uint32_t Blend(const Neighbours& n, uint32_t fx, uint32_t fy) {
  constexpr uint64_t kOne = 1u << kShift;
  constexpr uint64_t kEven = 0x0000FFFF0000FFFFull;
  const uint64_t top = Spread(n.p00) * (kOne - fx) + Spread(n.p01) * fx;
  const uint64_t bottom = Spread(n.p10) * (kOne - fx) + Spread(n.p11) * fx;
  const uint64_t even = ((top & kEven) * (kOne - fy) + (bottom & kEven) * fy) >> (2 * kShift);
  const uint64_t odd =
      ((top >> 16 & kEven) * (kOne - fy) + (bottom >> 16 & kEven) * fy) >> (2 * kShift);
  return static_cast<uint32_t>((even & 0xFF) | (odd & 0xFF) << 8 | (even >> 32 & 0xFF) << 16 |
                               (odd >> 32 & 0xFF) << 24);
}

// Runs `pixel(x, y, fx, fy)` for each output pixel, with the source position it maps to; stops a
// row or the image where the position leaves the source.
template <typename Pixel>
void Run(const PixelArea& d, const ConstPixelArea& s, const Walk& walk, int shift, Pixel pixel) {
  const int64_t mask = (int64_t{1} << shift) - 1;
  for (int32_t r = 0; r < walk.rows; ++r) {
    const int64_t py = walk.step_y * r;
    const int64_t sy = py >> shift;
    if (sy >= s.height) break;
    uint32_t* out = d.pixels + static_cast<size_t>(r) * d.stride;
    for (int32_t c = 0; c < walk.columns; ++c) {
      const int64_t px = walk.step_x * c;
      const int64_t sx = px >> shift;
      if (sx >= s.width) break;
      out[c] = pixel(sx, sy, static_cast<uint32_t>(px & mask), static_cast<uint32_t>(py & mask));
    }
  }
}

template <int kShift>
void Bilinear(const PixelArea& d, const ConstPixelArea& s, float scale_x, float scale_y) {
  Walk walk;
  if (!MakeWalk(d, s, scale_x, scale_y, kShift, walk)) return;
  Run(d, s, walk, kShift, [&](int64_t x, int64_t y, uint32_t fx, uint32_t fy) {
    return Blend<kShift>(Around(s, x, y), fx, fy);
  });
}

}  // namespace

void StretchCopy(const PixelArea& d, const ConstPixelArea& s) {
  if (!Usable(d, s)) return;
  const int32_t columns = std::min(d.width, s.width);
  const int32_t rows = std::min(d.height, s.height);
  for (int32_t r = 0; r < rows; ++r) {
    std::memmove(d.pixels + static_cast<size_t>(r) * d.stride,
                 s.pixels + static_cast<size_t>(r) * s.stride, sizeof(uint32_t) * columns);
  }
}

void StretchNearest(const PixelArea& d, const ConstPixelArea& s, float scale_x, float scale_y) {
  Walk walk;
  if (!MakeWalk(d, s, scale_x, scale_y, kStepShift, walk)) return;
  Run(d, s, walk, kStepShift, [&](int64_t x, int64_t y, uint32_t, uint32_t) {
    return s.pixels[static_cast<size_t>(y) * s.stride + x];
  });
}

void StretchBilinear(const PixelArea& d, const ConstPixelArea& s, float scale_x, float scale_y) {
  Bilinear<kStepShift>(d, s, scale_x, scale_y);
}

void StretchBilinearFine(const PixelArea& d, const ConstPixelArea& s, float scale_x,
                         float scale_y) {
  Bilinear<kFineShift>(d, s, scale_x, scale_y);
}

void AdvStretchBlt32(uint32_t* destination, int32_t destination_width, int32_t destination_height,
                     const uint32_t* source, int32_t source_width, int32_t source_height,
                     float scale_x, float scale_y) {
  StretchBilinear({destination, destination_width, destination_width, destination_height},
                  {source, source_width, source_width, source_height}, scale_x, scale_y);
}

}  // namespace adv
