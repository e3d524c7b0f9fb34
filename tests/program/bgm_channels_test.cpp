// The BGM channels through assembled scripts on the headless platform: the automatic channel
// choice keeps the old piece on record 1 or stops everything, replaced sounds are released,
// skipping shortens fades, volume fades run on a clock the test drives, ducking follows level
// and switch, and bad channel numbers are refused.
#include <gtest/gtest.h>

#include <string>

#include "program/sound/bgm_channels.h"
#include "program/sound/sound_calls.h"
#include "tests/program/sound_fixture.h"

namespace {

using test::Eventually;
using test::PlatformIndex;
using test::ScriptMachine;

constexpr int32_t kParamFadeTime = 16;
constexpr int32_t kParamPaused = 12;

const yel::Import<decltype(::YelSoundGetVolumeChannel)> ChannelVolume{"YelSoundGetVolumeChannel"};

int32_t BgmTypeVolume() {
  int32_t volume = 0;
  return test::TypeVolume(&volume, adv::kSoundTypeBgm);
}

class Bgm : public test::SoundScript {
 protected:
  // Runs the script part that starts at `label` (parts end by jumping to "done:" at the end).
  void RunAt(ScriptMachine& m, const char* label) {
    c().script.pc = m.LabelPc(label);
    m.Run();
  }
};

TEST_F(Bgm, AutomaticChannelKeepsTheOldPieceOnRecordOne) {
  ScriptMachine& m = Load(
      "cmd bgm_play(-1, f\"BGM01\", 1, 0, 0, 0, 0) -> v1\n"
      "jmp done\n"
      "second:\n"
      "cmd bgm_play(-1, f\"BGM02\", 1, 0, 0, 0, 0) -> v2\n"
      "cmd bgm_stop(1, 500)\n"
      "done:\n");
  m.Run();
  const uint32_t first = sound().bgm[0].handle;
  ASSERT_NE(first, 0u);
  RunAt(m, "second");
  EXPECT_EQ(m.V(1), 0);
  EXPECT_EQ(m.V(2), 0);
  const adv::BgmChannel& old_piece = sound().bgm[1];
  const adv::BgmChannel& new_piece = sound().bgm[0];
  EXPECT_EQ(old_piece.handle, first);
  EXPECT_NE(new_piece.handle, first);
  EXPECT_TRUE(yel::YelSoundPlayIs(new_piece.handle));
  EXPECT_TRUE(yel::YelSoundPlayIs(first));
  // bgm_stop (1, fade) fades the old piece; its record forgets the file at once.
  EXPECT_EQ(yel::YelSoundGetState(first), 2);
  EXPECT_EQ(old_piece.file_id, 0u);
  EXPECT_NE(new_piece.file_id, 0u);
}

TEST_F(Bgm, AutomaticChannelWithNoFreePlatformChannelStopsAll) {
  ScriptMachine& m = Load(
      "cmd bgm_play(0, f\"BGM01\", 1, 0, 0, 0, 0) -> v1\n"
      "cmd bgm_play(1, f\"BGM02\", 1, 0, 0, 0, 0) -> v2\n"
      "cmd bgm_play(-1, f\"BGM02\", 1, 0, 0, 0, 0) -> v3\n");
  m.Run();
  EXPECT_EQ(m.V(3), 0);
  EXPECT_EQ(sound().bgm[1].handle, 0u);
  EXPECT_EQ(sound().bgm[1].file_id, 0u);
  EXPECT_TRUE(yel::YelSoundPlayIs(sound().bgm[0].handle));
  EXPECT_EQ(yel::YelSoundGetChannelCount(adv::kSoundTypeBgm), 1);
}

// A piece started on platform channel 1 lives in record 0 after a cross-fade; once the old piece
// on platform channel 0 is gone, the next automatic play must not lose the piece that plays.
TEST_F(Bgm, AutomaticChannelFollowsTheRecordsOwnPlatformChannel) {
  ScriptMachine& m = Load(
      "cmd bgm_play(-1, f\"BGM01\", 1, 0, 0, 0, 0) -> v1\n"
      "cmd bgm_play(-1, f\"BGM02\", 1, 0, 0, 0, 0) -> v2\n"
      "cmd bgm_stop(1, 0)\n"
      "jmp done\n"
      "third:\n"
      "cmd bgm_play(-1, f\"BGM01\", 1, 0, 0, 0, 0) -> v3\n"
      "done:\n");
  m.Run();
  const uint32_t second = sound().bgm[0].handle;
  ASSERT_EQ(PlatformIndex(second), 1);
  ASSERT_TRUE(Eventually([&] { return yel::YelSoundGetChannelCount(adv::kSoundTypeBgm) == 1; }));
  adv::AdvSoundUpkeep(c());
  EXPECT_EQ(sound().bgm[1].handle, 0u);
  RunAt(m, "third");
  EXPECT_EQ(sound().bgm[1].handle, second);  // the second piece goes on under record 1
  EXPECT_TRUE(yel::YelSoundPlayIs(sound().bgm[0].handle));
  adv::AdvBgmStop(c(), -1, 0);
  EXPECT_TRUE(Eventually([&] { return yel::YelSoundGetChannelCount(adv::kSoundTypeBgm) == 2; }));
}

TEST_F(Bgm, PlayOnAPlayingChannelReleasesTheOldSound) {
  ScriptMachine& m = Load(
      "cmd bgm_play(0, f\"BGM01\", 1, 0, 0, 0, 0) -> v1\n"
      "cmd bgm_play(0, f\"BGM02\", 1, 0, 0, 0, 0) -> v2\n"
      "jmp done\n"
      "load:\n"
      "cmd bgm_load(1, f\"BGM01\", 0, 0, 0) -> v3\n"
      "cmd bgm_load(1, f\"BGM02\", 0, 0, 0) -> v4\n"
      "done:\n");
  m.Run();
  EXPECT_EQ(m.V(2), 0);
  EXPECT_EQ(yel::YelSoundGetChannelCount(adv::kSoundTypeBgm), 1);
  RunAt(m, "load");
  EXPECT_EQ(m.V(4), 1);
  EXPECT_EQ(yel::YelSoundGetChannelCount(adv::kSoundTypeBgm), 0);  // two sounds, not three
  EXPECT_TRUE(yel::YelSoundPlayIs(sound().bgm[0].handle));
  EXPECT_EQ(sound().bgm[1].flags, adv::kBgmNoRestart);
  adv::AdvSoundUpkeep(c());
  EXPECT_NE(sound().bgm[1].handle, 0u);  // loaded and silent: kept
}

TEST_F(Bgm, SkippingDividesFadesBySixteen) {
  struct Case {
    int32_t skip_mode;
    uint32_t fade_in;
    uint32_t fade_out;
  };
  for (const Case& k : {Case{0, 1600, 3200}, Case{1, 100, 200}}) {
    ScriptMachine& m = Load(
        "cmd bgm_play(0, f\"BGM01\", 5, 1600, 0, 0, 0) -> v1\n"
        "jmp done\n"
        "stop:\n"
        "cmd bgm_stop(0, 3200)\n"
        "done:\n");
    c().skip.skip_mode = k.skip_mode;
    m.Run();
    const int32_t platform = PlatformIndex(sound().bgm[0].handle);
    EXPECT_EQ(yel::YelSoundGetParam(platform, kParamFadeTime), int32_t(k.fade_in));
    RunAt(m, "stop");
    EXPECT_EQ(yel::YelSoundGetParam(platform, kParamFadeTime), int32_t(k.fade_out));
    c().skip.skip_mode = 0;
  }
}

TEST_F(Bgm, VolumeFadeFollowsTheClockAndJumpsWhileSkipping) {
  ScriptMachine& m = Load(
      "cmd bgm_play(0, f\"BGM01\", 1, 0, 0, 0, 0) -> v1\n"
      "cmd bgm_set_volume_users(0, 40, 10000)\n");
  m.Run();
  adv::BgmChannel& channel = sound().bgm[0];
  ASSERT_EQ(channel.flags & adv::kBgmFadeRunning, adv::kBgmFadeRunning);
  const uint32_t t0 = channel.fade_start;
  struct Step {
    uint32_t ms;
    int32_t heard;  // the platform's channel volume
    int32_t stored;
  };
  for (const Step& s : {Step{0, 10000, 100}, Step{2500, 8500, 100}, Step{7500, 5500, 100},
                        Step{10000, 4000, 40}, Step{12000, 4000, 40}}) {
    adv::BgmFadeStepAt(channel, t0 + s.ms);
    EXPECT_EQ(ChannelVolume(channel.handle), s.heard) << s.ms;
    EXPECT_EQ(channel.volume, s.stored) << s.ms;
  }
  EXPECT_EQ(channel.flags & adv::kBgmFadeRunning, 0u);
  // A new fade folds the part of a running one in: halfway from 40 to 80 is 60.
  adv::BgmVolumeFadeStart(channel, 80, 1000, t0);
  adv::BgmVolumeFadeStart(channel, 0, 1000, t0 + 500);
  EXPECT_EQ(channel.volume, 60);
  EXPECT_EQ(channel.fade_delta, -60);

  ScriptMachine& again = Load(
      "cmd bgm_play(0, f\"BGM01\", 1, 0, 0, 0, 0) -> v1\n"
      "cmd bgm_set_volume_users(0, 25, 10000)\n");
  c().skip.skip_mode = 1;
  again.Run();
  EXPECT_EQ(sound().bgm[0].volume, 25);
  EXPECT_EQ(ChannelVolume(sound().bgm[0].handle), 2500);
  EXPECT_EQ(sound().bgm[0].flags & adv::kBgmFadeRunning, 0u);
  c().skip.skip_mode = 0;
}

TEST_F(Bgm, DuckingFollowsLevelAndSwitch) {
  struct Case {
    const char* what;
    const char* script;
    int32_t ducked;
  };
  const Case cases[] = {
      {"switch still 0: silent under voices", "cmd bgm_set_auto_volume(1, 50)\n", 0},
      {"switch on: half", "cmd bgm_set_auto_volume(1, 50)\ncmd mute_bgm_auto_volume(0)\n", 4000},
      {"muted BGM stays silent",
       "cmd bgm_set_auto_volume(1, 50)\ncmd mute_bgm_auto_volume(0)\n"
       "cmd bgm_mute(1)\n",
       0},
      {"ducking off: full", "cmd bgm_set_auto_volume(0, 50)\n", 8000},
  };
  for (const Case& k : cases) {
    ScriptMachine& m = Load(std::string("cmd bgm_set_volume(80)\n") + k.script);
    m.Run();
    adv::AdvBgmDuck(sound(), 1);
    EXPECT_EQ(BgmTypeVolume(), k.ducked) << k.what;
    adv::AdvBgmDuck(sound(), 0);
    EXPECT_EQ(BgmTypeVolume(), sound().switches.bgm * 8000) << k.what;
  }
  // A voice ducks the BGM; the voice pass brings it back once no voice plays.
  ScriptMachine& m = Load(
      "cmd bgm_set_volume(80)\n"
      "cmd bgm_set_auto_volume(1, 50)\n"
      "cmd mute_bgm_auto_volume(0)\n"
      "cmd voice_play(0, f\"VOICE01\", 0, 0) -> v1\n");
  m.Run();
  EXPECT_EQ(BgmTypeVolume(), 4000);
  adv::AdvVoiceStop(c(), 0);
  adv::AdvSoundUpkeep(c());
  EXPECT_EQ(BgmTypeVolume(), 8000);
  // A movie's start brings the BGM back only with the switch on.
  adv::AdvBgmDuck(sound(), 1);
  sound().auto_volume.on = 0;
  adv::AdvBgmAutoVolumeRestore(sound());
  EXPECT_EQ(BgmTypeVolume(), 4000);
  sound().auto_volume.on = 1;
  adv::AdvBgmAutoVolumeRestore(sound());
  EXPECT_EQ(BgmTypeVolume(), 8000);
}

TEST_F(Bgm, PauseAndQueries) {
  ScriptMachine& m = Load(
      "cmd bgm_play(0, f\"BGM01\", 1, 0, 0, 0, 0) -> v1\n"
      "cmd bgm_pause(0, 1, 0)\n"
      "cmd get_bgm_pos(0, -2) -> v2\n"
      "cmd get_bgm_pos(0, -3) -> v3\n"
      "cmd get_bgm_pos(0, -7) -> v4\n"
      "cmd get_bgm_pos(2, 0) -> v5\n"
      "cmd get_bgm_filename(0) -> v6\n"
      "cmd get_bgm_ch -> v7\n"
      "cmd bgm_get_volume -> v8\n"
      "cmd set_master_volume(30)\n"
      "cmd get_master_volume -> v9\n"
      "cmd sound_ch_to_yel_ch(3, 0) -> v10\n");
  m.Run();
  const adv::BgmChannel& channel = sound().bgm[0];
  EXPECT_EQ(yel::YelSoundGetParam(PlatformIndex(channel.handle), kParamPaused), 1);
  EXPECT_EQ(m.V(2), int32_t(channel.file_id));
  EXPECT_EQ(m.V(3), int32_t(adv::kBgmLoop | adv::kBgmRestorePaused));
  EXPECT_EQ(m.V(4), -1);
  EXPECT_EQ(m.V(5), -1);
  EXPECT_TRUE(m.Logged("error get_bgm_pos ch over [2]", adv::kLogError));
  EXPECT_EQ(m.V(6), int32_t(channel.file_id));
  EXPECT_EQ(m.V(7), PlatformIndex(channel.handle));
  EXPECT_EQ(m.V(8), 100);
  EXPECT_EQ(m.V(9), 30);
  EXPECT_EQ(m.V(10), PlatformIndex(channel.handle));
}

TEST_F(Bgm, PausingBothDropsTheOldPieceOfACrossFade) {
  ScriptMachine& m = Load(
      "cmd bgm_play(-1, f\"BGM01\", 1, 0, 0, 0, 0) -> v1\n"
      "cmd bgm_play(-1, f\"BGM02\", 1, 0, 0, 0, 0) -> v1\n"
      "cmd bgm_pause(-1, 1, 0)\n");
  m.Run();
  EXPECT_EQ(sound().bgm[1].handle, 0u);
  EXPECT_EQ(sound().bgm[1].file_id, 0u);  // a save made now does not bring it back
  EXPECT_EQ(yel::YelSoundGetChannelCount(adv::kSoundTypeBgm), 1);
  EXPECT_EQ(yel::YelSoundGetParam(PlatformIndex(sound().bgm[0].handle), kParamPaused), 1);
}

// Channel numbers outside 0-1 (or -1 where it means something) are refused with a level-0 log
// and change nothing.
TEST_F(Bgm, BadChannelsAreRefused) {
  const char* lines[] = {
      "cmd bgm_stop(2, 0)\n",
      "cmd bgm_stop(-2, 0)\n",
      "cmd bgm_pause(2, 1, 0)\n",
      "cmd bgm_pause(-3, 1, 0)\n",
      "cmd bgm_set_volume_users(-1, 50, 0)\n",
      "cmd bgm_set_volume_users(7, 50, 0)\n",
      "cmd get_bgm_filename(2) -> v2\n",
      "cmd get_bgm_status(5) -> v2\n",
      "cmd bgm_load(-1, f\"BGM02\", 0, 0, 0) -> v2\n",
      "cmd bgm_play2(2, 1, 0) -> v2\n",
      "cmd bgm_play(-5, f\"BGM02\", 1, 0, 0, 0, 0) -> v2\n",
  };
  for (const char* line : lines) {
    ScriptMachine& m = Load(std::string("cmd bgm_play(0, f\"BGM01\", 1, 0, 0, 0, 0) -> v1\n") +
                            "mov v2, 77\n" + line);
    m.Run();
    EXPECT_EQ(m.CountLogged("sound ch entry error"), 1) << line;
    EXPECT_EQ(m.V(2), 77) << line;
    EXPECT_TRUE(yel::YelSoundPlayIs(sound().bgm[0].handle)) << line;
    EXPECT_NE(sound().bgm[0].file_id, 0u) << line;
    EXPECT_EQ(sound().bgm[0].volume, 100) << line;
    EXPECT_EQ(sound().bgm[0].flags, adv::kBgmLoop) << line;
  }
}

}  // namespace
