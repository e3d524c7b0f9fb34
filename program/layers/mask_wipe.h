// The pixel pass of the mask wipes: the alpha of a displayed image rewritten from a source
// image's alpha through a grey-scale mask, with a soft edge of 31 threshold steps. Pixels are
// 0xAARRGGBB (byte 0 blue ... byte 3 alpha); the mask's blue byte decides when a pixel changes,
// its brightest pixels first. Images of different sizes are walked over their common area only,
// each row at its own image's row length.
#pragma once

#include <cstdint>

namespace adv {

// Pixels of one locked image, rows `width` pixels apart.
struct WipeImage {
  uint32_t* pixels = nullptr;
  int32_t width = 0;
  int32_t height = 0;
};

enum class WipeDirection : uint8_t {
  kAppear,     // to shows the from alpha where the threshold has passed
  kDisappear,  // the complement: to keeps the from alpha where it has not
};

// One frame of a wipe at threshold t (0-255): only the alpha byte of each `to` pixel is written.
void MaskWipeAlpha(WipeDirection direction, const WipeImage& from, const WipeImage& mask,
                   const WipeImage& to, uint32_t threshold);

// Copies the from pixels into `to`, with their alpha (keep_alpha) or with alpha 0.
void MaskWipeCopy(const WipeImage& from, const WipeImage& to, bool keep_alpha);

}  // namespace adv
