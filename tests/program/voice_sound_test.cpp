// Voices on the platform library started headless (SDL's dummy audio driver pulls the mix): a
// voice plays and is released when it ends, one that cannot play gives its channel, voice sets fill
// channels 0-7, the work-thread load hands its result over or is dropped by the end, and the sound
// block of "system.dat" keeps its field order.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "program/game/adv_context.h"
#include "program/sound/sound_config.h"
#include "program/sound/sound_services.h"
#include "program/sound/voice_channels.h"
#include "program/sound/voice_load_worker.h"
#include "program/startup/yel_import.h"
#include "tests/program/script_machine.h"
#include "tests/program/started_library.h"
#include "tests/program/temp_folder.h"
#include "tests/wait_until.h"

namespace {

using test::ScriptMachine;

// Platform queries the program itself does not bind.
const yel::Import<decltype(::YelSoundGetParamByType)> SoundParam{"YelSoundGetParamByType"};
const yel::Import<decltype(::YelSoundGetChannelCount)> FreeChannels{"YelSoundGetChannelCount"};

constexpr int32_t kParamPlayCursor = 6;
constexpr int32_t kParamOgg = 10;

int32_t Index(uint32_t handle) {
  return static_cast<int32_t>(handle & 0x0FFFFFFF);
}

using test::Eventually;

class Voices : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(yel::LoadLibraryFrom(YEL_LIBRARY));
    render_ = test::StartLibraryHidden();
    ASSERT_NE(render_, nullptr);
    yel::YelSystemPathInit();
    yel::YelSystemPathSet(folder_.path().c_str());
    const std::filesystem::path clips = SAMPLE_PACK_DIR;
    for (const char* clip : {"VOICE01.ogg", "VOICE03.wav"}) {
      std::filesystem::copy_file(clips / clip, folder_ / clip);
    }
    // A ".wav" beside the ".ogg": the ".ogg" is taken.
    std::filesystem::copy_file(clips / "VOICE03.wav", folder_ / "VOICE01.wav");
  }
  void TearDown() override {
    if (machine_) {
      adv::AdvVoiceReleaseAll(c());
      machine_.reset();
    }
    yel::YelSystemPathUninit();
    yel::YelRenderSetActive(nullptr);
    yel::YelRenderUninit(render_);
    yel::YelUninit();
  }

  ScriptMachine& Load(const std::string& source) {
    machine_ = std::make_unique<ScriptMachine>(source);
    EXPECT_TRUE(machine_->loaded());
    return *machine_;
  }
  adv::AdvContext& c() { return machine_->context(); }

  test::TempFolder folder_;
  YelRender* render_ = nullptr;
  std::unique_ptr<ScriptMachine> machine_;
};

TEST_F(Voices, AVoicePlaysThroughTheMixerAndIsReleasedWhenItEnds) {
  ScriptMachine& m = Load(
      "cmd voice_play(-1, f\"VOICE01\", 0, 0) -> v1\n"
      "cmd is_voice_playing -> v2\n");
  m.Run();
  EXPECT_EQ(m.V(1), 0);
  EXPECT_EQ(m.V(2), 1);
  const uint32_t handle = c().sound.voice[0].handle;
  ASSERT_EQ(handle >> 28, 3u);  // the platform's voice group
  EXPECT_STREQ(c().sound.voice[0].name.data(), "VOICE01");
  EXPECT_EQ(SoundParam(1, Index(handle), kParamOgg), 1);
  // The mixer takes the voice's samples: its play cursor moves on, then the voice ends.
  EXPECT_TRUE(Eventually([&] { return SoundParam(1, Index(handle), kParamPlayCursor) > 0; }));
  adv::AdvSoundUpkeep(c());
  EXPECT_EQ(c().sound.voice[0].handle, handle);  // still playing: kept
  ASSERT_TRUE(Eventually([&] { return yel::YelSoundPlayIs(handle) == 0; }));
  adv::AdvSoundUpkeep(c());
  EXPECT_EQ(c().sound.voice[0].handle, 0u);
  EXPECT_STREQ(c().sound.voice[0].name.data(), "VOICE01");  // the name stays
  EXPECT_EQ(FreeChannels(1), 16);                           // every platform channel free
}

// A voice that cannot play leaves its channel empty and the script goes on with the channel as
// the result (never -1, which would make a voice_wait or voice_stop with it act on channels 0-7).
TEST_F(Voices, AVoiceThatCannotPlayGivesItsChannel) {
  ScriptMachine& m = Load(
      "cmd voice_play(9, f\"VOICE01\", 0, 0) -> v1\n"
      "cmd voice_play(3, f\"MISSING\", 0, 0) -> v2\n"
      "cmd voice_check_enable(1)\n"
      "cmd voice_play(8, f\"MISSING\", 0, 0) -> v3\n"
      "cmd voice_play(8, f\"VOICE03\", 0, 0) -> v4\n");
  m.Run();
  EXPECT_EQ(m.V(1), 9);
  EXPECT_TRUE(m.Logged("voice_play error : no channel 9", adv::kLogError));
  EXPECT_EQ(m.V(2), 3);
  EXPECT_EQ(m.V(3), 8);
  EXPECT_EQ(m.V(4), 8);
  EXPECT_EQ(m.CountLogged("skip : voice_play"), 2);
  EXPECT_TRUE(m.Logged("voice file read : MISSING", adv::kLogError));
  EXPECT_EQ(m.CountLogged("voice file read : MISSING"), 1);  // logged only while checking
  EXPECT_EQ(c().sound.voice[3].handle, 0u);
  EXPECT_NE(c().sound.voice[8].handle, 0u);
}

TEST_F(Voices, SkippingLoadsNothingButAVoiceThatAsksToPlay) {
  ScriptMachine& m = Load(
      "cmd voice_play(0, f\"VOICE01\", 0, 0) -> v1\n"
      "cmd voice_play(1, f\"VO_VOICEPACK_0002\", 0, 0) -> v2\n"
      "cmd voice_play(2, f\"VOICE01\", 8, 0) -> v3\n");
  const adv::SoundState& sound = c().sound;
  EXPECT_EQ(adv::AdvVoicePackProbe(), 0);
  c().skip.skip_mode = 1;
  m.Run();
  EXPECT_EQ(m.V(1), 0);  // skipped
  EXPECT_EQ(m.V(2), 1);  // the voice pack it belongs to is missing: nothing plays
  EXPECT_EQ(m.V(3), 2);  // flag 8 plays while skipping
  EXPECT_EQ(sound.voice[0].handle, 0u);
  EXPECT_EQ(sound.voice[1].handle, 0u);
  EXPECT_NE(sound.voice[2].handle, 0u);
  EXPECT_EQ(m.CountLogged("skip : voice_play"), 2);

  std::filesystem::copy_file(folder_ / "VOICE03.wav", folder_ / "VO_VOICEPACK_0001.wav");
  EXPECT_EQ(adv::AdvVoicePackProbe(), 1);
  // While a skip rebuilds the scene nothing loads, and that is no failure.
  c().skip.skip_mode = 0;
  c().skip.scene_skip = 1;
  c().script.pc = c().script.entry;
  m.Run();
  EXPECT_EQ(m.V(3), 2);
  EXPECT_EQ(sound.voice[2].handle, 0u);
  c().skip.scene_skip = 0;
}

TEST_F(Voices, FinishedChannelsAreReleasedAndNoneIsOverwritten) {
  Load("");
  adv::SoundState& sound = c().sound;
  // A voice started again on its channel releases the platform channel it had.
  ASSERT_EQ(adv::AdvVoicePlay(c(), 8, "VOICE03", 0, 0, true), adv::kVoiceStarted);
  ASSERT_EQ(adv::AdvVoicePlay(c(), 8, "VOICE01", 0, 0, true), adv::kVoiceStarted);
  EXPECT_EQ(FreeChannels(1), 15);
  // Sound effects and BGM that stopped are released, unless they were only loaded.
  sound.se[0].handle = yel::YelSoundLoad("VOICE03.wav", 5, nullptr);
  sound.se[1].handle = yel::YelSoundLoad("VOICE03.wav", 5, nullptr);
  sound.se[1].flags = adv::kSoundLoadedOnly;
  sound.bgm[0].handle = yel::YelSoundLoad("VOICE03.wav", 5, nullptr);
  sound.bgm[0].file_id = 4;
  ASSERT_EQ(FreeChannels(5), 61);
  adv::AdvSoundUpkeep(c());
  EXPECT_EQ(sound.se[0].handle, 0u);
  EXPECT_NE(sound.se[1].handle, 0u);
  EXPECT_EQ(sound.bgm[0].handle, 0u);
  EXPECT_EQ(sound.bgm[0].file_id, 0u);
  EXPECT_EQ(FreeChannels(5), 63);
  adv::AdvSeReleaseAll(c());
  EXPECT_EQ(FreeChannels(5), 64);
  // While the work thread loads a voice, the voice records are left alone.
  const uint32_t voice = sound.voice[8].handle;
  yel::YelSoundStop(voice);
  adv::AdvVoiceLoadPendingSet(true);
  adv::AdvSoundUpkeep(c());
  EXPECT_EQ(sound.voice[8].handle, voice);
  adv::AdvVoiceLoadPendingSet(false);
  adv::AdvSoundUpkeep(c());
  EXPECT_EQ(sound.voice[8].handle, 0u);
}

TEST_F(Voices, AVoiceSetFillsChannelsZeroToSevenAndItsWaitHoldsTheScript) {
  std::string mix;
  for (const std::string& record : {std::string("voice01"), std::string("MISSING"),
                                    std::string("VOICE03"), std::string(32, 'A')}) {
    std::string padded = record;
    padded.resize(32, '\0');
    mix += padded;
  }
  mix += "VOICE03";  // a record cut short by the file's end is none
  std::ofstream(folder_ / "DUO.mix", std::ios::binary) << mix;
  adv::VoiceSet set;
  ASSERT_TRUE(adv::VoiceSetRead("DUO", set));
  EXPECT_EQ(set.count, 4);
  EXPECT_STREQ(set.names[0].data(), "VOICE01");  // upper-cased
  EXPECT_EQ(std::string(set.names[3].data()), std::string(32, 'A'));

  ScriptMachine& m = Load(
      "cmd voice_play(5, f\"DUO\", 2, 0) -> v1\n"
      "mov v9, 1\n");
  const adv::SoundState& sound = c().sound;
  ASSERT_EQ(adv::AdvVoicePlay(c(), 5, "DUO", 0, 0, true), adv::kVoiceStarted);
  EXPECT_NE(sound.voice[0].handle, 0u);
  EXPECT_EQ(sound.voice[1].handle, 0u);
  EXPECT_NE(sound.voice[2].handle, 0u);
  EXPECT_EQ(sound.voice[5].handle, 0u);
  EXPECT_STREQ(sound.voice[1].name.data(), "MISSING");
  EXPECT_EQ(std::string(sound.voice[3].name.data()), std::string(31, 'A'));  // terminated
  EXPECT_TRUE(yel::YelSoundPlayIs(sound.voice[0].handle));
  EXPECT_TRUE(yel::YelSoundPlayIs(sound.voice[2].handle));

  m.Run();  // the same set, waited for
  EXPECT_EQ(m.V(1), 5);
  EXPECT_TRUE(yel::YelSoundPlayIs(sound.voice[0].handle));
  // The waits of the members that did not load end at once; the script waits for the others.
  EXPECT_EQ(sound.voice_wait_mask, 0b0101u);
  EXPECT_EQ(c().script.stop, 1);
  EXPECT_EQ(m.V(9), 0);
  adv::AdvVoiceStop(c(), -1);
  c().script.stop = 0;
  m.Run();  // the wait sees its voices gone
  EXPECT_EQ(sound.voice_wait_mask, 0u);
  c().script.stop = 0;
  m.Run();
  EXPECT_EQ(m.V(9), 1);
}

TEST_F(Voices, TheWorkThreadLoadHandsItsResultOverOrIsDroppedByTheEnd) {
  Load("");
  adv::SoundState& sound = c().sound;
  adv::VoiceLoadWorker& job = adv::VoiceLoadJob();
  const auto request = [&](const char* name) {
    adv::VoiceLoadRequest r;
    r.state = &sound;
    r.channel = 0;
    std::snprintf(r.name.data(), r.name.size(), "%s", name);
    return r;
  };
  // The library runs no work thread here: a queued job runs only when the test runs it.
  const auto run_job = [&] {
    std::thread(adv::ThreadBaseWorkerProc, reinterpret_cast<uintptr_t>(&job)).join();
  };

  ASSERT_TRUE(adv::VoiceLoadStart(request("VOICE01")));
  EXPECT_FALSE(adv::VoiceLoadStart(request("VOICE03")));  // one load at a time
  EXPECT_EQ(adv::VoiceLoadPoll(), adv::VoiceLoadStatus::kPending);
  run_job();
  ASSERT_EQ(adv::VoiceLoadPoll(), adv::VoiceLoadStatus::kDone);
  EXPECT_EQ(adv::VoiceLoadResult(), adv::kVoiceStarted);
  EXPECT_EQ(adv::VoiceLoadCurrentRequest().loaded, 1u);
  const uint32_t handle = sound.voice[0].handle;
  ASSERT_NE(handle, 0u);
  EXPECT_FALSE(yel::YelSoundPlayIs(handle));  // loaded, not started
  adv::VoiceStartLoaded(sound, adv::VoiceLoadCurrentRequest().loaded, 0, 0);
  EXPECT_TRUE(yel::YelSoundPlayIs(handle));
  adv::AdvVoiceReleaseAll(c());

  ASSERT_TRUE(adv::VoiceLoadStart(request("MISSING")));
  run_job();
  ASSERT_EQ(adv::VoiceLoadPoll(), adv::VoiceLoadStatus::kDone);
  EXPECT_EQ(adv::VoiceLoadResult(), adv::kVoiceNotLoaded);
  EXPECT_EQ(sound.voice[0].handle, 0u);

  // A job the work thread has not begun stays pending (there is no time-out), until the end
  // settles it; a late run of the dropped job touches nothing.
  ASSERT_TRUE(adv::VoiceLoadStart(request("VOICE01")));
  EXPECT_EQ(adv::VoiceLoadPoll(), adv::VoiceLoadStatus::kPending);
  adv::VoiceLoadSettle();
  EXPECT_EQ(adv::VoiceLoadPoll(), adv::VoiceLoadStatus::kDropped);
  run_job();
  EXPECT_EQ(adv::VoiceLoadPoll(), adv::VoiceLoadStatus::kDropped);
  EXPECT_EQ(sound.voice[0].handle, 0u);
  // So does the release of the voices at the end.
  ASSERT_TRUE(adv::VoiceLoadStart(request("VOICE01")));
  adv::AdvVoiceReleaseAll(c());
  run_job();
  EXPECT_EQ(sound.voice[0].handle, 0u);
}

TEST_F(Voices, ScriptChannelsMapToPlatformChannels) {
  Load("");
  adv::SoundState& sound = c().sound;
  sound.se[3].handle = 0x50000023;  // channel 35 of the 64 of platform type 5
  sound.se[4].handle = 0x40000005;
  sound.voice[8].handle = 0x3000000F;
  struct Case {
    int32_t type, channel, platform;
  };
  const Case kCases[] = {{4, 3, 35},  {4, 4, 5},  {1, 8, 15}, {4, 0, -1},
                         {4, 16, -1}, {1, 9, -1}, {5, 0, -1}, {4, -1, 0}};
  for (const Case& k : kCases) {
    EXPECT_EQ(adv::SoundChannelToPlatformChannel(sound, k.type, k.channel), k.platform)
        << k.type << ", " << k.channel;
  }
  EXPECT_TRUE(machine_->Logged("error sound_ch_to_yel_ch over ch, type=4, ch=16", adv::kLogError));
  EXPECT_TRUE(machine_->Logged("error sound_ch_to_yel_ch ch ? [-1]", adv::kLogError));
  sound = adv::SoundState{};  // the handles above are not the platform's
}

TEST(SoundConfig, TheSystemBlockKeepsItsFieldOrder) {
  adv::SoundState defaults;
  adv::SoundConfigDefaults(defaults);
  const adv::SoundSettingsBlock block = adv::SoundConfigSerialize(defaults);
  const auto word = [&](size_t at) {
    return static_cast<int32_t>(block[at] | block[at + 1] << 8 | block[at + 2] << 16 |
                                static_cast<uint32_t>(block[at + 3]) << 24);
  };
  EXPECT_EQ(word(0), 5000);   // master
  EXPECT_EQ(word(8), 0);      // background voices: a fresh file leaves them alone
  EXPECT_EQ(word(12), 5000);  // voices
  EXPECT_EQ(word(28), 1);
  EXPECT_EQ(word(52), 1);
  EXPECT_EQ(word(60), 5000);  // ducking level
  EXPECT_EQ(word(2940), 0);

  adv::SoundState state;
  state.volumes = {1, 2, 3, 4, 5, 6, 7};  // master, BGM, voice, BGV, SE 0, 1, 2
  state.switches = {1, 0, 1, 0, 1, 0, 1};
  state.auto_volume = {1, 40, 1};
  state.voice_cut = 1;
  state.speaker_volumes[63] = {1, 1, 70, {'V', 'O', '1'}};
  state.default_speaker_volume.volume = 90;
  state.pan_range = 3000;
  const adv::SoundSettingsBlock written = adv::SoundConfigSerialize(state);
  const adv::SoundSettingsBlock& b = written;
  const auto at = [&](size_t n) { return static_cast<int32_t>(b[n] | b[n + 1] << 8); };
  EXPECT_EQ(at(8), 4);  // background voice before voice in the file
  EXPECT_EQ(at(12), 3);
  EXPECT_EQ(at(32), 0);  // BGM switch
  EXPECT_EQ(at(76 + 63 * 44 + 8), 70);
  EXPECT_EQ(b[76 + 63 * 44 + 12], 'V');
  EXPECT_EQ(at(2892 + 8), 90);
  EXPECT_EQ(at(2940), 3000);
  adv::SoundState read;
  adv::SoundConfigParse(written, read);
  EXPECT_EQ(adv::SoundConfigSerialize(read), written);
  EXPECT_EQ(read.volumes.voice, 3);
  EXPECT_EQ(read.volumes.bgv, 4);
  // A block of zeros, from a build that kept no sound settings, reads as the defaults.
  adv::SoundConfigParse(adv::SoundSettingsBlock{}, read);
  EXPECT_EQ(read.volumes.voice, 5000);
  EXPECT_EQ(read.switches.master, 1);
}

}  // namespace
