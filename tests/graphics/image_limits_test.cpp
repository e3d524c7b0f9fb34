// The sizes every image header reader takes: an image with a side of 0 has no pixel to decode and
// is refused by each format (the delta image's row decoder would otherwise write the first pixel
// of each row into an empty buffer), and an image larger than a texture may be is refused from
// its header, before any pixel is decoded. The files are headers with as few bytes as each reader
// needs, so nothing large is ever allocated.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "YEL/graphics/row_filters.h"
#include "YEL/render/texture.h"
#include "tests/graphics/image_test_support.h"
#include "tools/image_builder/lz_writer.h"

namespace graphics_test {
namespace {

void PutLe(Bytes& file, size_t at, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) file[at + i] = uint8_t(value >> (8 * i));
}

void PutBe32(Bytes& file, uint32_t value) {
  for (int i = 3; i >= 0; --i) file.push_back(uint8_t(value >> (8 * i)));
}

// A "GE" header of mode 0 with room for the pixels of a 1 x 1 image.
Bytes Ge(uint32_t width, uint32_t height) {
  Bytes file(42, 0);
  file[0] = 'G', file[1] = 'E', file[2] = 30;
  PutLe(file, 12, width, 4);
  PutLe(file, 16, height, 4);
  PutLe(file, 20, width, 4);
  PutLe(file, 24, height, 4);
  return file;
}

Bytes Bmp(uint32_t width, uint32_t height) {
  Bytes file(58, 0);
  file[0] = 'B', file[1] = 'M';
  PutLe(file, 10, 54, 4);
  PutLe(file, 14, 40, 4);
  PutLe(file, 18, width, 4);
  PutLe(file, 22, height, 4);
  file[26] = 1, file[28] = 32;
  return file;
}

Bytes Tga(uint16_t width, uint16_t height) {
  Bytes file(22, 0);
  file[2] = 2;
  PutLe(file, 12, width, 2);
  PutLe(file, 14, height, 2);
  file[16] = 32;
  return file;
}

uint32_t Crc32(const uint8_t* bytes, size_t size) {
  uint32_t crc = 0xFFFFFFFFu;
  for (size_t i = 0; i < size; ++i) {
    crc ^= bytes[i];
    for (int bit = 0; bit < 8; ++bit) crc = crc >> 1 ^ (0xEDB88320u & (0u - (crc & 1)));
  }
  return ~crc;
}

void Chunk(Bytes& file, const char* type, const Bytes& data) {
  PutBe32(file, uint32_t(data.size()));
  Bytes body(type, type + 4);
  body.insert(body.end(), data.begin(), data.end());
  file.insert(file.end(), body.begin(), body.end());
  PutBe32(file, Crc32(body.data(), body.size()));
}

// A PNG signature and header, an empty data chunk and the end: enough for the size, no pixels.
Bytes PngHeader(uint32_t width, uint32_t height) {
  Bytes file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  Bytes header;
  PutBe32(header, width);
  PutBe32(header, height);
  header.insert(header.end(), {8, 6, 0, 0, 0});  // 8-bit RGBA, not interlaced
  Chunk(file, "IHDR", header);
  Chunk(file, "IDAT", {});
  Chunk(file, "IEND", {});
  return file;
}

// A 32-bit "MKT3" delta of width x height whose expanded bytes are `expanded`: a filter byte per
// row (1, from the left neighbour), then the residuals.
Bytes Delta(uint16_t width, uint16_t height, const Bytes& expanded) {
  Bytes file(56, 0);
  std::memcpy(file.data(), "MKT3", 4);
  PutLe(file, 8, width, 2);
  PutLe(file, 10, height, 2);
  PutLe(file, 12, 32, 2);
  std::memcpy(&file[14], "BASE.GE", 7);
  PutLe(file, 48, uint32_t(expanded.size()), 4);
  imgbuild::LzTokenWriter writer;
  writer.Literal(expanded.data(), uint8_t(expanded.size()));
  const Bytes stream = writer.Finish();
  file.insert(file.end(), stream.begin(), stream.end());
  return file;
}

// An image with a side of 0, of each format: its header is refused, and decoding it (or applying
// it, for a delta) fails without touching a pixel.
TEST(ImageLimits, AnEmptyImageIsRefusedByEveryReader) {
  struct Case {
    const char* what;
    Bytes file;
  } cases[] = {
      {"GE of width 0", Ge(0, 4)},
      {"GE of height 0", Ge(4, 0)},
      {"BMP of width 0", Bmp(0, 4)},
      {"BMP of height 0", Bmp(4, 0)},
      {"TGA of width 0", Tga(0, 4)},
      {"TGA of height 0", Tga(4, 0)},
      {"MKT3 of width 0", Delta(0, 2, {1, 1})},
      {"MKT3 of height 0", Delta(4, 0, {0})},
  };
  for (const Case& c : cases) {
    std::vector<uint32_t> pixels(16, 0x12345678);
    if (yel::IsDeltaImage(c.file.data(), c.file.size())) {
      yel::DeltaHeader header;
      EXPECT_FALSE(yel::DeltaReadHeader(c.file.data(), c.file.size(), header)) << c.what;
      EXPECT_FALSE(yel::DeltaApply(c.file.data(), c.file.size(), pixels.data(), 4, 4, 4)) << c.what;
    } else {
      yel::ImageHeader header;
      EXPECT_FALSE(yel::ImageReadHeader(c.file.data(), c.file.size(), header)) << c.what;
      EXPECT_FALSE(yel::ImageDecode(c.file.data(), c.file.size(), pixels.data(), 4)) << c.what;
    }
    EXPECT_EQ(pixels, std::vector<uint32_t>(16, 0x12345678u)) << c.what;
  }
}

// The row decoder itself has no first pixel to decode in an empty image.
TEST(ImageLimits, TheRowDecoderRefusesAnEmptyImage) {
  struct Case {
    const char* what;
    int32_t width, height;
  } cases[] = {{"width 0", 0, 2}, {"height 0", 2, 0}, {"negative width", -1, 2}};
  const uint8_t filters[] = {1, 1};
  const uint8_t residuals[8] = {};
  for (const Case& c : cases) {
    uint8_t out[8] = {};
    const yel::RowFilterTarget target{out, 4, 4};
    EXPECT_FALSE(yel::DecodeRowFilters(filters, residuals, c.width, c.height, 4, target)) << c.what;
  }
}

// A header asking for more than a texture may hold (a side over 16384, or over 8192 x 8192
// pixels in all) is refused before any pixel is decoded; a long strip within both is taken.
TEST(ImageLimits, AHeaderLargerThanATextureIsRefused) {
  struct Case {
    const char* what;
    Bytes file;
    bool taken;
  } cases[] = {
      {"PNG 16384 x 16384", PngHeader(16384, 16384), false},
      {"PNG 16385 x 1", PngHeader(16385, 1), false},
      {"PNG 8192 x 8193", PngHeader(8192, 8193), false},
      {"GE 20000 x 1", Ge(20000, 1), false},
      {"GE 0x7FFFFFFF x 0x7FFFFFFF", Ge(0x7FFFFFFF, 0x7FFFFFFF), false},
      {"BMP 16384 x 8192", Bmp(16384, 8192), false},
      {"TGA 65535 x 65535", Tga(65535, 65535), false},
      {"PNG 16384 x 1", PngHeader(16384, 1), true},
      {"PNG 8192 x 8192", PngHeader(8192, 8192), true},
      {"TGA 16384 x 4096", Tga(16384, 4096), true},
  };
  for (const Case& c : cases) {
    yel::ImageHeader header;
    EXPECT_EQ(yel::ImageReadHeader(c.file.data(), c.file.size(), header), c.taken) << c.what;
    EXPECT_EQ(yel::ImageSizeFits(header.width, header.height), c.taken) << c.what;
  }
}

}  // namespace
}  // namespace graphics_test
