// The voice channels: 0-7 carry the voice of a line or the members of a voice set (a ".mix"
// file naming up to eight voices started together), 8 a voice that neither ducks the BGM nor
// resumes background voices. Also the voice wait, the voice-pack probe and the flag that keeps
// the main thread off the voice records while the work thread loads a line's voice.
#pragma once

#include <array>
#include <cstdint>

#include "program/sound/sound_state.h"

namespace adv {

struct AdvContext;

enum VoicePlayResult : int32_t { kVoiceNotLoaded = 0, kVoiceSkipped = 1, kVoiceStarted = 2 };

inline constexpr char kVoicePackPrefix[] = "VO_VOICEPACK_";
inline constexpr int32_t kVoicePackPrefixLength = 13;
inline constexpr int32_t kVoiceSetRecordSize = 32;
inline constexpr uint32_t kVoiceFadeOutMs = 1000;

// A ".mix" voice set: its member names, each terminated, in record order.
struct VoiceSet {
  int32_t count = 0;
  std::array<std::array<char, kVoiceSetRecordSize + 1>, kVoiceSetChannelCount> names{};
};
// Reads "<name>.mix"; false when there is none. Reading ends after 8 records, at the file's end
// or at a short read (a record cut by the file's end is no record). Any thread.
bool VoiceSetRead(const char* name, VoiceSet& set);

// Starts a voice (or the voice set of its name) on channel `ch` (0-8; a set takes 0-7). With
// `skip_check`, nothing loads while skipping: a voice of the missing voice pack is not loaded,
// any other is skipped.
int32_t AdvVoicePlay(AdvContext& context, int32_t ch, const char* name, uint32_t flags,
                     uint32_t fade, bool skip_check);
// What a line's voice does while skipping: 2 not skipping, 1 skipped, 0 when it belongs to the
// missing voice pack.
int32_t AdvVoiceSkipCheck(AdvContext& context, const char* name);
// Stops channel n (-1: channels 0-7) and releases it; unless n is 8, resumes the background
// voices. A channel outside -1 to 8 is left alone.
void AdvVoiceStop(AdvContext& context, int32_t n);
// The per-frame pass: finished voices are released, the BGM comes back once none plays.
void AdvVoiceUpdate(SoundState& state);
// One step of a voice wait; 1 when one was pending (the script stops), else 0.
int32_t AdvVoiceWaitUpdate(AdvContext& context);
// Fades out every waited channel that plays and ends the wait.
void AdvVoiceStopWaited(SoundState& state);
// At the end and the scene reset; a voice load still running on the work thread ends first.
void AdvVoiceReleaseAll(AdvContext& context);
void AdvVoiceInitialize(SoundState& state);
int32_t AdvVoicePackProbe();
bool AdvVoicePackIs();
// While set, the per-frame voice and background-voice passes leave the records to the work
// thread. Main thread.
void AdvVoiceLoadPendingSet(bool pending);
bool AdvVoiceLoadPendingGet();
// While voice checking is on: mode 0 logs the name as unreadable, mode 1 reads its voice set.
void AdvVoiceCheck(const SoundState& state, const char* name, int32_t mode);
int32_t AdvVoiceFindFree(const SoundState& state);
bool AdvVoiceIsPlaying(const SoundState& state);
bool AdvVoiceIsAudible(const SoundState& state);

// Loads the voice (or voice set) `name` into the channels without starting them, as
// AdvVoicePlay would with the skip check off; the channel names are not filled, and `loaded`
// gets a bit for each channel that received a sound. Runs on the work thread: it runs no script
// and reads no input. kVoiceStarted when loaded (a voice set even when no member loaded).
int32_t VoiceLoadInto(SoundState& state, int32_t ch, const char* name, uint32_t flags,
                      uint32_t& loaded);
// Starts the channels of a `loaded` mask.
void VoiceStartLoaded(SoundState& state, uint32_t loaded, uint32_t flags, uint32_t fade);

}  // namespace adv
