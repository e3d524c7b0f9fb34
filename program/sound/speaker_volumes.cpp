#include "program/sound/speaker_volumes.h"

#include <cstring>

#include "program/sound/name_prefix.h"
#include "program/sound/sound_calls.h"
#include "program/startup/yel_import.h"

namespace adv {
namespace {

constexpr int32_t kDefaultEntryLow = -2;

// The first in-use entry whose prefix begins the name, or null.
const SpeakerVolume* MatchingEntry(const SoundState& state, const char* name) {
  for (const SpeakerVolume& entry : state.speaker_volumes) {
    if (entry.in_use && NamePrefixMatches(FieldText(entry.name), name)) return &entry;
  }
  return nullptr;
}

}  // namespace

bool IsSpeakerVoiceName(const char* name) {
  if (!name || std::strlen(name) < 4) return false;
  const auto third = static_cast<uint8_t>(name[2]);
  return (name[0] == 'v' || name[0] == 'V') && (name[1] == 'o' || name[1] == 'O') &&
         third >= 0x30 && third <= 0x7F;
}

int32_t SpeakerEntryChannelVolume(const SpeakerVolume& entry) {
  return entry.enable ? entry.volume * 100 : 0;
}

int32_t SpeakerChannelVolume(const SoundState& state, const char* name) {
  if (!state.speaker_volume_switch || !IsSpeakerVoiceName(name)) return kFullChannelVolume;
  const SpeakerVolume* entry = MatchingEntry(state, name);
  // The default entry stands for every speaker without one of its own, in use or not.
  return SpeakerEntryChannelVolume(entry ? *entry : state.default_speaker_volume);
}

void AdvSpeakerVolumeApply(SoundState& state, uint32_t handle, const char* name) {
  yel::YelSoundSetVolumeChannel(handle, SpeakerChannelVolume(state, name ? name : ""));
}

int32_t AdvSpeakerVolumeFind(const SoundState& state, const char* name) {
  if (const SpeakerVolume* entry = MatchingEntry(state, name ? name : "")) {
    return entry->enable ? entry->volume : 0;
  }
  const SpeakerVolume& fallback = state.default_speaker_volume;
  return fallback.in_use && fallback.enable ? fallback.volume : 0;
}

SpeakerVolume* AdvSpeakerVolumeEntry(SoundState& state, int32_t n) {
  if (n >= kDefaultEntryLow && n < 0) return &state.default_speaker_volume;
  if (n >= 0 && n < kSpeakerVolumeCount) return &state.speaker_volumes[n];
  return nullptr;
}

}  // namespace adv
