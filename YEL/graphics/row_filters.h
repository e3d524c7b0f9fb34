// Row filters of "GE" mode 3 and of delta images: each row has a filter byte telling how its
// residual bytes predict the pixel from its left neighbour, the pixel above, or both.
#pragma once

#include <cstddef>
#include <cstdint>

namespace yel {

// Where decoded rows go: pixels `pixel_bytes` apart within a row (3 for 3 channels, or 4), rows
// `row_bytes` apart. Only the first `channels` bytes of each pixel are written.
struct RowFilterTarget {
  uint8_t* pixels;
  size_t row_bytes;
  int32_t pixel_bytes;
};

// Decodes `height` rows of `width` pixels of `channels` bytes (3: B, G, R; 4: B, G, R, A) from
// one filter byte per row and the packed residuals. False, before anything is written, when the
// image is empty (a width or height of 0 or less), the first row would read a row above or the
// pixel shape is not one of those.
bool DecodeRowFilters(const uint8_t* filters, const uint8_t* residuals, int32_t width,
                      int32_t height, int32_t channels, const RowFilterTarget& target);

}  // namespace yel
