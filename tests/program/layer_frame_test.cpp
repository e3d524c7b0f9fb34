// Layers as the running platform library draws them: a task steps the layer road once per frame
// (script, layer step, slot apply) and reads the drawn frame back.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "program/game/adv_context.h"
#include "program/layers/graphic_slots.h"
#include "program/layers/layer_services.h"
#include "program/script/script_run.h"
#include "program/startup/startup_names.h"
#include "program/startup/yel_import.h"
#include "tests/program/script_machine.h"

namespace {

constexpr int32_t kWidth = 320;
constexpr int32_t kHeight = 240;

struct FrameRun {
  test::ScriptMachine* machine = nullptr;
  int frame = 0;
  YelSprite* capture = nullptr;
  uint32_t pixels[3] = {};
};

FrameRun g_run;

// The renderer's blend may round a channel by a few steps: red, green, blue as 0 or 255.
uint32_t Pure(uint32_t pixel) {
  uint32_t out = 0;
  for (int shift : {16, 8, 0}) out |= ((pixel >> shift & 0xFF) >= 0x80 ? 0xFFu : 0u) << shift;
  return out;
}

// Frame 0 runs the script; by frame 3 its scene has been drawn: the frame is read back.
int Step(void*) {
  // The end asked for in frame 4 may let another frame start before the loop stops.
  if (g_run.frame >= 4) return 1;
  adv::AdvContext& c = g_run.machine->context();
  if (g_run.frame == 0) {
    adv::AdvGraphicSlotClearFrameParts(c);
    adv::ScriptRunUntilWait(c);
    adv::AdvLayerUpdate(c);
    adv::AdvGraphicSlotApplyAll(c);
  }
  if (++g_run.frame == 4) {
    g_run.capture = yel::YelSpriteCreate(yel::YelRenderGetActive(), kWidth, kHeight, 0);
    if (yel::YelSpriteBackBafferCopy(g_run.capture)) {
      g_run.pixels[0] = yel::YelGetPixel(g_run.capture, 12, 12);    // layer 1 over layer 0
      g_run.pixels[1] = yel::YelGetPixel(g_run.capture, 100, 100);  // layer 0 alone
      g_run.pixels[2] = yel::YelGetPixel(g_run.capture, 300, 230);  // hidden layer 2
    }
    yel::YelSpriteRelease(yel::YelRenderGetActive(), g_run.capture);
    adv::AdvLayerTableReset(c);
    adv::RunDisplayQueue(c);
    yel::YelEnd();
  }
  return 1;
}

int FirstFunc() {
  YelRender* render = yel::YelRenderInit();
  yel::YelRenderSetActive(render);
  return yel::YelTaskCreate(Step, nullptr, 16, nullptr, 1, nullptr, "LayerFrames") ? 1 : 0;
}

// Runs the script in a started library and reads the three probe points of the drawn frame.
void RunFrames(test::ScriptMachine& machine) {
#ifdef YEL_SOFTWARE_RENDERER_ONLY
  // The checked builds: the running frame loop makes the offscreen window load the system's GL
  // driver, which is unloaded before the leak check can name what it kept.
  GTEST_SKIP() << "not in the sanitizer builds";
#endif
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  ASSERT_TRUE(machine.loaded());
  g_run = FrameRun{&machine};
  YelInitParam param{};
  yel::YelDefaultCreate(&param);
  param.option_bits |= YEL_OPTION_HIDDEN;
  param.window_width = param.game_width = kWidth;
  param.window_height = param.game_height = kHeight;
  param.first_func = FirstFunc;
  adv::AdvWindowWidth = kWidth;
  adv::AdvWindowHeight = kHeight;
  ASSERT_TRUE(yel::YelInit(&param));
  yel::YelRun();
  yel::YelUninit();
  EXPECT_EQ(g_run.frame, 4);
}

TEST(LayerFrame, TheCommittedSceneIsDrawnWithHigherLayersInFront) {
  test::ScriptMachine machine(
      "cmd sp_set(f\"#FFFF0000\", 0, 10, 2)\n"
      "cmd sp_create(1, f\"#FF0000FF\", 10, 10, 8, 8)\n"
      "cmd sp_create(2, f\"#FF00FF00\", 0, 0, 320, 240)\n"
      "cmd sp_hide(2)\n"
      "cmd run(0, 0, 0)\n");
  RunFrames(machine);
  if (IsSkipped()) return;
  EXPECT_EQ(Pure(g_run.pixels[0]), 0x0000FFu);
  EXPECT_EQ(Pure(g_run.pixels[1]), 0xFF0000u);
  EXPECT_EQ(Pure(g_run.pixels[2]), 0xFF0000u);
}

// A background load on the real work thread: the main thread waits for it with the render lock
// left, then shows the layer.
TEST(LayerFrame, ABackgroundLoadIsWaitedForAndDrawn) {
  test::ScriptMachine machine(
      "cmd sp_set(f\"#FFFF0000\", 0, 10, 2)\n"
      "cmd sp_load(f\"#FF00FF00\", 5, 0)\n"
      "cmd sp_load_wait(5)\n"
      "cmd sp_draw(5)\n"
      "cmd run(0, 0, 0)\n");
  RunFrames(machine);
  if (IsSkipped()) return;
  EXPECT_TRUE(machine.Logged("sp_draw  5", adv::kLogTrace));
  EXPECT_EQ(Pure(g_run.pixels[0]), 0x00FF00u);
  EXPECT_EQ(Pure(g_run.pixels[2]), 0x00FF00u);
}

}  // namespace

namespace {

// A layer changed through its own transition under run_no_wait: once the transition has ended,
// the drawn frame shows the new image and nothing of the old one. Its time is 0, so that it has
// ended by the frame read back whatever the frame rate (the timed cross-fade is read back frame
// by frame in layer_transition_frame_test.cpp).
TEST(LayerFrame, ALayerTransitionEndsWithTheNewImageDrawn) {
  test::ScriptMachine machine(
      "cmd sp_set(f\"#FFFF0000\", 0, 10, 2)\n"
      "cmd run_no_wait()\n"
      "cmd sp_set_transition(f\"#FF00FF00\", 0, 1, 0)\n"
      "cmd run_no_wait()\n");
  RunFrames(machine);
  if (IsSkipped()) return;
  EXPECT_TRUE(machine.Logged("sp_set_transition  #FF00FF00, 0, 1, 0", adv::kLogTrace));
  EXPECT_EQ(Pure(g_run.pixels[0]), 0x00FF00u);
  EXPECT_EQ(Pure(g_run.pixels[2]), 0x00FF00u);
}

}  // namespace
