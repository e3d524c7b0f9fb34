// The sound block of "system.dat" (2,944 bytes, little-endian words): the seven volumes and
// seven switches, the BGM ducking, the voice cut, the speaker volumes and autopan. The file
// keeps the background-voice word before the voice word, the reverse of their order in the
// SoundState.
//
//   0     7 volumes: master, BGM, background voice, voice, SE kinds 0, 1, 2
//   28    7 switches in the same order
//   56    BGM ducking: enable, level, switch
//   68    voice cut
//   72    speaker volume switch
//   76    64 speaker volumes of 44 bytes: in use, enable, volume, 32-byte name prefix
//   2892  the default speaker volume
//   2936  autopan enable
//   2940  pan range
#pragma once

#include "program/savedata/system_file.h"
#include "program/sound/sound_state.h"

namespace adv {

inline constexpr int32_t kDefaultVolume = 5000;

// The block's fields into the state; the other words of the state stay. An all-zero block, as
// builds that kept no sound settings wrote it, gives the defaults.
void SoundConfigParse(const SoundSettingsBlock& block, SoundState& state);
SoundSettingsBlock SoundConfigSerialize(const SoundState& state);
// The settings of a fresh "system.dat": volumes 5000 (the background-voice volume stays as it
// is), every switch on, ducking level 5000, all else off.
void SoundConfigDefaults(SoundState& state);

// Parses the block and hands the volumes to the platform. The background-voice volume is kept
// but not applied: the platform's stays until the script sets one.
void AdvSoundConfigRead(const SoundSettingsBlock& block, SoundState& state);
SoundSettingsBlock AdvSoundConfigWrite(const SoundState& state);
// The defaults, applied.
void AdvSoundConfigDefault(SoundState& state);
// Each volume times its switch to the platform, the background voices left out.
void AdvSoundVolumesApply(const SoundState& state);

}  // namespace adv
