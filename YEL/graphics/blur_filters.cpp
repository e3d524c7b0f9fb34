// The box and motion blurs and the alpha tint of the sprite filters: integer arithmetic on 32-bit
// pixels, every channel alike, so results are exact on every machine.
#include <cmath>
#include <new>
#include <vector>

#include "YEL/graphics/pixel_routines.h"

namespace yel {
namespace {

// More table entries than this are not allocated: a radius that large blurs nothing sensible.
constexpr int64_t kMaxDivisionEntries = int64_t{1} << 26;

// sum / (2r + 1) for every sum a box of 2r + 1 bytes can reach.
struct DivisionTable {
  uint8_t* entries = nullptr;
  explicit DivisionTable(int32_t radius) {
    const int64_t span = 2 * int64_t{radius} + 1;
    if (span * 256 > kMaxDivisionEntries) return;
    entries = new (std::nothrow) uint8_t[span * 256];
    if (!entries) return;
    for (int64_t sum = 0; sum < span * 256; ++sum) entries[sum] = static_cast<uint8_t>(sum / span);
  }
  ~DivisionTable() { delete[] entries; }
  DivisionTable(const DivisionTable&) = delete;
  DivisionTable& operator=(const DivisionTable&) = delete;
};

void AddPixel(uint32_t sums[4], uint32_t pixel, int32_t sign) {
  for (int c = 0; c < 4; ++c) sums[c] += static_cast<uint32_t>(sign) * (pixel >> (8 * c) & 0xFF);
}

// Boxes every row of `in` (width x height) and writes the rows as columns of `out`
// (height x width), so the next call boxes the other direction.
void BoxRowsTransposed(const uint32_t* in, uint32_t* out, int32_t width, int32_t height,
                       int32_t radius, const uint8_t* divide) {
  for (int32_t y = 0; y < height; ++y) {
    const uint32_t* row = in + static_cast<size_t>(y) * width;
    auto at = [&](int64_t x) { return row[x < 0 ? 0 : (x >= width ? width - 1 : x)]; };
    uint32_t sums[4] = {};
    for (int64_t k = -int64_t{radius}; k <= radius; ++k) AddPixel(sums, at(k), 1);
    for (int32_t x = 0; x < width; ++x) {
      uint32_t pixel = 0;
      for (int c = 0; c < 4; ++c) pixel |= uint32_t{divide[sums[c]]} << (8 * c);
      out[static_cast<size_t>(x) * height + y] = pixel;
      AddPixel(sums, at(int64_t{x} + radius + 1), 1);
      AddPixel(sums, at(int64_t{x} - radius), -1);
    }
  }
}

uint32_t Byte(uint32_t pixel, int index) {
  return pixel >> (8 * index) & 0xFF;
}

}  // namespace

bool BoxBlur(uint32_t* pixels, uint32_t* work, int32_t width, int32_t height, int32_t radius_x,
             int32_t radius_y, int32_t passes) {
  if (width <= 0 || height <= 0 || passes <= 0) return true;
  radius_x = radius_x < 0 ? 0 : radius_x;
  radius_y = radius_y < 0 ? 0 : radius_y;
  const DivisionTable across(radius_x), down(radius_y);
  if (!across.entries || !down.entries) return false;
  for (int32_t pass = 0; pass < passes; ++pass) {
    BoxRowsTransposed(pixels, work, width, height, radius_x, across.entries);
    BoxRowsTransposed(work, pixels, height, width, radius_y, down.entries);
  }
  return true;
}

void MotionBlur(uint32_t* target, const uint32_t* source, int32_t width, int32_t height,
                int32_t length, double angle, int32_t steps) {
  const int64_t samples = 2 * int64_t{length} * steps;
  const double cosine = std::cos(angle), sine = std::sin(angle);
  const auto fixed = [](double value) { return static_cast<int64_t>(value * 65536.0); };
  const int64_t step_x = steps ? fixed(cosine / steps) : 0;
  const int64_t step_y = steps ? fixed(sine / steps) : 0;
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      int64_t fx = fixed(x - length * cosine), fy = fixed(y - length * sine);
      uint64_t alpha = 0, colour[3] = {};
      for (int64_t k = 0; k < samples; ++k, fx += step_x, fy += step_y) {
        const int64_t sx = fx >> 16, sy = fy >> 16;
        if (sx < 0 || sy < 0 || sx >= width || sy >= height) continue;
        const uint32_t pixel = source[static_cast<size_t>(sy) * width + sx];
        const uint32_t a = pixel >> 24;
        alpha += a;
        for (int c = 0; c < 3; ++c) colour[c] += uint64_t{a} * Byte(pixel, c);
      }
      uint32_t out = 0;
      if (alpha != 0) {
        out = static_cast<uint32_t>(alpha / static_cast<uint64_t>(samples)) << 24;
        for (int c = 0; c < 3; ++c) out |= static_cast<uint32_t>(colour[c] / alpha) << (8 * c);
      }
      target[static_cast<size_t>(y) * width + x] = out;
    }
  }
}

AlphaTint MakeAlphaTint(uint32_t colour, int32_t amount) {
  const auto part = [&](int index) {
    return static_cast<uint32_t>(amount * static_cast<int32_t>(Byte(colour, index)) / 255);
  };
  return AlphaTint{part(0), part(1), part(2), part(3)};
}

uint32_t AlphaTinted(uint32_t pixel, const AlphaTint& tint) {
  const uint32_t d = pixel >> 24;
  if (d == 0) return 0;
  const uint32_t factors[3] = {tint.blue, tint.green, tint.red};
  uint32_t out = d << 24;
  for (int c = 0; c < 3; ++c) {
    uint32_t value = (Byte(pixel, c) * factors[c] + 255) / 256;
    if (d != 255) value = (d * value + 255) / 256;
    out |= (value & 0xFF) << (8 * c);
  }
  return out;
}

}  // namespace yel
