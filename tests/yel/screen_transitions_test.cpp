// Screen transitions drawn by both back-ends and read back: starts and refusals, the fade, box,
// mosaic and mask wipes over the captured frame, skips and the wait task, with a frame clock the
// test sets. Where the machine gives no GL context (or the build draws in software only) the GL
// cases skip.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "YEL/graphics/screen_effect_draws.h"
#include "YEL/graphics/screen_effects.h"
#include "YEL/render/gl_renderer.h"
#include "YEL/render/render.h"
#include "YEL/render/renderer.h"
#include "YEL/render/soft_renderer.h"
#include "tests/yel/file_test_support.h"
#include "tests/yel/sprite_test_support.h"
#include "tests/yel/system_fixture.h"

namespace {

constexpr uint32_t kWhite = 0xFFFFFFFF;
constexpr uint32_t kBlack = 0xFF000000;
constexpr uint32_t kGreen = 0xFF00FF00;
constexpr uint32_t kRed = 0xFFFF0000;
constexpr uint32_t kSpace = 1u << 1;

enum class Backend { kSoftware, kGl };

std::string BackendName(const ::testing::TestParamInfo<Backend>& info) {
  return info.param == Backend::kGl ? "Gl" : "Software";
}

int ChannelDistance(uint32_t a, uint32_t b) {
  int worst = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    worst = std::max(worst, std::abs(static_cast<int>((a >> shift) & 0xFF) -
                                     static_cast<int>((b >> shift) & 0xFF)));
  }
  return worst;
}

// Draws its texture at the game's corner: a marker in the scene.
int DrawAtCorner(YelCore* core, void* object) {
  auto* texture = static_cast<YelTexture*>(object);
  yel::SpriteQuad quad;
  quad.texture = texture;
  quad.rect = YelRect{0, 0, texture->width, texture->height};
  core->DrawSprite(quad);
  return 1;
}

class ScreenTransitionTest : public SystemFixture, public ::testing::WithParamInterface<Backend> {
 protected:
  // Wide enough for two mosaic blocks of 129 across and two down.
  static constexpr int32_t kWidth = 258;
  static constexpr int32_t kHeight = 130;

  void SetUp() override {
    SystemFixture::SetUp();
    system_.param.game_width = kWidth;
    system_.param.game_height = kHeight;
    // A window of another size: the effects work at the game size.
    system_.param.window_width = 400;
    system_.param.window_height = 300;
    yel::RendererParams params;
    params.game_width = kWidth;
    params.game_height = kHeight;
    params.window_width = kWidth;
    params.window_height = kHeight;
    params.texture_slot_count = 16;
    if (GetParam() == Backend::kGl) {
      if (!yel::RendererHardwareBuilt()) GTEST_SKIP() << "built without the GL back-end";
      os::Window::Options options;
      options.width = kWidth;
      options.height = kHeight;
      options.visible = false;
      options.opengl = true;
      window_ = os::Window::Create(options);
      if (!window_) GTEST_SKIP() << "no GL window on this machine";
      params.window = window_.get();
      std::string error;
      gl_ = yel::GlRenderer::Create(params, {}, false, &error).release();
      if (!gl_) GTEST_SKIP() << "no OpenGL 3.3 context on this machine: " << error;
      system_.core = gl_;
    } else {
      soft_ = yel::SoftRenderer::Create(params).release();
      ASSERT_NE(soft_, nullptr);
      system_.core = soft_;
    }
    ASSERT_TRUE(yel::ScreenEffectsInitialize(system_));
    render_ = YelRenderInit();
    YelRenderSetActive(render_);
    YelEffectEnable(1);
  }
  void TearDown() override {
    if (render_) YelRenderUninit(render_);
    for (YelTexture* texture : textures_) system_.core.load()->TextureRelease(texture);
    yel::ScreenEffectsRelease(system_);
    system_.core = nullptr;
    delete soft_;
    delete gl_;
    window_.reset();
    SystemFixture::TearDown();
  }

  // Presents a frame of the scene (the clear colour and any markers) at a frame-clock time.
  void PresentAt(uint32_t time, uint32_t scene) {
    system_.frame_time = time;
    system_.clear_colour = scene;
    ASSERT_EQ(yel::YelRenderPresent(), 1);
    system_.input.keys.push = 0;
  }
  // The frame last presented, top-down, game size.
  std::vector<uint32_t> Frame() {
    std::vector<uint32_t> pixels(static_cast<size_t>(kWidth) * kHeight);
    if (soft_) {
      std::copy(soft_->Frame(), soft_->Frame() + pixels.size(), pixels.begin());
    } else {
      EXPECT_TRUE(gl_->ReadFrame(pixels.data(), kWidth, kHeight, kWidth));
    }
    return pixels;
  }
  uint32_t Pixel(int32_t x, int32_t y) { return Frame()[static_cast<size_t>(y) * kWidth + x]; }
  // The software back-end is exact; GL may round a level either way.
  void ExpectNear(uint32_t actual, uint32_t expected, int tolerance = 3) {
    EXPECT_LE(ChannelDistance(actual, expected), tolerance)
        << std::hex << actual << " against " << expected;
  }
  // A one-colour texture drawn at the game's corner in every frame from now.
  void AddMarker(int32_t size, uint32_t colour) {
    YelTexture* texture = system_.core.load()->TextureCreate(size, size);
    int32_t w = 0, h = 0;
    uint32_t* pixels = yel::TextureLockPixels(texture, &w, &h);
    std::fill(pixels, pixels + w * h, colour);
    yel::TextureUnlockPixels(texture, true);
    textures_.push_back(texture);
    YelRenderInsert(render_, texture, DrawAtCorner, 1);
  }
  // The alpha bytes of a row of the capture texture.
  std::vector<uint32_t> CaptureAlphaRow(int32_t y, int32_t count) {
    int32_t w = 0, h = 0;
    const uint32_t* pixels = yel::TextureLockPixels(system_.screen_effect.capture, &w, &h);
    std::vector<uint32_t> row;
    for (int32_t x = 0; x < count; ++x) row.push_back(pixels[y * w + x] >> 24);
    yel::TextureUnlockPixels(system_.screen_effect.capture, false);
    return row;
  }

  std::unique_ptr<os::Window> window_;
  yel::SoftRenderer* soft_ = nullptr;
  yel::GlRenderer* gl_ = nullptr;
  YelRender* render_ = nullptr;
  std::vector<YelTexture*> textures_;
};

TEST_P(ScreenTransitionTest, StartsOnlyKnownEffectsOneAtATime) {
  PresentAt(0, kWhite);
  EXPECT_EQ(YelEffectEx(0, 1000, 0, 0), 1);
  EXPECT_EQ(YelEffectIs(), 0);
  EXPECT_EQ(YelEffectEx(50, 1000, 0, 0), 0);
  EXPECT_EQ(YelEffectEx(-1, 1000, 0, 0), 0);
  EXPECT_EQ(YelEffectIs(), 0);
  EXPECT_EQ(YelEffectEx(1, 1000, 0, 0), 1);
  EXPECT_EQ(YelEffectIs(), 1);
  EXPECT_EQ(YelEffectEx(1, 1000, 0, 0), 0);
  EXPECT_EQ(YelEffect(2, 1000), 0);
  PresentAt(100, kBlack);
  PresentAt(1100, kBlack);  // the last frame
  EXPECT_EQ(YelEffectIs(), 1);
  PresentAt(1116, kBlack);
  EXPECT_EQ(YelEffectIs(), 0);

  // Numbers without a drawing are over at the next present, showing the new scene.
  for (int32_t number : {4, 7, 8, 9}) {
    SCOPED_TRACE(number);
    PresentAt(2000, kWhite);
    EXPECT_EQ(YelEffectEx(number, 1000, 0, 0), 1);
    EXPECT_EQ(YelEffectIs(), 1);
    PresentAt(2016, kBlack);
    EXPECT_EQ(YelEffectIs(), 0);
    EXPECT_EQ(Pixel(10, 10), kBlack);
  }

  // With the switch off every number reports success and nothing runs.
  YelEffectEnable(0);
  for (int32_t number : {1, 6, 10, 50}) EXPECT_EQ(YelEffectEx(number, 1000, 0, 0), 1);
  EXPECT_EQ(YelEffectIs(), 0);
  EXPECT_EQ(YelEffectEnableIs(), 0);
  YelEffectEnable(1);
}

TEST_P(ScreenTransitionTest, FadeShowsTheCapturedFrameAtHalfAlphaHalfway) {
  PresentAt(0, kWhite);
  ASSERT_EQ(YelEffectEx(1, 1000, 0, 0), 1);
  PresentAt(5000, kBlack);  // the first frame starts the clock: the old frame whole
  ExpectNear(Pixel(100, 50), kWhite);
  PresentAt(5500, kBlack);
  EXPECT_EQ(system_.screen_effect.colour, 0x7FFFFFFFu);
  ExpectNear(Pixel(100, 50), 0xFF7F7F7F);
  PresentAt(6000, kBlack);  // the last frame: the old frame is gone
  ExpectNear(Pixel(100, 50), kBlack);
  EXPECT_EQ(YelEffectIs(), 1);
  PresentAt(6016, kBlack);
  EXPECT_EQ(YelEffectIs(), 0);
  EXPECT_EQ(system_.screen_effect.colour, kWhite);
  EXPECT_EQ(system_.screen_effect.number, -1);
}

// Without a duration every effect is at its end in its first frame: nothing divides 0 by 0.
TEST_P(ScreenTransitionTest, WithoutDurationEffectsEndAtTheirFirstFrame) {
  for (int32_t number : {1, 2, 3, 5, 6}) {
    SCOPED_TRACE(number);
    PresentAt(0, kWhite);
    ASSERT_EQ(YelEffectEx(number, 0, 0, 0), 1);
    PresentAt(10, kBlack);
    EXPECT_EQ(system_.screen_effect.draw, nullptr);
    // The white fade-in ends all white; every other effect shows the new scene.
    ExpectNear(Pixel(129, 65), number == 5 ? kWhite : kBlack);
    PresentAt(20, kBlack);
    EXPECT_EQ(YelEffectIs(), 0);
  }
}

TEST_P(ScreenTransitionTest, ASkippableEffectEndsOnAPushNotOnAHeldKey) {
  PresentAt(0, kWhite);
  ASSERT_EQ(YelEffectEx(1, 1000, 1, 0), 1);
  PresentAt(100, kBlack);
  system_.input.keys.on = kSpace;  // held since before: no push
  PresentAt(200, kBlack);
  EXPECT_NE(system_.screen_effect.draw, nullptr);
  system_.input.keys.push = kSpace;
  PresentAt(300, kBlack);
  EXPECT_EQ(system_.screen_effect.draw, nullptr);
  ExpectNear(Pixel(5, 5), kBlack);
  PresentAt(316, kBlack);
  EXPECT_EQ(YelEffectIs(), 0);
  system_.input.keys.on = 0;

  // Not skippable: the push changes nothing.
  ASSERT_EQ(YelEffectEx(1, 1000, 0, 0), 1);
  PresentAt(400, kBlack);
  system_.input.keys.push = kSpace;
  PresentAt(500, kBlack);
  EXPECT_NE(system_.screen_effect.draw, nullptr);
  PresentAt(1400, kBlack);
  PresentAt(1416, kBlack);
  EXPECT_EQ(YelEffectIs(), 0);
}

TEST_P(ScreenTransitionTest, WaitingTransitionHoldsATaskUntilItEnds) {
  PresentAt(0, kWhite);
  const int32_t before = system_.tasks.count;
  ASSERT_EQ(YelEffect(1, 100), 1);
  YelTask* wait = system_.screen_effect.wait_task;
  ASSERT_NE(wait, nullptr);
  EXPECT_EQ(system_.tasks.count, before + 1);
  PresentAt(10, kBlack);
  Walk();
  EXPECT_EQ(YelTaskGetState(wait), 1);
  PresentAt(110, kBlack);
  PresentAt(120, kBlack);
  EXPECT_EQ(system_.screen_effect.wait_task, nullptr);
  Walk();
  EXPECT_EQ(system_.tasks.count, before);
}

// The box shrinks about the middle of the game picture, whatever the window's size.
TEST_P(ScreenTransitionTest, BoxShrinksAboutTheMiddleOfTheGame) {
  PresentAt(0, kWhite);
  ASSERT_EQ(YelEffectEx(3, 1000, 0, 0), 1);
  PresentAt(1000, kBlack);
  PresentAt(1500, kBlack);
  // Width 129, height 129 x 130 / 258 = 65, at (64, 32).
  EXPECT_EQ(system_.screen_effect.box_left, 64);
  EXPECT_EQ(system_.screen_effect.box_top, 32);
  const std::vector<uint32_t> frame = Frame();
  auto at = [&](int32_t x, int32_t y) { return frame[static_cast<size_t>(y) * kWidth + x]; };
  ExpectNear(at(64, 32), kWhite);
  ExpectNear(at(192, 96), kWhite);
  ExpectNear(at(63, 32), kBlack);
  ExpectNear(at(193, 32), kBlack);
  ExpectNear(at(64, 31), kBlack);
  ExpectNear(at(64, 97), kBlack);
}

TEST(MosaicBlock, IsOneAtBothEndsAnd129Halfway) {
  EXPECT_EQ(yel::MosaicBlockSize(0.0f), 1);
  EXPECT_EQ(yel::MosaicBlockSize(0.5f), 129);
  EXPECT_EQ(yel::MosaicBlockSize(1.0f), 1);
  EXPECT_GT(yel::MosaicBlockSize(0.25f), 1);
  EXPECT_LT(yel::MosaicBlockSize(0.25f), 129);
}

// Past half time the new scene is captured and shown in blocks of 129 pixels, each the colour
// of its top-left pixel.
TEST_P(ScreenTransitionTest, MosaicShowsTheNewSceneIn129PixelBlocksAfterHalfTime) {
  PresentAt(0, kBlack);
  ASSERT_EQ(YelEffectEx(6, 1000, 0, 0), 1);
  AddMarker(1, kRed);  // the new scene: green with one red pixel in the corner
  PresentAt(1000, kGreen);
  ExpectNear(Pixel(100, 100), kBlack);  // blocks of 1: the old frame as it was
  PresentAt(1501, kGreen);
  const std::vector<uint32_t> frame = Frame();
  auto at = [&](int32_t x, int32_t y) { return frame[static_cast<size_t>(y) * kWidth + x]; };
  for (auto [x, y] : {std::pair{0, 0}, {128, 0}, {0, 128}, {128, 128}}) {
    SCOPED_TRACE(testing::Message() << x << "," << y);
    ExpectNear(at(x, y), kRed, 8);  // drawn twice: the software blend loses a level or two
  }
  for (auto [x, y] : {std::pair{129, 0}, {0, 129}, {257, 129}}) {
    SCOPED_TRACE(testing::Message() << x << "," << y);
    ExpectNear(at(x, y), kGreen);
  }
  PresentAt(2000, kGreen);  // blocks of 1 again: the new scene as it is
  ExpectNear(Pixel(1, 1), kGreen);
  ExpectNear(Pixel(0, 0), kRed, 8);
}

// The masks sit in the search folder "Mask" of a base folder of the test's own; the file layer
// finds names by their upper-cased name part.
class MaskTransitionTest : public ScreenTransitionTest {
 protected:
  void SetUp() override {
    ScreenTransitionTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    folder_.Start("yel_masks_");
    started_ = true;
    std::filesystem::create_directories(folder_.path() / "Mask");
    ASSERT_EQ(YelSystemPathSet("Mask"), 1);
  }
  void TearDown() override {
    if (started_) folder_.End();
    ScreenTransitionTest::TearDown();
  }
  void WriteMask(const std::string& name, const std::string& bytes) {
    filetest::WriteFile(folder_.path() / "Mask" / name, bytes);
  }

  filetest::TempBaseFolder folder_;
  bool started_ = false;
};

// An uncompressed 32-bit TGA of one grey level.
std::string GreyTga(int32_t width, int32_t height, uint8_t level) {
  std::string out(18, '\0');
  out[2] = 2;
  out[12] = static_cast<char>(width & 0xFF);
  out[13] = static_cast<char>(width >> 8);
  out[14] = static_cast<char>(height & 0xFF);
  out[15] = static_cast<char>(height >> 8);
  out[16] = 32;
  out[17] = 0x28;
  for (int32_t i = 0; i < width * height; ++i) {
    out += std::string(3, static_cast<char>(level));
    out += '\xFF';
  }
  return out;
}

// A ".mkt" mask in the engine's own format, narrower than the capture: row 0 all 255, row 1
// rising by 8 a pixel. Halfway the threshold is 127 and its soft edge ends at 158.
TEST_P(MaskTransitionTest, WipeCutsEachRowAtTheThresholdOfItsMaskRow) {
  constexpr int32_t kMaskWidth = 32;
  std::vector<uint32_t> mask(kMaskWidth * 2);
  for (int32_t x = 0; x < kMaskWidth; ++x) {
    mask[x] = 0xFFFFFFFF;
    const uint32_t m = static_cast<uint32_t>(x * 8);
    mask[kMaskWidth + x] = 0xFF000000u | m << 16 | m << 8 | m;
  }
  WriteMask("MASK00.MKT", spritetest::GeRaw(kMaskWidth, 2, mask));
  PresentAt(0, kWhite);
  ASSERT_EQ(YelEffectEx(10, 1000, 0, 0), 1);
  PresentAt(1000, kBlack);
  PresentAt(1500, kBlack);
  std::vector<uint32_t> expected(kMaskWidth, 0);
  for (int32_t x = 0; x < kMaskWidth; ++x) {
    const int32_t m = x * 8;
    expected[x] = m < 127 ? 255 : m < 158 ? static_cast<uint32_t>((158 - m) * 8) : 0;
  }
  EXPECT_EQ(CaptureAlphaRow(1, kMaskWidth), expected);
  EXPECT_EQ(CaptureAlphaRow(0, kMaskWidth), std::vector<uint32_t>(kMaskWidth, 0));
  const std::vector<uint32_t> frame = Frame();
  auto at = [&](int32_t x, int32_t y) { return frame[static_cast<size_t>(y) * kWidth + x]; };
  ExpectNear(at(0, 1), kWhite);
  ExpectNear(at(15, 1), kWhite);
  ExpectNear(at(25, 1), kBlack);
  ExpectNear(at(0, 0), kBlack);
  // Outside the mask the old frame stays until the end.
  ExpectNear(at(100, 1), kWhite);
  PresentAt(2000, kBlack);
  PresentAt(2016, kBlack);
  EXPECT_EQ(YelEffectIs(), 0);
}

TEST_P(MaskTransitionTest, TakesTheFirstFormFoundAndEndsAtOnceWithoutAMask) {
  WriteMask("MASK39.TGA", GreyTga(kWidth, kHeight, 200));
  PresentAt(0, kWhite);
  ASSERT_EQ(YelEffectEx(49, 1000, 0, 0), 1);
  PresentAt(1000, kBlack);
  EXPECT_NE(system_.screen_effect.draw, nullptr);
  ExpectNear(Pixel(50, 50), kWhite);  // 200 lies below the first threshold, 255
  PresentAt(1500, kBlack);
  ExpectNear(Pixel(50, 50), kBlack);  // and above the edge of the halfway one, 127 + 31
  PresentAt(2000, kBlack);
  PresentAt(2016, kBlack);
  EXPECT_EQ(YelEffectIs(), 0);

  // No mask 01 in any form: the transition ends at its first frame without drawing.
  PresentAt(3000, kWhite);
  ASSERT_EQ(YelEffectEx(11, 1000, 0, 0), 1);
  PresentAt(3100, kBlack);
  EXPECT_EQ(system_.screen_effect.draw, nullptr);
  ExpectNear(Pixel(50, 50), kBlack);
  PresentAt(3116, kBlack);
  EXPECT_EQ(YelEffectIs(), 0);
}

INSTANTIATE_TEST_SUITE_P(Backends, ScreenTransitionTest,
                         ::testing::Values(Backend::kSoftware, Backend::kGl), BackendName);
INSTANTIATE_TEST_SUITE_P(Backends, MaskTransitionTest,
                         ::testing::Values(Backend::kSoftware, Backend::kGl), BackendName);

}  // namespace
