// The main program's own image routines: TGA and BMP masks decoded from bytes built here, the
// files it refuses (each a few bytes off a good one), a short fuzz run over damaged files, and
// the bilinear and nearest scaling with sizes that reach past either image.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <mutex>
#include <random>
#include <string>
#include <vector>

#include "program/layers/image_decode.h"
#include "program/layers/image_stretch.h"
#include "program/script/engine_log.h"
#include "program/startup/yel_import.h"

namespace {

using Bytes = std::vector<uint8_t>;

void Put16(Bytes& b, size_t at, uint32_t v) {
  b[at] = v & 0xFF, b[at + 1] = v >> 8 & 0xFF;
}
void Put32(Bytes& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = v >> (8 * i) & 0xFF;
}

// A TGA of the given type and depth; `rows` holds the file rows, bottom row first.
Bytes Tga(uint32_t width, uint32_t height, uint8_t bits, const Bytes& rows, uint8_t type = 0) {
  Bytes b(18, 0);
  b[2] = type ? type : (bits == 8 ? 3 : 2);
  Put16(b, 12, width);
  Put16(b, 14, height);
  b[16] = bits;
  b.insert(b.end(), rows.begin(), rows.end());
  return b;
}

// A BMP: headers, `palette` (4 bytes per entry) and the rows, bottom row first, as given.
Bytes Bmp(int32_t width, int32_t height, uint16_t bits, const Bytes& rows,
          const Bytes& palette = {}) {
  Bytes b(54, 0);
  b[0] = 'B', b[1] = 'M';
  Put32(b, 10, static_cast<uint32_t>(54 + palette.size()));
  Put32(b, 14, 40);
  Put32(b, 18, static_cast<uint32_t>(width));
  Put32(b, 22, static_cast<uint32_t>(height));
  Put16(b, 26, 1);
  Put16(b, 28, bits);
  b.insert(b.end(), palette.begin(), palette.end());
  b.insert(b.end(), rows.begin(), rows.end());
  return b;
}

std::mutex g_lines_lock;
std::vector<std::string> g_lines;

class ImageDecode : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(yel::LoadLibraryFrom(YEL_LIBRARY));
    g_lines.clear();
    adv::SetLogObserver([](int32_t, const char* line) {
      std::lock_guard lock(g_lines_lock);
      g_lines.emplace_back(line);
    });
  }
  void TearDown() override { adv::SetLogObserver(nullptr); }
  bool Logged(const std::string& text) {
    std::lock_guard lock(g_lines_lock);
    for (const std::string& line : g_lines) {
      if (line.find(text) != std::string::npos) return true;
    }
    return false;
  }
  adv::DecodedImage image;
};

TEST_F(ImageDecode, ReadsEachDepthBottomRowFirst) {
  struct Case {
    const char* what;
    Bytes file;
    std::vector<uint32_t> pixels;  // top row first
  } cases[] = {
      // Rows of 6 bytes padded to 8; the file's first row is the picture's bottom row.
      {"24-bit BMP",
       Bmp(2, 2, 24, {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0}),
       {0xFF090807, 0xFF0C0B0A, 0xFF030201, 0xFF060504}},
      {"32-bit BMP", Bmp(1, 2, 32, {1, 2, 3, 0x40, 5, 6, 7, 0x80}), {0x80070605, 0x40030201}},
      // Palette entries are blue, green, red, unused; rows of one byte padded to four.
      {"8-bit BMP",
       Bmp(1, 2, 8, {1, 0, 0, 0, 0, 0, 0, 0}, {10, 20, 30, 0, 40, 50, 60, 0}),
       {0xFF1E140A, 0xFF3C3228}},
      {"grey TGA", Tga(2, 1, 8, {0x80, 0x00}), {0xFF808080, 0xFF000000}},
      {"24-bit TGA", Tga(1, 2, 24, {1, 2, 3, 4, 5, 6}), {0xFF060504, 0xFF030201}},
      {"32-bit TGA", Tga(1, 1, 32, {1, 2, 3, 4}), {0x04030201}},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(adv::AdvDecodeTgaBmp(&image, c.file.data(), c.file.size()), 1) << c.what;
    EXPECT_EQ(image.pixels, c.pixels) << c.what;
    EXPECT_EQ(image.width * image.height, c.pixels.size()) << c.what;
  }
}

TEST_F(ImageDecode, TheIdentificationFieldIsPassedOver) {
  Bytes file = Tga(1, 1, 8, {0x77});
  file[0] = 3;
  file.insert(file.begin() + 18, {9, 9, 9});
  ASSERT_EQ(adv::AdvDecodeTgaBmp(&image, file.data(), file.size()), 1);
  EXPECT_EQ(image.pixels[0], 0xFF777777u);
}

TEST_F(ImageDecode, RefusesWhatDoesNotFit) {
  const Bytes good_bmp = Bmp(2, 2, 24, Bytes(16, 0));
  const Bytes good_tga = Tga(2, 2, 32, Bytes(16, 0));
  struct Case {
    const char* what;
    std::function<Bytes()> make;
    const char* message;  // logged, or null
  } cases[] = {
      {"empty", [] { return Bytes{}; }, nullptr},
      {"truncated BMP header", [&] { return Bytes(good_bmp.begin(), good_bmp.begin() + 30); },
       nullptr},
      {"truncated TGA header", [&] { return Bytes(good_tga.begin(), good_tga.begin() + 17); },
       nullptr},
      {"BMP rows cut short", [&] { return Bytes(good_bmp.begin(), good_bmp.end() - 1); }, nullptr},
      {"TGA rows cut short", [&] { return Bytes(good_tga.begin(), good_tga.end() - 1); }, nullptr},
      {"pixel offset past the end",
       [&] {
         Bytes b = good_bmp;
         Put32(b, 10, 0xFFFFFFF0);
         return b;
       },
       nullptr},
      {"huge BMP sizes",
       [&] {
         Bytes b = good_bmp;
         Put32(b, 18, 0x7FFFFFFF);
         Put32(b, 22, 0x7FFFFFFF);
         return b;
       },
       nullptr},
      {"huge TGA sizes",
       [&] {
         Bytes b = good_tga;
         Put16(b, 12, 0xFFFF);
         Put16(b, 14, 0xFFFF);
         return b;
       },
       nullptr},
      {"zero width", [] { return Tga(0, 2, 8, {}); }, nullptr},
      {"top-down BMP", [] { return Bmp(1, -1, 32, Bytes(4, 0)); }, nullptr},
      {"compressed BMP",
       [&] {
         Bytes b = good_bmp;
         Put32(b, 30, 1);
         return b;
       },
       nullptr},
      {"compressed TGA", [] { return Tga(1, 1, 32, Bytes(4, 0), 10); }, nullptr},
      {"colour-mapped TGA",
       [] {
         Bytes b = Tga(1, 1, 8, {0}, 1);
         b[1] = 1;
         return b;
       },
       "err : match / tga index color"},
      {"16-bit TGA",
       [] {
         return Tga(1, 1, 16, {0, 0});
       },
       "err : load memory / bloken?"},
      {"1-bit BMP", [] { return Bmp(1, 1, 1, Bytes(4, 0)); }, "err : load memory / bloken?"},
      {"palette index past the end",
       [] {
         return Bmp(1, 1, 8, {200, 0, 0, 0}, {1, 2, 3, 0});
       },
       nullptr},
  };
  for (const Case& c : cases) {
    g_lines.clear();
    const Bytes file = c.make();
    image.pixels = {1, 2, 3};
    EXPECT_EQ(adv::AdvDecodeTgaBmp(&image, file.data(), file.size()), 0) << c.what;
    EXPECT_TRUE(image.pixels.empty()) << c.what;
    EXPECT_EQ(image.width, 0u) << c.what;
    if (c.message) {
      EXPECT_TRUE(Logged(c.message)) << c.what;
    }
  }
}

// Damaged copies of good files: each decode either refuses or gives a whole block of the sizes
// it reports (the sanitizer build catches any read outside the bytes).
TEST_F(ImageDecode, DamagedFilesNeverReadOutside) {
  const std::vector<Bytes> seeds = {
      Bmp(3, 2, 24, Bytes(24, 0x55)), Bmp(2, 2, 8, Bytes(8, 1), Bytes(8, 9)),
      Bmp(2, 1, 32, Bytes(8, 7)),     Tga(3, 2, 8, Bytes(6, 0x80)),
      Tga(2, 2, 24, Bytes(12, 3)),    Tga(2, 1, 32, Bytes(8, 4)),
  };
  std::mt19937 random(26);
  for (int run = 0; run < 20000; ++run) {
    Bytes file = seeds[run % seeds.size()];
    const int changes = 1 + static_cast<int>(random() % 4);
    for (int i = 0; i < changes; ++i) file[random() % file.size()] = random() & 0xFF;
    if (random() % 4 == 0) file.resize(random() % (file.size() + 1));
    // An exact-size copy, so reading one byte past it is an error the sanitizer sees.
    std::vector<uint8_t> exact(file);
    if (adv::AdvDecodeTgaBmp(&image, exact.data(), exact.size())) {
      ASSERT_EQ(image.pixels.size(), size_t{image.width} * image.height);
      ASSERT_LE(image.pixels.size(), exact.size() * 4);
    }
  }
}

TEST(ImageStretch, BilinearDoublingRepeatsTheEdge) {
  const uint32_t source[2] = {0xFF000000, 0xFFFFFFFF};
  uint32_t out[4] = {};
  adv::AdvStretchBlt32(out, 4, 1, source, 2, 1, 2.0f, 2.0f);
  EXPECT_EQ(out[0], 0xFF000000u);
  EXPECT_EQ(out[1], 0xFF7F7F7Fu);  // halfway: (0 x 64 + 255 x 64) x 128 >> 14
  EXPECT_EQ(out[2], 0xFFFFFFFFu);
  EXPECT_EQ(out[3], 0xFFFFFFFFu);  // the last column repeats the edge
}

TEST(ImageStretch, OutputIsCutToTheDestination) {
  std::vector<uint32_t> source(4 * 4, 0xFF102030);
  // A guard word after the 3 x 2 destination stays untouched.
  std::vector<uint32_t> out(3 * 2 + 1, 0);
  adv::AdvStretchBlt32(out.data(), 3, 2, source.data(), 4, 4, 2.0f, 2.0f);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(out[i], 0xFF102030u) << i;
  EXPECT_EQ(out[6], 0u);
}

TEST(ImageStretch, ZeroAndNegativeScalesChangeNothing) {
  const uint32_t source[4] = {1, 2, 3, 4};
  for (float scale : {0.0f, -1.0f, 0.1f}) {
    uint32_t out[4] = {};
    adv::AdvStretchBlt32(out, 2, 2, source, 2, 2, scale, scale);
    EXPECT_EQ(out[0], 0u) << scale;
  }
}

TEST(ImageStretch, NearestReadsOnlyInsideACutSource) {
  // A source area said to be 4 wide, of which the image holds 2: the rest is not read.
  std::vector<uint32_t> image = {1, 2, 3, 4};
  std::vector<uint32_t> out(8 * 2, 0);
  adv::PixelArea d{out.data(), 8, 8, 2};
  adv::ConstPixelArea s{image.data(), 2, 2, 2};
  adv::StretchNearest(d, s, 2.0f, 1.0f);
  EXPECT_EQ(out[0], 1u);
  EXPECT_EQ(out[1], 1u);
  EXPECT_EQ(out[2], 2u);
  EXPECT_EQ(out[3], 2u);
  EXPECT_EQ(out[4], 0u);  // past the source's two columns
  EXPECT_EQ(out[8], 3u);
}

}  // namespace
