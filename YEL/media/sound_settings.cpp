// Volumes, pan, frequency and the state queries of the sound channels; the voice speed kept for
// the main program.
#include <algorithm>
#include <atomic>

#include "YEL/media/sound_system.h"

namespace yel {

namespace {

// Kept for the main program; the library does not use it.
std::atomic<float> g_voice_speed{0.0f};

bool ValidType(int32_t type) {
  return type >= 0 && type < kSoundTypeCount;
}

// A type-3 channel whose command is about to change its volume itself is left alone.
bool VolumeHeldByCommand(const SoundChannel& channel) {
  switch (channel.command) {
    case kSoundCommandStart:
    case kSoundCommandStop:
    case kSoundCommandRelease:
    case kSoundCommandStartFade:
    case kSoundCommandStopFade:
      return channel.group == 3;
    default:
      return false;
  }
}

void ApplyTypeVolume(SoundSystem& sound, int32_t type, int32_t volume) {
  sound.type_volume[type] = std::clamp(volume, 0, kFullVolume);
  const SoundGroup& group = Group(type);
  for (int i = 0; i < group.channels; ++i) {
    SoundChannel& channel = sound.channels[group.first + i];
    if (!channel.loaded || !channel.buffer || channel.fade_state != kFadeNone) continue;
    if (VolumeHeldByCommand(channel)) continue;
    channel.buffer->SetVolume(ChannelLoudness(sound, channel));
  }
}

// Parameter n of a channel, as YelSoundGetParam reports it.
int32_t Parameter(SoundChannel& channel, int32_t n) {
  const bool live = channel.loaded && channel.playing && channel.buffer;
  switch (n) {
    case 0:
      return static_cast<int32_t>(channel.stream_start);
    case 1:
      return static_cast<int32_t>(channel.loop_start);
    case 2:
      return static_cast<int32_t>(channel.end);
    case 3:
      return static_cast<int32_t>(channel.read_position);
    case 4:
      return static_cast<int32_t>(channel.buffer_size);
    case 5:
      return live ? static_cast<int32_t>(YeltimeGetTime() - channel.fade_start) : -1;
    case 6:
      return live ? static_cast<int32_t>(channel.buffer->Position()) : -1;
    case 7:
      return channel.loaded;
    case 8:
      return channel.playing;
    case 9:
      return channel.loop;
    case 10:
      return channel.is_ogg;
    case 11:
      return channel.stream_ended;
    case 12:
      return channel.paused;
    case 13:
      return channel.command;
    case 14:
      return channel.type;
    case 15:
      return channel.fade_state;
    case 16:
      return static_cast<int32_t>(channel.fade_time);
    case 17:
      return channel.reserved;
    case 18:
      return channel.reserved || channel.loaded || channel.playing ? 1 : 0;
    // Whether a source is open: an address means nothing outside the library.
    case 19:
      return channel.file || channel.ogg ? 1 : 0;
    case 20:
      return static_cast<int32_t>(channel.fade_start);
    case 21:
      return channel.volume;
    case 22:
      return static_cast<int32_t>(channel.last_cursor);
    case 23:
      return static_cast<int32_t>(channel.stream_position);
    default:
      return 0;
  }
}

// Runs `apply` on a loaded channel under the sound lock: 1, or 0 when not loaded.
template <typename Apply>
int WithLoaded(YelSoundHandle handle, Apply apply) {
  SoundSystem* sound = Sound();
  if (!sound) return 0;
  std::lock_guard lock(sound->lock);
  SoundChannel* channel = LoadedChannel(*sound, handle);
  if (!channel) return 0;
  apply(*sound, *channel);
  return 1;
}

int SetFrequency(YelSoundHandle handle, uint32_t frequency) {
  // The streaming buffers keep the output rate: their refills are timed by it.
  return WithLoaded(handle, [frequency](SoundSystem&, SoundChannel& channel) {
    if (!Group(channel.group).streamed) channel.buffer->SetFrequency(frequency);
  });
}

}  // namespace

}  // namespace yel

using namespace yel;

extern "C" {

YEL_API int YelSoundSetPrimaryVolume(int32_t volume) {
  SoundSystem* sound = Sound();
  if (!sound) return 0;
  std::lock_guard lock(sound->lock);
  sound->primary_volume = volume;
  for (int32_t type = 0; type < kSoundTypeCount; ++type) {
    ApplyTypeVolume(*sound, type, sound->type_volume[type]);
  }
  return 1;
}

YEL_API int YelSoundSetVolume(int32_t volume, int32_t type) {
  SoundSystem* sound = Sound();
  if (!sound || !ValidType(type)) return 0;
  std::lock_guard lock(sound->lock);
  ApplyTypeVolume(*sound, type, volume);
  return 1;
}

YEL_API int YelSoundSetVolumeChannel(YelSoundHandle handle, int32_t volume) {
  return WithLoaded(handle, [volume](SoundSystem& sound, SoundChannel& channel) {
    channel.volume = volume;
    if (channel.fade_state == kFadeNone) channel.buffer->SetVolume(ChannelLoudness(sound, channel));
  });
}

YEL_API int32_t YelSoundGetVolume(int32_t* out, int32_t type) {
  SoundSystem* sound = Sound();
  if (!sound || !out || !ValidType(type)) return -1;
  std::lock_guard lock(sound->lock);
  *out = sound->type_volume[type];
  return *out;
}

YEL_API int32_t YelSoundGetPrimaryVolume(void) {
  SoundSystem* sound = Sound();
  if (!sound) return 0;
  std::lock_guard lock(sound->lock);
  return sound->primary_volume;
}

YEL_API int32_t YelSoundGetVolumeChannel(YelSoundHandle handle) {
  SoundSystem* sound = Sound();
  if (!sound || !ChannelOf(*sound, handle)) return 0;
  std::lock_guard lock(sound->lock);
  SoundChannel* channel = LoadedChannel(*sound, handle);
  return channel ? channel->volume : -1;
}

YEL_API void YelSoundSetVolumeRatio(YelSoundHandle handle, float ratio) {
  SoundSystem* sound = Sound();
  if (!sound) return;
  std::lock_guard lock(sound->lock);
  if (SoundChannel* channel = ChannelOf(*sound, handle)) channel->volume_ratio = ratio;
}

YEL_API int YelSoundSetPanChannel(YelSoundHandle handle, int32_t pan) {
  return WithLoaded(handle,
                    [pan](SoundSystem&, SoundChannel& channel) { channel.buffer->SetPan(pan); });
}

YEL_API int YelSoundSetFreq(YelSoundHandle handle, uint32_t frequency) {
  return SetFrequency(handle, frequency);
}

YEL_API int YelSoundSetFraquencyChannel(YelSoundHandle handle, uint32_t frequency) {
  return SetFrequency(handle, frequency);
}

YEL_API int32_t YelSoundGetFreq(YelSoundHandle handle) {
  int32_t frequency = -1;
  WithLoaded(handle, [&frequency](SoundSystem&, SoundChannel& channel) {
    frequency = static_cast<int32_t>(channel.buffer->Frequency());
  });
  return frequency;
}

YEL_API int YelSoundSetStartEnd(YelSoundHandle handle, uint32_t loop_start, uint32_t end) {
  return WithLoaded(handle, [loop_start, end](SoundSystem&, SoundChannel& channel) {
    channel.loop_start = loop_start;
    channel.end = end;
  });
}

YEL_API int32_t YelSoundGetState(YelSoundHandle handle) {
  SoundSystem* sound = Sound();
  if (!sound || !ChannelOf(*sound, handle)) return 0;
  std::lock_guard lock(sound->lock);
  SoundChannel* channel = LoadedChannel(*sound, handle);
  return channel ? channel->fade_state : -1;
}

YEL_API int YelSoundPlayIs(YelSoundHandle handle) {
  int playing = 0;
  WithLoaded(handle, [&playing](SoundSystem&, SoundChannel& channel) {
    playing = channel.group == 3 ? channel.playing : channel.buffer->IsPlaying() ? 1 : 0;
  });
  return playing;
}

YEL_API int32_t YelSoundGetChannelCount(int32_t type) {
  SoundSystem* sound = Sound();
  if (!sound) return 0;
  const SoundGroup& group = Group(type >= 1 && type <= 6 ? type : 0);
  std::lock_guard lock(sound->lock);
  int32_t free = 0;
  for (int i = 0; i < group.channels; ++i) {
    const SoundChannel& channel = sound->channels[group.first + i];
    if (!channel.loaded && !channel.reserved) ++free;
  }
  return free;
}

YEL_API int32_t YelSoundGetStatus(int32_t index) {
  SoundSystem* sound = Sound();
  if (!sound || index < 0 || index > 1) return 0;
  std::lock_guard lock(sound->lock);
  return sound->channels[Group(3).first + index].command;
}

YEL_API int32_t YelSoundGetNowChannel(void) {
  SoundSystem* sound = Sound();
  if (!sound) return -1;
  std::lock_guard lock(sound->lock);
  for (int i = 0; i < 2; ++i) {
    const SoundChannel& channel = sound->channels[Group(3).first + i];
    if (channel.file || channel.ogg) return i;
  }
  return -1;
}

YEL_API int32_t YelSoundGetParamByType(int32_t type, int32_t index, int32_t n) {
  SoundSystem* sound = Sound();
  if (!sound || !ValidType(type)) return 0;
  const SoundGroup& group = Group(type);
  if (index < 0 || index >= group.channels) return 0;
  std::lock_guard lock(sound->lock);
  return Parameter(sound->channels[group.first + index], n);
}

YEL_API int32_t YelSoundGetParam(int32_t index, int32_t n) {
  return YelSoundGetParamByType(3, index, n);
}

YEL_API float YelSetVoiceSpeed(float speed) {
  return g_voice_speed.exchange(std::clamp(speed, 0.0f, 200.0f));
}

YEL_API float YelGetVoiceSpeed(void) {
  return g_voice_speed.load();
}

}  // extern "C"
