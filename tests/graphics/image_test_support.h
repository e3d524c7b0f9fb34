// Pictures and decoding helpers shared by the image tests.
#pragma once

#include <cstdint>
#include <random>
#include <vector>

#include "YEL/graphics/image_codecs.h"
#include "tools/image_builder/image_writers.h"

namespace graphics_test {

using Bytes = std::vector<uint8_t>;

// Smooth ramps in every channel (long matches) with a noisy patch (literals).
inline imgbuild::Picture TestPicture(int32_t width, int32_t height, uint32_t seed = 1) {
  imgbuild::Picture picture{width, height, std::vector<uint32_t>(size_t(width) * height)};
  std::mt19937 random(seed);
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      uint32_t pixel = uint32_t((x * 7 + y) & 0xFF) << 24 | uint32_t((x * 3) & 0xFF) << 16 |
                       uint32_t((y * 5) & 0xFF) << 8 | uint32_t((x + y) & 0xFF);
      if (x < width / 3 && y < height / 3) pixel = random();
      picture.pixels[size_t(y) * width + x] = pixel;
    }
  }
  return picture;
}

struct Decoded {
  bool ok = false;
  yel::ImageHeader header;
  std::vector<uint32_t> pixels;
};

// Decodes into a buffer prefilled with `fill`, so that untouched pixels show.
inline Decoded Decode(const Bytes& file, uint32_t fill = 0x12345678) {
  Decoded out;
  if (!yel::ImageReadHeader(file.data(), file.size(), out.header)) return out;
  out.pixels.assign(size_t(out.header.width) * out.header.height, fill);
  out.ok = yel::ImageDecode(file.data(), file.size(), out.pixels.data(), out.header.width);
  return out;
}

}  // namespace graphics_test
