// Sound effects through assembled scripts on the headless platform: the channel choice, the SE
// wait that holds the script and the buttons, the skip rule, the volume rules read back from the
// platform, loaded channels, and refused channel, kind and class numbers.
#include <gtest/gtest.h>

#include <string>

#include "program/sound/sound_effects.h"
#include "tests/program/sound_fixture.h"

namespace {

using test::Eventually;
using test::ScriptMachine;

constexpr uint32_t kMouseLeft = 0x2;  // one of the decide keys
constexpr uint32_t kUntilTheWaitEnds = 0xFFFFFFFF;

const yel::Import<decltype(::YelSoundGetVolumeChannel)> ChannelVolume{"YelSoundGetVolumeChannel"};

class SoundEffects : public test::SoundScript {};

TEST_F(SoundEffects, SixteenBusyChannelsGiveChannelZero) {
  ScriptMachine& m = Load(
      "mov v5, 16\n"
      "fill:\n"
      "cmd se_play_ex(-1, f\"CLICK\", 1, 0, 0) -> v1\n"
      "sub v5, 1\n"
      "jz filled, v5\n"
      "jmp fill\n"
      "filled:\n"
      "cmd se_play_ex(-1, f\"CLICK\", 1, 0, 1) -> v2\n");
  m.Run();
  EXPECT_EQ(m.V(1), 15);
  EXPECT_EQ(m.V(2), 0);
  EXPECT_EQ(sound().se[0].kind, 1u);
  EXPECT_EQ(sound().se[0].handle >> 28, 4u);  // kind 1 plays as platform type 4
  // Channel 0's first sound was released: 15 of the 64 type-5 channels remain in use.
  EXPECT_EQ(yel::YelSoundGetChannelCount(adv::kSoundTypeSe0), 64 - 15);
  EXPECT_EQ(adv::AdvSeFindFree(sound()), -1);
}

TEST_F(SoundEffects, AWaitingPlayHoldsScriptAndButtonsUntilAClickFadesIt) {
  ScriptMachine& m = Load(
      "cmd se_play_ex(2, f\"CLICK\", 3, 0, 0) -> v1\n"
      "mov v2, 1\n");
  m.Run();
  EXPECT_EQ(m.V(1), 2);
  EXPECT_EQ(m.V(2), 0);
  EXPECT_EQ(sound().se_wait_channel, 3u);
  EXPECT_EQ(c().buttons.input_block.duration, kUntilTheWaitEnds);
  m.Run();  // no click: the command runs again and the script stays
  EXPECT_EQ(m.V(2), 0);
  const uint32_t handle = sound().se[2].handle;
  EXPECT_TRUE(yel::YelSoundPlayIs(handle));
  yel::YelInputSetKeyPush(kMouseLeft);
  m.Run();
  test::InputClear();
  EXPECT_EQ(sound().se_wait_channel, 0u);
  EXPECT_EQ(c().buttons.input_block.duration, 0u);
  EXPECT_EQ(yel::YelSoundGetState(handle), 2);  // fading out
  EXPECT_EQ(m.V(2), 0);  // the frame of the click ends the wait; the script goes on in the next
  m.Run();
  EXPECT_EQ(m.V(2), 1);
}

TEST_F(SoundEffects, AWaitEndsWithTheEffectAndReleasesIt) {
  ScriptMachine& m = Load(
      "cmd se_play_ex(1, f\"CLICK\", 2, 0, 0) -> v1\n"
      "mov v2, 1\n"
      "cmd se_load(f\"CLICK\", 3, 0)\n"
      "cmd se_play(3, 2, 0)\n"
      "mov v3, 1\n");
  m.Run();
  const uint32_t handle = sound().se[1].handle;
  ASSERT_NE(handle, 0u);
  ASSERT_TRUE(Eventually([&] { return !yel::YelSoundPlayIs(handle); }));
  m.Run();
  EXPECT_EQ(sound().se[1].handle, 0u);
  m.Run();
  EXPECT_EQ(m.V(2), 1);
  EXPECT_EQ(m.V(3), 0);  // waits for the loaded effect
  const uint32_t loaded = sound().se[3].handle;
  ASSERT_TRUE(Eventually([&] { return !yel::YelSoundPlayIs(loaded); }));
  m.Run();
  m.Run();
  EXPECT_EQ(m.V(3), 1);
  EXPECT_EQ(sound().se[3].handle, loaded);  // a loaded channel keeps its sound
  adv::AdvSoundUpkeep(c());
  EXPECT_EQ(sound().se[3].handle, loaded);
}

TEST_F(SoundEffects, WhileSkippingOnlyLoopingOrInsistingEffectsPlay) {
  struct Case {
    const char* line;
    bool plays;
  };
  const Case cases[] = {
      {"cmd se_play_ex(0, f\"CLICK\", 0, 0, 0) -> v1\n", false},
      {"cmd se_play_ex(0, f\"CLICK\", 2, 0, 0) -> v1\n", false},
      {"cmd se_play_ex(0, f\"CLICK\", 1, 0, 0) -> v1\n", true},
      {"cmd se_play_ex(0, f\"CLICK\", 8, 0, 0) -> v1\n", true},
      {"cmd se_play_ch_ex(0, f\"CLICK\", 0, 0, 2, 50, 0) -> v1\n", false},
      {"cmd se_load(f\"CLICK\", 0, 0)\ncmd se_play(0, 0, 0)\n", false},
      {"cmd se_load(f\"CLICK\", 0, 0)\ncmd se_play(0, 9, 0)\n", true},
  };
  for (const Case& k : cases) {
    ScriptMachine& m = Load(std::string("mov v1, 7\n") + k.line);
    c().skip.skip_mode = 1;
    m.Run();
    c().skip.skip_mode = 0;
    const uint32_t handle = sound().se[0].handle;
    EXPECT_EQ(handle != 0 && yel::YelSoundPlayIs(handle) != 0, k.plays) << k.line;
    EXPECT_EQ(sound().se_wait_channel, 0u) << k.line;
    if (m.V(1) != 7) {
      EXPECT_EQ(m.V(1), 0) << k.line;  // the channel, played or not
    }
  }
}

TEST_F(SoundEffects, VolumeRulesAndTheirCap) {
  struct Case {
    const char* what;
    const char* setup;
    int32_t heard;
  };
  const Case cases[] = {
      {"a class without a prefix takes every effect, capped", "cmd set_se_ex_volume(0, 150)\n",
       10000},
      {"a class whose prefix begins the name", "cmd set_se_info(1, f\"CL\", 30, 1)\n", 3000},
      {"a later class over an earlier one",
       "cmd set_se_info(0, f\"C\", 20, 1)\ncmd set_se_info(2, f\"CLI\", 70, 1)\n", 7000},
      {"a prefix that does not begin the name: the channel setting applies",
       "cmd set_se_info(1, f\"CLX\", 30, 1)\ncmd se_set_ch_volume(0, 45, 0)\n", 4500},
      {"a released class no longer counts",
       "cmd set_se_info(1, f\"CL\", 30, 1)\ncmd set_se_info(1, 268435455, 0, 0)\n"
       "cmd se_set_ch_volume(0, 250, 0)\n",
       10000},
  };
  for (const Case& k : cases) {
    ScriptMachine& m =
        Load(std::string(k.setup) + "cmd se_play_ex(0, f\"CLICK\", 1, 0, 0) -> v1\n");
    m.Run();
    EXPECT_EQ(ChannelVolume(sound().se[0].handle), k.heard) << k.what;
  }
  ScriptMachine& m = Load(
      "cmd se_play_ch_ex(-1, f\"CLICK\", 1, 0, 0, 60, 22050) -> v1\n"
      "cmd se_get_ch_freq(0) -> v2\n"
      "cmd se_set_ch_volume(0, 300, 1)\n"
      "cmd se_set_volume(50, 1)\n"
      "cmd se_get_volume(1) -> v3\n"
      "cmd se_mute(1, 2)\n");
  m.Run();
  EXPECT_EQ(m.V(2), 22050);
  EXPECT_EQ(ChannelVolume(sound().se[0].handle), 10000);
  EXPECT_EQ(m.V(3), 50);
  int32_t type_volume = 0;
  EXPECT_EQ(test::TypeVolume(&type_volume, adv::kSoundTypeSe1), 5000);
  EXPECT_EQ(test::TypeVolume(&type_volume, adv::kSoundTypeSe2), 0);
}

TEST_F(SoundEffects, StopKeepsLoadedChannelsAndTakesThePan) {
  ScriptMachine& m = Load(
      "cmd se_load(f\"CLICK\", 4, 0)\n"
      "cmd se_play(4, 33, 0)\n"
      "cmd se_stop(4, 500)\n"
      "cmd se_play_ex(5, f\"CLICK\", 1, 0, 0) -> v1\n"
      "cmd se_stop(5, 0)\n");
  sound().next_se_pan = -3000;
  m.Run();
  const adv::SeChannel& loaded = sound().se[4];
  EXPECT_EQ(loaded.pan, -3000);
  EXPECT_EQ(sound().next_se_pan, 0);
  EXPECT_EQ(yel::YelSoundGetState(loaded.handle), 2);  // fading out, still loaded
  EXPECT_EQ(loaded.flags & adv::kSeLoop, 0u);
  EXPECT_EQ(sound().se[5].handle, 0u);  // not loaded: released at once
  adv::AdvSoundUpkeep(c());
  EXPECT_NE(loaded.handle, 0u);
}

// Numbers outside their tables, negative ones too, are refused with a level-0 log and change
// nothing.
TEST_F(SoundEffects, BadChannelsKindsAndClassesAreRefused) {
  struct Case {
    const char* line;
    const char* log;
  };
  const Case cases[] = {
      {"cmd se_play(-1, 1, 0)\n", "channel error : se_play [-1]"},
      {"cmd se_play(16, 1, 0)\n", "channel error : se_play [16]"},
      {"cmd se_set_freq(-3, 8000, 1)\n", "channel error : se_set_freq [-3]"},
      {"cmd se_set_ch_volume(-2, 10, 1)\n", "channel error : se_set_ch_volume [-2]"},
      {"cmd se_get_ch_freq(-1) -> v1\n", "channel error : se_get_ch_freq [-1]"},
      {"cmd se_stop(-2, 0)\n", "channel error : se_stop [-2]"},
      {"cmd se_unload(-5)\n", "channel error : se_unload [-5]"},
      {"cmd se_wait(-2)\n", "channel error : se_wait [-2]"},
      {"cmd se_load(f\"CLICK\", -1, 0)\n", "channel error : se_load [-1]"},
      {"cmd se_load(f\"CLICK\", 1, 3)\n", "*** channel error se_load [3]"},
      {"cmd se_play_ex(-2, f\"CLICK\", 1, 0, 0) -> v1\n", "channel error : se_play_ex [-2]"},
      {"cmd se_play_ex(1, f\"CLICK\", 1, 0, -1) -> v1\n", "*** channel error se_play_ex [-1]"},
      {"cmd se_play_ch_ex(0, f\"CLICK\", 1, 0, 3, 50, 0) -> v1\n",
       "*** channel error se_play_ch_ex [3]"},
      {"cmd se_set_volume(20, -1)\n", "*** channel error se_set_volume [-1]"},
      {"cmd se_get_volume(3) -> v1\n", "*** channel error se_get_volume [3]"},
      {"cmd se_mute(1, -4)\n", "*** channel error se_mute [-4]"},
      {"cmd set_se_info(-1, f\"CLICK\", 20, 1)\n", "channel error : set_se_info[-1]"},
      {"cmd get_se_ex_volume(-1) -> v1\n", "channel error : get_se_ex_volume[-1]"},
      {"cmd set_se_ex_volume(4, 20)\n", "channel error : set_se_ex_volume[4]"},
      {"cmd se_enable(-1, 1)\n", "channel error : se_enable[-1]"},
      {"cmd is_se_enable(-1) -> v1\n", "channel error : is_se_enable[-1]"},
  };
  for (const Case& k : cases) {
    ScriptMachine& m = Load(std::string("cmd se_play_ex(0, f\"CLICK\", 1, 0, 0) -> v2\n"
                                        "mov v1, 77\n") +
                            k.line);
    const adv::SoundState before = sound();
    m.Run();
    EXPECT_TRUE(m.Logged(k.log, adv::kLogError)) << k.line;
    EXPECT_EQ(m.V(1), 77) << k.line;
    EXPECT_TRUE(yel::YelSoundPlayIs(sound().se[0].handle)) << k.line;
    EXPECT_EQ(ChannelVolume(sound().se[0].handle), 10000) << k.line;
    for (int32_t n = 1; n < adv::kSeChannelCount; ++n) {
      EXPECT_EQ(sound().se[n].handle, 0u) << k.line;
    }
    EXPECT_EQ(sound().volumes.se0, before.volumes.se0) << k.line;
    EXPECT_EQ(sound().se_info[0].in_use, 0) << k.line;
  }
  // An unused class answers -1 and logs why.
  ScriptMachine& m = Load("cmd is_se_enable(2) -> v1\ncmd get_se_ex_volume(2) -> v2\n");
  m.Run();
  EXPECT_EQ(m.V(1), -1);
  EXPECT_TRUE(m.Logged("initialize error : se_enable [2]", adv::kLogError));
  EXPECT_TRUE(m.Logged("initialize error : _se_enable [2]", adv::kLogError));
}

}  // namespace
