// Pixel routines against values worked out by hand from their definitions.
#include <gtest/gtest.h>

#include <vector>

#include "YEL/graphics/pixel_routines.h"

namespace {

using Pixels = std::vector<uint32_t>;
constexpr uint32_t kUnwritten = 0xDEADBEEF;

TEST(PixelScale, NearestHalvesByEverySecondPixelAndStopsAtTheOutputSize) {
  Pixels source(16);
  for (uint32_t k = 0; k < 16; ++k) source[k] = k;
  Pixels target(9, kUnwritten);  // 3 x 3, but the output is 2 x 2
  yel::ScaleNearest(target.data(), 3, 3, source.data(), 4, 4, 0.5f, 0.5f);
  EXPECT_EQ(target,
            (Pixels{0, 2, kUnwritten, 8, 10, kUnwritten, kUnwritten, kUnwritten, kUnwritten}));
}

TEST(PixelScale, BilinearDoublesAndHoldsTheLastColumn) {
  const Pixels source = {0x10203040, 0x30405061};
  Pixels target(8, kUnwritten);
  yel::ScaleBilinear32(target.data(), 4, 2, source.data(), 2, 1, 2.0f, 2.0f);
  const Pixels row = {0x10203040, 0x20304050, 0x30405061, 0x30405061};
  EXPECT_EQ(target, (Pixels{row[0], row[1], row[2], row[3], row[0], row[1], row[2], row[3]}));
}

TEST(PixelScale, Bilinear8MixesWithZeroPastTheEdge) {
  const std::vector<uint8_t> source = {100, 200};
  std::vector<uint8_t> target(8, 0xEE);
  yel::ScaleBilinear8(target.data(), 4, 2, source.data(), 2, 1, 2.0f, 2.0f);
  EXPECT_EQ(target, (std::vector<uint8_t>{100, 150, 200, 100, 50, 75, 100, 50}));
}

TEST(PixelScale, RefusesFactorsThatAreNotPositive) {
  const Pixels source(4, 1);
  Pixels target(4, kUnwritten);
  yel::ScaleNearest(target.data(), 2, 2, source.data(), 2, 2, 0.0f, 1.0f);
  yel::ScaleBilinear32(target.data(), 2, 2, source.data(), 2, 2, 1.0f, -1.0f);
  EXPECT_EQ(target, Pixels(4, kUnwritten));
}

TEST(PixelFilters, SoftenWorksInReadingOrderThenFillsTheBorder) {
  // Blue only: the second inner pixel already sees its softened left neighbour (60, not 80).
  Pixels pixels = {0xFF000000, 0xFF000000, 0xFF000000, 0xFF000000, 0xFF000000, 0x80000050,
                   0xFF0000A0, 0xFF000000, 0xFF000000, 0xFF000000, 0xFF000000, 0xFF000000};
  yel::SoftenFilter(pixels.data(), 4, 3, 4);
  const Pixels row = {0x8000003C, 0x8000003C, 0xFF000057, 0xFF000057};
  for (int y = 0; y < 3; ++y) {
    EXPECT_EQ(Pixels(pixels.begin() + 4 * y, pixels.begin() + 4 * y + 4), row) << "row " << y;
  }
}

TEST(PixelFilters, ToneAndNegative) {
  Pixels tone = {0xAA1E140A, 0xAA1E140A};  // R 30, G 20, B 10: Y = (10 + 90 + 120) / 10 = 22
  std::vector<uint8_t> table(256 * 4, 0);
  table[22 * 4] = 1, table[22 * 4 + 1] = 2, table[22 * 4 + 2] = 3;
  yel::ToneFilter(tone.data(), 1, 1, nullptr);
  yel::ToneFilter(tone.data() + 1, 1, 1, table.data());
  EXPECT_EQ(tone, (Pixels{0xAA161616, 0xAA010203}));

  Pixels negative = {0x80123456, 0x00123456, 0x01000000, 0x77777777};
  yel::NegativeFilter(negative.data(), 3, 1, 4);
  EXPECT_EQ(negative, (Pixels{0xFFEDCBA9, 0x00123456, 0xFFFFFFFF, 0x77777777}));
}

TEST(WeightedBlur, StrengthZeroAveragesWithTheLeftNeighbour) {
  Pixels source(20), target(20, kUnwritten);
  for (uint32_t x = 0; x < 20; ++x) source[x] = 0xFF000000u | x * 10;
  yel::WeightedBlur(target.data(), source.data(), 20, 1, 20, 0);
  EXPECT_EQ(target[0], source[0]);
  for (uint32_t x = 1; x < 20; ++x) EXPECT_EQ(target[x], 0xFF000000u | (x * 10 - 5)) << x;
}

TEST(WeightedBlur, TransparentPixelsAddNoColourNearTheEdge) {
  const Pixels source = {0x00FFFFFF, 0xFF000064, 0xFF000064};
  Pixels target(3, kUnwritten);
  yel::WeightedBlur(target.data(), source.data(), 3, 1, 3, 0);
  // Pixel 0: nothing with alpha among its taps, kept. Pixel 1: only itself adds, over weight 2.
  EXPECT_EQ(target, (Pixels{0x00FFFFFF, 0x7F000032, 0xFF000064}));
}

TEST(WeightedBlur, EveryStrengthKeepsAFlatImage) {
  const Pixels source(40 * 30, 0xC0406080);
  for (int strength = 0; strength < 8; ++strength) {
    Pixels target(source.size(), kUnwritten);
    yel::WeightedBlur(target.data(), source.data(), 40, 30, 40, strength);
    EXPECT_EQ(target, source) << "strength " << strength;
  }
}

TEST(RasterWave, SineTableAndShifts) {
  const std::pair<int, int> entries[] = {{0, 0},       {1, 804}, {2, 1608},     {3, 2412},
                                         {128, 65536}, {256, 0}, {384, -65536}, {511, -804}};
  for (auto [k, value] : entries) EXPECT_EQ(yel::RasterSine(k), value) << k;

  Pixels source(64);
  for (uint32_t k = 0; k < 64; ++k) source[k] = k;
  Pixels target(64, kUnwritten);
  // Sideways amplitude trunc(8 x 50 x 0.1) = 40 pixels; phase 1 starts at entry 511.
  yel::RasterWave(target.data(), 8, 8, source.data(), 8, 8, 1.0f, 50.0f, 0.0f);
  // Row 0: (40 x -804) >> 16 = -1, so the row moves right and its first pixel is left as it was.
  EXPECT_EQ(Pixels(target.begin(), target.begin() + 8), (Pixels{kUnwritten, 0, 1, 2, 3, 4, 5, 6}));
  // Row 1: entry 0, no shift. Row 7: (40 x 4821) >> 16 = 2 to the left.
  EXPECT_EQ(Pixels(target.begin() + 8, target.begin() + 16),
            (Pixels{8, 9, 10, 11, 12, 13, 14, 15}));
  EXPECT_EQ(Pixels(target.begin() + 56, target.end()),
            (Pixels{58, 59, 60, 61, 62, 63, kUnwritten, kUnwritten}));
}

}  // namespace
