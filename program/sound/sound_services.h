// What the game task calls of sound: the one loader of sound files, the per-frame passes that
// release finished channels, the release of every channel, and the channel query of
// sound_ch_to_yel_ch.
#pragma once

#include <cstdint>

#include "YEL/yel.h"

namespace adv {

struct AdvContext;
struct SoundState;

// Loads "<name>.ogg", else "<name>.wav", into a free platform channel of the type: its handle,
// or 0. Type 4 with a ratio above 1 scales the samples. Any thread; nothing is logged.
uint32_t SoundLoadFile(const char* name, int32_t type, const YelSoundLoopPoints* points,
                       float ratio);
// SoundLoadFile on the main thread. While a scene or history skip rebuilds the scene nothing
// loads: a BGM gets a reserved channel, any other type 0. A sound other than a voice that does
// not load is logged.
uint32_t AdvSoundLoad(AdvContext& context, const char* name, int32_t type,
                      const YelSoundLoopPoints* points, float ratio = 0.0f);

// The channel arrays as the debug window shows them.
void SoundRegisterDebugTables(SoundState& state);

// Once per frame after the script: sound effects and BGM that ended are released, then (while
// no voice is being loaded) the voices and background voices.
void AdvSoundUpkeep(AdvContext& context);
void AdvSeUpdate(SoundState& state);
void AdvBgmUpdate(SoundState& state);

// At the end and the scene reset.
void AdvSeReleaseAll(AdvContext& context);
void AdvBgmReleaseAll(AdvContext& context);

// The platform channel of a script channel: type 1 voice (0-8), 2 background voice (0-7),
// 3 BGM (0-1), 4 sound effect (0-15). -1 for an empty channel, a channel beyond the family
// (logged) or another type; 0 for a negative channel (logged).
int32_t SoundChannelToPlatformChannel(const SoundState& state, int32_t type, int32_t channel);

}  // namespace adv
