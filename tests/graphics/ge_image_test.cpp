// "GE" images and their LZ stream: hand-made byte streams for each token kind, encoder round trips
// for every mode, and damaged files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "YEL/graphics/image_lz.h"
#include "tests/graphics/image_test_support.h"
#include "tools/image_builder/lz_writer.h"

namespace graphics_test {
namespace {

std::string Expand(const Bytes& stream, size_t size, bool* ok = nullptr) {
  std::string out(size, '\0');
  const bool expanded = yel::ImageLzDecompress(reinterpret_cast<uint8_t*>(out.data()), size,
                                               stream.data(), stream.size());
  if (ok) *ok = expanded;
  return expanded ? out : std::string("<refused>");
}

TEST(ImageLz, EachTokenKind) {
  struct Case {
    const char* what;
    Bytes stream;
    std::string expected;
  };
  const Case cases[] = {
      {"literal run", {0x00, 3, 'a', 'b', 'c'}, "abc"},
      {"empty literal uses a flag bit", {0x00, 0, 2, 'x', 'y'}, "xy"},
      {"short match, distance 1, length 11", {0x02, 1, 'a', 0x1F, 0x00}, std::string(12, 'a')},
      {"short match of 4", {0x02, 2, 'a', 'b', 0x28, 0x00}, "ababab"},
      // distance 4, 3 units and 2 single bytes: X = (units - 1) << 2 | 2.
      {"long match with tail",
       {0x02, 4, 'a', 'b', 'c', 'd', 0x40, 0x00, 0x0A},
       "abcdabcdabcdabcdab"},
      {"flag byte after the eighth token",
       {0x00, 1, '1', 1, '2', 1, '3', 1, '4', 1, '5', 1, '6', 1, '7', 1, '8', 0x01, 0x18, 0x00},
       "123456788888"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Expand(c.stream, c.expected.size()), c.expected) << c.what;
  }
}

TEST(ImageLz, RefusesStreamsThatLeaveTheBuffer) {
  struct Case {
    const char* what;
    Bytes stream;
    size_t size;
  };
  const Case cases[] = {
      {"distance 0", {0x02, 1, 'a', 0x08, 0x00}, 5},
      {"distance before the start", {0x02, 1, 'a', 0x28, 0x00}, 5},
      {"long match closer than 4 bytes", {0x02, 2, 'a', 'b', 0x20, 0x00, 0x04}, 10},
      {"literal passing N", {0x00, 4, 'a', 'b', 'c', 'd'}, 3},
      {"match passing N", {0x02, 1, 'a', 0x1F, 0x00}, 6},
      {"literal longer than the stream", {0x00, 5, 'a', 'b'}, 5},
      {"stream ends inside a match", {0x02, 1, 'a', 0x1F}, 12},
      {"stream ends before N", {0x00, 1, 'a'}, 2},
  };
  for (const Case& c : cases) {
    bool ok = true;
    Expand(c.stream, c.size, &ok);
    EXPECT_FALSE(ok) << c.what;
  }
}

TEST(ImageLz, CompressorOutputExpandsBack) {
  Bytes data(20000);
  for (size_t i = 0; i < data.size(); ++i) data[i] = uint8_t(i < 3000 ? i * 31 % 251 : i / 97);
  data.insert(data.end(), 5000, 0x55);  // distance 1 runs become short matches
  const Bytes stream = imgbuild::LzCompress(data);
  EXPECT_LT(stream.size(), data.size() / 2);
  bool ok = false;
  EXPECT_EQ(Expand(stream, data.size(), &ok), std::string(data.begin(), data.end()));
  EXPECT_TRUE(ok);
}

// A "GE" file with a 30-byte header around a given payload.
Bytes GeFile(int32_t width, int32_t height, int mode, uint32_t count, const Bytes& stream) {
  Bytes file(38, 0);
  file[0] = 'G';
  file[1] = 'E';
  file[2] = 30;
  std::memcpy(&file[12], &width, 4);
  std::memcpy(&file[16], &height, 4);
  file[28] = uint8_t(mode);
  std::memcpy(&file[30], &count, 4);
  file.insert(file.end(), stream.begin(), stream.end());
  return file;
}

Bytes Literal(const Bytes& data) {
  imgbuild::LzTokenWriter writer;
  for (size_t at = 0; at < data.size(); at += 255) {
    writer.Literal(&data[at], uint8_t(std::min<size_t>(255, data.size() - at)));
  }
  return writer.Finish();
}

TEST(GeImage, HandMadePlanesAndRawPixels) {
  // Mode 1, 2x1: planes A, R, G, B.
  const Decoded planes = Decode(GeFile(2, 1, 1, 8, Literal({0xFF, 0x80, 1, 2, 3, 4, 5, 6})));
  ASSERT_TRUE(planes.ok);
  EXPECT_EQ(planes.pixels, (std::vector<uint32_t>{0xFF010305, 0x80020406}));
  // Mode 0, 1x2: bytes B, G, R, A after the two words.
  const Decoded raw = Decode(GeFile(1, 2, 0, 0, {1, 2, 3, 4, 5, 6, 7, 8}));
  ASSERT_TRUE(raw.ok);
  EXPECT_EQ(raw.pixels, (std::vector<uint32_t>{0x04030201, 0x08070605}));
}

TEST(GeImage, YccBlocksAndUntouchedOddRow) {
  // 4x3: Cb and Cr of 12 / 4 samples, then 12 luma values; two blocks cover the top two rows.
  Bytes planes = {16, 0, 0, 0xF0, 127, 0};
  const Bytes luma = {100, 100, 250, 0, 100, 100, 250, 250, 9, 9, 9, 9};
  planes.insert(planes.end(), luma.begin(), luma.end());
  const Decoded image = Decode(GeFile(4, 3, 2, uint32_t(planes.size()), Literal(planes)), 0x11);
  ASSERT_TRUE(image.ok);
  // Block 0: Cb 16, Cr -16: R = Y - 23, G = Y + 5, B = Y + 28.
  EXPECT_EQ(image.pixels[0], 0xFF4D6980u);
  EXPECT_EQ(image.pixels[5], 0xFF4D6980u);
  // Block 1: Cb 0, Cr 127: R clamps at 255 (250 + 177), G = Y - 89.
  EXPECT_EQ(image.pixels[2], 0xFFFFA1FAu);
  EXPECT_EQ(image.pixels[3], 0xFFB10000u);  // Y 0: R 177, G clamps at 0
  for (int x = 0; x < 4; ++x) EXPECT_EQ(image.pixels[8 + x], 0x11u) << "third row";
  // A 2x1 image has no whole block and is left as it was.
  const Decoded thin = Decode(GeFile(2, 1, 2, 2, Literal({5, 5})), 0x11);
  ASSERT_TRUE(thin.ok);
  EXPECT_EQ(thin.pixels, (std::vector<uint32_t>{0x11, 0x11}));
}

TEST(GeImage, RowFilterHandMade) {
  // Mode 3, 24 bits, 2x2: row 0 left filter, row 1 average.
  Bytes data = {0, 0, 24, 0, 2, 0, 2, 0, 1, 4};
  const Bytes residuals = {10, 20, 30, 0xFF, 0xFE, 0xFD,  // 10,20,30 then 11,22,33
                           1,  2,  3,  0xFB, 0,    1};    // 1,2,3 then avg(1,11)+5 ...
  data.insert(data.end(), residuals.begin(), residuals.end());
  const Decoded image = Decode(GeFile(2, 2, 3, uint32_t(data.size()), Literal(data)));
  ASSERT_TRUE(image.ok);
  EXPECT_EQ(image.pixels, (std::vector<uint32_t>{0xFF1E140A, 0xFF21160B, 0xFF030201, 0xFF110C0B}));
}

struct ModeCase {
  int mode;
  int bits;
};

class GeRoundTrip : public testing::TestWithParam<ModeCase> {};

TEST_P(GeRoundTrip, DecodeGivesBackThePixels) {
  for (auto [width, height] : {std::pair{1, 1}, {3, 5}, {64, 33}, {300, 2}}) {
    const imgbuild::Picture picture = TestPicture(width, height);
    imgbuild::GeOptions options;
    options.mode = GetParam().mode;
    options.bits_per_pixel = GetParam().bits;
    options.x = -5;
    options.y = 7;
    options.cell_width = 1;
    Bytes file;
    std::string error;
    ASSERT_TRUE(imgbuild::WriteGeImage(picture, options, file, error)) << error;
    const Decoded image = Decode(file);
    ASSERT_TRUE(image.ok) << width << "x" << height;
    EXPECT_EQ(image.header.x, -5);
    EXPECT_EQ(image.header.y, 7);
    EXPECT_EQ(image.header.cell_width, 1);
    EXPECT_EQ(image.header.cell_height, height);
    std::vector<uint32_t> expected = picture.pixels;
    if (options.mode == 3 && options.bits_per_pixel == 24) {
      for (uint32_t& pixel : expected) pixel |= 0xFF000000u;
    }
    EXPECT_EQ(image.pixels, expected) << width << "x" << height;
  }
}

INSTANTIATE_TEST_SUITE_P(Modes, GeRoundTrip,
                         testing::Values(ModeCase{0, 32}, ModeCase{1, 32}, ModeCase{3, 24},
                                         ModeCase{3, 32}));

uint32_t ExpectedYcc(int luma, int cb, int cr) {
  auto clamp = [](int v) { return uint32_t(std::clamp(v, 0, 255)); };
  const int r = int(std::floor(179.0 * cr / 128)),
            g = int(std::floor((-43.0 * cb - 89.0 * cr) / 128));
  const int b = int(std::floor(226.0 * cb / 128));
  return 0xFF000000u | clamp(luma + r) << 16 | clamp(luma + g) << 8 | clamp(luma + b);
}

TEST(GeImage, YccRoundTripMatchesTheQuantisedPlanes) {
  const int32_t width = 40, height = 18;
  const imgbuild::Picture picture = TestPicture(width, height, 9);
  imgbuild::GeOptions options;
  options.mode = 2;
  Bytes file;
  std::string error;
  ASSERT_TRUE(imgbuild::WriteGeImage(picture, options, file, error)) << error;
  const Decoded image = Decode(file);
  ASSERT_TRUE(image.ok);
  const Bytes planes = imgbuild::YccPlanes(picture);
  const size_t quarter = size_t(width) * height / 4;
  int worst = 0;
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      const size_t block = size_t(y / 2) * (width / 2) + x / 2, k = size_t(y) * width + x;
      const uint32_t want = ExpectedYcc(planes[2 * quarter + k], int8_t(planes[block]),
                                        int8_t(planes[quarter + block]));
      ASSERT_EQ(image.pixels[k], want) << x << "," << y;
      if (x > width / 3 || y > height / 3) {  // blocks clear of the noisy patch stay close
        for (int shift : {0, 8, 16}) {
          worst = std::max(
              worst, std::abs(int(want >> shift & 0xFF) - int(picture.pixels[k] >> shift & 0xFF)));
        }
      }
    }
  }
  EXPECT_LE(worst, 24);
}

TEST(GeImage, RefusesDamagedFiles) {
  const int32_t huge = 0x10000;
  Bytes first_row_up = {0, 0, 32, 0, 1, 0, 2, 0, 2, 2, 1, 2, 3, 4, 1, 2, 3, 4};
  struct Case {
    const char* what;
    Bytes file;
  };
  const Case cases[] = {
      {"width x height past 32 bits", GeFile(huge, huge, 1, 0, {})},
      {"negative width", GeFile(-4, 4, 0, 0, Bytes(64))},
      {"byte count over 64 MiB", GeFile(4, 4, 1, (64u << 20) + 1, Literal(Bytes(64)))},
      {"byte count short of the planes", GeFile(2, 2, 1, 15, Literal(Bytes(15)))},
      {"unknown mode", GeFile(1, 1, 7, 4, Literal(Bytes(4)))},
      {"first row filtered from above", GeFile(1, 2, 3, 18, Literal(first_row_up))},
      {"row-filter size differs",
       GeFile(1, 3, 3, 19,
              Literal(Bytes{0, 0, 32, 0, 1, 0, 2, 0, 0, 0, 0, 1, 2, 3, 4, 1, 2, 3, 4}))},
      {"raw pixels cut short", GeFile(2, 2, 0, 0, Bytes(15))},
  };
  for (const Case& c : cases) EXPECT_FALSE(Decode(c.file).ok) << c.what;
}

TEST(GeImage, EveryTruncationIsRefused) {
  for (int mode : {0, 1, 2, 3}) {
    imgbuild::GeOptions options;
    options.mode = mode;
    Bytes file;
    std::string error;
    ASSERT_TRUE(imgbuild::WriteGeImage(TestPicture(6, 4), options, file, error));
    // The last byte may be the flag byte that follows an eighth token and announces nothing.
    for (size_t size = 0; size + 1 < file.size(); ++size) {
      const Bytes cut(file.begin(), file.begin() + size);
      EXPECT_FALSE(Decode(cut).ok) << "mode " << mode << " cut at " << size;
    }
  }
}

}  // namespace
}  // namespace graphics_test
