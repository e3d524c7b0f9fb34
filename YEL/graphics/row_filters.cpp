#include "YEL/graphics/row_filters.h"

namespace yel {
namespace {

enum : uint8_t { kLeft = 1, kUp = 2, kAverage = 4 };

struct RowShape {
  int32_t width;
  int32_t channels;
  int32_t pixel_bytes;
};

bool ReadsRowAbove(uint8_t filter) { return !(filter & kLeft) && (filter & (kUp | kAverage)); }

void CopyFirstPixel(uint8_t* out, const uint8_t* residual, const RowShape& shape) {
  for (int32_t c = 0; c < shape.channels; ++c) out[c] = residual[c];
}

void DecodeRaw(uint8_t* out, const uint8_t* residual, const RowShape& shape) {
  for (int32_t x = 0; x < shape.width; ++x, out += shape.pixel_bytes, residual += shape.channels) {
    CopyFirstPixel(out, residual, shape);
  }
}

void DecodeLeft(uint8_t* out, const uint8_t* residual, const RowShape& shape) {
  CopyFirstPixel(out, residual, shape);
  for (int32_t x = 1; x < shape.width; ++x) {
    out += shape.pixel_bytes;
    residual += shape.channels;
    for (int32_t c = 0; c < shape.channels; ++c) {
      out[c] = static_cast<uint8_t>(out[c - shape.pixel_bytes] - residual[c]);
    }
  }
}

void DecodeUp(uint8_t* out, const uint8_t* above, const uint8_t* residual, const RowShape& shape) {
  for (int32_t x = 0; x < shape.width; ++x) {
    for (int32_t c = 0; c < shape.channels; ++c) {
      out[c] = static_cast<uint8_t>(above[c] - residual[c]);
    }
    out += shape.pixel_bytes;
    above += shape.pixel_bytes;
    residual += shape.channels;
  }
}

void DecodeAverage(uint8_t* out, const uint8_t* above, const uint8_t* residual,
                   const RowShape& shape) {
  CopyFirstPixel(out, residual, shape);
  for (int32_t x = 1; x < shape.width; ++x) {
    out += shape.pixel_bytes;
    above += shape.pixel_bytes;
    residual += shape.channels;
    for (int32_t c = 0; c < shape.channels; ++c) {
      const int left = out[c - shape.pixel_bytes];
      out[c] = static_cast<uint8_t>(((left + above[c]) >> 1) - residual[c]);
    }
  }
}

}  // namespace

bool DecodeRowFilters(const uint8_t* filters, const uint8_t* residuals, int32_t width,
                      int32_t height, int32_t channels, const RowFilterTarget& target) {
  if (height > 0 && ReadsRowAbove(filters[0])) return false;
  const RowShape shape{width, channels, target.pixel_bytes};
  const size_t residual_row = static_cast<size_t>(width) * channels;
  for (int32_t y = 0; y < height; ++y) {
    uint8_t* out = target.pixels + y * target.row_bytes;
    const uint8_t* above = y > 0 ? out - target.row_bytes : nullptr;
    const uint8_t* residual = residuals + y * residual_row;
    const uint8_t filter = filters[y];
    if (filter & kLeft) {
      DecodeLeft(out, residual, shape);
    } else if (filter & kUp) {
      DecodeUp(out, above, residual, shape);
    } else if (filter & kAverage) {
      DecodeAverage(out, above, residual, shape);
    } else {
      DecodeRaw(out, residual, shape);
    }
  }
  return true;
}

}  // namespace yel
