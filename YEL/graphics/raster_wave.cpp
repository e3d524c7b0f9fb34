// The raster wave: each output row is shifted sideways by the sine of its row index, each column
// up or down by the sine of its column index, both offset by the phase.
#include <algorithm>
#include <array>
#include <cmath>

#include "YEL/graphics/pixel_routines.h"

namespace yel {
namespace {

constexpr int32_t kSineEntries = 512;

const std::array<int32_t, kSineEntries>& SineTable() {
  static const std::array<int32_t, kSineEntries> table = [] {
    std::array<int32_t, kSineEntries> values{};
    const double pi = std::acos(-1.0);
    for (int32_t k = 0; k < kSineEntries; ++k) {
      values[k] = static_cast<int32_t>(std::trunc(std::sin(2 * pi * k / kSineEntries) * 65536));
    }
    return values;
  }();
  return table;
}

// Truncation toward zero, with values past the 32-bit range held at its ends.
int32_t Truncate(double value) {
  if (!(value > -2147483648.0)) return value != value ? 0 : INT32_MIN;
  if (value >= 2147483647.0) return INT32_MAX;
  return static_cast<int32_t>(value);
}

int32_t Shift(int32_t amplitude, int32_t index) {
  return static_cast<int32_t>((static_cast<int64_t>(amplitude) * RasterSine(index)) >> 16);
}

}  // namespace

int32_t RasterSine(int32_t k) {
  return SineTable()[static_cast<uint32_t>(k) % kSineEntries];
}

void RasterWave(uint32_t* target, int32_t target_width, int32_t target_height,
                const uint32_t* source, int32_t source_width, int32_t source_height, float phase,
                float amplitude_x, float amplitude_y) {
  const int32_t across = Truncate(static_cast<float>(source_height) * amplitude_x * 0.1);
  const int32_t down = Truncate(static_cast<float>(source_width) * amplitude_y * 0.1);
  const int32_t start = Truncate(phase * 511);
  const int32_t width = std::min(target_width, source_width);
  const int32_t height = std::min(target_height, source_height);
  for (int32_t i = 0; i < height; ++i) {
    const int64_t dx = Shift(across, start + i);
    uint32_t* out = target + static_cast<size_t>(i) * target_width;
    for (int32_t j = 0; j < width; ++j) {
      const int64_t sx = j + dx;
      const int64_t sy = i + static_cast<int64_t>(Shift(down, start + j));
      if (sx < 0 || sx >= source_width || sy < 0 || sy >= source_height) continue;
      out[j] = source[sy * source_width + sx];
    }
  }
}

}  // namespace yel
