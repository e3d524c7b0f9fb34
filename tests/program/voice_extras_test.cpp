// What shapes a voice and what runs around it, on the platform library started headless (SDL's
// dummy audio driver pulls the mix): voice hooks chosen by prefix whose end label runs when the
// voices end or are cut, per-speaker volumes, pans, background voices that pause under their
// speaker's voices, and the background-voice block of the snapshot.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "program/game/adv_context.h"
#include "program/savedata/snapshot_image.h"
#include "program/sound/autopan.h"
#include "program/sound/background_voices.h"
#include "program/sound/name_prefix.h"
#include "program/sound/sound_calls.h"
#include "program/sound/sound_services.h"
#include "program/sound/speaker_volumes.h"
#include "program/sound/voice_channels.h"
#include "program/sound/voice_hooks.h"
#include "program/startup/yel_import.h"
#include "tests/program/script_machine.h"
#include "tests/program/started_library.h"
#include "tests/program/temp_folder.h"
#include "tests/wait_until.h"

namespace {

using test::ScriptMachine;

const yel::Import<decltype(::YelSoundGetParamByType)> SoundParam{"YelSoundGetParamByType"};
constexpr int32_t kParamPaused = 12;
constexpr uint32_t kYieldCode = 0x0000FF;

int32_t Paused(uint32_t handle) {
  return SoundParam(adv::kSoundTypeBgv, static_cast<int32_t>(handle & 0x0FFFFFFF), kParamPaused);
}

using test::Eventually;

// A command that yields, as a wait does.
int Yield(adv::AdvContext& context) {
  context.script.stop = 1;
  return 1;
}

template <size_t N>
void SetName(std::array<char, N>& field, const char* text) {
  adv::StoreFieldText(field, text);
}

// ---- Without the platform -----------------------------------------------------------------------

TEST(VoicePrefix, LettersIgnoreCaseAndTrailBytesCompareExactly) {
  struct Case {
    const char* prefix;
    const char* name;
    bool match;
  };
  const Case cases[] = {
      {"VOA", "voa01", true},
      {"vOa", "VOA01", true},
      {"VOA", "VOB01", false},
      {"", "VOA01", false},        // an empty prefix names nothing
      {"VOA01X", "VOA01", false},  // longer than the name
      {"\x83\x41", "\x83\x41Z", true},
      {"\x83\x41", "\x83\x61Z", false},  // 0x41 here is a trail byte, not a letter
  };
  for (const Case& c : cases) {
    EXPECT_EQ(adv::NamePrefixMatches(c.prefix, c.name), c.match) << c.prefix << " " << c.name;
  }
}

TEST(Pans, PositionsAndScreenXBecomePansThroughTheRange) {
  adv::SoundState state;
  state.pan_range = 1000;  // voice_autopan_initialize(10)
  const std::pair<int32_t, int32_t> positions[] = {
      {0, -1000}, {10, 0}, {20, 1000}, {25, 1000}, {-1, -1000}};
  for (const auto& [position, pan] : positions) {
    EXPECT_EQ(adv::AdvPanFromPosition(state, position, 1280), pan) << position;
  }
  EXPECT_EQ(adv::AdvPanFromScreenX(state, 320, 1280), -500);
  EXPECT_EQ(adv::AdvPanFromScreenX(state, 1281, 1280), 1000);
  state.pan_range = 0;
  for (const auto& [position, pan] : positions) {
    EXPECT_EQ(adv::AdvPanFromPosition(state, position, 1280), 0) << position;
  }
}

TEST(SpeakerVolumes, EntriesTheDefaultAndTheSwitchChooseTheChannelVolume) {
  adv::SoundState state;
  state.speaker_volume_switch = 1;
  state.speaker_volumes[3] = {1, 1, 40, {}};
  SetName(state.speaker_volumes[3].name, "VOA");
  state.speaker_volumes[4] = {1, 0, 90, {}};
  SetName(state.speaker_volumes[4].name, "VOB");
  state.default_speaker_volume = {0, 1, 70, {}};  // its in-use word is not asked
  struct Case {
    const char* name;
    int32_t volume;
  };
  const Case cases[] = {
      {"voa01", 4000},     // entry 3, any case
      {"VOB01", 0},        // entry 4 is disabled
      {"VOC01", 7000},     // no entry: the default
      {"AB01", 10000},     // not a speaker's voice
      {"VOA", 10000},      // too short to be one
      {"VO\x10X", 10000},  // third byte below "0"
  };
  for (const Case& c : cases)
    EXPECT_EQ(adv::SpeakerChannelVolume(state, c.name), c.volume) << c.name;
  EXPECT_EQ(adv::AdvSpeakerVolumeFind(state, "VOA01"), 40);
  EXPECT_EQ(adv::AdvSpeakerVolumeFind(state, "VOC01"), 0);  // the default entry is not in use
  state.speaker_volume_switch = 0;
  for (const Case& c : cases) EXPECT_EQ(adv::SpeakerChannelVolume(state, c.name), 10000);
}

// The block written from a state with every field set.
std::vector<uint8_t> WriteBlock(const adv::SoundState& state) {
  std::vector<uint8_t> buffer(4096);
  adv::SnapshotWriter out(buffer.data(), static_cast<uint32_t>(buffer.size()), 0);
  adv::AdvBgvSave(state, out);
  EXPECT_FALSE(out.overflow());
  buffer.resize(out.cursor());
  return buffer;
}

adv::SoundState FilledState() {
  adv::SoundState state;
  for (int32_t i = 0; i < adv::kAutopanCount; ++i) {
    state.autopan[i].mode = i % 2;
    state.autopan[i].source = i % 2 ? i - 3 : 16 + i;
    SetName(state.autopan[i].name, ("VO" + std::to_string(i)).c_str());
  }
  for (int32_t i = 0; i < adv::kBgvChannelCount; ++i) {
    adv::BgvChannel& channel = state.bgv[i];
    channel.handle = 0x20000000u + i;  // never written: a handle belongs to its run
    channel.file_id = 100 + i;
    channel.flags = i;
    channel.enable = 1;
    channel.paused = i % 3 == 0;
    channel.auto_pause = i % 2;
    SetName(channel.key, std::string(i * 4, 'K').c_str());
  }
  return state;
}

bool ReadBlock(const std::vector<uint8_t>& bytes, adv::AutopanTable& autopan, adv::BgvTable& bgv) {
  adv::SnapshotReader in(
      std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  return adv::AdvBgvRead(in, autopan, bgv) && in.remaining() == 0;
}

TEST(BgvBlock, RoundTripsByteExact) {
  const std::vector<uint8_t> first = WriteBlock(FilledState());
  ASSERT_EQ(first.size(), adv::kBgvBlockSize);
  adv::AutopanTable autopan{};
  adv::BgvTable bgv{};
  ASSERT_TRUE(ReadBlock(first, autopan, bgv));
  EXPECT_EQ(bgv[3].handle, 0u);
  EXPECT_EQ(std::string(adv::FieldText(bgv[7].key)), std::string(28, 'K'));
  adv::SoundState again;
  again.autopan = autopan;
  again.bgv = bgv;
  EXPECT_EQ(WriteBlock(again), first);
  // Little-endian, field by field: record 1's file word at 640 + 92 + 4.
  EXPECT_EQ(first[640 + 92 + 4], 101);
  EXPECT_EQ(first[640 + 92 + 5], 0);
}

TEST(BgvBlock, AlteredBlocksAreRefused) {
  const std::vector<uint8_t> good = WriteBlock(FilledState());
  struct Change {
    const char* what;
    std::function<void(std::vector<uint8_t>&)> apply;
  };
  const auto fill = [](std::vector<uint8_t>& b, size_t at, size_t n) {
    std::memset(b.data() + at, 'X', n);
  };
  const Change changes[] = {
      {"autopan name without terminator", [&](auto& b) { fill(b, 40 * 2 + 8, 32); }},
      {"key without terminator", [&](auto& b) { fill(b, 640 + 92 * 5 + 60, 32); }},
      {"autopan slot outside the table",
       [](auto& b) {
         b[0] = 0xFF;
         b[1] = 0xFF;
         b[2] = 0;
       }},
      {"cut short", [](auto& b) { b.resize(b.size() - 1); }},
      {"empty", [](auto& b) { b.clear(); }},
  };
  for (const Change& change : changes) {
    std::vector<uint8_t> bytes = good;
    change.apply(bytes);
    adv::AutopanTable autopan{};
    adv::BgvTable bgv{};
    EXPECT_FALSE(ReadBlock(bytes, autopan, bgv)) << change.what;
  }
}

// ---- On the platform ----------------------------------------------------------------------------

class VoiceExtras : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(yel::LoadLibraryFrom(YEL_LIBRARY));
    render_ = test::StartLibraryHidden();
    ASSERT_NE(render_, nullptr);
    yel::YelSystemPathInit();
    yel::YelSystemPathSet(folder_.path().c_str());
    const std::filesystem::path clips = SAMPLE_PACK_DIR;
    for (const char* name : {"VOA01", "VOB01", "VOY01", "AB01", "BGV01"}) {
      std::filesystem::copy_file(clips / "VOICE01.ogg", folder_ / (std::string(name) + ".ogg"));
    }
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
  void LineVoice(const char* name) { SetName(c().text_window.line.voice, name); }

  test::TempFolder folder_;
  YelRender* render_ = nullptr;
  std::unique_ptr<ScriptMachine> machine_;
};

constexpr const char* kHookScript =
    "cmd voice_call(0, f\"VOA\", a_start, a_end)\n"
    "cmd voice_call(1, f\"VOB\", b_start, b_end)\n"
    "cmd voice_call(2, f\"VOY\", y_start, 0)\n"
    "jmp done\n"
    "a_start:\nadd v1, 1\nret\n"
    "a_end:\nadd v2, 1\nret\n"
    "b_start:\nadd v3, 1\nret\n"
    "b_end:\nadd v4, 1\nret\n"
    "y_start:\nadd v5, 1\ncmd 0x0000FF\nadd v6, 1\nret\n"
    "done:\n";

TEST_F(VoiceExtras, HooksChosenByPrefixRunTheirEndLabelWhenTheVoiceIsCutOrEnds) {
  ScriptMachine& m = Load(kHookScript);
  m.Run();
  const uint32_t end_pc = c().script.pc;
  const int32_t records = test::ReturnRecordCount(c(), adv::kListReturnPoint);

  LineVoice("vob01");
  ASSERT_EQ(adv::AdvVoicePlay(c(), 0, "VOB01", 0, 0, false), adv::kVoiceStarted);
  adv::AdvVoiceMixRunStart(c());
  EXPECT_EQ(m.V(3), 1);
  EXPECT_EQ(m.V(1), 0);  // hook 0's prefix does not begin the name
  EXPECT_EQ(c().script.pc, end_pc);
  adv::AdvVoiceMixRunEnd(c());
  EXPECT_EQ(m.V(4), 0);  // the voice still plays
  adv::AdvVoiceStop(c(), -1);
  EXPECT_EQ(m.V(4), 1);  // cut: its end label runs once the channels are released

  ASSERT_EQ(adv::AdvVoicePlay(c(), 0, "VOB01", 0, 0, false), adv::kVoiceStarted);
  adv::AdvVoiceMixRunStart(c());
  const uint32_t handle = c().sound.voice[0].handle;
  ASSERT_TRUE(Eventually([&] { return yel::YelSoundPlayIs(handle) == 0; }));
  adv::AdvVoiceMixRunEnd(c());
  adv::AdvVoiceMixRunEnd(c());
  EXPECT_EQ(m.V(4), 2);  // ended: once
  EXPECT_EQ(c().script.pc, end_pc);
  EXPECT_EQ(test::ReturnRecordCount(c(), adv::kListReturnPoint), records);
}

TEST_F(VoiceExtras, AHookThatYieldsIsCutAndTheCallerGoesOn) {
  ScriptMachine& m = Load(kHookScript);
  m.SetCommand(kYieldCode, Yield);
  m.Run();
  const uint32_t end_pc = c().script.pc;
  const int32_t records = test::ReturnRecordCount(c(), adv::kListReturnPoint);
  LineVoice("VOY01");
  adv::AdvVoiceMixRunStart(c());
  EXPECT_EQ(m.V(5), 1);
  EXPECT_EQ(m.V(6), 0);
  EXPECT_EQ(c().script.pc, end_pc);
  EXPECT_EQ(test::ReturnRecordCount(c(), adv::kListReturnPoint), records);
  EXPECT_TRUE(m.Logged("voice hook ended before its ret", adv::kLogError));
  // A hook without an end label never runs one.
  adv::AdvVoiceMixRunEnd(c());
  EXPECT_EQ(c().script.pc, end_pc);
}

TEST_F(VoiceExtras, SpeakerVolumesReachTheMixerChannels) {
  ScriptMachine& m = Load(
      "cmd voice_ex_volume_enable(1)\n"
      "cmd set_voice_info(0, f\"VOA\", 40, 1)\n"
      "cmd set_voice_info(-1, -1, 70, 1)\n"
      "cmd voice_play(0, f\"VOA01\", 0, 0)\n"
      "cmd voice_play(1, f\"VOB01\", 0, 0)\n"
      "cmd voice_play(2, f\"AB01\", 0, 0)\n"
      "cmd get_voice_ex_volume(0) -> v1\n"
      "cmd voice_ex_volume_enable(0)\n"
      "cmd voice_play(3, f\"VOA01\", 0, 0)\n"
      "cmd 0x0000FF\n"
      "cmd set_voice_ex_volume(0, 20, 1)\n");
  m.SetCommand(kYieldCode, Yield);
  m.Run();
  const adv::SoundState& sound = c().sound;
  EXPECT_EQ(m.V(1), 40);
  EXPECT_STREQ(sound.default_speaker_volume.name.data(), "");  // -1 kept the prefix
  // Entry 0, the default entry, not a speaker's voice, and the switch off.
  const int32_t expected[] = {4000, 7000, 10000, 10000};
  for (int32_t ch = 0; ch < 4; ++ch) {
    EXPECT_EQ(yel::YelSoundGetVolumeChannel(sound.voice[ch].handle), expected[ch]) << ch;
  }
  c().script.stop = 0;
  m.Run();
  // Applied at once to every voice that holds a sound, as the command says.
  for (int32_t ch = 0; ch < 4; ++ch) {
    EXPECT_EQ(yel::YelSoundGetVolumeChannel(sound.voice[ch].handle), 2000) << ch;
  }
}

TEST_F(VoiceExtras, AutopanPlacesAVoiceAndAnEntryWithoutAnImageKeepsItsPan) {
  ScriptMachine& m = Load(
      "cmd voice_autopan_initialize(10)\n"
      "cmd voice_autopan_enable(1)\n"
      "cmd set_voice_autopan(0, 20, f\"VOA\", 1)\n"
      "cmd set_voice_autopan(1, 5, f\"VOB\", 0)\n"
      "cmd voice_play(0, f\"VOA01\", 0, 0)\n"
      "cmd voice_play(1, f\"VOB01\", 0, 0)\n"
      "cmd is_voice_autopan_enable -> v1\n");
  m.Run();
  const adv::SoundState& sound = c().sound;
  EXPECT_EQ(m.V(1), 1);
  EXPECT_EQ(sound.pan_range, 1000);
  EXPECT_EQ(sound.voice[0].pan.state, adv::kPanFollowing);
  EXPECT_EQ(sound.voice[0].pan.last_pan, 1000);  // position 20: the right edge
  EXPECT_EQ(sound.voice[1].pan.state, adv::kPanFollowing);
  EXPECT_EQ(sound.voice[1].pan.last_pan, 0);  // layer 5 shows nothing: the pan stays
  adv::AdvSoundUpkeep(c());
  EXPECT_EQ(sound.voice[1].pan.last_pan, 0);
}

TEST_F(VoiceExtras, IndexesOutsideTheirTablesAreRefused) {
  ScriptMachine& m = Load(
      "cmd set_voice_info(64, f\"VOA\", 40, 1)\n"
      "cmd set_voice_info(-3, f\"VOA\", 40, 1)\n"
      "cmd voice_enable(100000, 1, 1)\n"
      "cmd is_voice_enable(70) -> v1\n"
      "cmd set_voice_ex_volume(64, 1, 1)\n"
      "cmd set_voice_autopan(16, 0, f\"VOA\", 1)\n"
      "cmd set_voice_autopan(-1, 0, f\"VOA\", 1)\n"
      "cmd voice_call(8, f\"VOA\", 0, 0)\n"
      "cmd voice_call_clear(-2)\n"
      "cmd bgv_play(8, f\"BGV01\", 1, 0) -> v2\n"
      "cmd bgv_stop(-2, 0)\n"
      "cmd bgv_enable(8, 1)\n"
      "cmd bgv_pause(9, 1, 0)\n"
      "cmd set_bgv_auto_volume(-1, f\"VOA\")\n"
      "cmd set_bgv_auto_volume(8, f\"VOA\")\n"
      "mov v9, 1\n");
  m.Run();
  EXPECT_EQ(m.V(9), 1);
  EXPECT_EQ(m.V(1), 0);
  EXPECT_EQ(m.V(2), -1);
  int refusals = 0;
  for (const test::LogLine& line : m.Log()) refusals += line.key == adv::kLogError;
  EXPECT_EQ(refusals, 14);
  EXPECT_EQ(m.CountLogged("over voice_call 8, VOA"), 1);
  EXPECT_EQ(m.CountLogged("set_bgv_auto_volume error : failed ch"), 2);
  for (const adv::BgvChannel& channel : c().sound.bgv) EXPECT_EQ(channel.handle, 0u);
}

TEST_F(VoiceExtras, AKeyedBackgroundVoicePausesUnderItsSpeakerAndAScriptPauseStays) {
  ScriptMachine& m = Load(
      "cmd bgv_play(0, f\"BGV01\", 1, 0) -> v1\n"
      "cmd bgv_play(-1, f\"BGV01\", 1, 0) -> v2\n"
      "cmd set_bgv_auto_volume(0, f\"VOA\")\n"
      "cmd set_bgv_auto_volume(1, f\"VOA\")\n"
      "cmd bgv_pause(1, 1, 0)\n");
  m.Run();
  EXPECT_EQ(m.V(2), 1);
  const adv::SoundState& sound = c().sound;
  const uint32_t keyed = sound.bgv[0].handle;
  const uint32_t held = sound.bgv[1].handle;
  ASSERT_NE(keyed, 0u);
  ASSERT_TRUE(Eventually([&] { return Paused(held) == 1; }));

  ASSERT_EQ(adv::AdvVoicePlay(c(), 0, "AB01", 0, 0, false), adv::kVoiceStarted);
  EXPECT_EQ(Paused(keyed), 0);  // another speaker
  ASSERT_EQ(adv::AdvVoicePlay(c(), 1, "voa01", 0, 0, false), adv::kVoiceStarted);
  EXPECT_TRUE(Eventually([&] { return Paused(keyed) == 1; }));
  adv::AdvVoiceStop(c(), -1);
  EXPECT_TRUE(Eventually([&] { return Paused(keyed) == 0; }));
  EXPECT_EQ(Paused(held), 1);
  adv::AdvSoundUpkeep(c());  // paused and looping records are not over
  EXPECT_EQ(sound.bgv[0].handle, keyed);
  EXPECT_EQ(sound.bgv[1].handle, held);
}

TEST_F(VoiceExtras, AFadingStopEndsTheKeyAndThePassReleasesTheChannel) {
  ScriptMachine& m = Load(
      "cmd bgv_mute(0)\n"  // with the switch off a stop does not fade
      "cmd bgv_play(2, f\"BGV01\", 1, 0)\n"
      "cmd set_bgv_auto_volume(2, f\"VOA\")\n"
      "cmd bgv_stop(2, 100)\n");
  m.Run();
  adv::SoundState& sound = c().sound;
  const uint32_t handle = sound.bgv[2].handle;
  ASSERT_NE(handle, 0u);
  EXPECT_EQ(sound.bgv[2].auto_pause, 0);
  EXPECT_EQ(sound.bgv[2].flags & adv::kBgvLoop, 0u);
  // Fades run on the frame clock, which moves here only when the test moves it.
  ASSERT_TRUE(Eventually([&] {
    yel::YelUpdateTime();
    return yel::YelSoundPlayIs(handle) == 0;
  }));
  adv::AdvSoundUpkeep(c());
  EXPECT_EQ(sound.bgv[2].handle, 0u);
  EXPECT_STREQ(sound.bgv[2].key.data(), "VOA");  // settings stay
}

TEST_F(VoiceExtras, ARestoredLoopingBackgroundVoiceComesBackAsItWas) {
  // File.dat's first name has file word 0, which a restore takes for no file.
  ScriptMachine& m = Load(
      "cmd set_bgv_auto_volume(3, f\"AB01\")\n"
      "cmd bgv_play(0, f\"BGV01\", 1, 0)\n"
      "cmd bgv_play(1, f\"BGV01\", 1, 0)\n"
      "cmd bgv_pause(1, 1, 0)\n"
      "cmd bgv_play(2, f\"BGV01\", 0, 0)\n");
  m.Run();
  const std::vector<uint8_t> block = WriteBlock(c().sound);
  adv::AutopanTable autopan{};
  adv::BgvTable bgv{};
  ASSERT_TRUE(ReadBlock(block, autopan, bgv));
  adv::AdvVoiceReleaseAll(c());
  ASSERT_TRUE(adv::AdvBgvLoad(c(), autopan, bgv));
  const adv::SoundState& sound = c().sound;
  ASSERT_NE(sound.bgv[0].handle, 0u);
  EXPECT_TRUE(yel::YelSoundPlayIs(sound.bgv[0].handle));
  ASSERT_NE(sound.bgv[1].handle, 0u);
  EXPECT_TRUE(Eventually([&] { return Paused(sound.bgv[1].handle) == 1; }));
  EXPECT_EQ(sound.bgv[2].handle, 0u);  // a one-shot one is gone
  EXPECT_NE(sound.bgv[2].file_id, 0u);
}

}  // namespace
