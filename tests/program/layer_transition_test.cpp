// A layer changing its image, or losing it, through a transition of its own: prepared by the
// commands, started by the commit, ended by the layer step. Every sprite is owned by exactly one
// of the slot, the layer's held previous sprite and the transition, so each case ends with the
// frame showing what it should and nothing left behind.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "os/picture_codecs.h"
#include "program/layers/layer_transitions.h"
#include "tests/program/layer_fixture.h"
#include "tests/program/temp_folder.h"

namespace {

using test::ScriptMachine;

constexpr uint32_t kRed = 0xFFFF0000;
constexpr uint32_t kGreen = 0xFF00FF00;
constexpr char kRedImage[] =
    "cmd sp_create(3, f\"#FFFF0000\", 0, 0, 40, 20)\n"
    "cmd run_no_wait()\n"
    "cmd wait_frame()\n";

// The longest transition time the cases use.
constexpr uint32_t kTransitionMs = 300;

class LayerTransitions : public test::LayerScripts {
 protected:
  // Runs the script to its end, one frame per pass, and a few frames more; between the second
  // and the third frame the clock moves past the transitions' time, so that those started by
  // then end in the third frame's layer step.
  void RunFrames(int frames = 4) {
    for (int i = 0; i < frames; ++i) {
      if (i == 2) PassTime(kTransitionMs);
      Frame();
    }
  }
  // The frame clock stands still between frames until the test moves it: here to `ms` past its
  // value now.
  static void PassTime(uint32_t ms) {
    const uint32_t from = yel::YeltimeGetTime();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    do {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
      yel::YelUpdateTime();
    } while (yel::YeltimeGetTime() - from < ms && std::chrono::steady_clock::now() < deadline);
  }
  // Blocks of the platform library alive beyond those at `base` once every layer is cleared and
  // the queue committed: sprites a case lost.
  int32_t LeftOver(int32_t base) {
    adv::AdvLayerTableReset(context());
    adv::RunDisplayQueue(context());
    return yel::YelGetAllocCount() - base;
  }
};

// The two-step change and the one-step change, with effects on, off and while skipping: with
// effects the old image stays until the commit, without them the previous sprite goes at once;
// either way the commit shows the new image and the old one is released.
TEST_F(LayerTransitions, ChangesShowTheNewImageAfterTheCommit) {
  struct Case {
    const char* name;
    const char* change;
    bool effects, skipping;
    const char* trace;
    uint32_t before_commit;  // shown at (5, 5) before the commit
  } cases[] = {
      {"two steps",
       "cmd sp_copy_image(3)\ncmd sp_set_ex(f\"#FF00FF00\", 3, 0, 0, 0)\n"
       "cmd sp_transition(3, 1, 300)\n",
       true, false, "sp_transition 3, 1, 300", kRed},
      {"two steps, effects off",
       "cmd sp_copy_image(3)\ncmd sp_set_ex(f\"#FF00FF00\", 3, 0, 0, 0)\n"
       "cmd sp_transition(3, 1, 300)\n",
       false, false, "[skip]sp_transition 3, 1, 300", 0},
      {"two steps, skipping",
       "cmd sp_copy_image(3)\ncmd sp_set_ex(f\"#FF00FF00\", 3, 0, 0, 0)\n"
       "cmd sp_transition(3, 1, 300)\n",
       true, true, "[skip]sp_transition 3, 1, 300", 0},
      {"one step", "cmd sp_set_transition(f\"#FF00FF00\", 3, 1, 300)\n", true, false,
       "sp_set_transition  #FF00FF00, 3, 1, 300", kRed},
      {"one step, effects off", "cmd sp_set_transition(f\"#FF00FF00\", 3, 1, 300)\n", false, false,
       "sp_set_transition  #FF00FF00, 3, 1, 300", kRed},
      {"copied twice",
       "cmd sp_copy_image(3)\ncmd sp_copy_image(3)\n"
       "cmd sp_set_ex(f\"#FF00FF00\", 3, 0, 0, 0)\ncmd sp_transition(3, 1, 300)\n",
       true, false, "sp_transition 3, 1, 300", kRed},
  };
  for (const Case& c : cases) {
    ScriptMachine& m =
        Load(std::string(kRedImage) + c.change + "cmd wait_frame()\ncmd run_no_wait()\n");
    const int32_t base = yel::YelGetAllocCount();
    yel::YelEffectEnable(c.effects ? 1 : 0);
    Frame();
    context().skip.skip_mode = c.skipping ? 1 : 0;
    Frame();
    context().skip.skip_mode = 0;
    EXPECT_TRUE(m.Logged(c.trace, adv::kLogTrace)) << c.name;
    EXPECT_EQ(Shown(5, 5), c.before_commit) << c.name;
    RunFrames();
    EXPECT_EQ(Shown(5, 5), kGreen) << c.name;
    EXPECT_EQ(Shown(100, 100), kGreen) << c.name;  // the old image is gone
    EXPECT_EQ(layer(3).transition_state, adv::kTransitionNone) << c.name;
    EXPECT_EQ(layer(3).keep_previous, 0u) << c.name;
    EXPECT_FALSE(m.Logged("内部エラー", adv::kLogError)) << c.name;
    EXPECT_EQ(LeftOver(base), 0) << c.name;
    yel::YelEffectEnable(1);
  }
}

// Clears through a transition mixed with other changes of the same layer, before and after the
// commit; the last column is what the frame shows at the end.
TEST_F(LayerTransitions, ClearsEndWithTheImageLastSet) {
  struct Case {
    const char* name;
    const char* script;
    const char* error;  // logged on the way, or null
    uint32_t shown;
  } cases[] = {
      {"clear", "cmd sp_cls_transition(3, 1, 300)\ncmd run_no_wait()\n", nullptr, 0},
      {"clear twice",
       "cmd sp_cls_transition(3, 1, 300)\ncmd sp_cls_transition(3, 1, 300)\n"
       "cmd run_no_wait()\n",
       nullptr, 0},
      {"clear, change before the commit",
       "cmd sp_cls_transition(3, 1, 300)\n"
       "cmd sp_set_transition(f\"#FF00FF00\", 3, 1, 300)\ncmd run_no_wait()\n",
       "sprite transition error : no image [3]", 0},
      {"clear, change after the commit",
       "cmd sp_cls_transition(3, 1, 300)\ncmd run_no_wait()\n"
       "cmd sp_set_transition(f\"#FF00FF00\", 3, 1, 300)\ncmd run_no_wait()\n",
       "sprite transition error : no image [3]", 0},
      {"clear, set",
       "cmd sp_cls_transition(3, 1, 300)\n"
       "cmd sp_set_ex(f\"#FF00FF00\", 3, 0, 0, 0)\ncmd run_no_wait()\n",
       nullptr, kGreen},
      {"clear, commit, set",
       "cmd sp_cls_transition(3, 1, 300)\ncmd run_no_wait()\n"
       "cmd sp_set_ex(f\"#FF00FF00\", 3, 0, 0, 0)\ncmd run_no_wait()\n",
       nullptr, kGreen},
      {"copy, clear", "cmd sp_copy_image(3)\ncmd sp_cls(3)\ncmd run(0, 0, 0)\n", nullptr, 0},
      {"copy, clear through a transition",
       "cmd sp_copy_image(3)\n"
       "cmd sp_cls_transition(3, 1, 300)\ncmd run_no_wait()\n",
       nullptr, 0},
      {"clear, copy",
       "cmd sp_cls_transition(3, 1, 300)\ncmd sp_copy_image(3)\n"
       "cmd sp_set_ex(f\"#FF00FF00\", 3, 0, 0, 0)\ncmd sp_transition(3, 0, 0)\n"
       "cmd run_no_wait()\n",
       nullptr, kGreen},
  };
  for (const Case& c : cases) {
    ScriptMachine& m = Load(std::string(kRedImage) + c.script);
    const int32_t base = yel::YelGetAllocCount();
    RunFrames();
    if (c.error) {
      EXPECT_TRUE(m.Logged(c.error, adv::kLogError)) << c.name;
    }
    EXPECT_EQ(Shown(5, 5), c.shown) << c.name;
    EXPECT_EQ(layer(3).slot != nullptr, c.shown != 0) << c.name;
    EXPECT_EQ(layer(3).transition_state, adv::kTransitionNone) << c.name;
    EXPECT_EQ(LeftOver(base), 0) << c.name;
  }
}

// A 200 x 100 red image at (10, 20) changes to a 100 x 50 green one through a transition: the
// point (15, 25) shows only the old image, (100, 60) both.
class RunningTransitions : public LayerTransitions {
 protected:
  void SetUp() override {
    LayerTransitions::SetUp();
    std::vector<uint32_t> pixels(100 * 50, kGreen);
    std::vector<uint8_t> png;
    ASSERT_TRUE(os::PngEncode(pixels.data(), 100, 50, 100, png));
    folder_.Write("SMALL.png", std::string(png.begin(), png.end()));
    yel::YelSystemPathInit();
    yel::YelSystemPathSet(folder_.path().c_str());
  }
  void TearDown() override {
    LayerTransitions::TearDown();
    yel::YelSystemPathUninit();
  }
  // The change started: the old image is still in the render list, held by the transition.
  ScriptMachine& StartChange(const std::string& after) {
    ScriptMachine& m = Load(
        "cmd sp_create(3, f\"#FFFF0000\", 10, 20, 200, 100)\ncmd run_no_wait()\n"
        "cmd wait_frame()\n"
        "cmd sp_set_transition(f\"SMALL\", 3, 1, 300)\ncmd run_no_wait()\ncmd wait_frame()\n" +
        after);
    base_ = yel::YelGetAllocCount();
    Frame();
    Frame();
    return m;
  }
  bool Running() {
    return layer(3).transition_state == adv::kTransitionChangePending &&
           yel::YelSpriteGetTransitionState(layer(3).transition) == 1;
  }

  test::TempFolder folder_;
  int32_t base_ = 0;  // the platform's blocks before the script made any
};

// While the frame clock stands still the change runs however many frames pass; the first layer
// step after the clock has passed its time ends it, and the end releases the old image.
TEST_F(RunningTransitions, AChangeEndsWhenTheClockPassesItsTime) {
  ScriptMachine& m = StartChange("");
  for (int i = 0; i < 5; ++i) Frame();
  EXPECT_TRUE(Running());
  EXPECT_EQ(Shown(15, 25), kRed);
  PassTime(kTransitionMs);
  EXPECT_EQ(layer(3).transition_state, adv::kTransitionChangePending);  // until the layer step
  FrameEnd();
  EXPECT_EQ(layer(3).transition_state, adv::kTransitionNone);
  EXPECT_EQ(yel::YelSpriteGetTransitionState(layer(3).transition), 0);
  EXPECT_EQ(Shown(15, 25), 0u);
  EXPECT_EQ(Shown(100, 60), kGreen);
  EXPECT_FALSE(m.Logged("内部エラー", adv::kLogError));
  EXPECT_EQ(LeftOver(base_), 0);
}

// Whatever cancels a running change releases its old image at once; what follows ends with the
// frame showing the case's image and nothing left behind.
TEST_F(RunningTransitions, ACancelReleasesTheOldImage) {
  struct Case {
    const char* name;
    const char* command;
    uint32_t shown;  // at (100, 60) in the end
  } cases[] = {
      {"a second change", "cmd sp_set_transition(f\"SMALL\", 3, 1, 300)\ncmd run_no_wait()\n",
       kGreen},
      {"copy, set",
       "cmd sp_copy_image(3)\ncmd sp_create(3, f\"#FF0000FF\", 60, 45, 100, 50)\n"
       "cmd sp_transition(3, 1, 300)\ncmd run_no_wait()\n",
       0xFF0000FF},
      {"clear", "cmd sp_cls(3)\ncmd run_no_wait()\n", 0},
      {"clear through a transition", "cmd sp_cls_transition(3, 1, 300)\ncmd run_no_wait()\n", 0},
  };
  for (const Case& c : cases) {
    ScriptMachine& m = StartChange(c.command);
    ASSERT_TRUE(Running()) << c.name;
    ASSERT_EQ(Shown(15, 25), kRed) << c.name;
    Frame();
    EXPECT_EQ(Shown(15, 25), 0u) << c.name;
    RunFrames();
    EXPECT_EQ(Shown(100, 60), c.shown) << c.name;
    EXPECT_EQ(layer(3).transition_state, adv::kTransitionNone) << c.name;
    EXPECT_FALSE(m.Logged("内部エラー", adv::kLogError)) << c.name;
    EXPECT_EQ(LeftOver(base_), 0) << c.name;
  }
}

TEST_F(LayerTransitions, ASecondClearBeforeTheCommitDoesNothing) {
  ScriptMachine& m = Load(std::string(kRedImage) +
                          "cmd sp_cls_transition(3, 1, 300)\ncmd sp_cls_transition(3, 0, 9)\n");
  m.Run();
  m.Run();
  EXPECT_EQ(m.CountLogged("sp_cls_transition  3"), 1);
  EXPECT_EQ(layer(3).transition_kind, 1);
  EXPECT_EQ(layer(3).transition_time, 300u);
  EXPECT_EQ(Shown(5, 5), kRed);  // until the commit
}

// The new image keeps the old one's centre, also when the old one showed a source rectangle
// that does not start at the left edge.
TEST_F(LayerTransitions, TheNewImageIsCentredOnTheOld) {
  test::TempFolder folder;
  std::vector<uint32_t> pixels(100 * 50, kGreen);
  std::vector<uint8_t> png;
  ASSERT_TRUE(os::PngEncode(pixels.data(), 100, 50, 100, png));
  folder.Write("SMALL.png", std::string(png.begin(), png.end()));
  yel::YelSystemPathInit();
  yel::YelSystemPathSet(folder.path().c_str());
  struct Case {
    const char* old_image;
    int32_t x, y;
  } cases[] = {
      {"cmd sp_create(3, f\"#FFFF0000\", 10, 20, 200, 100)\n", 60, 45},
      {"cmd sp_create(3, f\"#FFFF0000\", 10, 20, 300, 100)\ncmd sp_set_rect(3, 100, 0, 300, 100)\n",
       60, 45},
  };
  for (const Case& c : cases) {
    ScriptMachine& m = Load(std::string(c.old_image) +
                            "cmd wait_frame()\ncmd sp_set_transition(f\"SMALL\", 3, 1, 0)\n");
    Frame();
    Frame();
    ASSERT_NE(sprite(3), nullptr) << c.old_image;
    EXPECT_EQ(slot(3).position[0], c.x) << c.old_image;
    EXPECT_EQ(slot(3).position[1], c.y) << c.old_image;
    EXPECT_EQ(slot(3).float_position[0], static_cast<float>(c.x)) << c.old_image;
    EXPECT_EQ(yel::YelGetPixel(sprite(3), 0, 0), kGreen);
    EXPECT_FALSE(m.Logged("内部エラー", adv::kLogError)) << c.old_image;
  }
  EXPECT_EQ(slot(3).rect[2], 100);  // an enabled rectangle becomes the new image's
  yel::YelSystemPathUninit();
}

TEST_F(LayerTransitions, AnEmptyFileStillDropsCompositionsAndTheMovie) {
  ScriptMachine& m = Load(std::string(kRedImage) + "cmd sp_set_transition(NONE, 3, 1, 300)\n");
  m.Run();
  layer(3).flags |= adv::kLayerComposition;
  layer(3).compositions[0].kind = adv::kCompositionChildLink;
  layer(3).compositions[1].kind = 3;
  layer(3).movie_argument = 5;
  m.Run();
  EXPECT_EQ(layer(3).compositions[0].kind, adv::kCompositionChildLink);
  EXPECT_EQ(layer(3).compositions[1].kind, 0u);
  EXPECT_EQ(layer(3).movie_argument, 0u);
  EXPECT_EQ(layer(3).transition_state, adv::kTransitionNone);
  EXPECT_EQ(Shown(5, 5), kRed);
  EXPECT_FALSE(m.Logged("内部エラー", adv::kLogError));
}

TEST_F(LayerTransitions, GetBackbufferWhileSkippingOnlyTraces) {
  ScriptMachine& m =
      Load(std::string(kRedImage) + "cmd get_backbuffer(3)\ncmd get_backbuffer(9)\n");
  m.Run();
  context().skip.scene_skip = 1;
  m.Run();
  context().skip.scene_skip = 0;
  EXPECT_TRUE(m.Logged("get_backbuffer 3", adv::kLogTrace));
  EXPECT_TRUE(m.Logged("get_backbuffer 9", adv::kLogTrace));  // no image: only the trace
  EXPECT_EQ(yel::YelGetPixel(sprite(3), 5, 5), kRed);
}

TEST(TransitionKinds, OnlyKindsZeroAndOneExist) {
  EXPECT_EQ(adv::AdvTransitionKind(0), 0);
  EXPECT_EQ(adv::AdvTransitionKind(1), 1);
  EXPECT_EQ(adv::AdvTransitionKind(2), 0);
  EXPECT_EQ(adv::AdvTransitionKind(-1), 0);
}

}  // namespace
