// The scalers walk the source in fixed-point steps (7 fractional bits, 8 for bytes); the step is
// truncated, so the last output pixels may sample slightly short of the source's far edge.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "YEL/graphics/pixel_routines.h"

namespace yel {
namespace {

struct ScaleWalk {
  int32_t width = 0;  // output size
  int32_t height = 0;
  int64_t step_x = 0;  // in 1/one of a source pixel
  int64_t step_y = 0;
};

int32_t OutputSize(int32_t target, int32_t source, float factor) {
  const float scaled = static_cast<float>(source) * factor;
  return scaled >= static_cast<float>(target) ? target : static_cast<int32_t>(scaled);
}

int64_t Step(float one, float factor) {
  const float step = std::fabs(one / factor);
  return step >= 2147483647.0f ? INT32_MAX : static_cast<int64_t>(step);
}

// False when nothing is to be written (empty buffers, factors that are not positive).
bool PlanWalk(int32_t target_width, int32_t target_height, int32_t source_width,
              int32_t source_height, float factor_x, float factor_y, float one, ScaleWalk& walk) {
  if (!(factor_x > 0) || !(factor_y > 0) || target_width <= 0 || target_height <= 0 ||
      source_width <= 0 || source_height <= 0) {
    return false;
  }
  walk.width = OutputSize(target_width, source_width, factor_x);
  walk.height = OutputSize(target_height, source_height, factor_y);
  walk.step_x = Step(one, factor_x);
  walk.step_y = Step(one, factor_y);
  return walk.width > 0 && walk.height > 0;
}

// A source coordinate and its fraction; the clamp only matters for factors whose rounding puts
// the last step past the edge.
struct Sample {
  int32_t index;
  int32_t fraction;
};

Sample SampleAt(int64_t position, int shift, int32_t size) {
  const int64_t index = position >> shift;
  if (index >= size) return {size - 1, 0};
  return {static_cast<int32_t>(index), static_cast<int32_t>(position & ((1 << shift) - 1))};
}

uint32_t Mix4(uint32_t p00, uint32_t p10, uint32_t p01, uint32_t p11, int32_t u, int32_t v) {
  const uint32_t w00 = (128 - u) * (128 - v), w10 = u * (128 - v), w01 = (128 - u) * v, w11 = u * v;
  uint32_t out = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const uint32_t sum = (p00 >> shift & 0xFF) * w00 + (p10 >> shift & 0xFF) * w10 +
                         (p01 >> shift & 0xFF) * w01 + (p11 >> shift & 0xFF) * w11;
    out |= (sum / 16384) << shift;
  }
  return out;
}

// Visits every output pixel with the source sample under it (rows then columns); `pixel_at`
// turns the samples into the output pixel.
template <typename Pixel, typename PixelAt>
void ScaleWith(Pixel* target, int32_t target_width, int32_t target_height, int32_t source_width,
               int32_t source_height, float factor_x, float factor_y, int shift, PixelAt pixel_at) {
  ScaleWalk walk;
  if (!PlanWalk(target_width, target_height, source_width, source_height, factor_x, factor_y,
                static_cast<float>(1 << shift), walk)) {
    return;
  }
  for (int32_t j = 0; j < walk.height; ++j) {
    const Sample sy = SampleAt(j * walk.step_y, shift, source_height);
    Pixel* out = target + static_cast<size_t>(j) * target_width;
    for (int32_t i = 0; i < walk.width; ++i) {
      out[i] = pixel_at(SampleAt(i * walk.step_x, shift, source_width), sy);
    }
  }
}

}  // namespace

void ScaleNearest(uint32_t* target, int32_t target_width, int32_t target_height,
                  const uint32_t* source, int32_t source_width, int32_t source_height,
                  float factor_x, float factor_y) {
  ScaleWith(target, target_width, target_height, source_width, source_height, factor_x, factor_y, 7,
            [&](Sample sx, Sample sy) {
              return source[static_cast<size_t>(sy.index) * source_width + sx.index];
            });
}

void ScaleBilinear32(uint32_t* target, int32_t target_width, int32_t target_height,
                     const uint32_t* source, int32_t source_width, int32_t source_height,
                     float factor_x, float factor_y) {
  ScaleWith(target, target_width, target_height, source_width, source_height, factor_x, factor_y, 7,
            [&](Sample sx, Sample sy) {
              const uint32_t* row0 = source + static_cast<size_t>(sy.index) * source_width;
              const uint32_t* row1 = sy.index + 1 < source_height ? row0 + source_width : row0;
              const int32_t x1 = sx.index + 1 < source_width ? sx.index + 1 : sx.index;
              return Mix4(row0[sx.index], row0[x1], row1[sx.index], row1[x1], sx.fraction,
                          sy.fraction);
            });
}

void ScaleBilinear8(uint8_t* target, int32_t target_width, int32_t target_height,
                    const uint8_t* source, int32_t source_width, int32_t source_height,
                    float factor_x, float factor_y) {
  ScaleWith(target, target_width, target_height, source_width, source_height, factor_x, factor_y, 8,
            [&](Sample sx, Sample sy) {
              const uint8_t* row0 = source + static_cast<size_t>(sy.index) * source_width;
              const bool has_row1 = sy.index + 1 < source_height;
              const bool has_x1 = sx.index + 1 < source_width;
              const uint32_t u = static_cast<uint32_t>(sx.fraction);
              const uint32_t v = static_cast<uint32_t>(sy.fraction);
              const uint32_t p00 = row0[sx.index], p10 = has_x1 ? row0[sx.index + 1] : 0;
              const uint32_t p01 = has_row1 ? row0[sx.index + source_width] : 0;
              const uint32_t p11 = has_row1 && has_x1 ? row0[sx.index + 1 + source_width] : 0;
              const uint32_t sum = p00 * (256 - u) * (256 - v) + p10 * u * (256 - v) +
                                   p01 * (256 - u) * v + p11 * u * v;
              return static_cast<uint8_t>(sum / 65536);
            });
}

void CopyPixels(uint32_t* target, const uint32_t* source, int32_t width, int32_t height) {
  if (width <= 0 || height <= 0) return;
  std::memcpy(target, source, static_cast<size_t>(width) * height * 4);
}

}  // namespace yel
