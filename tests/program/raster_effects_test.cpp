// Raster effects on layers started, stopped, waited for and removed by assembled scripts: the
// entries the layers point at, what the platform's sprite reports, and the snapshot block.
#include <gtest/gtest.h>

#include <string>

#include "program/game/game_task.h"
#include "program/layers/raster_effects.h"
#include "program/savedata/snapshot_image.h"
#include "program/savedata/snapshot_services.h"
#include "tests/program/layer_fixture.h"

namespace {

using test::ScriptMachine;

std::string Planes(int first, int count) {
  std::string script;
  for (int layer = first; layer < first + count; ++layer) {
    script += "cmd sp_set_ex(f\"#FF808080\", " + std::to_string(layer) + ", 0, 0, 0)\n";
  }
  return script;
}

class RasterEffects : public test::LayerScripts {
 protected:
  void TearDown() override {
    if (machine_) adv::AdvFxFreeAll(context());
    LayerScripts::TearDown();
  }
  int32_t FxState(int n) { return yel::YelSpriteGetFxEffectState(sprite(n)); }
  size_t Listed() { return adv::RasterEffectList().size(); }
};

TEST_F(RasterEffects, StartStopAndClear) {
  ScriptMachine& m = Load(Planes(3, 1) +
                          "cmd fx_raster_start(3, 50, 20, 1000)\ncmd wait_frame()\n"
                          "cmd fx_raster_stop(3, 300)\ncmd fx_raster_stop(4, 300)\n"
                          "cmd wait_frame()\ncmd fx_effect_cls(3)\n");
  m.Run();
  EXPECT_TRUE(m.Logged("fx_raster_start 3, 50, 20, 1000", adv::kLogTrace));
  ASSERT_EQ(Listed(), 1u);
  EXPECT_NE(layer(3).raster_effect, nullptr);
  EXPECT_EQ(adv::RasterEffectList()[0].parameters, (std::array<int32_t, 3>{50, 20, 1000}));
  EXPECT_EQ(FxState(3), 1);
  m.Run();
  EXPECT_EQ(adv::RasterEffectList()[0].state, adv::kRasterStopping);
  EXPECT_EQ(FxState(3), 2);
  EXPECT_TRUE(m.Logged("fx_raster_stop 4, 300", adv::kLogTrace));  // no effect: a trace only
  m.Run();
  EXPECT_EQ(Listed(), 0u);
  EXPECT_EQ(layer(3).raster_effect, nullptr);
  EXPECT_EQ(FxState(3), 0);
  EXPECT_FALSE(m.Logged("内部エラー", adv::kLogError));
}

// A restart on the same layer replaces its effect: one entry, the new parameters, running.
TEST_F(RasterEffects, ARestartUsesOneEntry) {
  ScriptMachine& m = Load(Planes(3, 1) +
                          "cmd fx_raster_start(3, 50, 20, 1000)\n"
                          "cmd fx_raster_start(3, 10, 10, 500)\n"
                          "cmd fx_raster_start(3, 30, 40, 800)\n");
  m.Run();
  ASSERT_EQ(Listed(), 1u);
  EXPECT_EQ(adv::RasterEffectList()[0].parameters, (std::array<int32_t, 3>{30, 40, 800}));
  EXPECT_EQ(FxState(3), 1);
}

// Eight run at once; a ninth is refused before anything changes. A layer with no image, or a
// number outside 0-127, starts nothing.
TEST_F(RasterEffects, EightAtMostAndOnlyOnLayersWithImages) {
  std::string script = Planes(0, 9);
  for (int layer = 0; layer < 9; ++layer) {
    script += "cmd fx_raster_start(" + std::to_string(layer) + ", 10, 10, 500)\n";
  }
  script +=
      "cmd fx_raster_start(20, 10, 10, 500)\ncmd fx_raster_start(128, 1, 1, 1)\n"
      "cmd fx_raster_start(-1, 1, 1, 1)\n";
  ScriptMachine& m = Load(script);
  m.Run();
  EXPECT_EQ(Listed(), 8u);
  EXPECT_EQ(layer(8).raster_effect, nullptr);
  EXPECT_EQ(FxState(8), 0);
  EXPECT_EQ(layer(20).raster_effect, nullptr);
  EXPECT_TRUE(m.Logged(std::string(test::kLayerRangeText) + "128", adv::kLogError));
  EXPECT_TRUE(m.Logged(std::string(test::kLayerRangeText) + "-1", adv::kLogError));
  // Clearing a layer releases its effect and frees its entry.
  ScriptMachine& again = Load(Planes(0, 1) + "cmd fx_raster_start(0, 1, 1, 1)\ncmd sp_cls(0)\n");
  again.Run();
  EXPECT_EQ(Listed(), 0u);
}

// The wait pops its layer once and holds the script while the effect runs; it ends once the
// effect is gone, and at once while skipping or when the layer has none.
TEST_F(RasterEffects, WaitHoldsUntilTheEffectIsGone) {
  struct Case {
    const char* name;
    bool running;
    bool skipping;
  } cases[] = {{"running", true, false}, {"skipping", true, true}, {"none", false, false}};
  for (const Case& c : cases) {
    ScriptMachine& m =
        Load(Planes(3, 1) + (c.running ? "cmd fx_raster_start(3, 5, 5, 900)\n" : "") +
             "cmd wait_frame()\ncmd fx_effect_wait(3)\nmov v1, 1\n");
    m.Run();
    context().skip.skip_mode = c.skipping ? 1 : 0;
    m.Run();
    m.Run();
    EXPECT_EQ(m.V(1), c.running && !c.skipping ? 0 : 1) << c.name;
    EXPECT_EQ(m.CountLogged("fx_effect_wait 3"), 1) << c.name;
    EXPECT_EQ(context().values.value_count, 0) << c.name;
    if (m.V(1) == 0) {
      adv::AdvFxRelease(layer(3));
      m.Run();
      EXPECT_EQ(m.V(1), 1) << c.name;
      EXPECT_EQ(context().values.value_count, 0) << c.name;
    }
    context().skip.skip_mode = 0;
  }
}

// Eight effects are saved and decoded with the blocks after them in place, and a restore on a
// scene with those layers starts all eight again with their parameters.
TEST_F(RasterEffects, EightEffectsSurviveASnapshot) {
  std::string script = Planes(0, 8);
  for (int layer = 0; layer < 8; ++layer) {
    script += "cmd fx_raster_start(" + std::to_string(layer) + ", " + std::to_string(layer + 1) +
              ", 7, 600)\n";
  }
  script += "cmd save_point(0)\n";
  ScriptMachine& m = Load(script);
  context().history.count = 1;  // a block after the effects' carries something to check
  m.Run();
  const std::string bytes(reinterpret_cast<const char*>(context().save.buffer.data()),
                          context().save.cursor);
  std::string error;
  std::unique_ptr<adv::SnapshotImage> image = adv::DecodeSnapshot(bytes, &error);
  ASSERT_NE(image, nullptr) << error;
  ASSERT_EQ(image->fx.size(), 8u);
  EXPECT_EQ(image->fx[0].a, 7);  // the newest first
  EXPECT_EQ(image->history_count, 1);
  adv::AdvResetState(context());
  for (int n = 0; n < 8; ++n) adv::AdvLayerShowColourPlane(context(), n, "#FF808080", 16, 16);
  adv::ApplySnapshot(context(), *image);
  ASSERT_EQ(Listed(), 8u);
  for (int n = 0; n < 8; ++n) {
    EXPECT_EQ(FxState(n), 1) << n;
    auto* entry = static_cast<adv::RasterEffectSlot*>(layer(n).raster_effect);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->parameters, (std::array<int32_t, 3>{n + 1, 7, 600}));
  }
}

}  // namespace
