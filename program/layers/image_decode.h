// TGA and BMP files held in memory decoded into 32-bit pixels: the alpha masks of layer
// operations. Every other image is decoded by the platform library.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace adv {

// A decoded image: rows top row first, `width` pixels each, no padding; every pixel ARGB
// (alpha in the top byte).
struct DecodedImage {
  uint32_t width = 0;
  uint32_t height = 0;
  std::vector<uint32_t> pixels;
};

// Decodes an uncompressed BMP (8 bits with palette, 24 or 32 bits, rows bottom first) or TGA
// (8-bit grey, 24 or 32 bits, rows bottom first). 1 decoded, 0 refused with `image` left empty:
// colour-mapped or compressed TGA, top-down or compressed BMP, other depths, an empty image or
// one larger than the platform keeps (kTextureSideMax, kTexturePixelsMax), and any header,
// palette index or pixel row that does not lie inside the `size` bytes.
int AdvDecodeTgaBmp(DecodedImage* image, const uint8_t* bytes, size_t size);

}  // namespace adv
