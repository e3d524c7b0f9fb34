// Random, truncated and bit-flipped images of every format must be refused or decoded without a
// fault; run under the sanitizer build to catch a stray read or write.
#include <gtest/gtest.h>

#include <random>

#include "os/picture_codecs.h"
#include "tests/graphics/image_test_support.h"

namespace graphics_test {
namespace {

constexpr int64_t kMaxFuzzPixels = 1 << 20;

void TryDecode(const Bytes& file) {
  yel::ImageHeader header;
  if (yel::ImageReadHeader(file.data(), file.size(), header) &&
      int64_t(header.width) * header.height <= kMaxFuzzPixels) {
    std::vector<uint32_t> pixels(size_t(header.width) * header.height);
    yel::ImageDecode(file.data(), file.size(), pixels.data(), header.width);
  }
  std::vector<uint32_t> base(64 * 64);
  yel::DeltaApply(file.data(), file.size(), base.data(), 64, 64, 64);
}

std::vector<Bytes> ValidFiles() {
  const imgbuild::Picture picture = TestPicture(23, 14);
  std::vector<Bytes> files;
  std::string error;
  for (int mode : {0, 1, 2, 3}) {
    imgbuild::GeOptions options;
    options.mode = mode;
    options.bits_per_pixel = mode == 3 ? 24 : 32;
    const imgbuild::Picture even = TestPicture(24, 14);
    Bytes file;
    EXPECT_TRUE(imgbuild::WriteGeImage(mode == 2 ? even : picture, options, file, error));
    files.push_back(file);
  }
  imgbuild::Picture changed = picture;
  for (size_t k = 30; k < 200; ++k) changed.pixels[k] ^= 0x01020304u * uint32_t(k);
  for (int bits : {24, 32}) {
    Bytes file;
    EXPECT_TRUE(imgbuild::WriteDeltaImage(picture, changed, bits, "BASE.GE", file, error));
    files.push_back(file);
  }
  Bytes png, jpeg;
  EXPECT_TRUE(os::PngEncode(picture.pixels.data(), 23, 14, 23, png));
  EXPECT_TRUE(os::JpegEncode(picture.pixels.data(), 23, 14, 23, 80, jpeg));
  files.push_back(png);
  files.push_back(jpeg);
  Bytes bmp = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40,
               0,   0,   0, 5, 0, 0, 0, 3, 0, 0, 0,  1, 0, 24};
  bmp.resize(54 + 16 * 3, 0x5A);
  files.push_back(bmp);
  Bytes tga = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 4, 0, 3, 0, 32, 0};
  tga.resize(18 + 48, 0xA5);
  files.push_back(tga);
  return files;
}

TEST(DecoderFuzz, TruncatedAndFlippedFilesNeverFault) {
  std::mt19937 random(12);
  for (const Bytes& file : ValidFiles()) {
    for (size_t size = 0; size <= file.size(); size += 1 + size / 16) {
      TryDecode(Bytes(file.begin(), file.begin() + size));
    }
    for (int round = 0; round < 300; ++round) {
      Bytes flipped = file;
      const int flips = 1 + int(random() % 4);
      for (int i = 0; i < flips; ++i)
        flipped[random() % flipped.size()] ^= uint8_t(1 << random() % 8);
      TryDecode(flipped);
    }
  }
}

TEST(DecoderFuzz, RandomBytesBehindEachMagicNeverFault) {
  std::mt19937 random(34);
  const Bytes magics[] = {{'G', 'E'},
                          {'M', 'K', 'T', '2'},
                          {0x89, 'P', 'N', 'G', 13, 10, 26, 10},
                          {0xFF, 0xD8, 0xFF},
                          {'B', 'M'},
                          {0, 0, 2},
                          {}};
  for (const Bytes& magic : magics) {
    for (int round = 0; round < 400; ++round) {
      Bytes file = magic;
      const size_t extra = random() % 200;
      for (size_t i = 0; i < extra; ++i) file.push_back(uint8_t(random()));
      TryDecode(file);
    }
  }
}

}  // namespace
}  // namespace graphics_test
