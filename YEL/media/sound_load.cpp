// Loading sounds into channels: the choice of a free channel, the open of the file outside the
// sound lock, and its publication under it; reserved BGM channels and channel copies.
#include <algorithm>

#include "YEL/files/file_names.h"
#include "YEL/media/sound_system.h"
#include "os/debug_output.h"

namespace yel {

namespace {

// The group a load of `type` goes to: types 2 to 6 their own, any other type that of type 1.
int32_t LoadGroup(int32_t type) {
  return type >= 2 && type <= 6 ? type : 1;
}

LoopPoints ReadLoopPoints(const YelSoundLoopPoints* points) {
  if (!points || points->use == 0) return {};
  return {true, points->stream_start, points->loop_start, points->end};
}

bool IsFree(const SoundChannel& channel) {
  return !channel.loaded && !channel.reserved && !channel.opening;
}

// Claims the first free channel of a group under the sound lock, so that no other load takes
// it while the file is read; logs when the group is full.
SoundChannel* ClaimChannel(SoundSystem& sound, int32_t group_type) {
  const SoundGroup& group = Group(group_type);
  for (int i = 0; i < group.channels; ++i) {
    SoundChannel& channel = sound.channels[group.first + i];
    if (IsFree(channel)) {
      channel.opening = true;
      return &channel;
    }
  }
  YelErrorLogPrintf("[%d] channel all use", group.channels);
  return nullptr;
}

using Opener = bool (*)(SoundSystem&, const char*, SoundChannel&, const LoopPoints&);

bool OpenByExtension(SoundSystem& sound, const char* name, SoundChannel& channel,
                     const LoopPoints& points) {
  if (YelPathHasExtension(name, "ogg")) return SoundOpenOgg(sound, name, channel, points);
  return SoundOpenWave(sound, name, channel, points);
}

bool OpenTypeZero(SoundSystem&, const char* name, SoundChannel& channel, const LoopPoints&) {
  return SoundOpenTypeZero(name, channel);
}

// Multiplies every 16-bit sample of a loaded whole sound by `gain`, clamped.
void ApplyGain(SoundChannel& channel, float gain) {
  if (!(gain > 0.0f) || gain == 1.0f || channel.buffer_size % 2 != 0) return;
  if (!channel.buffer || channel.buffer->Format().bits != 16) return;
  auto* samples = reinterpret_cast<int16_t*>(channel.buffer->Data());
  for (uint32_t i = 0; i < channel.buffer_size / 2; ++i) {
    const float scaled = samples[i] * gain;
    samples[i] = static_cast<int16_t>(std::clamp(scaled, -32768.0f, 32767.0f));
  }
}

// Opens a file into a claimed channel: the open runs on a record of its own without the lock,
// which is then published whole.
YelSoundHandle Load(SoundSystem& sound, const char* name, int32_t type, int32_t group_type,
                    const LoopPoints& points, Opener open, float gain = 1.0f) {
  if (!name) return 0;
  SoundChannel* channel;
  SoundChannel staged;
  {
    std::lock_guard lock(sound.lock);
    channel = ClaimChannel(sound, group_type);
    if (!channel) return 0;
    staged.type = type;
    staged.group = group_type;
    staged.volume = kFullVolume;
    staged.volume_ratio = gain;
    if (Group(group_type).streamed) {
      staged.buffer = channel->buffer;
      staged.buffer_size = channel->buffer_size;
    }
  }
  const bool opened = open(sound, name, staged, points);
  if (opened) ApplyGain(staged, gain);
  std::lock_guard lock(sound.lock);
  channel->opening = false;
  if (!opened) return 0;
  staged.command_ticket = channel->command_ticket;
  staged.taken_ticket = channel->taken_ticket;
  *channel = staged;
  return HandleOf(sound, *channel);
}

}  // namespace

}  // namespace yel

using namespace yel;

extern "C" {

YEL_API YelSoundHandle YelSoundLoad(const char* name, int32_t type,
                                    const YelSoundLoopPoints* points) {
  SoundSystem* sound = Sound();
  if (!sound) return 0;
  return Load(*sound, name, type, LoadGroup(type), ReadLoopPoints(points), OpenByExtension);
}

YEL_API YelSoundHandle YelSoundLoadEx(const char* name, int32_t type,
                                      const YelSoundLoopPoints* points, float gain) {
  SoundSystem* sound = Sound();
  if (!sound || type != 4) return 0;
  return Load(*sound, name, type, 4, ReadLoopPoints(points), OpenByExtension, gain);
}

YEL_API YelSoundHandle YelSoundLoadVerEpeg(const char* name) {
  SoundSystem* sound = Sound();
  if (!sound) return 0;
  return Load(*sound, name, 0, 0, LoopPoints{}, OpenTypeZero);
}

YEL_API YelSoundHandle YelSoundLoadSetReserved(int32_t, int32_t type) {
  SoundSystem* sound = Sound();
  if (!sound || type != 3) return 0;
  std::lock_guard lock(sound->lock);
  SoundChannel* channel = ClaimChannel(*sound, 3);
  if (!channel) return 0;
  channel->opening = false;
  channel->reserved = 1;
  return HandleOf(*sound, *channel);
}

YEL_API void YelSoundSetReserved(int32_t type, YelSoundHandle handle, int32_t value) {
  SoundSystem* sound = Sound();
  if (!sound || type != 3 || (handle != 0x20000000u && handle != 0x20000001u)) return;
  std::lock_guard lock(sound->lock);
  ChannelOf(*sound, handle)->reserved = value;
}

// A copy plays the same sample memory on a channel of its own; streams have no copies.
YEL_API YelSoundHandle YelSoundCopy(YelSoundHandle handle, int32_t type) {
  SoundSystem* sound = Sound();
  if (!sound) return 0;
  std::lock_guard lock(sound->lock);
  SoundChannel* source = ChannelOf(*sound, handle);
  const int32_t group_type = LoadGroup(type);
  if (!source || !source->loaded || Group(source->group).streamed || Group(group_type).streamed) {
    return 0;
  }
  SoundChannel* copy = ClaimChannel(*sound, group_type);
  if (!copy) return 0;
  SoundChannel record = *source;
  record.file = nullptr;
  record.ogg = nullptr;
  record.group = group_type;
  record.playing = record.paused = 0;
  record.fade_state = kFadeNone;
  record.command = kSoundCommandNone;
  record.command_ticket = copy->command_ticket;
  record.taken_ticket = copy->taken_ticket;
  record.buffer = sound->mixer.DuplicateBuffer(source->buffer);
  if (!record.buffer) {
    os::DebugOutput("error : SoundCopy\n");
    copy->opening = false;
    return 0;
  }
  *copy = record;
  return HandleOf(*sound, *copy);
}

}  // extern "C"
