// The action kinds beyond the basic tweens, built by assembled scripts and stepped with a frame
// clock the test moves: shakes (against a random table the test writes), sound cues, cel frames,
// rectangle, colour, circles, show and hide, held alpha and eased moves. Layers 0 and 1 are
// shown by sprites the test makes; frame times are measured from set 0's start.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "program/game/adv_context.h"
#include "program/layers/action_manager.h"
#include "program/layers/graphic_slots.h"
#include "program/layers/layer_table.h"
#include "program/sound/sound_state.h"
#include "program/startup/startup_names.h"
#include "program/startup/yel_import.h"
#include "tests/program/action_fixture.h"
#include "tests/program/script_machine.h"
#include "tests/program/temp_folder.h"

namespace {

using test::ScriptMachine;

// Platform calls the program itself does not bind.
const yel::Import<decltype(::YelRandomSetSeed)> RandomSetSeed{"YelRandomSetSeed"};
const yel::Import<decltype(::YelInputSetKeyOn)> InputSetKeyOn{"YelInputSetKeyOn"};

constexpr uint32_t kKeyCtrl = 1u << 3;
constexpr char kRangeText[] = "graph error : 範囲外の値を指定しています。no = ";

class ActionKinds : public test::ActionFixture {
 protected:
  // A new machine on the script, with layers 0 and 1 shown by 256 x 64 sprite sheets of four
  // 64 x 64 cells.
  ScriptMachine& Load(const std::string& source) {
    return LoadWithLayers(
        source,
        [&] {
          YelSprite* sheet = yel::YelSpriteCreate(render_, 256, 64, 0);
          yel::YelSpriteSetOffsetRect(sheet, 64, 64);
          return sheet;
        },
        true);
  }
};

// Random entries the shakes draw, in order.
void SetRandomTable(std::vector<int32_t> entries) {
  RandomSetSeed(entries.data(), static_cast<uint32_t>(entries.size()));
}

TEST_F(ActionKinds, AShakeJittersWithinItsShrinkingAmplitudeAndLeavesNothing) {
  struct Case {
    const char* name;
    int32_t direction;
    int32_t amplitude;
    uint32_t ms;
    std::vector<int32_t> random;
    int32_t x, y;
  };
  // At 1 ms an amplitude of 10 spans m = 10 (offsets -5..4), at 500 ms m = 6, at 999 ms m = 1.
  const Case cases[] = {
      {"vertical, low end", 0, 10, 1, {0}, 0, -5},
      {"vertical, high end", 0, 10, 1, {9}, 0, 4},
      {"horizontal, halfway", 1, 10, 500, {5}, 2, 0},
      {"both, x first", 2, 10, 500, {0, 17}, -3, 2},
      {"shrunk to nothing at the end", 2, 10, 999, {9, 7}, 0, 0},
      {"direction 3 stays still", 3, 10, 1, {9, 9}, 0, 0},
      {"a negative amplitude stays still", 2, -10, 1, {9, 9}, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Load("cmd action_shake(0, 0, " + std::to_string(c.direction) + ", " +
         std::to_string(c.amplitude) + ", 1000)\ncmd action_run(0, 1000)\n");
    Start();
    Frame(0);
    SetRandomTable(c.random);
    Frame(c.ms);
    EXPECT_EQ(Layer(0).frame.shake_x, c.x);
    EXPECT_EQ(Layer(0).frame.shake_y, c.y);
    Frame(1000);
    EXPECT_EQ(Set(0).running, 0u);
    EXPECT_EQ(Layer(0).frame.shake_x, 0);
    EXPECT_EQ(Layer(0).frame.shake_y, 0);
    EXPECT_EQ(Layer(0).position, (std::array<int32_t, 3>{0, 0, 0}));
  }
  // Across the whole section every offset lies within -5..5.
  Load("cmd action_shake(0, 0, 2, 10, 1000)\ncmd action_run(0, 1000)\n");
  Start();
  std::vector<int32_t> spread;
  for (int32_t i = 0; i < 64; ++i) spread.push_back(i * 7919);
  SetRandomTable(spread);
  for (uint32_t ms = 0; ms < 1000; ms += 10) {
    Frame(ms);
    EXPECT_LE(std::abs(Layer(0).frame.shake_x), 5);
    EXPECT_LE(std::abs(Layer(0).frame.shake_y), 5);
  }
}

TEST_F(ActionKinds, AWobbleFollowsTheSineOfItsPhase) {
  struct Case {
    uint32_t mode;
    std::vector<uint32_t> frames;  // the shake is read after the last
    int32_t phase_degrees;
    float amplitude;
  };
  const auto wobble = [](int32_t degrees, float amplitude) {
    return static_cast<int32_t>(std::sin(degrees * 3.141592 / 180.0) * amplitude);
  };
  // Period 400 ms, amplitude 8, over 2000 ms. Mode 3 decays: at 1000 ms the amplitude is 4; the
  // frame at 900 ms, past the first period, starts the cycle that is a quarter through at 1000.
  const Case cases[] = {
      {1, {50}, 45, 8},   {1, {100}, 90, 8}, {1, {300}, 270, 8},
      {1, {399}, 359, 8}, {0, {100}, 90, 8}, {3, {900, 1000}, 90, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.mode) + " at " + std::to_string(c.frames.back()));
    Load("cmd action_shake2(0, 0, " + std::to_string(c.mode) + ", 8, 400, 2000)\n" +
         "cmd action_run(0, 2000)\n");
    Start();
    Frame(0);
    for (uint32_t ms : c.frames) Frame(ms);
    const int32_t expected = wobble(c.phase_degrees, c.amplitude);
    const bool vertical = c.mode == 0 || c.mode == 2;
    EXPECT_EQ(Layer(0).frame.shake_x, vertical ? 0 : expected);
    EXPECT_EQ(Layer(0).frame.shake_y, vertical ? expected : 0);
  }
  // The frame past the period stands at 360 degrees and opens the next cycle.
  Load("cmd action_shake2(0, 0, 1, 8, 400, 2000)\ncmd action_run(0, 2000)\n");
  Start();
  Frame(0);
  Frame(401);
  EXPECT_EQ(Layer(0).frame.shake_x, wobble(360, 8));
  Frame(501);
  EXPECT_EQ(Layer(0).frame.shake_x, wobble(90, 8));
  // A period of 0 has no phase: nothing moves.
  Load("cmd action_shake2(0, 0, 1, 8, 0, 2000)\ncmd action_run(0, 2000)\n");
  Start();
  Frame(0);
  Frame(100);
  EXPECT_EQ(Layer(0).frame.shake_x, 0);
}

TEST_F(ActionKinds, CelFramesStepTheSpriteSheet) {
  Load(
      "cmd action_animation(0, 0, 0, 0, 100)\n"
      "cmd action_animation(0, 0, 1, 0, 100)\n"
      "cmd action_animation(0, 0, 2, 0, 100)\n"
      "cmd action_animation(0, 0, 3, 0, 100)\n"
      "cmd action_run(0, 400)\n");
  Start();
  std::vector<int32_t> lefts;
  for (uint32_t ms : {0u, 50u, 100u, 150u, 200u, 300u}) {
    Frame(ms);
    YelRect rect{};
    yel::YelSpriteGetRect(Layer(0).sprite, &rect);
    lefts.push_back(rect.left);
  }
  EXPECT_EQ(lefts, (std::vector<int32_t>{0, 0, 64, 64, 128, 192}));

  // A set rectangle on an enabled base: the delta holds the difference, the commit the sum.
  Load("cmd action_animation_ex(0, 0, 64, 0, 64, 64, 100)\ncmd action_run(0, 100)\n");
  Layer(0).rect_enabled = 1;
  Layer(0).rect = {0, 0, 64, 64};
  Start();
  Frame(0);
  EXPECT_EQ(Layer(0).action_delta.rect, (std::array<int32_t, 4>{64, 0, 64, 0}));
  EXPECT_EQ(adv::AdvGraphicSlotSums(Layer(0)).rect, (std::array<int32_t, 4>{64, 0, 128, 64}));
  Frame(100);
  EXPECT_EQ(Layer(0).rect, (std::array<int32_t, 4>{64, 0, 128, 64}));
  EXPECT_EQ(Layer(0).action_delta.rect, (std::array<int32_t, 4>{}));
}

class ActionSound : public ActionKinds {
 protected:
  void SetUp() override {
    ActionKinds::SetUp();
    yel::YelSystemPathInit();
    yel::YelSystemPathSet(folder_.path().c_str());
    std::filesystem::copy_file(std::filesystem::path(SAMPLE_PACK_DIR) / "VOICE03.wav",
                               folder_ / "CUE.wav");
  }
  void TearDown() override {
    for (uint32_t handle : handles_) yel::YelSoundRelease(handle);
    ActionKinds::TearDown();
    yel::YelSystemPathUninit();
  }
  // Channel 0 holds a loaded sound, as se_load leaves it.
  uint32_t LoadCue() {
    const uint32_t handle = yel::YelSoundLoad("CUE.wav", adv::kSoundTypeSe0, nullptr);
    EXPECT_NE(handle, 0u);
    handles_.push_back(handle);
    context().sound.se[0].handle = handle;
    return handle;
  }

  test::TempFolder folder_;
  std::vector<uint32_t> handles_;
};

TEST_F(ActionSound, AHeldControlKeyDropsOneShotCuesButNotLoops) {
  struct Case {
    uint32_t loop;
    bool control;
    bool plays;
    uint32_t flags;
  };
  const Case cases[] = {
      {0, false, true, 0},
      {0, true, false, 0},
      {1, true, true, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.loop) + (c.control ? " with control" : ""));
    Load("cmd action_sound(0, 0, " + std::to_string(c.loop) +
         ", 0, 100)\ncmd action_run(0, 100)\n");
    const uint32_t handle = LoadCue();
    yel::YelInputClear();
    if (c.control) InputSetKeyOn(kKeyCtrl);
    Start();
    Frame(0);
    EXPECT_EQ(yel::YelSoundPlayIs(handle) != 0, c.plays);
    EXPECT_EQ(context().sound.se[0].flags, c.flags);
    yel::YelSoundStop(handle);
  }
}

TEST_F(ActionSound, AChannelOutsideTheSixteenIsRefused) {
  Load("cmd action_sound(0, 16, 1, 1, 100)\ncmd action_wait(1, 300)\ncmd action_run(0, 300)\n");
  const uint32_t handle = LoadCue();
  Start();
  Frame(0);
  EXPECT_TRUE(machine_->Logged("action_sound channel over [16]", 0));
  EXPECT_EQ(yel::YelSoundPlayIs(handle), 0);
  // The section keeps its time: the line goes on.
  Frame(100);
  EXPECT_EQ(Set(0).states[0].section, 1);
}

TEST_F(ActionKinds, TweensOfRectangleColourAndMovesReachTheirEnds) {
  // Right edge +100 over 100 ms on curve 16, read one ms ahead: 17 ms -> p 0.17 -> 17.
  Load("cmd action_move_rect(0, 0, 16, 0, 0, 100, 0, 100)\ncmd action_run(0, 100)\n");
  Layer(0).rect_enabled = 1;
  Start();
  Frame(0);
  Frame(16);
  EXPECT_EQ(Layer(0).frame.action.rect[2], 17);
  Frame(100);
  EXPECT_EQ(Layer(0).rect[2], 100);

  // Red -255 over 1000 ms: -127 at half, red 0 after the commit.
  Load("cmd action_color(0, 0, -255, 0, 0, 1000)\ncmd action_run(0, 1000)\n");
  Start();
  Frame(0);
  Frame(500);
  EXPECT_EQ(Layer(0).frame.action.colour[1], -127);
  Frame(1000);
  EXPECT_EQ(Layer(0).colour, 0xFF00FFFFu);

  // dx1 100 over 500 ms, then dx2 50 over 500 ms decelerating.
  Load(
      "cmd action_straight_decele(0, 0, 100, 0, 0, 500, 50, 0, 0, 500)\ncmd action_run(0, 1000)\n");
  Start();
  std::vector<int32_t> xs;
  for (uint32_t ms : {0u, 500u, 750u}) {
    Frame(ms);
    xs.push_back(adv::AdvGraphicSlotSums(Layer(0)).position[0]);
  }
  EXPECT_EQ(xs, (std::vector<int32_t>{0, 100, 137}));
  Frame(1000);
  EXPECT_EQ(Layer(0).position[0], 150);

  // Back out (41) overshoots, then the finish adds exactly dx.
  Load("cmd action_ease_move(0, 0, 100, 0, 0, 41, 1000)\ncmd action_run(0, 1000)\n");
  Start();
  int32_t furthest = 0;
  for (uint32_t ms = 0; ms < 1000; ms += 50) {
    Frame(ms);
    furthest = std::max(furthest, Layer(0).frame.action.position[0]);
  }
  EXPECT_GT(furthest, 100);
  Frame(1000);
  EXPECT_EQ(Layer(0).position[0], 100);
}

TEST_F(ActionKinds, AnEasedFadeIsHeldWithinItsEnds) {
  // Back in (40) dips below 0 first: the fade never brightens.
  Load("cmd action_ease_alpha(0, 0, -255, 40, 1000)\ncmd action_run(0, 1000)\n");
  Layer(0).colour = 0x80FFFFFF;
  Start();
  for (uint32_t ms = 0; ms < 1000; ms += 25) {
    Frame(ms);
    EXPECT_LE(Layer(0).frame.action.colour[0], 0) << ms;
    EXPECT_LE(adv::AdvGraphicSlotSumColorChannel(Layer(0), 0), 0x80) << ms;
  }
  Frame(1000);
  EXPECT_EQ(Layer(0).colour >> 24, 0u);
}

TEST_F(ActionKinds, ACircleTurnsRoundThePositionAndOnlyTheKeptOneStays) {
  struct Case {
    const char* command;
    int32_t kept_y;
  };
  for (const Case& c : {Case{"action_circle", 100}, Case{"action_circle2", 0}}) {
    SCOPED_TRACE(c.command);
    Load(std::string("cmd ") + c.command +
         "(0, 0, 0, 0, 100, 100, 512, 512, 0, 0, 1000, 16)\ncmd action_run(0, 1000)\n");
    Start();
    std::vector<std::array<int32_t, 3>> offsets;
    for (uint32_t ms : {0u, 1u, 250u, 500u}) {
      Frame(ms);
      offsets.push_back(Layer(0).frame.animation.position);
    }
    EXPECT_EQ(offsets, (std::vector<std::array<int32_t, 3>>{
                           {0, 0, 0}, {0, 100, 0}, {100, 0, 0}, {0, -100, 0}}));
    Frame(1000);
    EXPECT_EQ(adv::AdvGraphicSlotSums(Layer(0)).position[1], 100);  // the end, in this frame
    EXPECT_EQ(Layer(0).position[0], 0);
    EXPECT_EQ(Layer(0).position[1], c.kept_y);
    Frame(1016);
    EXPECT_EQ(adv::AdvGraphicSlotSums(Layer(0)).position[1], c.kept_y);
  }
}

TEST_F(ActionKinds, ShowAndHideActAtOnceAndRetryLayersOutOfRange) {
  Load("cmd action_show(0, 0, 100)\ncmd action_hide(1, 1, 100)\ncmd action_run(0, 100)\n");
  yel::YelSpriteViewCtrl(Layer(1).sprite, 1);
  Start();
  Frame(0);
  EXPECT_EQ(yel::YelSpriteViewIs(Layer(0).sprite), 1);
  EXPECT_EQ(yel::YelSpriteViewIs(Layer(1).sprite), 0);

  for (int32_t layer : {128, -1}) {
    SCOPED_TRACE(layer);
    Load("cmd action_show(0, " + std::to_string(layer) + ", 100)\ncmd action_run(0, 1000)\n");
    Start();
    for (uint32_t ms : {0u, 16u, 32u, 48u}) Frame(ms);
    EXPECT_EQ(machine_->CountLogged(kRangeText + std::to_string(layer)), 4);
    EXPECT_EQ(Set(0).states[0].started, 0u);  // the line waits on the section
  }
}

TEST_F(ActionKinds, AHeldAlphaOutlastsAFadeOnTheSameLayer) {
  Load(
      "cmd action_alpha(0, 0, -200, 1000)\n"
      "cmd action_set_alpha(1, 0, 128, 1500)\n"
      "cmd action_run(0, 1500)\n");
  Start();
  Frame(0);
  for (uint32_t ms : {500u, 1000u, 1100u}) {
    Frame(ms);
    EXPECT_EQ(adv::AdvGraphicSlotSumColorChannel(Layer(0), 0), 128) << ms;
  }
  Frame(1500);
  EXPECT_EQ(Set(0).running, 0u);
  EXPECT_EQ(Layer(0).colour >> 24, 128u);
  EXPECT_EQ(Layer(0).action_delta.colour[0], 0);
}

}  // namespace
