// Sprite textures: filter options and their undo, paint, saves, and copies between sprites.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "YEL/graphics/sprite.h"
#include "YEL/render/render.h"
#include "os/picture_codecs.h"
#include "tests/yel/file_test_support.h"
#include "tests/yel/sprite_test_support.h"

namespace {

namespace fs = std::filesystem;
using Pixels = std::vector<uint32_t>;

class SpriteTextureTest : public spritetest::DrawingFixture {
 protected:
  void TearDown() override {
    for (YelSprite* sprite : made_) YelSpriteRelease(render_, sprite);
    DrawingFixture::TearDown();
  }
  YelSprite* Make(int32_t width, int32_t height, const Pixels& pixels) {
    const std::string image = spritetest::GeRaw(width, height, pixels);
    YelSprite* sprite = YelSpriteLoadMemory(render_, "texture", image.data(),
                                            static_cast<uint32_t>(image.size()), 0);
    EXPECT_NE(sprite, nullptr);
    if (sprite) made_.push_back(sprite);
    return sprite;
  }
  YelSprite* Filled(int32_t width, int32_t height, uint32_t colour) {
    return Make(width, height, Pixels(static_cast<size_t>(width) * height, colour));
  }
  static Pixels Read(YelSprite* sprite) {
    int32_t w = 0, h = 0;
    const uint32_t* p = yel::TextureLockPixels(sprite->texture, &w, &h);
    Pixels out(p, p + static_cast<size_t>(w) * h);
    yel::TextureUnlockPixels(sprite->texture, false);
    return out;
  }
  std::vector<YelSprite*> made_;
};

const Pixels kColours = {0xFF804020, 0x80FF0000, 0x00123456, 0xFF00FF00};

TEST_F(SpriteTextureTest, SepiaThenGreyThenUndoRestoresTheOriginal) {
  YelSprite* sprite = Make(2, 2, kColours);
  ASSERT_EQ(YelSpriteSetOption(sprite, 1), 1);
  // Y of 0x804020 = (0x20 + 3 x 0x80 + 6 x 0x40) / 10 = 80, sepia entry 80 is 0x825F3D.
  EXPECT_EQ(Read(sprite)[0], 0xFF825F3Du);
  ASSERT_EQ(YelSpriteSetOption(sprite, 2), 1);
  // The grey builds on the sepia: (0x3D + 3 x 0x82 + 6 x 0x5F) / 10 = 102.
  EXPECT_EQ(Read(sprite)[0], 0xFF666666u);
  EXPECT_EQ(Read(sprite)[1] >> 24, 0x80u);  // alpha kept
  EXPECT_EQ(sprite->option_code, 2);
  ASSERT_EQ(YelSpriteSetOption(sprite, 0), 1);
  EXPECT_EQ(Read(sprite), kColours);
  EXPECT_EQ(sprite->filter_backup.pixels, nullptr);
}

TEST_F(SpriteTextureTest, UndoWithoutAFilterFailsAndUnknownCodesChangeNothing) {
  YelSprite* sprite = Make(2, 2, kColours);
  EXPECT_EQ(YelSpriteSetOption(sprite, 0), 0);
  EXPECT_EQ(yel::GetLastError(), yel::ERROR_INVALID_HANDLE);
  for (int32_t code : {5, 0x905, 0x106, -1}) {
    EXPECT_EQ(YelSpriteSetOption(sprite, code), 1) << code;
    EXPECT_EQ(Read(sprite), kColours) << code;
  }
  EXPECT_EQ(YelSpriteSetOption(nullptr, 1), 0);
}

// Without room for the undo copy the filter is not applied, so nothing is lost.
TEST_F(SpriteTextureTest, AFilterWithoutRoomForItsCopyLeavesThePixels) {
  YelSprite* sprite = Make(2, 2, kColours);
  sprite->image_width = sprite->image_height = 1 << 17;  // a copy of 64 GiB
  EXPECT_EQ(YelSpriteSetOption(sprite, 2), 0);
  EXPECT_EQ(yel::GetLastError(), yel::ERROR_ACCESS_DENIED);
  EXPECT_EQ(Read(sprite), kColours);
  EXPECT_EQ(sprite->filter_backup.pixels, nullptr);
}

TEST_F(SpriteTextureTest, NegativeMakesColouredPixelsOpaqueAndBlurKeepsAFlatImage) {
  YelSprite* sprite = Make(2, 2, kColours);
  ASSERT_EQ(YelSpriteSetOption(sprite, 4), 1);
  EXPECT_EQ(Read(sprite), (Pixels{0xFF7FBFDF, 0xFF00FFFF, 0x00123456, 0xFFFF00FF}));
  YelSprite* flat = Filled(8, 8, 0xFF336699);
  ASSERT_EQ(YelSpriteSetOption(flat, 0x305), 1);
  EXPECT_EQ(Read(flat)[0], 0xFF336699u);
  ASSERT_EQ(YelSpriteSetOption(flat, 0), 1);
}

TEST_F(SpriteTextureTest, PaintFillsTheRectangleCutToTheTexture) {
  YelSprite* sprite = Filled(3, 2, 0);
  const YelRect rect{-5, 1, 2, 9};
  ASSERT_EQ(YelSpritePaint(sprite, &rect, 7), 1);
  EXPECT_EQ(Read(sprite), (Pixels{0, 0, 0, 7, 7, 0}));
  ASSERT_EQ(YelSpritePaint(sprite, nullptr, 9), 1);
  EXPECT_EQ(Read(sprite), Pixels(6, 9));
}

class SpriteSaveTest : public SpriteTextureTest {
 protected:
  void SetUp() override {
    SpriteTextureTest::SetUp();
    folder_ = fs::temp_directory_path() / ("yel_save_" + std::to_string(getpid()));
    fs::create_directories(folder_);
  }
  void TearDown() override {
    fs::remove_all(folder_);
    SpriteTextureTest::TearDown();
  }
  std::vector<uint8_t> FileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  fs::path folder_;
};

TEST_F(SpriteSaveTest, SavedFilesReadBack) {
  YelSprite* sprite = Make(2, 2, {0xFFFF0000, 0x80FF0000, 0x00FFFFFF, 0xFF0000FF});
  const fs::path png32 = folder_ / "a.png", png24 = folder_ / "b.png", jpeg = folder_ / "c.jpg";
  ASSERT_EQ(YelSpriteSaveTextureToPngFile(sprite, png32.c_str()), 1);
  ASSERT_EQ(YelSpriteSaveTextureToPng24File(sprite, png24.c_str()), 1);
  ASSERT_EQ(YelSpriteSaveTextureToFile(sprite, jpeg.c_str()), 1);
  Pixels out(4);
  std::vector<uint8_t> bytes = FileBytes(png32);
  ASSERT_TRUE(os::PngDecode(bytes.data(), bytes.size(), out.data(), 2));
  EXPECT_EQ(out, Read(sprite));
  bytes = FileBytes(png24);
  ASSERT_TRUE(os::PngDecode(bytes.data(), bytes.size(), out.data(), 2));
  // Opaque as it was, half alpha darkened by 128 / 255, transparent black.
  EXPECT_EQ(out, (Pixels{0xFFFF0000, 0xFF800000, 0xFF000000, 0xFF0000FF}));
  bytes = FileBytes(jpeg);
  int32_t w = 0, h = 0;
  ASSERT_TRUE(os::JpegReadSize(bytes.data(), bytes.size(), w, h));
  EXPECT_EQ(w, 2);
  EXPECT_EQ(h, 2);
  // A flat picture comes back within the loss of the format.
  YelSprite* flat = Filled(16, 16, 0xFF3080C0);
  ASSERT_EQ(YelSpriteSaveTextureToFile(flat, jpeg.c_str()), 1);
  bytes = FileBytes(jpeg);
  Pixels decoded(16 * 16);
  ASSERT_TRUE(os::JpegDecode(bytes.data(), bytes.size(), decoded.data(), 16));
  for (uint32_t p : decoded) {
    for (int shift : {0, 8, 16}) {
      const int got = p >> shift & 0xFF, want = 0x3080C0 >> shift & 0xFF;
      ASSERT_LE(std::abs(got - want), 4) << std::hex << p;
    }
  }
}

TEST_F(SpriteSaveTest, SavesIntoAMissingFolderFail) {
  YelSprite* sprite = Filled(2, 2, 0xFFFFFFFF);
  const fs::path path = folder_ / "missing" / "x.png";
  EXPECT_EQ(YelSpriteSaveTextureToFile(sprite, path.c_str()), 0);
  EXPECT_EQ(YelSpriteSaveTextureToPngFile(sprite, path.c_str()), 0);
  EXPECT_EQ(YelSpriteSaveTextureToPng24File(sprite, path.c_str()), 0);
  EXPECT_EQ(YelSpriteSaveTextureToPngFile(nullptr, (folder_ / "y.png").c_str()), 0);
  EXPECT_FALSE(fs::exists(folder_ / "y.png"));
}

TEST_F(SpriteSaveTest, ATextureIsReplacedFromAPlainFile) {
  YelSprite* saved = Make(2, 1, {0xFF010203, 0xFF040506});
  const fs::path png = folder_ / "p.png";
  ASSERT_EQ(YelSpriteSaveTextureToPngFile(saved, png.c_str()), 1);
  YelSprite* sprite = Filled(4, 4, 0);
  ASSERT_EQ(YelSpriteLoadTextureToFile(sprite, png.c_str()), 1);
  EXPECT_EQ(Read(sprite), (Pixels{0xFF010203, 0xFF040506}));
  EXPECT_EQ(YelSpriteLoadTextureToFile(sprite, (folder_ / "none.png").c_str()), 0);
}

TEST_F(SpriteTextureTest, CopiesAreCutToBothTextures) {
  const Pixels source_pixels = {1, 2, 3, 4, 5, 6};  // 3 x 2
  struct Case {
    int32_t x, y, source_x, source_y, width, height;
    Pixels expected;  // the 3 x 2 target, 0 where nothing was copied
  } cases[] = {
      {0, 0, 0, 0, 3, 2, {1, 2, 3, 4, 5, 6}},
      {2, 0, 0, 0, 3, 2, {0, 0, 1, 0, 0, 4}},    // past the right edge
      {-1, -1, 0, 0, 3, 2, {5, 6, 0, 0, 0, 0}},  // negative target corner
      {0, 0, -2, 0, 3, 2, {0, 0, 1, 0, 0, 4}},   // negative source corner moves the target
      {0, 0, 1, 1, 9, 9, {5, 6, 0, 0, 0, 0}},    // past the source's edges
  };
  YelSprite* source = Make(3, 2, source_pixels);
  for (const Case& c : cases) {
    YelSprite* target = Filled(3, 2, 0);
    ASSERT_EQ(YelCopySpriteToSpriteRGB(target, c.x, c.y, source, c.source_x, c.source_y, c.width,
                                       c.height),
              1);
    EXPECT_EQ(Read(target), c.expected) << c.x << "," << c.y << " " << c.source_x;
  }
  EXPECT_EQ(YelCopySpriteToSpriteRGB(source, 0, 0, source, 0, 0, 0, 2), 0);
}

// Corners far apart in 32 bits: moving one corner in must not carry the other past INT32_MAX,
// where it would wrap to an offset far outside the sprite. Each rectangle goes through every
// export that takes one; none reaches a pixel, so the target stays as it was.
TEST_F(SpriteTextureTest, CornersFarApartReachNoPixelOutside) {
  constexpr int32_t kFar = 1 << 30;
  struct Case {
    const char* what;
    int32_t x, y, source_x, source_y, width, height;
  } cases[] = {
      {"target far left, source far right", -kFar, 0, kFar, 0, INT32_MAX, 2},
      {"target far up, source far down", 0, -kFar, 0, kFar, 3, INT32_MAX},
      {"source far left, target far right", kFar, 0, -kFar, 0, INT32_MAX, 2},
      {"both corners at the extremes", INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, INT32_MAX,
       INT32_MAX},
      {"target at the far end", INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX},
  };
  const Pixels before = {7, 7, 7, 7, 7, 7};
  YelSprite* source = Make(3, 2, {1, 2, 3, 4, 5, 6});
  const uint32_t mask_pixels[] = {0, 0, 0, 0, 0, 0};
  const YelMaskImage mask{3, 2, mask_pixels};
  for (const Case& c : cases) {
    YelSprite* target = Make(3, 2, before);
    const int32_t x = c.x, y = c.y, sx = c.source_x, sy = c.source_y, w = c.width, h = c.height;
    EXPECT_EQ(YelCopySpriteToSpriteRGB(target, x, y, source, sx, sy, w, h), 1) << c.what;
    EXPECT_EQ(YelMixSpriteToSprite(target, x, y, w, h, source, sx, sy), 1) << c.what;
    EXPECT_EQ(YelMixSpriteToSpriteEx(target, x, y, w, h, source, sx, sy), 1) << c.what;
    EXPECT_EQ(YelCopySpriteToSpriteChannel(target, x, y, 1, source, sx, sy, w, h, 2), 1) << c.what;
    EXPECT_EQ(YelSpriteMaskAlpha(target, x, y, w, h, &mask, sx, sy), 1) << c.what;
    EXPECT_EQ(Read(target), before) << c.what;
  }
}

TEST_F(SpriteTextureTest, MixesBlendBySourceAlpha) {
  YelSprite* target = Make(3, 1, {0x80FFFFFF, 0x80FFFFFF, 0x00000000});
  YelSprite* source = Make(3, 1, {0x00000000, 0x80000000, 0x80FF0000});
  ASSERT_EQ(YelMixSpriteToSprite(target, 0, 0, 3, 1, source, 0, 0), 1);
  // transparent source: unchanged; half black over white: (255 x 127) >> 8; alpha kept
  EXPECT_EQ(Read(target), (Pixels{0x80FFFFFF, 0x807E7E7E, 0x007F0000}));
  EXPECT_EQ(YelMixSpriteToSprite(target, 0, 0, 0, 1, source, 0, 0), 0);
  YelSprite* both = Make(2, 1, {0x00000000, 0xFF0000FF});
  ASSERT_EQ(YelMixSpriteToSpriteEx(both, 0, 0, 2, 1, source, 1, 0), 1);
  // over nothing the source stays; over opaque blue: v = 128 + 127, colour weighted by both
  EXPECT_EQ(Read(both), (Pixels{0x80000000, 0xFF80007F}));
}

TEST_F(SpriteTextureTest, MaskAlphaStaysInsideTheMask) {
  YelSprite* sprite = Filled(3, 3, 0xFF112233);
  const uint32_t mask_pixels[] = {0x80, 0x00};  // 2 x 1: half, nothing
  const YelMaskImage mask{2, 1, mask_pixels};
  ASSERT_EQ(YelSpriteMaskAlpha(sprite, 0, 0, 3, 3, &mask, 0, 0), 1);
  EXPECT_EQ(Read(sprite), (Pixels{0x7F112233, 0x00112233, 0xFF112233, 0xFF112233, 0xFF112233,
                                  0xFF112233, 0xFF112233, 0xFF112233, 0xFF112233}));
}

TEST_F(SpriteTextureTest, ChannelCopiesAndTransparentDeletes) {
  YelSprite* target = Make(2, 1, {0xFF000000, 0x00ABCDEF});
  YelSprite* source = Make(2, 1, {0x000000AA, 0x000000BB});
  ASSERT_EQ(YelCopySpriteToSpriteChannel(target, 0, 0, 2, source, 0, 0, 1, 1, 0), 1);
  EXPECT_EQ(Read(target)[0], 0xFFAA0000u);
  ASSERT_EQ(YelSpriteDeleteNoAlpha255(target, 0, 0, 2, 1), 1);
  EXPECT_EQ(Read(target), (Pixels{0xFFAA0000, 0}));
  EXPECT_EQ(YelCopySpriteToSpriteChannel(target, 0, 0, 4, source, 0, 0, 1, 1, 0), 0);
}

class CopyFileTest : public SpriteTextureTest {
 protected:
  void SetUp() override {
    SpriteTextureTest::SetUp();
    folder_.Start("yel_copy_file_");
  }
  void TearDown() override {
    folder_.End();
    SpriteTextureTest::TearDown();
  }
  filetest::TempBaseFolder folder_;
};

TEST_F(CopyFileTest, AnImageFileIsBlendedIntoTheSprite) {
  // 3 x 1: opaque red, half-transparent green, transparent blue.
  const Pixels picture = {0xFFFF0000, 0x8000FF00, 0x000000FF};
  std::vector<uint8_t> png;
  ASSERT_TRUE(os::PngEncode(picture.data(), 3, 1, 3, png));
  filetest::WriteFile(folder_.path() / "PIC.PNG", std::string(png.begin(), png.end()));
  YelSprite* sprite = Filled(3, 2, 0x40000000);
  ASSERT_EQ(YelCopyFileToSpriteRGB(sprite, 1, 1, "PIC.PNG", 0, 0, -1, 9), 1);  // the whole image
  // From (1, 1): red copied with the target's alpha kept, green half mixed; the rest cut.
  EXPECT_EQ(Read(sprite),
            (Pixels{0x40000000, 0x40000000, 0x40000000, 0x40000000, 0x40FF0000, 0x40007F00}));
  EXPECT_EQ(YelCopyFileToSpriteRGB(sprite, 0, 0, "PIC.PNG", 3, 0, 1, 1), 0);  // outside
  EXPECT_EQ(YelCopyFileToSpriteRGB(sprite, 0, 0, "NONE.PNG", 0, 0, 1, 1), 0);
}

}  // namespace
