// Per-speaker voice volumes: 64 entries and a default one, each keyed by the beginning of a
// voice file name, applied to voices whose names look like a speaker's ("vo" and a digit or
// letter). The entries and their switch are kept in "system.dat".
#pragma once

#include <cstdint>

#include "program/sound/sound_state.h"

namespace adv {

inline constexpr int32_t kFullChannelVolume = 10000;

// A name of at least 4 characters whose first two are "vo" in any case and whose third is a
// byte of 0x30-0x7F.
bool IsSpeakerVoiceName(const char* name);
// The volume percent a name would get: the matching in-use entry's (0 when it is disabled),
// else the default entry's when it is in use and enabled, else 0.
int32_t AdvSpeakerVolumeFind(const SoundState& state, const char* name);
// Entry n (0-63), the default entry for -1 and -2; null for any other n.
SpeakerVolume* AdvSpeakerVolumeEntry(SoundState& state, int32_t n);
// The platform channel volume (0-10000) a new voice of this name gets.
int32_t SpeakerChannelVolume(const SoundState& state, const char* name);
// The channel volume an entry gives: its volume when enabled, else silence.
int32_t SpeakerEntryChannelVolume(const SpeakerVolume& entry);

}  // namespace adv
