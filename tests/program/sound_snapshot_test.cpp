// The BGM and sound-effect blocks of a snapshot: they round-trip byte-exact, damaged blocks are
// refused before anything changes, and a restore brings the music and the kept effects back as
// they were (the target of a volume fade, paused music paused, not started by a history load).
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "program/game/game_task.h"
#include "program/savedata/snapshot_image.h"
#include "program/sound/bgm_channels.h"
#include "tests/program/sound_fixture.h"

namespace {

using test::PlatformIndex;
using test::ScriptMachine;

constexpr int32_t kParamPaused = 12;
constexpr uint32_t kBgmRecordSize = 92;
constexpr uint32_t kSeInfoOffset = 4;
constexpr uint32_t kSeSettingsOffset = 180;
constexpr uint32_t kSeChannelsOffset = 372;
constexpr uint32_t kSeChannelSize = 64;

const yel::Import<decltype(::YelSoundGetVolumeChannel)> ChannelVolume{"YelSoundGetVolumeChannel"};

std::string Encode(const adv::AdvContext& context) {
  std::vector<uint8_t> buffer(adv::kSnapshotBufferSize);
  uint32_t length = 0;
  EXPECT_TRUE(adv::EncodeSnapshot(context, buffer.data(), adv::kSnapshotBufferSize, &length));
  return std::string(reinterpret_cast<const char*>(buffer.data()), length);
}

// Where a block begins in the image of `context`.
uint32_t BlockOffset(const adv::AdvContext& context, const char* name) {
  std::vector<uint8_t> buffer(adv::kSnapshotBufferSize);
  adv::SnapshotWriter out(buffer.data(), adv::kSnapshotBufferSize, 0);
  for (const adv::SnapshotBlock& block : adv::SnapshotBlocks()) {
    if (std::strcmp(block.name, name) == 0) return out.cursor();
    block.write(context, out);
  }
  ADD_FAILURE() << "no block " << name;
  return 0;
}

class SoundSnapshot : public test::SoundScript {
 protected:
  // Resets the scene and applies the image, as a load does.
  void Restore(const std::string& image) {
    std::string error;
    std::unique_ptr<adv::SnapshotImage> decoded = adv::DecodeSnapshot(image, &error);
    ASSERT_TRUE(decoded) << error;
    adv::AdvResetState(c());
    adv::ApplySnapshot(c(), *decoded);
  }
};

constexpr const char* kScene =
    "cmd bgm_play(0, f\"BGM01\", 1, 0, 0, 0, 0) -> v1\n"
    "cmd bgm_load(1, f\"BGM02\", 0, 0, 0) -> v1\n"
    "cmd se_load(f\"CLICK\", 3, 2)\n"
    "cmd se_play_ex(4, f\"CLICK\", 33, 0, 1) -> v1\n"
    "cmd se_play_ex(5, f\"CLICK\", 0, 0, 0) -> v1\n"
    "cmd set_se_info(1, f\"CL\", 40, 1)\n"
    "cmd se_set_ch_volume(7, 35, 0)\n"
    "cmd se_set_freq(7, 11025, 0)\n";

TEST_F(SoundSnapshot, BlocksRoundTripByteExact) {
  ScriptMachine& m = Load(kScene);
  sound().next_se_pan = 1200;
  m.Run();
  sound().bgm[0].loop_points = adv::BgmLoopPoints{0, 0, 4096, 0};
  sound().se_info[3].name[0] = 'Z';
  const std::string first = Encode(c());
  Restore(first);
  EXPECT_EQ(Encode(c()), first);
  EXPECT_EQ(sound().se[4].pan, 1200);
  EXPECT_EQ(sound().next_se_pan, 0);
  EXPECT_STREQ(sound().se_info[1].name.data(), "CL");
  EXPECT_EQ(sound().se_settings[7].volume, 35);
  EXPECT_EQ(sound().se_settings[7].frequency, 11025);
  // Looping music plays again; music only loaded stays loaded; loaded and looping effects
  // load again; an effect that played once does not.
  EXPECT_TRUE(yel::YelSoundPlayIs(sound().bgm[0].handle));
  EXPECT_NE(sound().bgm[1].handle, 0u);
  EXPECT_FALSE(yel::YelSoundPlayIs(sound().bgm[1].handle));
  EXPECT_NE(sound().se[3].handle, 0u);
  EXPECT_EQ(sound().se[3].handle >> 28, 6u);  // kind 2
  EXPECT_TRUE(yel::YelSoundPlayIs(sound().se[4].handle));
  EXPECT_EQ(ChannelVolume(sound().se[4].handle), 4000);  // its class volume again
  EXPECT_EQ(sound().se[5].handle, 0u);
}

TEST_F(SoundSnapshot, AFadeIsSavedAtItsTargetAndPausedMusicComesBackPaused) {
  ScriptMachine& m = Load(
      "cmd bgm_play(0, f\"BGM01\", 1, 0, 0, 0, 0) -> v1\n"
      "cmd bgm_set_volume_users(0, 30, 60000)\n"
      "cmd bgm_play(1, f\"BGM02\", 1, 0, 0, 0, 0) -> v1\n"
      "cmd bgm_pause(1, 1, 0)\n"
      "jmp done\n"
      "resume:\n"
      "cmd bgm_pause(1, 0, 0)\n"
      "done:\n");
  m.Run();
  ASSERT_EQ(sound().bgm[0].volume, 100);
  Restore(Encode(c()));
  const adv::BgmChannel& faded = sound().bgm[0];
  EXPECT_EQ(faded.volume, 30);
  EXPECT_EQ(faded.flags & adv::kBgmFadeRunning, 0u);
  EXPECT_EQ(ChannelVolume(faded.handle), 3000);
  const adv::BgmChannel& paused = sound().bgm[1];
  EXPECT_TRUE(yel::YelSoundPlayIs(paused.handle));
  EXPECT_EQ(yel::YelSoundGetParam(PlatformIndex(paused.handle), kParamPaused), 1);
  // bgm_pause resumes it.
  c().script.pc = m.LabelPc("resume");
  m.Run();
  EXPECT_EQ(yel::YelSoundGetParam(PlatformIndex(paused.handle), kParamPaused), 0);
  EXPECT_EQ(paused.flags & adv::kBgmRestorePaused, 0u);
}

TEST_F(SoundSnapshot, AHistoryLoadReloadsTheMusicWithoutStartingIt) {
  ScriptMachine& m = Load("cmd bgm_play(0, f\"BGM01\", 1, 0, 0, 0, 0) -> v1\n");
  m.Run();
  const std::string image = Encode(c());
  c().save.history_restore = true;
  Restore(image);
  c().save.history_restore = false;
  EXPECT_NE(sound().bgm[0].handle, 0u);
  EXPECT_FALSE(yel::YelSoundPlayIs(sound().bgm[0].handle));
}

TEST_F(SoundSnapshot, MusicFadingOutIsNotSaved) {
  ScriptMachine& m = Load(
      "cmd bgm_play(0, f\"BGM01\", 1, 0, 0, 0, 0) -> v1\n"
      "cmd bgm_play(1, f\"BGM02\", 1, 0, 0, 0, 0) -> v1\n");
  m.Run();
  yel::YelSoundStopFade(sound().bgm[1].handle, 60000);
  const std::string image = Encode(c());
  const uint32_t at = BlockOffset(c(), "bgm");
  EXPECT_EQ(image.substr(at + kBgmRecordSize, kBgmRecordSize), std::string(kBgmRecordSize, '\0'));
  EXPECT_NE(image.substr(at, kBgmRecordSize), std::string(kBgmRecordSize, '\0'));
}

// Each row damages one field of a good image; the image is refused with a reason and the
// running sound is left as it was.
TEST_F(SoundSnapshot, DamagedBlocksAreRefused) {
  ScriptMachine& m = Load(kScene);
  m.Run();
  const std::string good = Encode(c());
  const uint32_t bgm = BlockOffset(c(), "bgm");
  const uint32_t se = BlockOffset(c(), "se");
  struct Damage {
    const char* what;
    uint32_t offset;
    std::string bytes;
  };
  const std::string full_name(32, 'A');
  const Damage damages[] = {
      {"BGM name without an end", bgm + 32, full_name},
      {"second BGM name without an end", bgm + kBgmRecordSize + 32, full_name},
      {"SE class prefix without an end", se + kSeInfoOffset + 44 * 2 + 12, full_name},
      {"SE channel name without an end", se + kSeChannelsOffset + kSeChannelSize * 9 + 32,
       full_name},
      {"SE kind 3", se + kSeChannelsOffset + kSeChannelSize * 3 + 12, std::string("\3\0\0\0", 4)},
      {"SE kind -1", se + kSeChannelsOffset + 12, std::string(4, '\xFF')},
      {"negative channel volume", se + kSeSettingsOffset + 12 * 7 + 4, std::string(4, '\xFF')},
      {"negative frequency", se + kSeSettingsOffset + 12 * 2 + 8, std::string("\0\0\0\x80", 4)},
  };
  const uint32_t playing = sound().bgm[0].handle;
  for (const Damage& d : damages) {
    std::string bad = good;
    bad.replace(d.offset, d.bytes.size(), d.bytes);
    std::string error;
    EXPECT_EQ(adv::DecodeSnapshot(bad, &error), nullptr) << d.what;
    EXPECT_FALSE(error.empty()) << d.what;
  }
  std::string cut = good.substr(0, se + 100);
  std::string error;
  EXPECT_EQ(adv::DecodeSnapshot(cut, &error), nullptr);
  EXPECT_EQ(sound().bgm[0].handle, playing);
  EXPECT_TRUE(yel::YelSoundPlayIs(playing));
  // The unaltered image still decodes.
  EXPECT_NE(adv::DecodeSnapshot(good, &error), nullptr) << error;
}

}  // namespace
