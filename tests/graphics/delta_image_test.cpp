// Delta images: encoder round trips at both depths, clipping to a smaller base, damaged headers.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/graphics/image_test_support.h"

namespace graphics_test {
namespace {

// `base` with a changed rectangle (colour and alpha) at (5, 3), 7 x 4.
imgbuild::Picture Changed(const imgbuild::Picture& base) {
  imgbuild::Picture changed = base;
  for (int32_t y = 3; y < 7; ++y) {
    for (int32_t x = 5; x < 12; ++x)
      changed.pixels[size_t(y) * base.width + x] ^= 0x8040A0F0u + x * y;
  }
  return changed;
}

Bytes Delta(const imgbuild::Picture& base, const imgbuild::Picture& changed, int bits) {
  Bytes file;
  std::string error;
  EXPECT_TRUE(imgbuild::WriteDeltaImage(base, changed, bits, "BG01.GE", file, error)) << error;
  return file;
}

TEST(DeltaImage, RoundTripAtBothDepths) {
  const imgbuild::Picture base = TestPicture(16, 10);
  const imgbuild::Picture changed = Changed(base);
  for (int bits : {24, 32}) {
    const Bytes file = Delta(base, changed, bits);
    yel::DeltaHeader header;
    ASSERT_TRUE(yel::IsDeltaImage(file.data(), file.size()));
    ASSERT_TRUE(yel::DeltaReadHeader(file.data(), file.size(), header));
    EXPECT_EQ(header.base_name, "BG01.GE");
    EXPECT_EQ(header.bits_per_pixel, bits);
    EXPECT_EQ((std::vector<int32_t>{header.x, header.y, header.width, header.height}),
              (std::vector<int32_t>{5, 3, 7, 4}));
    std::vector<uint32_t> pixels = base.pixels;
    ASSERT_TRUE(yel::DeltaApply(file.data(), file.size(), pixels.data(), 16, 10, 16));
    for (size_t k = 0; k < pixels.size(); ++k) {
      const uint32_t want = bits == 32
                                ? changed.pixels[k]
                                : (changed.pixels[k] & 0xFFFFFF) | (base.pixels[k] & 0xFF000000);
      ASSERT_EQ(pixels[k], want) << bits << " bits, pixel " << k;
    }
  }
}

TEST(DeltaImage, RegionIsClippedToTheBase) {
  const imgbuild::Picture base = TestPicture(16, 10);
  const Bytes file = Delta(base, Changed(base), 32);
  // An 8 x 5 base at a wider stride: only columns 5..7 and rows 3..4 of the region fall inside.
  std::vector<uint32_t> small(20 * 5, 0);
  ASSERT_TRUE(yel::DeltaApply(file.data(), file.size(), small.data(), 8, 5, 20));
  const imgbuild::Picture changed = Changed(base);
  for (int32_t y = 0; y < 5; ++y) {
    for (int32_t x = 0; x < 20; ++x) {
      const bool inside = x >= 5 && x < 8 && y >= 3;
      const uint32_t want = inside ? base.pixels[y * 16 + x] ^ changed.pixels[y * 16 + x] : 0;
      ASSERT_EQ(small[y * 20 + x], want) << x << "," << y;
    }
  }
}

TEST(DeltaImage, RefusesDamagedFilesAndLeavesTheBase) {
  const imgbuild::Picture base = TestPicture(16, 10);
  const Bytes good = Delta(base, Changed(base), 24);
  Bytes no_terminator = good;
  std::memset(&no_terminator[14], 'A', 34);
  Bytes short_count = good;
  short_count[48] = 3;
  short_count[49] = short_count[50] = short_count[51] = 0;
  for (const Bytes& file : {no_terminator, short_count, Bytes(good.begin(), good.end() - 2),
                            Bytes(good.begin(), good.begin() + 55)}) {
    std::vector<uint32_t> pixels = base.pixels;
    EXPECT_FALSE(yel::DeltaApply(file.data(), file.size(), pixels.data(), 16, 10, 16));
    EXPECT_EQ(pixels, base.pixels);
  }
  yel::DeltaHeader header;
  EXPECT_FALSE(yel::DeltaReadHeader(no_terminator.data(), no_terminator.size(), header));
  EXPECT_FALSE(yel::IsDeltaImage(reinterpret_cast<const uint8_t*>("MKT4"), 4));
}

}  // namespace
}  // namespace graphics_test
