// Where the voice code calls into BGM ducking and fades, voice hooks, speaker volumes, autopan
// and background voices: each is its own small call, whose body is in its family's file.
#pragma once

#include <cstdint>

namespace adv {

struct AdvContext;
struct BgmChannel;
struct SoundState;
struct VoicePanBlock;

// Lowers the BGM while a voice plays (on = 1) or brings it back (on = 0).
void AdvBgmDuck(SoundState& state, int32_t on);
// One step of a BGM channel's volume fade.
void AdvBgmFadeStep(BgmChannel& channel);
// A BGM channel reloaded by a restore: paused when its record says so, given its volume, and
// started with a fade-in when `restart`.
void AdvBgmResume(AdvContext& context, BgmChannel& channel, bool restart);
// The channel volume of a new voice from the speaker volume its name selects.
void AdvSpeakerVolumeApply(SoundState& state, uint32_t handle, const char* name);
// Fills the pan block of a voice from the autopan entry its name selects; true on a match.
bool AdvAutopanMatch(SoundState& state, const char* name, VoicePanBlock& pan);
// Sets the voice's pan from its autopan source when that moved.
void AdvVoiceAutopanUpdate(SoundState& state, uint32_t handle, VoicePanBlock& pan);
// Pauses the background voices of the speaker of `name`; null resumes them.
void AdvBgvPauseForVoice(SoundState& state, const char* name);
// The background-voice pass: releases finished background voices.
void AdvBgvUpdate(SoundState& state);
// Each background-voice record enabled, as a fresh start and the scene reset leave them.
void AdvBgvEnableAll(SoundState& state);
// Runs the end label of the voice hook whose start label ran, once no voice plays.
void AdvVoiceMixRunEnd(AdvContext& context);
// Runs the start label of the voice hook that the line's voice selects, as the voice starts.
void AdvVoiceMixRunStart(AdvContext& context);
// Where a movie starts: with the ducking switch on, the BGM type volume comes back to the BGM
// volume and switch.
void AdvBgmAutoVolumeRestore(const SoundState& state);

}  // namespace adv
