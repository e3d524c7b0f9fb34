#include "program/sound/sound_config.h"

#include <algorithm>

#include "program/data/byte_io.h"
#include "program/startup/yel_import.h"

namespace adv {
namespace {

// The seven words in the order of the file.
template <typename Levels>
auto FileOrder(Levels& levels) {
  return std::array{&levels.master, &levels.bgm, &levels.bgv, &levels.voice,
                    &levels.se0,    &levels.se1, &levels.se2};
}

void ReadSpeaker(ByteReader& in, SpeakerVolume& entry) {
  entry.in_use = in.I32();
  entry.enable = in.I32();
  entry.volume = in.I32();
  in.Bytes(entry.name.data(), entry.name.size());
  // The prefix is read as text: a field that fills all 32 bytes is cut to 31.
  entry.name.back() = 0;
}

void WriteSpeaker(ByteWriter& out, const SpeakerVolume& entry) {
  out.I32(entry.in_use);
  out.I32(entry.enable);
  out.I32(entry.volume);
  out.Bytes(entry.name.data(), entry.name.size());
}

}  // namespace

void SoundConfigParse(const SoundSettingsBlock& block, SoundState& state) {
  // Builds without sound kept the block as zeros; it never holds the player's settings.
  if (std::all_of(block.begin(), block.end(), [](uint8_t byte) { return byte == 0; })) {
    SoundConfigDefaults(state);
    return;
  }
  ByteReader in(std::string_view(reinterpret_cast<const char*>(block.data()), block.size()));
  for (int32_t* word : FileOrder(state.volumes)) *word = in.I32();
  for (int32_t* word : FileOrder(state.switches)) *word = in.I32();
  state.auto_volume.enable = in.I32();
  state.auto_volume.level = in.I32();
  state.auto_volume.on = in.I32();
  state.voice_cut = in.I32();
  state.speaker_volume_switch = in.I32();
  for (SpeakerVolume& entry : state.speaker_volumes) ReadSpeaker(in, entry);
  ReadSpeaker(in, state.default_speaker_volume);
  state.autopan_enable = in.I32();
  state.pan_range = in.I32();
}

SoundSettingsBlock SoundConfigSerialize(const SoundState& state) {
  ByteWriter out;
  for (const int32_t* word : FileOrder(state.volumes)) out.I32(*word);
  for (const int32_t* word : FileOrder(state.switches)) out.I32(*word);
  out.I32(state.auto_volume.enable);
  out.I32(state.auto_volume.level);
  out.I32(state.auto_volume.on);
  out.I32(state.voice_cut);
  out.I32(state.speaker_volume_switch);
  for (const SpeakerVolume& entry : state.speaker_volumes) WriteSpeaker(out, entry);
  WriteSpeaker(out, state.default_speaker_volume);
  out.I32(state.autopan_enable);
  out.I32(state.pan_range);
  const std::string bytes = out.Take();
  SoundSettingsBlock block{};
  static_assert(kSoundSettingsSize == 7 * 4 * 2 + 12 + 8 + 65 * sizeof(SpeakerVolume) + 8);
  bytes.copy(reinterpret_cast<char*>(block.data()), block.size());
  return block;
}

void SoundConfigDefaults(SoundState& state) {
  const int32_t bgv = state.volumes.bgv;
  state.volumes = {kDefaultVolume, kDefaultVolume, kDefaultVolume, bgv,
                   kDefaultVolume, kDefaultVolume, kDefaultVolume};
  state.switches = {1, 1, 1, 1, 1, 1, 1};
  state.auto_volume.level = kDefaultVolume;
}

void AdvSoundVolumesApply(const SoundState& state) {
  const SoundLevels& v = state.volumes;
  const SoundLevels& on = state.switches;
  yel::YelSoundSetPrimaryVolume(v.master * on.master);
  yel::YelSoundSetVolume(v.bgm * on.bgm, kSoundTypeBgm);
  yel::YelSoundSetVolume(v.voice * on.voice, kSoundTypeVoice);
  yel::YelSoundSetVolume(v.se1 * on.se1, kSoundTypeSe1);
  yel::YelSoundSetVolume(v.se2 * on.se2, kSoundTypeSe2);
  yel::YelSoundSetVolume(v.se0 * on.se0, kSoundTypeSe0);
}

void AdvSoundConfigRead(const SoundSettingsBlock& block, SoundState& state) {
  SoundConfigParse(block, state);
  AdvSoundVolumesApply(state);
}

SoundSettingsBlock AdvSoundConfigWrite(const SoundState& state) {
  return SoundConfigSerialize(state);
}

void AdvSoundConfigDefault(SoundState& state) {
  SoundConfigDefaults(state);
  AdvSoundVolumesApply(state);
}

}  // namespace adv
