// A layer's cross-fade as the running platform library draws it, with each renderer: every frame
// is read back in the next one together with the frame clock it was drawn at, so the test knows
// the part x of the transition's time that frame showed. The frames before the end mix the old
// red and the new blue image by x; the layer step ends the transition in the first frame whose
// clock has passed its time, and from then on only the new image shows. The fade lasts many times
// the longest frame seen before it, so a loaded machine still draws frames in its middle.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "program/game/adv_context.h"
#include "program/layers/graphic_slots.h"
#include "program/layers/layer_services.h"
#include "program/layers/layer_table.h"
#include "program/script/script_run.h"
#include "program/startup/startup_names.h"
#include "program/startup/yel_import.h"
#include "tests/program/frame_loop.h"
#include "tests/program/script_machine.h"

namespace {

constexpr int32_t kWidth = 320;
constexpr int32_t kHeight = 240;
constexpr uint32_t kShortestFadeMs = 600;
constexpr uint32_t kFramesPerFade = 12;  // the fade spans at least this many of the slowest frames
// The fade starts once the loop draws at its pace: the first frames may take long to come.
constexpr int kFadeFrame = 8;
constexpr int kFrameLimit = 600;  // far more frames than the fade needs at any frame rate

struct Drawn {
  uint32_t elapsed;  // frame clock of the drawing minus that of the commit
  uint32_t pixel;
};

struct FadeRun {
  test::ScriptMachine* machine = nullptr;
  int frame = 0;
  uint32_t start = 0;            // the frame clock of the commit
  uint32_t fade_ms = 0;          // the fade's time, chosen at the commit
  uint32_t slowest_frame = 0;    // the longest gap between two frames before the commit
  uint32_t drawn_at = 0;         // the frame clock of the frame presented last
  uint32_t longest_running = 0;  // the latest clock a layer step still saw the fade running at
  uint32_t ended_at = 0;         // the clock of the layer step that ended it
  bool ended = false;
  int frames_after_end = 0;
  std::vector<Drawn> drawn;
};

FadeRun g_fade;

// Frame 0 shows the red image; frame kFadeFrame commits the change to blue; each later frame
// reads back the one before it.
int Step(void*) {
  if (g_fade.frame < 0) return 1;  // finished; the loop is stopping
  adv::AdvContext& c = g_fade.machine->context();
  const uint32_t now = yel::YeltimeGetTime();
  if (g_fade.frame > kFadeFrame) {
    YelSprite* capture = yel::YelSpriteCreate(yel::YelRenderGetActive(), kWidth, kHeight, 0);
    if (yel::YelSpriteBackBafferCopy(capture)) {
      g_fade.drawn.push_back({g_fade.drawn_at - g_fade.start, yel::YelGetPixel(capture, 160, 120)});
    }
    yel::YelSpriteRelease(yel::YelRenderGetActive(), capture);
  }
  adv::AdvGraphicSlotClearFrameParts(c);
  if (g_fade.frame > 1 && g_fade.frame <= kFadeFrame) {
    g_fade.slowest_frame = std::max(g_fade.slowest_frame, now - g_fade.drawn_at);
  }
  if (g_fade.frame == kFadeFrame) {
    g_fade.fade_ms = std::max(kShortestFadeMs, kFramesPerFade * g_fade.slowest_frame);
    c.values.variables[1] = static_cast<int32_t>(g_fade.fade_ms);
  }
  if (g_fade.frame == 0 || g_fade.frame == kFadeFrame) {
    g_fade.start = now;
    adv::ScriptRunUntilWait(c);
  }
  adv::AdvLayerUpdate(c);
  adv::AdvGraphicSlotApplyAll(c);
  if (g_fade.frame >= kFadeFrame) {
    if (g_fade.ended) {
      ++g_fade.frames_after_end;
    } else if (c.layers.layers[0].transition_state == adv::kTransitionNone) {
      g_fade.ended = true;
      g_fade.ended_at = now - g_fade.start;
    } else {
      g_fade.longest_running = now - g_fade.start;
    }
  }
  g_fade.drawn_at = now;
  if (g_fade.frames_after_end == 3 || ++g_fade.frame == kFrameLimit) {
    adv::AdvLayerTableReset(c);
    adv::RunDisplayQueue(c);
    g_fade.frame = -1;
    yel::YelEnd();
  }
  return 1;
}

int FirstFunc() {
  YelRender* render = yel::YelRenderInit();
  yel::YelRenderSetActive(render);
  return yel::YelTaskCreate(Step, nullptr, 16, nullptr, 1, nullptr, "LayerFade") ? 1 : 0;
}

uint32_t Channel(uint32_t pixel, int shift) {
  return pixel >> shift & 0xFF;
}

class LayerFade : public ::testing::TestWithParam<bool> {};

TEST_P(LayerFade, MixesByTheClockAndEndsAtItsTime) {
#ifdef YEL_SOFTWARE_RENDERER_ONLY
  // The checked builds: the running frame loop makes the offscreen window load the system's GL
  // driver, which is unloaded before the leak check can name what it kept.
  GTEST_SKIP() << "not in the sanitizer builds";
#endif
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  ASSERT_TRUE(yel::LoadLibraryFrom(YEL_LIBRARY));
  test::ScriptMachine machine(
      "cmd sp_set(f\"#FFFF0000\", 0, 10, 2)\n"
      "cmd run_no_wait()\n"
      "cmd wait_frame()\n"
      "cmd sp_set_transition(f\"#FF0000FF\", 0, 1, v1)\n"
      "cmd run_no_wait()\n");
  ASSERT_TRUE(machine.loaded());
  machine.SetCommand(0x070005, [](adv::AdvContext& context) {
    context.script.stop = 1;  // wait_frame: the pass ends; the test starts the next
    return 1;
  });
  g_fade = FadeRun{};
  g_fade.machine = &machine;
  adv::AdvWindowWidth = kWidth;
  adv::AdvWindowHeight = kHeight;
  test::RunHiddenFrameLoop(GetParam(), kWidth, kHeight, FirstFunc);

  ASSERT_TRUE(g_fade.ended);
  const uint32_t fade_ms = g_fade.fade_ms;
  EXPECT_LT(g_fade.longest_running, fade_ms);
  EXPECT_GE(g_fade.ended_at, fade_ms);
  ASSERT_FALSE(g_fade.drawn.empty());
  int mixed = 0;
  std::string times;  // for the failure message
  for (const Drawn& d : g_fade.drawn) {
    times += " " + std::to_string(d.elapsed);
    SCOPED_TRACE(testing::Message() << "drawn " << d.elapsed << " ms after the commit");
    // The new image's share of the alpha, as the cross-fade hands it to the renderer.
    const uint32_t in = d.elapsed >= fade_ms ? 255 : 255 * d.elapsed / fade_ms;
    EXPECT_NEAR(static_cast<int>(Channel(d.pixel, 0)), static_cast<int>(in), 8);
    EXPECT_NEAR(static_cast<int>(Channel(d.pixel, 16)), static_cast<int>(255 - in), 8);
    EXPECT_LE(Channel(d.pixel, 8), 8u);
    if (d.elapsed >= fade_ms / 4 && d.elapsed <= fade_ms * 3 / 4) ++mixed;
  }
  EXPECT_GT(mixed, 0) << "no frame was drawn near the middle of the fade; drawn at" << times;
  EXPECT_GE(g_fade.drawn.back().elapsed, fade_ms);  // the last frames show the end
}

INSTANTIATE_TEST_SUITE_P(Renderers, LayerFade, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return std::string(info.param ? "Hardware" : "Software");
                         });

}  // namespace
