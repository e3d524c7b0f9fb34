// Background voices: recordings that run under the scene on eight channels (platform type 2),
// usually looping. One tied to a speaker by a key (a voice-name prefix) pauses while a voice of
// that speaker plays and resumes when the voices end; one the script paused stays paused. The
// snapshot block of background voices also carries the autopan table.
#pragma once

#include <array>
#include <cstdint>

#include "program/sound/sound_state.h"

namespace adv {

struct AdvContext;
class SnapshotReader;
class SnapshotWriter;

inline constexpr uint32_t kBgvBlockSize = 1376;
inline constexpr uint32_t kBgvRestoreFadeMs = 2000;
inline constexpr uint32_t kBgvVoicePauseFadeMs = 100;
inline constexpr uint32_t kBgvVoiceResumeFadeMs = 1000;

using AutopanTable = std::array<AutopanEntry, kAutopanCount>;
using BgvTable = std::array<BgvChannel, kBgvChannelCount>;

// Releases record n (every record for -1) and zeroes its sound; its settings stay.
void AdvBgvStop(SoundState& state, int32_t n);
// The first record without a sound, or -1.
int32_t AdvBgvFindFree(const SoundState& state);

// The block: 16 autopan entries of 40 bytes, then 8 records of 92 bytes, field by field.
void AdvBgvSave(const SoundState& state, SnapshotWriter& out);
// Decodes a block; refuses one whose names are not terminated or whose autopan entry follows a
// slot outside the slot table.
bool AdvBgvRead(SnapshotReader& in, AutopanTable& autopan, BgvTable& bgv);
// Takes a decoded block on a reset scene: looping background voices start again with a fade-in,
// paused ones paused. False when one could not be loaded: the reloading ends there.
bool AdvBgvLoad(AdvContext& context, const AutopanTable& autopan, const BgvTable& bgv);

}  // namespace adv
