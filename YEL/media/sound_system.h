// The sound channels and their streaming thread: the records shared by the sound exports
// (callers on the main and work threads), the streaming thread and the readers.
//
// Threads: callers change a channel's command, fade and flags under the sound lock and leave it
// before they wait for the thread; the streaming thread holds the lock for each whole pass.
// Loads decode into a record of their own without the lock and publish it under the lock.
#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>

#include "YEL/yel.h"
#include "os/audio_device.h"
#include "os/audio_mixer.h"
#include "os/sync.h"

namespace yel {

inline constexpr int kSoundTypeCount = 7;
inline constexpr int kSoundChannelCount = 124;
inline constexpr uint32_t kStreamBufferBytes = 352800;  // two seconds of 44100 Hz 16-bit stereo
inline constexpr uint32_t kStreamPartBytes = kStreamBufferBytes / 2;
inline constexpr int32_t kFullVolume = 10000;

// Channel command words.
enum : int32_t {
  kSoundCommandNone = 0,
  kSoundCommandStart = 2,
  kSoundCommandStop = 3,
  kSoundCommandRelease = 4,
  kSoundCommandDone = 5,
  kSoundCommandStartFade = 6,
  kSoundCommandStopFade = 7,
  kSoundCommandPause = 9,
  kSoundCommandResume = 10,
};

// Fade states.
enum : int32_t { kFadeNone = 0, kFadeIn = 1, kFadeOut = 2 };

// One group of channels: all channels of one sound type.
struct SoundGroup {
  int32_t channels;
  uint32_t prefix;  // top four bits of the group's handles
  int32_t first;    // index of its first channel in SoundSystem::channels
  bool streamed;    // plays through a streaming buffer of the thread
};
const SoundGroup& Group(int32_t type);

struct OggDecoder;

struct SoundChannel {
  os::AudioBuffer* buffer = nullptr;
  YelFile* file = nullptr;    // source of WAVE and type-0 data
  OggDecoder* ogg = nullptr;  // source of Ogg data
  int32_t playing = 0;
  int32_t reserved = 0;
  int32_t loop = 0;
  int32_t loaded = 0;
  int32_t is_ogg = 0;
  int32_t stream_ended = 0;
  int32_t paused = 0;
  uint32_t stream_start = 0;
  uint32_t loop_start = 0;
  uint32_t end = 0;
  uint32_t read_position = 0;
  uint32_t buffer_size = 0;
  int32_t command = kSoundCommandNone;
  int32_t type = 0;   // as the loader was given it, reported by the parameter queries
  int32_t group = 0;  // the group it sits in, which decides how it plays and its type volume
  int32_t fade_state = kFadeNone;
  uint32_t fade_start = 0;
  uint32_t fade_time = 0;
  int32_t volume = 0;
  int32_t effective_volume = 0;
  char name[32] = {};
  uint32_t stream_position = 0;
  uint32_t last_cursor = 0;
  float volume_ratio = 0.0f;

  bool opening = false;       // claimed by a load still reading its file
  bool tail_playing = false;  // an ended stream's last part plays; released when it is over
  // Each command written by an export takes a ticket; the thread records the ticket it carried
  // out, so a caller knows its own command ran and was not lost or replaced.
  uint32_t command_ticket = 0;
  uint32_t taken_ticket = 0;
};

struct SoundSystem {
  os::AudioMixer mixer;
  std::unique_ptr<os::AudioDevice> device;

  // The sound lock: guards every field below but the thread's own words and the channels'
  // sample memory, which only the loading caller (before publishing) and the thread touch.
  std::mutex lock;
  std::condition_variable pass_done;  // notified after every pass of the streaming thread
  std::array<SoundChannel, kSoundChannelCount> channels{};
  int32_t primary_volume = kFullVolume;
  std::array<int32_t, kSoundTypeCount> type_volume{};
  int32_t command_mark = 0;
  uint64_t passes = 0;

  // The streaming thread.
  os::Thread thread;
  os::Event started;
  std::atomic<bool> ready{false};
  std::atomic<bool> stop_requested{false};
};

// The running sound system, or null before the start and after the end.
SoundSystem* Sound();
// Starts the sound system with the device `open_device` opens on its mixer, and the streaming
// thread; false (silently) without a device, or (with the failure box) when the thread could not
// set up its buffers.
using AudioDeviceOpener = std::unique_ptr<os::AudioDevice> (*)(os::AudioMixer& mixer);
bool SoundStart(AudioDeviceOpener open_device);
void SoundStop();

// The channel of a handle, or null for 0 and for any handle outside the groups.
SoundChannel* ChannelOf(SoundSystem& sound, YelSoundHandle handle);
YelSoundHandle HandleOf(const SoundSystem& sound, const SoundChannel& channel);
// The channel of a handle when a sound is loaded on it, else null.
SoundChannel* LoadedChannel(SoundSystem& sound, YelSoundHandle handle);

// Loudness in hundredths of a decibel: type volume x volume, scaled by the primary volume, and
// by `scale` (0 to 1) during a fade. Also stores the effective volume.
int32_t ChannelLoudness(SoundSystem& sound, SoundChannel& channel, float scale = 1.0f);
int32_t SoundToDecibels(int32_t volume);

// Readers (sound_reader.cpp): fill a part of a channel's buffer from its source.
void SoundFillPart(SoundChannel& channel, int part);
void SoundPrime(SoundChannel& channel);
void SoundCloseStream(SoundChannel& channel);
void SoundSeekSource(SoundChannel& channel, uint32_t position);
uint32_t SoundReadStream(SoundChannel& channel, uint8_t* destination, uint32_t length);

// Loop points as the caller gives them: {use, stream start, loop start, end}.
struct LoopPoints {
  bool use = false;
  uint32_t stream_start = 0, loop_start = 0, end = 0;
};
// Sets a streamed channel's positions over data of `data_size` bytes at `data_start`. Points
// beyond the data stand at its end; points out of order are kept (a loop that cannot turn ends
// the stream).
void SoundSetStreamPositions(SoundChannel& channel, uint32_t data_start, uint32_t data_size,
                             const LoopPoints& points);

// Opens a file into a channel record that is not yet published (wave_reader.cpp,
// ogg_reader.cpp); whole sounds get their buffer and are filled. True when loaded.
bool SoundOpenWave(SoundSystem& sound, const char* name, SoundChannel& channel,
                   const LoopPoints& points);
bool SoundOpenOgg(SoundSystem& sound, const char* name, SoundChannel& channel,
                  const LoopPoints& points);
bool SoundOpenTypeZero(const char* name, SoundChannel& channel);
void SoundCopyName(SoundChannel& channel, const char* name);
void OggClose(OggDecoder* decoder);
uint32_t OggRead(OggDecoder* decoder, uint8_t* destination, uint32_t length);
void OggSeek(OggDecoder* decoder, uint32_t byte_position);

// The channel step and one pass of the streaming thread (sound_thread.cpp, sound_step.cpp).
void SoundChannelStep(SoundSystem& sound, SoundChannel& channel);
void SoundStreamPass(SoundSystem& sound);
void SoundStreamThread(SoundSystem& sound);

}  // namespace yel
