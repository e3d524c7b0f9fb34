// The weighted blur: one 16-tap pass along the rows into a work image, one along the columns into
// the target. The work image belongs to the call, so blurs on several threads do not meet.
#include <vector>

#include "YEL/graphics/pixel_routines.h"

namespace yel {
namespace {

constexpr int kTaps = 16;
constexpr int kCentre = 8;  // tap k reads the pixel at offset k - 8

// Each row sums to 2 to the power (strength + 1).
constexpr uint8_t kKernels[8][kTaps] = {
    {0, 0, 0, 0, 0, 0, 0, 1, 1, 0, 0, 0, 0, 0, 0, 0},
    {0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0},
    {0, 0, 0, 0, 0, 1, 1, 2, 2, 1, 1, 0, 0, 0, 0, 0},
    {0, 0, 0, 0, 1, 1, 2, 4, 4, 2, 1, 1, 0, 0, 0, 0},
    {0, 0, 0, 1, 1, 2, 4, 8, 8, 4, 2, 1, 1, 0, 0, 0},
    {0, 0, 2, 2, 4, 4, 8, 12, 12, 8, 4, 4, 2, 2, 0, 0},
    {0, 4, 4, 8, 8, 8, 16, 16, 16, 16, 8, 8, 8, 4, 4, 0},
    {8, 8, 8, 8, 16, 16, 32, 32, 32, 32, 16, 16, 8, 8, 8, 8},
};

// A row or a column: `length` pixels `step` apart.
struct Line {
  const uint32_t* pixels;
  size_t step;
  int32_t length;
  uint32_t at(int32_t i) const { return pixels[i * step]; }
};

uint32_t Pack(const uint32_t sums[4], uint32_t divisor_or_shift, bool shift) {
  uint32_t out = 0;
  for (int c = 0; c < 4; ++c) {
    const uint32_t value = shift ? sums[c] >> divisor_or_shift : sums[c] / divisor_or_shift;
    out |= value << (8 * c);
  }
  return out;
}

uint32_t InnerPixel(const Line& in, int32_t x, const uint8_t* kernel, int strength) {
  uint32_t sums[4] = {};
  for (int k = 0; k < kTaps; ++k) {
    const uint32_t pixel = in.at(x - kCentre + k);
    for (int c = 0; c < 4; ++c) sums[c] += kernel[k] * (pixel >> (8 * c) & 0xFF);
  }
  return Pack(sums, static_cast<uint32_t>(strength + 1), true);
}

// Near the ends: only taps inside, only pixels with alpha add colour, but every inside tap's
// weight counts in the divisor.
uint32_t EdgePixel(const Line& in, int32_t x, const uint8_t* kernel) {
  uint32_t sums[4] = {};
  uint32_t weight = 0;
  for (int k = 0; k < kTaps; ++k) {
    const int32_t at = x - kCentre + k;
    if (at < 0 || at >= in.length) continue;
    weight += kernel[k];
    const uint32_t pixel = in.at(at);
    if ((pixel >> 24) == 0) continue;
    for (int c = 0; c < 4; ++c) sums[c] += kernel[k] * (pixel >> (8 * c) & 0xFF);
  }
  if (sums[3] == 0) return in.at(x);
  return Pack(sums, weight, false);
}

void BlurLine(const Line& in, uint32_t* out, size_t out_step, int strength) {
  const uint8_t* kernel = kKernels[strength];
  for (int32_t x = 0; x < in.length; ++x) {
    const bool inside = x >= kCentre && x - kCentre + kTaps <= in.length;
    out[x * out_step] = inside ? InnerPixel(in, x, kernel, strength) : EdgePixel(in, x, kernel);
  }
}

}  // namespace

void WeightedBlur(uint32_t* target, const uint32_t* source, int32_t width, int32_t height,
                  int32_t pitch, int32_t strength) {
  if (width <= 0 || height <= 0 || pitch < width || strength < 0 || strength > 7) return;
  const size_t stride = static_cast<size_t>(pitch);
  std::vector<uint32_t> work(static_cast<size_t>(width) * height);
  for (int32_t y = 0; y < height; ++y) {
    BlurLine(Line{source + y * stride, 1, width}, work.data() + static_cast<size_t>(y) * width, 1,
             strength);
  }
  for (int32_t x = 0; x < width; ++x) {
    BlurLine(Line{work.data() + x, static_cast<size_t>(width), height}, target + x, stride,
             strength);
  }
}

}  // namespace yel
