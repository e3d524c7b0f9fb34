// The sample game's images, built by imgbuild at build time, decode: every "GE" mode and the
// delta image on its base.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "tests/graphics/image_test_support.h"

namespace graphics_test {
namespace {

Bytes ReadSample(const std::string& name) {
  std::ifstream in(std::string(SAMPLE_IMAGE_DIR) + "/" + name, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(SampleImages, DecodeAndTakeTheirDelta) {
  for (const char* name : {"BG01.mkt", "EVENT01.mkt", "CHARA01.mkt", "BUTTON.mkt"}) {
    EXPECT_TRUE(Decode(ReadSample(name)).ok) << name;
  }
  Decoded figure = Decode(ReadSample("CHARA01.mkt"));
  ASSERT_TRUE(figure.ok);
  EXPECT_EQ(figure.header.x, 512);
  const Bytes delta = ReadSample("CHARA01B.mkt");
  yel::DeltaHeader header;
  ASSERT_TRUE(yel::DeltaReadHeader(delta.data(), delta.size(), header));
  EXPECT_EQ(header.base_name, "CHARA01.mkt");
  const std::vector<uint32_t> open_eyes = figure.pixels;
  ASSERT_TRUE(yel::DeltaApply(delta.data(), delta.size(), figure.pixels.data(), figure.header.width,
                              figure.header.height, figure.header.width));
  EXPECT_NE(figure.pixels, open_eyes);
}

}  // namespace
}  // namespace graphics_test
