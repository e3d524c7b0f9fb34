// PNG and JPEG through the platform's codecs: alpha kept, JFIF and EXIF starts both recognised,
// damaged files refused.
#include <gtest/gtest.h>

#include <cstdlib>

#include "os/picture_codecs.h"
#include "tests/graphics/image_test_support.h"

namespace graphics_test {
namespace {

Bytes Png(const imgbuild::Picture& picture) {
  Bytes file;
  EXPECT_TRUE(
      os::PngEncode(picture.pixels.data(), picture.width, picture.height, picture.width, file));
  return file;
}

// Flat grey 16 x 16 blocks: no chroma to subsample, so a high-quality JPEG stays within a step or
// two of the source.
imgbuild::Picture Blocks(int32_t width, int32_t height) {
  imgbuild::Picture picture{width, height, std::vector<uint32_t>(size_t(width) * height)};
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      const uint32_t block = uint32_t(x / 16 + 3 * (y / 16));
      picture.pixels[size_t(y) * width + x] = 0xFF000000u | (20 + block * 40) * 0x010101u;
    }
  }
  return picture;
}

Bytes Jpeg(const imgbuild::Picture& picture) {
  Bytes file;
  EXPECT_TRUE(os::JpegEncode(picture.pixels.data(), picture.width, picture.height, picture.width,
                             100, file));
  return file;
}

// The same image with its JFIF segment (APP0) replaced by an EXIF one (APP1), as cameras write.
Bytes AsExif(const Bytes& jfif) {
  const size_t app0 = 2 + 2 + (size_t(jfif[4]) << 8 | jfif[5]);
  const Bytes exif_payload = {'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 42, 0, 8, 0, 0, 0, 0, 0};
  Bytes out = {0xFF, 0xD8, 0xFF, 0xE1, 0, uint8_t(exif_payload.size() + 2)};
  out.insert(out.end(), exif_payload.begin(), exif_payload.end());
  out.insert(out.end(), jfif.begin() + app0, jfif.end());
  return out;
}

int MostApart(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
  int most = 0;
  for (size_t k = 0; k < a.size(); ++k) {
    for (int shift : {0, 8, 16, 24}) {
      most = std::max(most, std::abs(int(a[k] >> shift & 0xFF) - int(b[k] >> shift & 0xFF)));
    }
  }
  return most;
}

TEST(PictureFormats, PngKeepsEveryPixelAndAlpha) {
  const imgbuild::Picture picture = TestPicture(37, 11);
  const Decoded image = Decode(Png(picture));
  ASSERT_TRUE(image.ok);
  EXPECT_EQ(image.header.format, yel::ImageFormat::kPng);
  EXPECT_EQ(image.pixels, picture.pixels);
}

TEST(PictureFormats, JfifAndExifJpegDecodeAlike) {
  const imgbuild::Picture picture = Blocks(48, 32);
  const Bytes jfif = Jpeg(picture);
  ASSERT_EQ(jfif[3], 0xE0);
  const Bytes exif = AsExif(jfif);
  const Decoded from_jfif = Decode(jfif), from_exif = Decode(exif);
  ASSERT_TRUE(from_jfif.ok);
  ASSERT_TRUE(from_exif.ok);
  EXPECT_EQ(from_exif.header.format, yel::ImageFormat::kJpeg);
  EXPECT_EQ(from_exif.header.width, 48);
  EXPECT_EQ(from_exif.pixels, from_jfif.pixels);
  EXPECT_LE(MostApart(from_jfif.pixels, picture.pixels), 3);
}

TEST(PictureFormats, RefusesDamagedFiles) {
  const Bytes png = Png(TestPicture(20, 20));
  const Bytes jpeg = Jpeg(Blocks(32, 32));
  Bytes bad_crc = png;
  bad_crc[40] ^= 0xFF;  // inside the header chunk or the first data chunk
  for (const Bytes& file : {Bytes(png.begin(), png.begin() + png.size() / 2), bad_crc,
                            Bytes(jpeg.begin(), jpeg.begin() + jpeg.size() / 2),
                            Bytes(jpeg.begin(), jpeg.begin() + 20)}) {
    EXPECT_FALSE(Decode(file).ok) << file.size() << " bytes";
  }
}

}  // namespace
}  // namespace graphics_test
