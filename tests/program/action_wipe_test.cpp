// The mask wipes on small pixel fixtures: the pixel pass at chosen thresholds, and the kinds run
// by assembled scripts against a frame clock the test moves, with layer 0 the from image, layer 1
// the mask and layer 2 the to image.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "program/game/adv_context.h"
#include "program/layers/action_manager.h"
#include "program/layers/graphic_slots.h"
#include "program/layers/mask_wipe.h"
#include "program/script/skip_state.h"
#include "program/startup/yel_import.h"
#include "tests/program/script_machine.h"
#include "tests/program/started_library.h"

namespace {

using adv::WipeDirection;
using adv::WipeImage;
using test::ScriptMachine;

uint32_t Pixel(uint32_t alpha, uint32_t blue) {
  return alpha << 24 | 0x00336600u | blue;
}

// One pixel of each image through the pass at threshold t.
uint32_t WipedAlpha(WipeDirection direction, uint32_t from_alpha, uint32_t mask_blue,
                    uint32_t threshold) {
  uint32_t from = Pixel(from_alpha, 0x11);
  uint32_t mask = Pixel(0xFF, mask_blue);
  uint32_t to = 0xAA123456u;
  adv::MaskWipeAlpha(direction, {&from, 1, 1}, {&mask, 1, 1}, {&to, 1, 1}, threshold);
  EXPECT_EQ(to & 0x00FFFFFFu, 0x123456u);  // only the alpha byte is written
  return to >> 24;
}

TEST(MaskWipePixels, TheThresholdOpensASoftEdgeOfThirtyOneSteps) {
  struct Case {
    uint32_t threshold;
    uint32_t blue;
    uint32_t alpha;  // of from alpha 64, appearing
  };
  const Case cases[] = {
      {0, 255, 62},    // 31/32
      {0, 225, 2},     // 1/32
      {0, 224, 0},     //
      {255, 1, 64},    // everything but blue 0 shows at the end of the time
      {255, 0, 0},     // blue 0 appears only at the finish
      {128, 128, 64},  // v = 127 < t: past the edge
      {128, 127, 62},  // v = 128: the edge's first step, (159 - 128) / 32
      {128, 100, 8},   // v = 155: (159 - 155) / 32
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.threshold) + "/" + std::to_string(c.blue));
    EXPECT_EQ(WipedAlpha(WipeDirection::kAppear, 64, c.blue, c.threshold), c.alpha);
  }
}

TEST(MaskWipePixels, AppearingAndDisappearingAddUpToTheFromAlphaEverywhere) {
  for (uint32_t alpha : {0u, 1u, 64u, 200u, 255u}) {
    for (uint32_t blue = 0; blue < 256; blue += 5) {
      for (uint32_t threshold = 0; threshold < 256; ++threshold) {
        const uint32_t shown = WipedAlpha(WipeDirection::kAppear, alpha, blue, threshold);
        const uint32_t kept = WipedAlpha(WipeDirection::kDisappear, alpha, blue, threshold);
        ASSERT_EQ(shown + kept, alpha) << alpha << " " << blue << " " << threshold;
        if (alpha == 0) {
          ASSERT_EQ(shown, 0u);
        }
      }
    }
  }
}

TEST(MaskWipePixels, ImagesOfDifferentSizesMeetOnTheirCommonArea) {
  // from 3 x 2, mask 2 x 3, to 4 x 4: only the 2 x 2 corner is written, each row at its own
  // image's row length.
  std::vector<uint32_t> from(6, Pixel(0xFF, 0));
  std::vector<uint32_t> mask(6, Pixel(0xFF, 0xFF));
  std::vector<uint32_t> to(16, 0x00ABCDEFu);
  adv::MaskWipeAlpha(WipeDirection::kAppear, {from.data(), 3, 2}, {mask.data(), 2, 3},
                     {to.data(), 4, 4}, 100);
  for (int32_t y = 0; y < 4; ++y) {
    for (int32_t x = 0; x < 4; ++x) {
      const uint32_t expected = x < 2 && y < 2 ? 0xFFABCDEFu : 0x00ABCDEFu;
      EXPECT_EQ(to[static_cast<size_t>(y * 4 + x)], expected) << x << "," << y;
    }
  }
}

class MaskWipes : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(yel::LoadLibraryFrom(YEL_LIBRARY));
    render_ = test::StartLibraryHidden();
    ASSERT_NE(render_, nullptr);
    yel::YelRenderLockEnter();
  }
  void TearDown() override {
    Unload();
    yel::YelRenderLockLeave();
    yel::YelRenderSetActive(nullptr);
    yel::YelRenderUninit(render_);
    yel::YelUninit();
  }
  void Unload() {
    if (machine_) adv::AdvActionReset(machine_->context());
    for (adv::GraphicSlot* slot : slots_) {
      if (info_only_) {
        yel::YelMemoryFree(slot->sprite);
        slot->sprite = nullptr;
      }
      adv::AdvGraphicSlotFreeNow(slot);
    }
    slots_.clear();
    machine_.reset();
  }

  // A machine on the script; layers 0-2 (from, mask, to) hold sprites of the given sizes, or
  // information-only sprites without pixels.
  ScriptMachine& Load(const std::string& source, std::vector<std::pair<int32_t, int32_t>> sizes,
                      bool info_only = false) {
    Unload();
    info_only_ = info_only;
    machine_ = std::make_unique<ScriptMachine>(source);
    EXPECT_TRUE(machine_->loaded());
    for (size_t layer = 0; layer < sizes.size(); ++layer) {
      adv::GraphicSlot* slot =
          adv::AdvGraphicSlotAlloc(adv::kSlotBankLayer, static_cast<int32_t>(layer));
      const auto [w, h] = sizes[layer];
      slot->sprite = info_only ? yel::YelSpriteInfoCreate("WIPE", w, h, 0)
                               : yel::YelSpriteCreate(render_, w, h, 0);
      slots_.push_back(slot);
    }
    return *machine_;
  }
  // The pixels of a layer's sprite, row by row.
  uint32_t* Pixels(int layer, int32_t* width = nullptr) {
    int32_t w = 0;
    int32_t h = 0;
    uint32_t* pixels = yel::YelSpriteLock(slots_.at(layer)->sprite, &w, &h);
    yel::YelSpriteUnlock(slots_.at(layer)->sprite);
    if (width) *width = w;
    return pixels;
  }
  // A 2 x 1 from picture over mask blues 255 and 0: the first pixel goes first, the second last.
  void FillTwoPixels() {
    uint32_t* from = Pixels(0);
    from[0] = Pixel(64, 0x10);
    from[1] = Pixel(128, 0x20);
    uint32_t* mask = Pixels(1);
    mask[0] = Pixel(0xFF, 255);
    mask[1] = Pixel(0xFF, 0);
    uint32_t* to = Pixels(2);
    to[0] = to[1] = 0xFF777777u;
  }
  std::vector<uint32_t> Alphas(int layer, size_t count) {
    std::vector<uint32_t> alphas;
    for (size_t i = 0; i < count; ++i) alphas.push_back(Pixels(layer)[i] >> 24);
    return alphas;
  }

  adv::AdvContext& context() { return machine_->context(); }
  void Start() {
    machine_->Run();
    t0_ = context().actions.sets[0].start_time;
  }
  void Frame(uint32_t ms) { adv::ActionsStep(context(), t0_ + ms); }

  YelRender* render_ = nullptr;
  std::unique_ptr<ScriptMachine> machine_;
  std::vector<adv::GraphicSlot*> slots_;
  bool info_only_ = false;
  uint32_t t0_ = 0;
};

TEST_F(MaskWipes, AWipePreparesStepsAndCompletesOrStops) {
  struct Case {
    const char* name;
    const char* command;
    int32_t stop;
    uint32_t length;
    std::vector<uint32_t> at_start, at_first_tick, at_end;
  };
  // From alphas 64 and 128; the first pixel's mask is the brightest, the second's the darkest.
  const Case cases[] = {
      {"appear", "action_set_mask", 0, 1000, {0, 0}, {62, 0}, {64, 128}},
      {"disappear", "action_set_mask2", 0, 1000, {64, 128}, {2, 128}, {0, 0}},
      {"appear stopped at half", "action_set_mask", 1, 500, {0, 0}, {62, 0}, {64, 0}},
      {"appear aborted at half", "action_set_mask", 0, 500, {0, 0}, {62, 0}, {64, 128}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Load(std::string("cmd ") + c.command + "(0, 0, 1, 2, 1000)\ncmd set_action_stop(0, " +
             std::to_string(c.stop) + ")\ncmd action_run(0, " + std::to_string(c.length) + ")\n",
         {{2, 1}, {2, 1}, {2, 1}});
    FillTwoPixels();
    Start();
    Frame(0);
    EXPECT_EQ(Alphas(2, 2), c.at_start);
    EXPECT_EQ(Pixels(2)[0] & 0x00FFFFFFu, 0x336610u);  // the from colours
    Frame(1);
    EXPECT_EQ(Alphas(2, 2), c.at_first_tick);
    Frame(c.length);
    EXPECT_EQ(context().actions.sets[0].running, 0u);
    EXPECT_EQ(Alphas(2, 2), c.at_end);
  }
}

TEST_F(MaskWipes, SmallerFromAndMaskImagesAreWipedOnTheirCommonArea) {
  Load("cmd action_set_mask(0, 0, 1, 2, 1000)\ncmd action_run(0, 1000)\n",
       {{3, 2}, {2, 3}, {4, 4}});
  int32_t width = 0;
  uint32_t* to = Pixels(2, &width);
  ASSERT_EQ(width, 4);
  for (int i = 0; i < 16; ++i) to[i] = 0xFF010203u;
  uint32_t* from = Pixels(0);
  for (int i = 0; i < 6; ++i) from[i] = Pixel(0xFF, 0x44);
  uint32_t* mask = Pixels(1);
  for (int i = 0; i < 6; ++i) mask[i] = Pixel(0xFF, 0xFF);
  Start();
  for (uint32_t ms : {0u, 1u, 500u, 1000u}) Frame(ms);
  EXPECT_TRUE(machine_->Logged("action_set_mask size error w=[2]!=[4] h=[3]!=[4]", 0));
  // The from picture's 3 x 2 lies in the corner; the rest keeps what it showed.
  to = Pixels(2);
  for (int32_t y = 0; y < 4; ++y) {
    for (int32_t x = 0; x < 4; ++x) {
      const uint32_t expected = x < 3 && y < 2 ? Pixel(0xFF, 0x44) : 0xFF010203u;
      EXPECT_EQ(to[y * 4 + x], expected) << x << "," << y;
    }
  }
}

TEST_F(MaskWipes, AMissingImageIsReportedEveryFrameAndNothingStarts) {
  struct Case {
    const char* command;
    const char* images;
    const char* message;
  };
  const Case cases[] = {
      {"action_set_mask", "5, 1, 2", "action_set_mask not [from] Image"},
      {"action_set_mask", "0, 5, 2", "action_set_mask not [mask] Image"},
      {"action_set_mask2", "0, 5, 2", "action_set_mask not [msak] Image"},
      {"action_set_mask", "0, 1, 5", "action_set_mask not [to] Image"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    Load(std::string("cmd ") + c.command + "(0, " + c.images + ", 100)\ncmd action_run(0, 5000)\n",
         {{2, 1}, {2, 1}, {2, 1}});
    Start();
    for (uint32_t frame = 0; frame < 100; ++frame) Frame(frame * 16);
    EXPECT_EQ(machine_->CountLogged(c.message), 100);
    EXPECT_EQ(context().actions.sets[0].states[0].started, 0u);
    EXPECT_EQ(context().actions.sets[0].lines[0].kind_state, nullptr);
  }
}

TEST_F(MaskWipes, ALoopedWipeOverImagesWithoutPixelsRunsWithoutTouchingThem) {
  Load(
      "cmd action_set_mask(0, 0, 1, 2, 100)\ncmd action_set_mask2(0, 0, 1, 2, 100)\n"
      "cmd action_loop_run(0, 0)\n",
      {{64, 32}, {64, 32}, {64, 32}}, true);
  Start();
  context().skip.scene_skip = 1;
  for (uint32_t ms = 0; ms <= 1000; ms += 25) Frame(ms);
  EXPECT_EQ(context().actions.sets[0].running, 1u);
  context().skip.scene_skip = 0;
}

}  // namespace
