#include "YEL/graphics/row_filters.h"

namespace yel {
namespace {

enum : uint8_t { kLeft = 1, kUp = 2, kAverage = 4 };

// Channels and pixel size are template arguments so that the per-channel loops unroll.
template <int32_t kChannels, int32_t kPixelBytes>
struct RowShape {
  static constexpr int32_t channels = kChannels;
  static constexpr int32_t pixel_bytes = kPixelBytes;
  int32_t width;
};

bool ReadsRowAbove(uint8_t filter) {
  return !(filter & kLeft) && (filter & (kUp | kAverage));
}

template <typename Shape>
void CopyFirstPixel(uint8_t* out, const uint8_t* residual, const Shape& shape) {
  for (int32_t c = 0; c < shape.channels; ++c) out[c] = residual[c];
}

template <typename Shape>
void DecodeRaw(uint8_t* out, const uint8_t* residual, const Shape& shape) {
  for (int32_t x = 0; x < shape.width; ++x, out += shape.pixel_bytes, residual += shape.channels) {
    CopyFirstPixel(out, residual, shape);
  }
}

template <typename Shape>
void DecodeLeft(uint8_t* out, const uint8_t* residual, const Shape& shape) {
  CopyFirstPixel(out, residual, shape);
  for (int32_t x = 1; x < shape.width; ++x) {
    out += shape.pixel_bytes;
    residual += shape.channels;
    for (int32_t c = 0; c < shape.channels; ++c) {
      out[c] = static_cast<uint8_t>(out[c - shape.pixel_bytes] - residual[c]);
    }
  }
}

template <typename Shape>
void DecodeUp(uint8_t* out, const uint8_t* above, const uint8_t* residual, const Shape& shape) {
  for (int32_t x = 0; x < shape.width; ++x) {
    for (int32_t c = 0; c < shape.channels; ++c) {
      out[c] = static_cast<uint8_t>(above[c] - residual[c]);
    }
    out += shape.pixel_bytes;
    above += shape.pixel_bytes;
    residual += shape.channels;
  }
}

template <typename Shape>
void DecodeAverage(uint8_t* out, const uint8_t* above, const uint8_t* residual,
                   const Shape& shape) {
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

template <typename Shape>
void DecodeRows(const uint8_t* filters, const uint8_t* residuals, int32_t height,
                const Shape& shape, const RowFilterTarget& target) {
  const size_t residual_row = static_cast<size_t>(shape.width) * shape.channels;
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
}

}  // namespace

bool DecodeRowFilters(const uint8_t* filters, const uint8_t* residuals, int32_t width,
                      int32_t height, int32_t channels, const RowFilterTarget& target) {
  // Every row starts with a first pixel; an empty image has none to decode.
  if (width <= 0 || height <= 0 || ReadsRowAbove(filters[0])) return false;
  if (channels == 3 && target.pixel_bytes == 3) {
    DecodeRows(filters, residuals, height, RowShape<3, 3>{width}, target);
  } else if (channels == 3 && target.pixel_bytes == 4) {
    DecodeRows(filters, residuals, height, RowShape<3, 4>{width}, target);
  } else if (channels == 4 && target.pixel_bytes == 4) {
    DecodeRows(filters, residuals, height, RowShape<4, 4>{width}, target);
  } else {
    return false;
  }
  return true;
}

}  // namespace yel
