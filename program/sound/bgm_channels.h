// The two BGM channels: loads with loop points, volume fades measured on the frame clock, the
// voice ducking of the BGM type volume, the automatic channel choice of bgm_play that lets a new
// piece start while the old one goes on (or fades out) on the other channel, and the stops.
#pragma once

#include <cstdint>

#include "program/sound/sound_state.h"

namespace adv {

struct AdvContext;

// A volume in percent as the platform takes it (x 100), with the 32-bit wrap of the script's
// arithmetic.
int32_t SoundPercentToPlatform(int32_t percent);

// The BGM type volume as the BGM volume and switch give it; this also ends any ducking.
void AdvBgmTypeVolumeApply(const SoundState& state);

// Loads a BGM stream with the record's loop points; a handle or 0.
uint32_t AdvBgmLoadStream(AdvContext& context, const char* name, const BgmLoopPoints& points);

// One step of a running volume fade at frame time `now`: while it runs the platform gets the
// volume reached so far and the record keeps its start volume; at its end the record takes the
// target and the fade bits go.
void BgmFadeStepAt(BgmChannel& channel, uint32_t now);
// Starts a fade of the record to `volume` percent over `time` ms from `now` (a fade still running
// is folded in first) and steps it at once, so a time of 0 sets the volume now.
void BgmVolumeFadeStart(BgmChannel& channel, int32_t volume, uint32_t time, uint32_t now);

// bgm_play: loads `file` on channel `ch` (-1: the automatic choice) and starts it; the channel
// used, or -1 when `ch` names none (logged).
struct BgmPlayRequest {
  int32_t ch = 0;
  uint32_t file = 0;
  uint32_t flags = 0;
  uint32_t fade = 0;
  BgmLoopPoints points;
};
int32_t AdvBgmPlay(AdvContext& context, const BgmPlayRequest& request);

// bgm_stop: stops channel `ch`, or both for -1, with a fade-out (a sixteenth of it while
// skipping). The records keep their handles until the per-frame pass finds them silent.
void AdvBgmStop(AdvContext& context, int32_t ch, uint32_t fade);

// A fade time as it applies now: a sixteenth of it while skipping.
uint32_t BgmFadeWhileSkipping(AdvContext& context, uint32_t fade);

}  // namespace adv
