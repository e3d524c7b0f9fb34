// The channel commands callers give: play, stop, pause, resume and release. Whole sounds start
// at once on the caller's thread; everything else is written into the channel's command word
// and carried out by the streaming thread, which the caller waits for without the sound lock.
#include <chrono>

#include "YEL/media/sound_system.h"

namespace yel {

namespace {

// How long a caller waits for the streaming thread to take its command (100000 polls of 1 ms).
constexpr std::chrono::milliseconds kCommandWaitLimit{100000};
constexpr uint32_t kStreamStartFadeMs = 10;

// Writes a command and takes a ticket for it; the thread is woken to see it at once.
uint32_t WriteCommand(SoundSystem& sound, SoundChannel& channel, int32_t command) {
  channel.command = command;
  sound.mixer.Wake();
  return ++channel.command_ticket;
}

// Writes a command and waits (the sound lock released while waiting) until the thread has
// carried it out: 1, or 0 when it was not taken in time or another command replaced it.
int IssueAndWait(SoundSystem& sound, std::unique_lock<std::mutex>& lock, SoundChannel& channel,
                 int32_t command) {
  sound.command_mark = 0;
  const uint32_t ticket = WriteCommand(sound, channel, command);
  const bool settled = sound.pass_done.wait_for(lock, kCommandWaitLimit, [&] {
    return channel.taken_ticket == ticket || channel.command_ticket != ticket;
  });
  return settled && channel.taken_ticket == ticket ? 1 : 0;
}

// Restarts a whole sound from its first byte.
void PlayWhole(SoundSystem& sound, SoundChannel& channel, int32_t loop) {
  os::AudioBuffer& buffer = *channel.buffer;
  buffer.SetVolume(os::kVolumeSilence);
  buffer.Stop();
  buffer.SetPosition(0);
  buffer.Play(loop != 0);
  buffer.SetVolume(ChannelLoudness(sound, channel));
  channel.loop = loop;
  channel.playing = 1;
}

int StartWithFade(YelSoundHandle handle, int32_t loop, uint32_t fade_ms) {
  SoundSystem* sound = Sound();
  if (!sound) return 0;
  std::unique_lock lock(sound->lock);
  SoundChannel* channel = LoadedChannel(*sound, handle);
  if (!channel) return 0;
  channel->loop = loop;
  channel->fade_time = fade_ms;
  return IssueAndWait(*sound, lock, *channel, kSoundCommandStartFade);
}

int ReleaseChannel(SoundSystem& sound, std::unique_lock<std::mutex>& lock, SoundChannel& channel) {
  if (channel.group == 3) channel.reserved = 0;
  if (!channel.loaded) return 0;
  sound.command_mark = 0;
  channel.fade_state = kFadeNone;
  WriteCommand(sound, channel, kSoundCommandRelease);
  // A notice of the thread may replace the release while it waits: it is written again, under
  // the lock, until the channel is free.
  return sound.pass_done.wait_for(lock, kCommandWaitLimit,
                                  [&] {
                                    if (!channel.loaded) return true;
                                    if (channel.command != kSoundCommandRelease)
                                      WriteCommand(sound, channel, kSoundCommandRelease);
                                    return false;
                                  })
             ? 1
             : 0;
}

}  // namespace

}  // namespace yel

using namespace yel;

extern "C" {

YEL_API int YelSoundPlay(YelSoundHandle handle, int32_t loop) {
  SoundSystem* sound = Sound();
  if (!sound) return 0;
  {
    std::lock_guard lock(sound->lock);
    SoundChannel* channel = LoadedChannel(*sound, handle);
    if (!channel) return 0;
    if (!Group(channel->group).streamed) {
      sound->command_mark = 0;
      PlayWhole(*sound, *channel, loop);
      return 1;
    }
  }
  // Streams always start with a short fade-in.
  return StartWithFade(handle, loop, kStreamStartFadeMs);
}

YEL_API int YelSoundPlayFade(YelSoundHandle handle, int32_t loop, uint32_t fade_ms) {
  return StartWithFade(handle, loop, fade_ms);
}

YEL_API int YelSoundStop(YelSoundHandle handle) {
  SoundSystem* sound = Sound();
  if (!sound) return 0;
  std::unique_lock lock(sound->lock);
  SoundChannel* channel = LoadedChannel(*sound, handle);
  if (!channel || !channel->playing) return 0;
  channel->fade_state = kFadeNone;
  return IssueAndWait(*sound, lock, *channel, kSoundCommandStop);
}

YEL_API int YelSoundStopFade(YelSoundHandle handle, uint32_t fade_ms) {
  SoundSystem* sound = Sound();
  if (!sound) return 0;
  std::unique_lock lock(sound->lock);
  SoundChannel* channel = LoadedChannel(*sound, handle);
  if (!channel || !channel->playing) return 0;
  if (channel->fade_state == kFadeOut && fade_ms != 0) return 1;
  channel->fade_time = fade_ms;
  channel->fade_state = kFadeNone;
  return IssueAndWait(*sound, lock, *channel, kSoundCommandStopFade);
}

YEL_API int YelSoundPause(YelSoundHandle handle, int32_t pause, uint32_t fade_ms) {
  SoundSystem* sound = Sound();
  if (!sound) return 0;
  std::lock_guard lock(sound->lock);
  SoundChannel* channel = LoadedChannel(*sound, handle);
  const int32_t state = pause ? 1 : 0;
  if (!channel || !channel->playing || channel->paused == state) return 0;
  channel->paused = state;
  WriteCommand(*sound, *channel, pause ? kSoundCommandPause : kSoundCommandResume);
  if (fade_ms) {
    channel->fade_state = pause ? kFadeOut : kFadeIn;
    channel->fade_start = YeltimeGetTime();
    channel->fade_time = fade_ms;
  }
  return 1;
}

YEL_API int YelSoundRelease(YelSoundHandle handle) {
  SoundSystem* sound = Sound();
  if (!sound) return 0;
  std::unique_lock lock(sound->lock);
  SoundChannel* channel = ChannelOf(*sound, handle);
  return channel ? ReleaseChannel(*sound, lock, *channel) : 0;
}

YEL_API int YelSoundReleaseEx(int32_t type) {
  SoundSystem* sound = Sound();
  if (!sound) return 0;
  const SoundGroup& group = Group(type >= 1 && type <= 6 ? type : 0);
  std::unique_lock lock(sound->lock);
  if (type == 3) {
    for (int i = 0; i < group.channels; ++i) sound->channels[group.first + i].reserved = 0;
  }
  int result = 0;
  for (int i = 0; i < group.channels; ++i) {
    SoundChannel& channel = sound->channels[group.first + i];
    if (channel.loaded) result = ReleaseChannel(*sound, lock, channel);
  }
  return result;
}

}  // extern "C"
