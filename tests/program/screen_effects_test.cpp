// Screen effects started by assembled scripts and stepped on a clock the test moves: each step
// is given a time measured from the effect's own start. The platform library runs headless;
// what a frame shows is read from the sprites of the active render list.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "os/picture_codecs.h"
#include "program/layers/screen_effects.h"
#include "program/savedata/snapshot_services.h"
#include "program/script/script_run.h"
#include "tests/program/layer_fixture.h"
#include "tests/program/temp_folder.h"

namespace {

using test::ScriptMachine;

constexpr uint32_t kWhite = 0xFFFFFFFF;

// Three layers with an image; layer 2 locked, so that the shake passes it by.
constexpr const char* kScene =
    "cmd sp_set_ex(f\"#FFFF0000\", 0, 0, 0, 0)\n"
    "cmd sp_set_ex(f\"#FF00FF00\", 1, 0, 0, 0)\n"
    "cmd sp_set_ex(f\"#FF0000FF\", 2, 0, 0, 0)\n"
    "cmd sp_lock(2)\n";

class ScreenEffects : public test::LayerScripts {
 protected:
  void SetUp() override {
    LayerScripts::SetUp();
    // A 4 x 4 flake and an 8 x 16 petal sheet for the particles.
    WritePng("SNOW.png", 4, 4);
    WritePng("PETAL.png", 8, 16);
    yel::YelSystemPathInit();
    yel::YelSystemPathSet(folder_.path().c_str());
  }
  void TearDown() override {
    if (machine_) adv::AdvEffectRelease(context());
    yel::YelSystemPathUninit();
    LayerScripts::TearDown();
  }
  void WritePng(const std::string& name, int32_t w, int32_t h) {
    std::vector<uint32_t> pixels(static_cast<size_t>(w) * h, 0xFFFFFFFF);
    std::vector<uint8_t> file;
    ASSERT_TRUE(os::PngEncode(pixels.data(), w, h, w, file));
    folder_.Write(name, std::string(file.begin(), file.end()));
  }

  adv::ScreenEffectState& effects() { return context().effects; }
  // One frame of the effects at `ms` after `start`, with the frame's parts cleared first.
  bool Step(uint32_t start, uint32_t ms) {
    adv::AdvGraphicSlotClearFrameParts(context());
    return adv::ScreenEffectsStep(context(), start + ms);
  }
  int32_t ShakeX(int n) { return slot(n).frame.shake_x; }
  int32_t ShakeY(int n) { return slot(n).frame.shake_y; }
  int32_t Points() { return context().script.point_count; }
  int32_t MovingSprites(const adv::EffectParticle* first, int32_t n) {
    int32_t count = 0;
    for (int32_t i = 0; i < n; ++i) count += first[i].sprite != nullptr;
    return count;
  }

  test::TempFolder folder_;
};

// A timed shake: offsets within the range left (twice the amplitude, falling to 0 over the
// time), the locked layer still, the script held until the end.
TEST_F(ScreenEffects, TimedShakeShrinksAndHoldsTheScript) {
  ScriptMachine& m = Load(std::string(kScene) + "cmd shake(2, 10, 1000, 0)\nmov v1, 1\n");
  m.Run();
  EXPECT_TRUE(m.Logged("shake 2, 10, 1000, 0", adv::kLogTrace));
  EXPECT_EQ(m.V(1), 0);
  EXPECT_EQ(Points(), 1);
  const uint32_t t0 = effects().shake_start;
  bool moved = false;
  for (uint32_t t : {0u, 100u, 400u, 700u, 900u, 990u}) {
    EXPECT_FALSE(Step(t0, t));
    const int32_t half = static_cast<int32_t>((1.0f - t / 1000.0f) * 20.0f) / 2;
    for (int n : {0, 1}) {
      EXPECT_LE(std::abs(ShakeX(n)), std::max(half, 1)) << t;
      EXPECT_LE(std::abs(ShakeY(n)), std::max(half, 1)) << t;
      moved = moved || ShakeX(n) != 0 || ShakeY(n) != 0;
    }
    EXPECT_EQ(ShakeX(2), 0);
    EXPECT_EQ(ShakeY(2), 0);
    m.Run();
    EXPECT_EQ(m.V(1), 0) << "held at " << t;
  }
  EXPECT_TRUE(moved);
  Step(t0, 1000);
  EXPECT_EQ(effects().active, 0u);
  EXPECT_EQ(Points(), 0);
  EXPECT_EQ(ShakeX(0), 0);
  m.Run();
  EXPECT_EQ(m.V(1), 1);
}

// An endless shake of all layers by one vertical offset does not hold the script; effect_stop
// lets it decay over its time and end. Amplitude 0 shakes by nothing, without a fault.
TEST_F(ScreenEffects, EndlessShakeSharesOneOffsetAndFadesOnStop) {
  struct Case {
    int32_t amplitude;
    int32_t limit;  // largest offset at full strength
  } cases[] = {{10, 10}, {0, 0}};
  for (const Case& c : cases) {
    ScriptMachine& m = Load(std::string(kScene) + "cmd shake(0, " + std::to_string(c.amplitude) +
                            ", -1, 2)\nmov v1, 1\ncmd wait_frame()\ncmd effect_stop(1, 500)\n");
    m.Run();
    EXPECT_EQ(m.V(1), 1);
    EXPECT_EQ(Points(), 0);
    const uint32_t t0 = effects().shake_start;
    for (uint32_t t = 0; t < 5000; t += 700) {
      Step(t0, t);
      EXPECT_EQ(ShakeY(0), ShakeY(1));
      EXPECT_EQ(ShakeX(0), 0);
      EXPECT_LE(std::abs(ShakeY(0)), c.limit);
    }
    m.Run();
    EXPECT_TRUE(m.Logged("effect_stop 1, 500", adv::kLogTrace));
    const uint32_t s0 = effects().shake_start;
    Step(s0, 250);
    EXPECT_LE(std::abs(ShakeY(0)), std::max(c.limit / 2, 1));
    EXPECT_NE(effects().active & adv::kEffectShake, 0u);
    Step(s0, 500);
    EXPECT_EQ(effects().active & adv::kEffectShake, 0u);
    EXPECT_EQ(ShakeY(0), 0);
  }
}

// A white flush covers the frame for its time while the script waits; while skipping it only
// traces "flush off" and pauses the script for one frame.
TEST_F(ScreenEffects, FlushCoversTheFrameForItsTime) {
  ScriptMachine& m = Load(std::string(kScene) + "cmd flush(255, 255, 255, 100)\nmov v1, 1\n");
  m.Run();
  EXPECT_TRUE(m.Logged("flush 0xFFFFFFFF", adv::kLogTrace));
  EXPECT_EQ(Shown(5, 5), kWhite);
  const uint32_t t0 = effects().flush_start;
  EXPECT_FALSE(Step(t0, 99));
  m.Run();
  EXPECT_EQ(m.V(1), 0);
  EXPECT_EQ(Shown(5, 5), kWhite);
  EXPECT_TRUE(Step(t0, 100));  // the frame's script work ends here
  EXPECT_NE(Shown(5, 5), kWhite);
  EXPECT_EQ(effects().flush_sprite, nullptr);
  m.Run();
  EXPECT_EQ(m.V(1), 1);

  ScriptMachine& skipping = Load("cmd flush(255, 255, 255, 100)\nmov v1, 1\n");
  context().skip.skip_mode = 1;
  skipping.Run();
  EXPECT_TRUE(skipping.Logged("flush off", adv::kLogTrace));
  EXPECT_EQ(effects().flush_sprite, nullptr);
  EXPECT_EQ(effects().active, 0u);
  EXPECT_EQ(skipping.V(1), 0);
  skipping.Run();
  EXPECT_EQ(skipping.V(1), 1);
}

// Count 0 moves one particle and drift 0 is taken as 1; the others stay where they were put.
TEST_F(ScreenEffects, SnowCountAndDriftOfZero) {
  ScriptMachine& m = Load("cmd snow(f\"SNOW\", 0, 0, 0)\n");
  m.Run();
  EXPECT_TRUE(m.Logged("snow SNOW, 0, 0, 0", adv::kLogTrace));
  const auto& snow = effects().snow;
  EXPECT_EQ(snow.tail.count, 1);
  EXPECT_EQ(snow.tail.drift, 1);
  EXPECT_EQ(MovingSprites(snow.particles.data(), adv::kSnowParticleCount), 255);
  const uint32_t t0 = snow.particles[0].fall_start;
  Step(t0, snow.particles[0].fall_duration / 2);
  YelSpriteInfo first{}, second{};
  yel::YelSpriteGetInfo(snow.particles[0].sprite, &first);
  yel::YelSpriteGetInfo(snow.particles[1].sprite, &second);
  EXPECT_GT(first.offset_y, 0);
  EXPECT_EQ(second.offset_y, 0);
}

// A second snow replaces the first whole: 255 particles, no sprite of the old set left.
TEST_F(ScreenEffects, ASecondSnowReplacesTheFirst) {
  ScriptMachine& m = Load(
      "cmd snow(f\"SNOW\", 0, 40, 255)\ncmd wait_frame()\n"
      "cmd snow(f\"SNOW\", 0, 40, 255)\n");
  m.Run();
  const int32_t after_first = yel::YelGetAllocCount();
  m.Run();
  EXPECT_EQ(yel::YelGetAllocCount(), after_first);
  EXPECT_EQ(MovingSprites(effects().snow.particles.data(), adv::kSnowParticleCount), 255);
}

// effect_stop (12, 0) removes snow and blossoms at the next frame; a fade takes its time.
TEST_F(ScreenEffects, StoppedParticlesGoAtTheNextFrame) {
  ScriptMachine& m = Load(
      "cmd snow(f\"SNOW\", 0, 40, 255)\ncmd sakura(f\"PETAL\", 0, 40, 127)\n"
      "cmd effect_stop(12, 0)\n");
  const int32_t base = yel::YelGetAllocCount();
  m.Run();
  EXPECT_EQ(MovingSprites(effects().sakura.particles.data(), adv::kSakuraParticleCount), 127);
  EXPECT_EQ(effects().snow.tail.state, adv::kEffectStopping);
  Step(effects().snow.tail.stop_start, 0);
  EXPECT_EQ(effects().active, 0u);
  EXPECT_EQ(effects().snow.particles[0].sprite, nullptr);
  EXPECT_EQ(effects().sakura.particles[0].sprite, nullptr);
  EXPECT_EQ(yel::YelGetAllocCount(), base);
  Load("cmd snow(f\"SNOW\", 0, 40, 3)\ncmd effect_stop(4, 400)\n").Run();
  const uint32_t s0 = effects().snow.tail.stop_start;
  Step(s0, 200);
  YelSpriteInfo info{};
  yel::YelSpriteGetInfo(effects().snow.particles[0].sprite, &info);
  EXPECT_NEAR(static_cast<double>(info.colour >> 24), 127.0, 1.0);
  Step(s0, 400);
  EXPECT_EQ(effects().snow.particles[0].sprite, nullptr);
}

// A snow that cannot load its image leaves nothing behind.
TEST_F(ScreenEffects, AFailedSnowLeavesNoParticles) {
  ScriptMachine& m = Load("cmd snow(f\"NOSUCH\", 0, 40, 255)\n");
  const int32_t base = yel::YelGetAllocCount();
  m.Run();
  EXPECT_TRUE(m.Logged("スプライトの読み込みに失敗。[NOSUCH]", adv::kLogError));
  EXPECT_EQ(effects().active, 0u);
  EXPECT_EQ(yel::YelGetAllocCount(), base);
}

// A snapshot taken while the snow falls starts it again with the same arguments and new
// particles; the running shake's arguments come back too.
TEST_F(ScreenEffects, SnapshotRestartsTheRunningEffects) {
  ScriptMachine& m = Load(std::string(kScene) +
                          "cmd snow(f\"SNOW\", 0, -30, 100)\ncmd shake(1, 6, -1, 1)\n"
                          "cmd save_point(0)\n");
  m.Run();
  const adv::EffectParticle before = effects().snow.particles[0];
  const std::string image(reinterpret_cast<const char*>(context().save.buffer.data()),
                          context().save.cursor);
  ASSERT_TRUE(adv::RestoreSnapshot(context(), image));
  const adv::ParticleTail& tail = effects().snow.tail;
  EXPECT_EQ(tail.state, adv::kEffectRunning);
  EXPECT_EQ(tail.count, 100);
  EXPECT_EQ(tail.drift, -30);
  EXPECT_EQ(MovingSprites(effects().snow.particles.data(), adv::kSnowParticleCount), 255);
  EXPECT_NE(effects().snow.particles[0].start_y, before.start_y);
  EXPECT_EQ(effects().shake_state, adv::kEffectRunning);
  EXPECT_EQ(effects().shake_direction, 1);
  EXPECT_EQ(effects().shake_amplitude, 6);
  EXPECT_EQ(effects().shake_targets, 1);
  EXPECT_EQ(effects().active, adv::kEffectShake | adv::kEffectSnow);
}

}  // namespace
