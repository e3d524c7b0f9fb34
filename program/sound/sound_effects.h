// The 16 sound-effect channels: effects played straight from a file or loaded first and played
// later, their volumes by kind, by channel and by file-name class, the SE wait that holds the
// script (and the buttons) until an effect ends or a click fades it, and the reload of the
// effects a snapshot kept.
#pragma once

#include <cstdint>

#include "program/sound/sound_state.h"

namespace adv {

struct AdvContext;

// The platform type of an SE kind 0-2 (5, 4, 6); the caller checks the kind.
int32_t SeKindSoundType(uint32_t kind);
// The kind's volume and switch words.
int32_t& SeKindVolume(SoundState& state, uint32_t kind);
int32_t& SeKindSwitch(SoundState& state, uint32_t kind);

// First channel without a sound, or -1.
int32_t AdvSeFindFree(const SoundState& state);
// The volume of a new effect: the volume of every class whose prefix begins `name` (a later
// class over an earlier one); without a name or a match, the channel's own setting.
void AdvSeApplyVolume(SoundState& state, uint32_t handle, const char* name);
// The volume and frequency setting of the channel that holds `handle`.
void AdvSeApplyChannelSetting(SoundState& state, uint32_t handle);
// The volume ratio of a load on the channel: its setting volume / 100 while that applies.
float SeLoadRatio(const SeChannelSetting& setting);

// One step of a pending SE wait; 1 when one was pending (the script stops and the calling
// command returns without popping), else 0.
int32_t AdvSeWaitUpdate(AdvContext& context);
// The script waits for channel `ch`: its command runs again each frame and button input pauses
// until the wait ends. While a skip rebuilds the scene nothing waits.
void AdvSeWaitSet(AdvContext& context, int32_t ch);

// se_play_ex and se_play_ch_ex: an effect from a file on channel `ch` (-1: the first free one,
// else channel 0). With `setting`, the channel's own volume and frequency apply to it.
struct SePlayRequest {
  int32_t ch = 0;
  uint32_t file = 0;
  uint32_t flags = 0;
  uint32_t fade = 0;
  uint32_t kind = 0;
  const SeChannelSetting* setting = nullptr;
  const char* command = "se_play_ex";
};
// The channel used, or -1 when `ch` names none; the name resolved goes to `name` (32 bytes).
int32_t AdvSePlayFile(AdvContext& context, const SePlayRequest& request, char* name);

// Starts the sound of channel `ch` as its flags say: the stored pan, the volume of its class
// (by `name`) or its setting, a fade-in, and the SE wait.
void AdvSeStart(AdvContext& context, int32_t ch, uint32_t fade, const char* name);
// While skipping, an effect that neither loops nor asks to play while skipping is not played.
bool SeDroppedWhileSkipping(AdvContext& context, uint32_t flags);

// After a snapshot was applied: loaded and looping effects load again (looping ones fade in);
// false when one could not be loaded, which ends the reloading.
bool AdvSeRestore(AdvContext& context);

}  // namespace adv
