#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "YEL/render/soft_blit.h"
#include "YEL/render/soft_renderer.h"

namespace {

using yel::BlendMode;

// Blend results computed by hand from the formulas: source 0x80FF8040 (alpha 128) over
// 0xFF204060, and the add over a bright target that saturates.
TEST(SoftBlend, ModesArePixelExact) {
  struct Case {
    BlendMode mode;
    uint32_t source, target, colour, expected;
  };
  const Case cases[] = {
      {BlendMode::kAlpha, 0x80FF8040, 0xFF204060, 0xFFFFFFFF, 0xFF8E5F4F},
      {BlendMode::kAdd, 0x80FF8040, 0xFF204060, 0xFFFFFFFF, 0xFF9E7F7F},
      {BlendMode::kAdd, 0x80FF8040, 0xFFC8C8C8, 0xFFFFFFFF, 0xFFFFFFE7},
      {BlendMode::kMultiply, 0x80FF8040, 0xFF204060, 0xFFFFFFFF, 0xFF0F0F0B},
      // The colour keeps only blue: 254 x 254 >> 8 of white over black.
      {BlendMode::kAlpha, 0xFFFFFFFF, 0xFF000000, 0xFF0000FF, 0xFF0000FC},
      // Half the colour's alpha: m = (255 x 128) >> 8 = 127, 254 x 127 >> 8 = 126.
      {BlendMode::kAlpha, 0xFFFFFFFF, 0xFF000000, 0x80FFFFFF, 0xFF7E7E7E},
      {BlendMode::kCopy, 0x12345678, 0xFF000000, 0xFFFFFFFF, 0x12345678},
  };
  for (const Case& c : cases) {
    uint32_t target = c.target;
    yel::SoftBlendRow(&target, &c.source, 1, c.colour, c.mode);
    EXPECT_EQ(target, c.expected) << "mode " << static_cast<int>(c.mode) << std::hex << " source "
                                  << c.source;
  }
}

TEST(SoftBlend, TransparentSourcePixelsLeaveTheTargetWhole) {
  for (BlendMode mode : {BlendMode::kAlpha, BlendMode::kAdd, BlendMode::kMultiply}) {
    uint32_t target = 0x10203040;
    const uint32_t source = 0x00FFFFFF;
    yel::SoftBlendRow(&target, &source, 1, 0xFFFFFFFF, mode);
    EXPECT_EQ(target, 0x10203040u);
  }
}

class SoftRendererTest : public ::testing::Test {
 protected:
  void SetUp() override {
    yel::RendererParams params;
    params.game_width = params.window_width = 200;
    params.game_height = params.window_height = 200;
    params.texture_slot_count = 4;
    renderer_ = yel::SoftRenderer::Create(params);
    ASSERT_NE(renderer_, nullptr);
    ASSERT_TRUE(renderer_->BeginFrame(0xFF000000));
  }
  void TearDown() override {
    for (YelTexture* texture : textures_) renderer_->TextureRelease(texture);
    EXPECT_EQ(renderer_->Slots().InUse(), 0);
  }
  YelTexture* Texture(int32_t width, int32_t height, uint32_t colour) {
    YelTexture* texture = renderer_->TextureCreate(width, height);
    int32_t w = 0, h = 0;
    uint32_t* pixels = yel::TextureLockPixels(texture, &w, &h);
    std::fill(pixels, pixels + w * h, colour);
    yel::TextureUnlockPixels(texture, true);
    textures_.push_back(texture);
    return texture;
  }
  yel::SpriteQuad Quad(YelTexture* texture, float x, float y) {
    yel::SpriteQuad quad;
    quad.texture = texture;
    quad.x = x;
    quad.y = y;
    quad.rect = YelRect{0, 0, texture->width, texture->height};
    return quad;
  }
  uint32_t Pixel(int x, int y) const { return renderer_->Frame()[y * 200 + x]; }
  // The bounding box and count of pixels that are not the clear colour.
  struct Footprint {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1, count = 0;
  };
  Footprint Drawn() const {
    Footprint f;
    for (int y = 0; y < 200; ++y) {
      for (int x = 0; x < 200; ++x) {
        if (Pixel(x, y) == 0xFF000000) continue;
        f.left = std::min(f.left, x), f.top = std::min(f.top, y);
        f.right = std::max(f.right, x + 1), f.bottom = std::max(f.bottom, y + 1);
        ++f.count;
      }
    }
    return f;
  }

  std::unique_ptr<yel::SoftRenderer> renderer_;
  std::vector<YelTexture*> textures_;
};

TEST_F(SoftRendererTest, QuarterTurnOfA100By50RectangleStandsUpright) {
  yel::SpriteQuad quad = Quad(Texture(100, 50, 0xFFFFFFFF), 50, 75);
  quad.angle = 128;
  renderer_->DrawSprite(quad);
  // The 111 x 111 canvas is centred on the rectangle's centre (100, 100); only the 50 x 100
  // turned rectangle inside it is drawn.
  const Footprint f = Drawn();
  EXPECT_EQ(f.count, 50 * 100);
  EXPECT_EQ(f.left, 75);
  EXPECT_EQ(f.right, 125);
  EXPECT_EQ(f.top, 51);
  EXPECT_EQ(f.bottom, 151);
}

TEST_F(SoftRendererTest, ScalesAroundTheCentreAndVanishBelowOnePixel) {
  yel::SpriteQuad quad = Quad(Texture(10, 10, 0xFFFFFFFF), 20, 20);
  quad.scale_x = 0.001f;
  quad.scale_y = 0.001f;
  renderer_->DrawSprite(quad);
  EXPECT_EQ(Drawn().count, 0);
  quad.scale_x = quad.scale_y = 2.0f;
  renderer_->DrawSprite(quad);
  const Footprint f = Drawn();
  EXPECT_EQ(f.right - f.left, 20);
  EXPECT_EQ(f.bottom - f.top, 20);
  EXPECT_EQ((f.left + f.right) / 2, 25);
}

TEST_F(SoftRendererTest, SpritesAreCutAtTheFrameEdgesNotWrapped) {
  renderer_->DrawSprite(Quad(Texture(4, 2, 0xFFFFFFFF), -2, 198.9f));
  const Footprint f = Drawn();
  EXPECT_EQ(f.count, 2 * 2);
  EXPECT_EQ(f.left, 0);
  EXPECT_EQ(f.top, 198);
  EXPECT_EQ(Pixel(199, 198), 0xFF000000u);
}

TEST_F(SoftRendererTest, RenderModesChooseTheBlendAndOthersBlendAsAlpha) {
  YelTexture* texture = Texture(1, 1, 0x80FF8040);
  yel::SpriteQuad quad = Quad(texture, 0, 0);
  const std::pair<int32_t, uint32_t> cases[] = {
      {1, 0xFF8E5F4F}, {2, 0xFF9E7F7F}, {3, 0xFF0F0F0B}, {6, 0xFF8E5F4F}};
  for (auto [mode, expected] : cases) {
    ASSERT_TRUE(renderer_->BeginFrame(0xFF204060));
    quad.render_mode = mode;
    renderer_->DrawSprite(quad);
    EXPECT_EQ(Pixel(0, 0), expected) << "render mode " << mode;
  }
}

TEST_F(SoftRendererTest, CaptureCopiesTheFrameIntoATextureOfAtLeastTheGameSize) {
  renderer_->DrawSprite(Quad(Texture(2, 2, 0xFFFFFFFF), 10, 10));
  YelTexture* small = Texture(100, 100, 0);
  EXPECT_FALSE(renderer_->CaptureFrame(small));
  YelTexture* capture = Texture(256, 200, 0);
  ASSERT_TRUE(renderer_->CaptureFrame(capture));
  int32_t width = 0;
  const uint32_t* pixels = yel::TextureLockPixels(capture, &width, nullptr);
  EXPECT_EQ(pixels[10 * width + 10], Pixel(10, 10));
  EXPECT_EQ(pixels[0], 0xFF000000u);
  yel::TextureUnlockPixels(capture, false);
}

TEST_F(SoftRendererTest, TexturesComeFromImagesAndGiveTheirSlotsBack) {
  const uint8_t damaged[] = {'G', 'E', 30, 0, 0, 0};
  EXPECT_EQ(renderer_->TextureFromImage("bad", damaged, sizeof damaged), nullptr);
  EXPECT_EQ(renderer_->Slots().InUse(), 0);
  std::vector<YelTexture*> all;
  while (YelTexture* texture = renderer_->TextureCreate(1, 1)) all.push_back(texture);
  EXPECT_EQ(all.size(), 4u);
  for (YelTexture* texture : all) EXPECT_TRUE(renderer_->TextureRelease(texture));
}

TEST_F(SoftRendererTest, TransitionPairsCentreTheNarrowerImageAndFadeBetweenThem) {
  const yel::SpriteQuad incoming = Quad(Texture(100, 2, 0xFFFF0000), 30, 0);
  const yel::SpriteQuad outgoing = Quad(Texture(150, 2, 0xFF0000FF), 0, 0);
  // Factor 1: only the incoming image, at its own place inside the 150-wide composite.
  ASSERT_TRUE(renderer_->DrawSpritePair(incoming, outgoing, 1.0f));
  Footprint f = Drawn();
  EXPECT_EQ(f.left, 30);
  EXPECT_EQ(f.right, 130);
  EXPECT_EQ(Pixel(30, 0), 0xFFFB0000u);  // 254 blended: (253 x 254) >> 8
  // Factor 0: the outgoing image, centred 25 pixels left of the incoming one.
  ASSERT_TRUE(renderer_->BeginFrame(0xFF000000));
  ASSERT_TRUE(renderer_->DrawSpritePair(incoming, outgoing, 0.0f));
  f = Drawn();
  EXPECT_EQ(f.left, 5);
  EXPECT_EQ(f.right, 155);
  EXPECT_EQ(Pixel(10, 0) & 0xFFFFFF00u, 0xFF000000u);
  ASSERT_TRUE(renderer_->BeginFrame(0xFF000000));
  EXPECT_FALSE(renderer_->DrawSpritePair(incoming, Quad(Texture(150, 3, 0xFF0000FF), 0, 0), 0.5f));
  EXPECT_EQ(Drawn().count, 0);
}

TEST(SoftRendererAspect, FullScreenRectangles) {
  struct Case {
    int mode;
    os::Rect expected;
  };
  const Case cases[] = {{0, {0, 0, 1920, 1200}},
                        {1, {0, 60, 1920, 1140}},
                        {2, {320, 240, 1600, 960}},
                        {3, {-107, 0, 2026, 1200}}};
  for (const Case& c : cases) {
    os::Rect rect;
    ASSERT_TRUE(yel::FullScreenAspectRect(c.mode, 1920, 1200, 1280, 720, rect));
    EXPECT_EQ(rect.left, c.expected.left) << c.mode;
    EXPECT_EQ(rect.top, c.expected.top) << c.mode;
    EXPECT_EQ(rect.right, c.expected.right) << c.mode;
    EXPECT_EQ(rect.bottom, c.expected.bottom) << c.mode;
  }
  os::Rect unchanged;
  EXPECT_FALSE(yel::FullScreenAspectRect(4, 1920, 1200, 1280, 720, unchanged));
}

}  // namespace
