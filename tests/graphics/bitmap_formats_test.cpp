// BMP and TGA from hand-made bytes: row padding, palettes, grey, bottom-up rows, and the
// variants that are refused rather than misread.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/graphics/image_test_support.h"

namespace graphics_test {
namespace {

void Put32(Bytes& file, size_t at, uint32_t value) {
  std::memcpy(&file[at], &value, 4);
}

// A BMP with a 40-byte information header; `rows` bottom-up, already padded.
Bytes Bmp(int32_t width, int32_t height, uint16_t bits, const Bytes& palette, const Bytes& rows) {
  Bytes file(54, 0);
  file[0] = 'B';
  file[1] = 'M';
  Put32(file, 10, uint32_t(54 + palette.size()));
  Put32(file, 14, 40);
  Put32(file, 18, uint32_t(width));
  Put32(file, 22, uint32_t(height));
  file[26] = 1;
  file[28] = uint8_t(bits);
  file.insert(file.end(), palette.begin(), palette.end());
  file.insert(file.end(), rows.begin(), rows.end());
  return file;
}

Bytes Tga(uint8_t type, uint16_t width, uint16_t height, uint8_t bits, const Bytes& rows) {
  Bytes file(18, 0);
  file[2] = type;
  std::memcpy(&file[12], &width, 2);
  std::memcpy(&file[14], &height, 2);
  file[16] = bits;
  file.insert(file.end(), rows.begin(), rows.end());
  return file;
}

TEST(BitmapFormats, DecodeHandMadeFiles) {
  struct Case {
    const char* what;
    Bytes file;
    std::vector<uint32_t> pixels;  // top-down
  };
  const Case cases[] = {
      {"24-bit BMP 3 wide: 9 bytes and 3 padding per row",
       Bmp(3, 2, 24, {}, {1,  2,  3,  4,  5,  6,  7,  8,  9,  0xEE, 0xEE, 0xEE,
                          10, 11, 12, 13, 14, 15, 16, 17, 18, 0,    0,    0}),
       {0xFF0C0B0A, 0xFF0F0E0D, 0xFF121110, 0xFF030201, 0xFF060504, 0xFF090807}},
      {"8-bit BMP through its palette",
       Bmp(2, 1, 8, {1, 2, 3, 0, 4, 5, 6, 0}, {1, 0, 0xEE, 0xEE}),
       {0xFF060504, 0xFF030201}},
      {"32-bit BMP keeps alpha",
       Bmp(1, 2, 32, {}, {1, 2, 3, 4, 5, 6, 7, 8}),
       {0x08070605, 0x04030201}},
      {"8-bit TGA is grey",
       Tga(3, 2, 2, 8, {1, 2, 3, 4}),
       {0xFF030303, 0xFF040404, 0xFF010101, 0xFF020202}},
      {"24-bit TGA rows unpadded", Tga(2, 2, 1, 24, {1, 2, 3, 4, 5, 6}), {0xFF030201, 0xFF060504}},
      {"32-bit TGA keeps alpha",
       Tga(2, 2, 1, 32, {1, 2, 3, 4, 5, 6, 7, 8}),
       {0x04030201, 0x08070605}},
  };
  for (const Case& c : cases) {
    const Decoded image = Decode(c.file);
    ASSERT_TRUE(image.ok) << c.what;
    EXPECT_EQ(image.pixels, c.pixels) << c.what;
  }
}

TEST(BitmapFormats, RefusesWhatIsNotStoredPlainly) {
  Bytes compressed = Bmp(1, 1, 24, {}, {1, 2, 3, 0});
  compressed[30] = 1;  // run-length
  Bytes colour_mapped = Tga(2, 1, 1, 24, {1, 2, 3});
  colour_mapped[1] = 1;
  struct Case {
    const char* what;
    Bytes file;
  };
  const Case cases[] = {
      {"BMP compression", compressed},
      {"TGA run-length", Tga(10, 1, 1, 24, {0, 1, 2, 3})},
      {"TGA colour-mapped type", Tga(1, 1, 1, 8, {0})},
      {"TGA colour map present", colour_mapped},
      {"16-bit BMP", Bmp(1, 1, 16, {}, {1, 2, 0, 0})},
      {"top-down BMP", Bmp(1, -1, 24, {}, {1, 2, 3, 0})},
      {"palette index past the palette", Bmp(1, 1, 8, {1, 2, 3, 0}, {1, 0, 0, 0})},
      {"BMP rows cut short", Bmp(3, 2, 24, {}, Bytes(23))},
      {"TGA rows cut short", Tga(2, 2, 2, 32, Bytes(15))},
      {"empty TGA", Tga(2, 0, 1, 32, {})},
  };
  for (const Case& c : cases) EXPECT_FALSE(Decode(c.file).ok) << c.what;
}

}  // namespace
}  // namespace graphics_test
