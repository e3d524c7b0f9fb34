#include "program/layers/mask_wipe.h"

#include <algorithm>
#include <array>

namespace adv {
namespace {

constexpr uint32_t kEdgeSteps = 31;

// Per mask value v = 255 - blue: the 32nds of the from alpha the appearing picture shows at
// this threshold (32 past the edge, h - v inside it, 0 before it).
std::array<uint8_t, 256> AppearFactors(uint32_t threshold) {
  const uint32_t edge_end = std::min(threshold + kEdgeSteps, 255u);
  std::array<uint8_t, 256> factors{};
  for (uint32_t v = 0; v < 256; ++v) {
    if (v < threshold) {
      factors[v] = 32;
    } else if (v < edge_end) {
      factors[v] = static_cast<uint8_t>(edge_end - v);
    }
  }
  return factors;
}

}  // namespace

void MaskWipeAlpha(WipeDirection direction, const WipeImage& from, const WipeImage& mask,
                   const WipeImage& to, uint32_t threshold) {
  const std::array<uint8_t, 256> factors = AppearFactors(threshold & 0xFF);
  const int32_t width = std::min({from.width, mask.width, to.width});
  const int32_t height = std::min({from.height, mask.height, to.height});
  const bool appear = direction == WipeDirection::kAppear;
  for (int32_t y = 0; y < height; ++y) {
    const uint32_t* f = from.pixels + static_cast<size_t>(y) * static_cast<size_t>(from.width);
    const uint32_t* m = mask.pixels + static_cast<size_t>(y) * static_cast<size_t>(mask.width);
    uint32_t* t = to.pixels + static_cast<size_t>(y) * static_cast<size_t>(to.width);
    for (int32_t x = 0; x < width; ++x) {
      const uint32_t a = f[x] >> 24;
      const uint32_t shown = (factors[255 - (m[x] & 0xFF)] * a) >> 5;
      const uint32_t alpha = appear ? shown : a - shown;
      t[x] = (t[x] & 0x00FFFFFFu) | alpha << 24;
    }
  }
}

void MaskWipeCopy(const WipeImage& from, const WipeImage& to, bool keep_alpha) {
  const int32_t width = std::min(from.width, to.width);
  const int32_t height = std::min(from.height, to.height);
  const uint32_t keep = keep_alpha ? 0xFFFFFFFFu : 0x00FFFFFFu;
  for (int32_t y = 0; y < height; ++y) {
    const uint32_t* f = from.pixels + static_cast<size_t>(y) * static_cast<size_t>(from.width);
    uint32_t* t = to.pixels + static_cast<size_t>(y) * static_cast<size_t>(to.width);
    for (int32_t x = 0; x < width; ++x) t[x] = f[x] & keep;
  }
}

}  // namespace adv
