// Sprite transitions and FX effects through the exports and present, read back from both
// back-ends: the cross-fade's alphas at a known time, cancel and release of the sprites, the
// raster wave's shift, and the life of the effects. Time is the frame clock, set by the tests.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "YEL/graphics/fx_effects.h"
#include "YEL/graphics/pixel_routines.h"
#include "YEL/graphics/sprite.h"
#include "YEL/render/gl_renderer.h"
#include "YEL/render/render.h"
#include "YEL/render/renderer.h"
#include "YEL/render/soft_renderer.h"
#include "os/window.h"
#include "tests/yel/system_fixture.h"

namespace {

enum class Backend { kSoftware, kHardware };

constexpr uint32_t kScreen = 0x10000000;
constexpr uint32_t kBlack = 0xFF000000, kRed = 0xFFFF0000, kBlue = 0xFF0000FF;

class EffectsTest : public SystemFixture, public ::testing::WithParamInterface<Backend> {
 protected:
  static constexpr int32_t kWidth = 64;
  static constexpr int32_t kHeight = 48;

  void SetUp() override {
    SystemFixture::SetUp();
    yel::RendererParams params;
    params.game_width = params.window_width = kWidth;
    params.game_height = params.window_height = kHeight;
    params.texture_slot_count = 16;
    if (GetParam() == Backend::kHardware) {
      // A build that draws in software only never opens a GL window.
      if (!yel::RendererHardwareBuilt()) GTEST_SKIP() << "built without the GL back-end";
      os::Window::Options options;
      options.width = kWidth;
      options.height = kHeight;
      options.visible = false;
      options.opengl = true;
      window_ = os::Window::Create(options);
      if (!window_) GTEST_SKIP() << "no window for a GL context";
      params.window = window_.get();
      std::string error;
      std::unique_ptr<yel::GlRenderer> gl = yel::GlRenderer::Create(params, {}, false, &error);
      if (!gl) GTEST_SKIP() << "no OpenGL 3.3 context on this machine";
      gl_ = gl.get();
      core_ = gl.release();
    } else {
      std::unique_ptr<yel::SoftRenderer> soft = yel::SoftRenderer::Create(params);
      ASSERT_NE(soft, nullptr);
      soft_ = soft.get();
      core_ = soft.release();
    }
    system_.core = core_;
    render_ = YelRenderInit();
    YelRenderSetActive(render_);
    system_.frame_time = 1000;
  }

  void TearDown() override {
    YelReleaseFxEffect(nullptr, kScreen);
    if (render_) YelRenderUninit(render_);
    system_.core = nullptr;
    delete core_;
    window_.reset();
    YelEffectEnable(1);
    SystemFixture::TearDown();
  }

  // A visible sprite of one colour; the sprite's own colour stays white.
  YelSprite* Filled(int32_t w, int32_t h, uint32_t colour, int32_t priority, float x, float y) {
    YelSprite* sprite = YelSpriteCreate(render_, w, h, priority);
    if (!sprite) return nullptr;
    int32_t tw = 0, th = 0;
    uint32_t* pixels = YelSpriteLock(sprite, &tw, &th);
    std::fill(pixels, pixels + static_cast<size_t>(tw) * th, colour);
    YelSpriteUnlock(sprite);
    YelSpriteSetPos(sprite, x, y, 0);
    YelSpriteViewCtrl(sprite, 1);
    return sprite;
  }

  std::vector<uint32_t> Frame() {
    std::vector<uint32_t> pixels(static_cast<size_t>(kWidth) * kHeight);
    if (gl_) {
      EXPECT_TRUE(gl_->ReadFrame(pixels.data(), kWidth, kHeight, kWidth));
    } else {
      std::copy(soft_->Frame(), soft_->Frame() + pixels.size(), pixels.begin());
    }
    return pixels;
  }
  std::vector<uint32_t> PresentAt(uint32_t time) {
    system_.frame_time = time;
    EXPECT_EQ(yel::YelRenderPresent(), 1);
    return Frame();
  }
  // A frame the test draws through the back-end itself.
  template <typename Draw>
  std::vector<uint32_t> DrawnByHand(Draw draw) {
    EXPECT_TRUE(core_->BeginFrame(system_.clear_colour));
    draw();
    core_->EndFrame();
    return Frame();
  }
  static yel::SpriteQuad QuadOf(const YelSprite* sprite, uint32_t colour) {
    yel::SpriteQuad quad;
    yel::FillSpriteQuad(*sprite, quad);
    quad.colour = colour;
    return quad;
  }
  int NodeCount() const {
    int count = 0;
    for (YelRenderNode* node = render_->first; node; node = node->next) ++count;
    return count;
  }
  static uint32_t At(const std::vector<uint32_t>& frame, int32_t x, int32_t y) {
    return frame[static_cast<size_t>(y) * kWidth + x];
  }

  std::unique_ptr<os::Window> window_;
  YelCore* core_ = nullptr;
  yel::GlRenderer* gl_ = nullptr;
  yel::SoftRenderer* soft_ = nullptr;
  YelRender* render_ = nullptr;
};

uint32_t Channel(uint32_t pixel, int shift) {
  return (pixel >> shift) & 0xFF;
}

// Halfway through, the incoming sprite gets alpha trunc(255 x 0.5) = 127 and the outgoing one
// the other 128: the picture is what the back-end draws for that pair, a mix of both colours.
// At the end only the incoming sprite shows, and the node keeps showing it.
TEST_P(EffectsTest, CrossFadeSharesTheIncomingAlphaByTime) {
  YelSprite* outgoing = Filled(16, 16, kBlue, 10, 8, 8);
  YelSprite* incoming = Filled(16, 16, kRed, 10, 8, 8);
  YelTransition* transition = YelSpriteCreateTransitionHandle();
  ASSERT_NE(transition, nullptr);
  EXPECT_EQ(YelSpriteGetTransitionState(transition), 0);
  ASSERT_EQ(YelSpriteSetTransition(render_, incoming, outgoing, 1, 1000, 400, transition), 1);
  EXPECT_EQ(YelSpriteGetTransitionState(transition), 1);

  const std::vector<uint32_t> start = PresentAt(1000);
  EXPECT_LE(Channel(At(start, 12, 12), 16), 2u);  // all outgoing
  EXPECT_GE(Channel(At(start, 12, 12), 0), 250u);

  const std::vector<uint32_t> half = PresentAt(1200);
  EXPECT_EQ(YelSpriteGetTransitionState(transition), 1);
  const std::vector<uint32_t> pair = DrawnByHand([&] {
    core_->DrawSpritePair(QuadOf(incoming, 0x7FFFFFFF), QuadOf(outgoing, 0x80FFFFFF), 0.5f);
  });
  EXPECT_EQ(half, pair);
  for (int shift : {16, 0}) {
    EXPECT_NEAR(static_cast<int>(Channel(At(half, 12, 12), shift)), 127, 6) << shift;
  }
  EXPECT_EQ(At(half, 2, 2), kBlack);

  const std::vector<uint32_t> end = PresentAt(1400);
  EXPECT_EQ(YelSpriteGetTransitionState(transition), 2);
  EXPECT_EQ(end, DrawnByHand([&] {
              core_->DrawSpritePair(QuadOf(incoming, 0xFFFFFFFF), QuadOf(outgoing, 0x00FFFFFF),
                                    1.0f);
            }));
  EXPECT_GE(Channel(At(end, 12, 12), 16), 250u);  // all incoming
  EXPECT_LE(Channel(At(end, 12, 12), 0), 2u);
  EXPECT_EQ(PresentAt(5000), end);

  EXPECT_EQ(YelSpriteReleaseTransitionHandle(transition), 1);  // cancels: outgoing released
  YelSpriteRelease(render_, incoming);
  EXPECT_EQ(NodeCount(), 0);
}

// An incoming sprite alone fades in by its own alpha, an outgoing one alone fades out; a hidden
// sprite stops the picture for the frame; duration 0 shows the end at once.
TEST_P(EffectsTest, OneSidedAndHiddenTransitions) {
  YelSprite* sprite = Filled(16, 16, kRed, 10, 8, 8);
  YelTransition* transition = YelSpriteCreateTransitionHandle();
  struct Case {
    bool incoming;
    uint32_t duration, time;
    uint32_t alpha;  // handed to the back-end
  };
  for (const Case& c :
       {Case{true, 400, 1100, 63}, Case{true, 0, 1000, 255}, Case{false, 400, 1100, 191}}) {
    ASSERT_EQ(
        YelSpriteSetTransition(render_, c.incoming ? sprite : nullptr,
                               c.incoming ? nullptr : sprite, 1, 1000, c.duration, transition),
        1);
    const std::vector<uint32_t> drawn = PresentAt(c.time);
    const std::vector<uint32_t> expected =
        DrawnByHand([&] { core_->DrawSprite(QuadOf(sprite, c.alpha << 24 | 0xFFFFFF)); });
    EXPECT_EQ(drawn, expected) << c.alpha;
    EXPECT_EQ(YelSpriteGetTransitionState(transition), c.duration ? 1 : 2);
    YelSpriteViewCtrl(sprite, 0);
    EXPECT_EQ(At(PresentAt(c.time), 12, 12), kBlack) << c.alpha;
    YelSpriteViewCtrl(sprite, 1);
    if (c.incoming) {
      ASSERT_EQ(YelSpriteCancelTransition(transition), 1);
    }
  }
  // The last case is cancelled with the handle, which releases its (outgoing) sprite.
  EXPECT_EQ(YelSpriteReleaseTransitionHandle(transition), 1);
  EXPECT_EQ(NodeCount(), 0);
}

// Cancel gives the incoming sprite its own drawing back and releases the outgoing one; a sprite
// released while a transition draws it is forgotten by the transition.
TEST_P(EffectsTest, CancelReleasesTheOutgoingSprite) {
  const int32_t blocks_before = YelGetAllocCount();
  YelSprite* outgoing = Filled(16, 16, kBlue, 10, 8, 8);
  YelSprite* incoming = Filled(16, 16, kRed, 10, 8, 8);
  YelTransition* transition = YelSpriteCreateTransitionHandle();
  const int32_t blocks_with_outgoing = YelGetAllocCount();
  ASSERT_EQ(YelSpriteSetTransition(render_, incoming, outgoing, 1, 1000, 400, transition), 1);
  EXPECT_EQ(NodeCount(), 3);
  PresentAt(1100);
  ASSERT_EQ(YelSpriteCancelTransition(transition), 1);
  EXPECT_EQ(YelSpriteGetTransitionState(transition), 0);
  EXPECT_EQ(NodeCount(), 1);
  EXPECT_LT(YelGetAllocCount(), blocks_with_outgoing - 1);  // the sprite, its texture, its node
  // Drawn by its own node again.
  EXPECT_EQ(PresentAt(1100), DrawnByHand([&] { core_->DrawSprite(QuadOf(incoming, 0xFFFFFFFF)); }));
  yel::SetLastError(0);
  EXPECT_EQ(YelSpriteCancelTransition(transition), 0);
  EXPECT_EQ(yel::GetLastError(), yel::ERROR_INVALID_HANDLE);

  // The layer releases its new sprite while the transition still runs.
  YelSprite* next = Filled(16, 16, kBlue, 10, 8, 8);
  ASSERT_EQ(YelSpriteSetTransition(render_, next, incoming, 1, 1000, 400, transition), 1);
  YelSpriteRelease(render_, next);
  PresentAt(1200);
  EXPECT_EQ(YelSpriteReleaseTransitionHandle(transition), 1);  // releases `incoming`
  EXPECT_EQ(NodeCount(), 0);
  EXPECT_EQ(YelGetAllocCount(), blocks_before);
}

// Asked for its state, a transition reads the frame clock itself: it ends at its time with no
// present in between, whatever its kind (kind 0 draws nothing and would otherwise never end), and
// across the clock's wrap. Once ended it stays ended until the cancel.
TEST_P(EffectsTest, TheStateFollowsTheClockWithoutAPresent) {
  YelSprite* incoming = Filled(16, 16, kRed, 10, 8, 8);
  YelTransition* transition = YelSpriteCreateTransitionHandle();
  struct Case {
    int32_t kind;
    uint32_t start;
    uint32_t times[3];  // before the end, just before it, at it
  } cases[] = {
      {1, 1000, {1000, 1399, 1400}},
      {0, 1000, {1200, 1399, 1400}},
      {1, 0xFFFFFF00u, {0xFFFFFFFFu, 0x8Fu, 0x90u}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "kind " << c.kind << " from " << c.start);
    YelSprite* outgoing = Filled(16, 16, kBlue, 10, 8, 8);
    system_.frame_time = c.start;
    ASSERT_EQ(YelSpriteSetTransition(render_, incoming, outgoing, c.kind, c.start, 400, transition),
              1);
    const int32_t expected[3] = {1, 1, 2};
    for (int i = 0; i < 3; ++i) {
      system_.frame_time = c.times[i];
      EXPECT_EQ(YelSpriteGetTransitionState(transition), expected[i]) << c.times[i];
    }
    system_.frame_time = c.start;
    EXPECT_EQ(YelSpriteGetTransitionState(transition), 2);
    ASSERT_EQ(YelSpriteCancelTransition(transition), 1);  // releases `outgoing`
  }
  EXPECT_EQ(YelSpriteReleaseTransitionHandle(transition), 1);
  YelSpriteRelease(render_, incoming);
  EXPECT_EQ(NodeCount(), 0);
}

// Refusals change nothing: two null sprites leave a running transition running (and its cancel
// safe), null handles report their errors.
TEST_P(EffectsTest, TwoNullSpritesAndNullHandlesAreRefused) {
  YelTransition* transition = YelSpriteCreateTransitionHandle();
  yel::SetLastError(0);
  EXPECT_EQ(YelSpriteSetTransition(render_, nullptr, nullptr, 1, 1000, 400, transition), 0);
  EXPECT_EQ(yel::GetLastError(), 1u);
  EXPECT_EQ(YelSpriteGetTransitionState(transition), 0);
  EXPECT_EQ(YelSpriteCancelTransition(transition), 0);
  EXPECT_EQ(NodeCount(), 0);

  YelSprite* outgoing = Filled(16, 16, kBlue, 10, 8, 8);
  YelSprite* incoming = Filled(16, 16, kRed, 10, 8, 8);
  ASSERT_EQ(YelSpriteSetTransition(render_, incoming, outgoing, 1, 1000, 400, transition), 1);
  EXPECT_EQ(YelSpriteSetTransition(render_, nullptr, nullptr, 1, 1000, 400, transition), 0);
  EXPECT_EQ(YelSpriteGetTransitionState(transition), 1);
  EXPECT_EQ(YelSpriteCancelTransition(transition), 1);
  EXPECT_EQ(NodeCount(), 1);

  yel::SetLastError(0);
  EXPECT_EQ(YelSpriteSetTransition(render_, incoming, nullptr, 1, 0, 0, nullptr), 0);
  EXPECT_EQ(yel::GetLastError(), yel::ERROR_INVALID_HANDLE);
  EXPECT_EQ(YelSpriteGetTransitionState(nullptr), 3);
  EXPECT_EQ(YelSpriteCancelTransition(nullptr), 0);
  EXPECT_EQ(YelSpriteReleaseTransitionHandle(nullptr), 0);
  EXPECT_EQ(YelSpriteReleaseTransitionHandle(transition), 1);
  YelSpriteRelease(render_, incoming);
}

// The raster wave shifts row i of the picture sideways by (h x S[m + i]) >> 16 pixels: S the
// wave's table, h a tenth of the game height times the amplitude, m the phase times 511. The
// phase runs on the effect's own cycle from its start; a period of 0 holds it at 1. The hardware
// back-end draws exactly what it draws when handed that phase and amplitude.
TEST_P(EffectsTest, RasterWaveMovesRowsByTheTablesAmount) {
  YelSprite* stripe = Filled(32, kHeight, 0xFFFFFFFF, 10, 32, 0);
  const std::vector<uint32_t> plain = PresentAt(1000);
  struct Case {
    bool screen;
    uint32_t period, after;
    float phase;
  };
  int32_t screen_priority = 0;
  const YelFxRasterParam param_base{0, 5.0f, 0.0f};
  for (const Case& c : {Case{true, 400, 0, 0.0f}, Case{false, 400, 200, 0.5f},
                        Case{true, 0, 50, 1.0f}, Case{false, 0, 0, 1.0f}}) {
    SCOPED_TRACE(testing::Message() << (c.screen ? "screen" : "sprite") << " period " << c.period
                                    << " after " << c.after);
    YelFxRasterParam param = param_base;
    param.period = c.period;
    void* target = c.screen ? static_cast<void*>(&screen_priority) : static_cast<void*>(&stripe);
    const uint32_t flags = c.screen ? kScreen : 0;
    system_.frame_time = 2000;
    ASSERT_EQ(YelSetFxEffect(target, flags, 1, 0, &param), 1);
    const std::vector<uint32_t> waved = PresentAt(2000 + c.after);
    const yel::FxEffect wave{1, {c.phase, 5.0f, 0.0f}};
    if (gl_) {
      const std::vector<uint32_t> expected = DrawnByHand([&] {
        yel::SpriteQuad quad = QuadOf(stripe, 0xFFFFFFFF);
        if (!c.screen) quad.fx = &wave;
        core_->DrawSprite(quad);
        if (c.screen) core_->DrawScreenFx(wave);
      });
      EXPECT_EQ(waved, expected);
      EXPECT_NE(waved, plain);
    } else {
      const int32_t h = 24;  // trunc(48 x 5 x 0.1)
      const int32_t m = static_cast<int32_t>(c.phase * 511);
      for (int32_t row = 0; row < kHeight; ++row) {
        const auto dx = static_cast<int32_t>((int64_t{h} * yel::RasterSine(m + row)) >> 16);
        int32_t first = 0;
        while (first < kWidth && At(waved, first, row) == kBlack) ++first;
        EXPECT_EQ(first, 32 - dx) << "row " << row;
      }
    }
    EXPECT_EQ(YelReleaseFxEffect(target, flags | 0x0FFFFFFF), 1);
  }
  EXPECT_EQ(PresentAt(3000), plain);
  YelSpriteRelease(render_, stripe);
  EXPECT_EQ(NodeCount(), 0);
}

// One effect's life: growing in over its duration, cycling, refusing a second start, fading out
// to state 0, stepped even while the screen effects are off or the sprite is hidden.
TEST_P(EffectsTest, EffectsGrowCycleAndFadeOut) {
  YelSprite* sprite = Filled(8, 8, kRed, 10, 0, 0);
  YelSprite* other = Filled(8, 8, kRed, 10, 0, 0);
  auto info = [](YelSprite* s, uint32_t time, yel::FxEffect* out) {
    yel::System()->frame_time = time;
    return yel::FxDrawInformation(static_cast<yel::FxRecord*>(s->fx_effect), *out);
  };
  const YelFxRasterParam param{400, 2.0f, 4.0f};
  system_.frame_time = 1000;
  EXPECT_EQ(YelSpriteGetFxEffectState(sprite), 0);
  ASSERT_EQ(YelSetFxEffect(&sprite, 0, 1, 500, &param), 1);
  system_.frame_time = 1100;
  ASSERT_EQ(YelSpriteSetFxEffect(other, 0, 1, 0, &param), 1);
  EXPECT_EQ(YelSetFxEffect(&sprite, 0, 1, 500, &param), 0);  // already running
  EXPECT_EQ(YelGetFxEffectState(&sprite, 0x0FFFFFFF), 1);

  yel::FxEffect fx;
  ASSERT_TRUE(info(sprite, 1200, &fx));
  EXPECT_EQ(fx.type, 1);
  EXPECT_FLOAT_EQ(fx.params[0], 0.5f);  // its own cycle, from 1000
  EXPECT_FLOAT_EQ(fx.params[1], 0.8f);
  EXPECT_FLOAT_EQ(fx.params[2], 1.6f);
  ASSERT_TRUE(info(other, 1200, &fx));
  EXPECT_FLOAT_EQ(fx.params[0], 0.25f);  // from 1100
  ASSERT_TRUE(info(sprite, 1500, &fx));
  EXPECT_FLOAT_EQ(fx.params[1], 2.0f);
  ASSERT_TRUE(info(sprite, 9000, &fx));
  EXPECT_FLOAT_EQ(fx.params[2], 4.0f);

  system_.frame_time = 10000;
  ASSERT_EQ(YelSetFxEffect(&sprite, 0, 2, 300, nullptr), 1);
  EXPECT_EQ(YelSpriteGetFxEffectState(sprite), 2);
  ASSERT_TRUE(info(sprite, 10150, &fx));
  EXPECT_FLOAT_EQ(fx.params[1], 1.0f);
  // Hidden and with the effects off, the fade still ends at its time.
  YelSpriteViewCtrl(sprite, 0);
  YelEffectEnable(0);
  PresentAt(10300);
  EXPECT_EQ(YelSpriteGetFxEffectState(sprite), 0);
  EXPECT_FALSE(info(sprite, 10400, &fx));
  YelEffectEnable(1);

  // Refused starts: another type, no parameters, no target.
  EXPECT_EQ(YelSetFxEffect(&sprite, 1, 1, 0, &param), 0);
  EXPECT_EQ(YelSetFxEffect(&sprite, 0, 1, 0, nullptr), 0);
  EXPECT_EQ(YelSetFxEffect(nullptr, 0, 1, 0, &param), 0);
  EXPECT_EQ(YelSpriteGetFxEffectState(sprite), 0);
  ASSERT_EQ(YelSetFxEffect(&sprite, 0, 1, 0, &param), 1);
  ASSERT_EQ(YelSetFxEffect(&sprite, 0, 0, 0, nullptr), 1);  // stop
  EXPECT_EQ(YelSpriteGetFxEffectState(sprite), 0);
  EXPECT_EQ(YelReleaseFxEffect(&sprite, 0x0FFFFFFF), 1);
  EXPECT_EQ(YelReleaseFxEffect(&sprite, 0x0FFFFFFF), 0);
  YelSpriteRelease(render_, sprite);
  YelSpriteRelease(render_, other);  // frees its running effect with it
}

// The screen effect's node stays in the list after its fade-out, so the record never points at
// a node that present freed; only the release takes it out, and a new start works after.
TEST_P(EffectsTest, ScreenEffectKeepsItsNodeUntilReleased) {
  int32_t priority = 0;
  const YelFxRasterParam param{0, 1.0f, 1.0f};
  system_.frame_time = 1000;
  ASSERT_EQ(YelSetFxEffect(&priority, kScreen, 1, 100, &param), 1);
  EXPECT_EQ(NodeCount(), 1);
  EXPECT_EQ(YelSetFxEffect(&priority, kScreen, 1, 100, &param), 0);
  EXPECT_EQ(NodeCount(), 1);
  ASSERT_EQ(YelSetFxEffect(&priority, kScreen, 2, 100, nullptr), 1);
  EXPECT_EQ(YelGetFxEffectState(nullptr, 0x1FFFFFFF), 2);
  PresentAt(1100);
  PresentAt(1200);
  EXPECT_EQ(YelGetFxEffectState(nullptr, 0x1FFFFFFF), 0);
  EXPECT_EQ(NodeCount(), 1);
  EXPECT_EQ(YelReleaseFxEffect(nullptr, 0x1FFFFFFF), 1);
  EXPECT_EQ(NodeCount(), 0);
  ASSERT_EQ(YelSetFxEffect(&priority, kScreen, 1, 100, &param), 1);
  EXPECT_EQ(NodeCount(), 1);
}

INSTANTIATE_TEST_SUITE_P(Backends, EffectsTest,
                         ::testing::Values(Backend::kSoftware, Backend::kHardware),
                         [](const ::testing::TestParamInfo<Backend>& info) {
                           return info.param == Backend::kSoftware ? std::string("Software")
                                                                   : std::string("Hardware");
                         });

}  // namespace
