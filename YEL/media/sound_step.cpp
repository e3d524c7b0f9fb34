// The channel step: what the streaming thread does for one loaded channel in each pass: follow
// a looping stream's position, run its fade, and carry out its command.
#include <cstring>

#include "YEL/media/sound_system.h"

namespace yel {

namespace {

uint32_t Now() {
  return YeltimeGetTime();
}

bool Streamed(const SoundChannel& channel) {
  return Group(channel.group).streamed;
}

// A stream's bytes played since the last pass, counted against its loop.
void FollowStreamPosition(SoundChannel& channel) {
  const uint32_t cursor = channel.buffer->Position();
  const uint32_t played = cursor >= channel.last_cursor
                              ? cursor - channel.last_cursor
                              : cursor + channel.buffer_size - channel.last_cursor;
  channel.stream_position += played;
  if (channel.stream_position >= channel.end && channel.loop && channel.end > channel.loop_start) {
    channel.stream_position -= channel.end - channel.loop_start;
  }
  channel.last_cursor = cursor;
}

// A resume without a fade-in is heard at the channel's loudness, also after a pause that faded
// the channel out.
void Resume(SoundChannel& channel, SoundSystem& sound) {
  if (channel.fade_state != kFadeIn) channel.buffer->SetVolume(ChannelLoudness(sound, channel));
  channel.buffer->Play(channel.loop || Streamed(channel));
  channel.command = kSoundCommandDone;
  channel.taken_ticket = channel.command_ticket;
  sound.command_mark = kSoundCommandResume;
}

// Runs a fade; true while it lasts (no command is carried out then). A fade time of 0 ends at
// once.
bool RunFade(SoundSystem& sound, SoundChannel& channel) {
  if (channel.fade_state == kFadeNone) return false;
  if (channel.fade_state == kFadeIn && channel.command == kSoundCommandResume) {
    Resume(channel, sound);
  }
  const uint32_t elapsed = Now() - channel.fade_start;
  if (elapsed >= channel.fade_time) {
    // The ramp ends where it was heading: full loudness, or silence.
    const float scale = channel.fade_state == kFadeIn ? 1.0f : 0.0f;
    channel.buffer->SetVolume(ChannelLoudness(sound, channel, scale));
    channel.fade_state = kFadeNone;
    return false;
  }
  const float part = static_cast<float>(elapsed) / static_cast<float>(channel.fade_time);
  const float scale = channel.fade_state == kFadeIn ? part : 1.0f - part;
  channel.buffer->SetVolume(ChannelLoudness(sound, channel, scale));
  return true;
}

void Start(SoundSystem& sound, SoundChannel& channel, bool with_fade) {
  if (with_fade) {
    channel.fade_state = kFadeIn;
    channel.fade_start = Now();
    channel.buffer->SetVolume(os::kVolumeSilence);
  }
  channel.buffer->Stop();
  channel.buffer->SetPosition(0);
  if (Streamed(channel)) {
    const bool looping_stream = channel.group == 3;
    if (looping_stream) channel.read_position = channel.stream_start;
    SoundSeekSource(channel, channel.read_position);
    channel.stream_ended = 0;
    channel.tail_playing = false;
    SoundPrime(channel);
    if (looping_stream) {
      channel.stream_position = channel.stream_start;
      channel.last_cursor = 0;
    }
  }
  channel.buffer->TakeNotifications();  // notices of the previous play are stale now
  if (!with_fade) channel.buffer->SetVolume(ChannelLoudness(sound, channel));
  channel.buffer->Play(channel.loop || Streamed(channel));
  channel.command = kSoundCommandDone;
  channel.playing = 1;
  channel.stream_ended = 0;
  ChannelLoudness(sound, channel);
  channel.taken_ticket = channel.command_ticket;
  sound.command_mark = kSoundCommandStart;
}

void Stop(SoundSystem& sound, SoundChannel& channel) {
  channel.buffer->Stop();
  if (channel.group == 3) {
    std::memset(channel.buffer->Data(), 0, channel.buffer->Size());
    channel.buffer->SetPosition(0);
    SoundCloseStream(channel);
    channel.loaded = 0;
    channel.reserved = 0;
  } else if (channel.group == 0) {
    channel.read_position = channel.loop_start;
  }
  channel.playing = 0;
  channel.command = kSoundCommandDone;
  channel.taken_ticket = channel.command_ticket;
  if (sound.command_mark == 0) sound.command_mark = kSoundCommandStop;
}

void Release(SoundSystem& sound, SoundChannel& channel) {
  SoundCloseStream(channel);
  if (Streamed(channel)) {
    channel.playing = 0;
    channel.command = kSoundCommandNone;
    channel.loaded = 0;
    channel.reserved = 0;
  } else {
    sound.mixer.ReleaseBuffer(channel.buffer);
    const uint32_t ticket = channel.command_ticket;
    channel = SoundChannel{};
    channel.command_ticket = ticket;
  }
  channel.taken_ticket = channel.command_ticket;
  sound.command_mark = kSoundCommandRelease;
}

void CarryOutCommand(SoundSystem& sound, SoundChannel& channel) {
  switch (channel.command) {
    case kSoundCommandStart:
      Start(sound, channel, false);
      break;
    case kSoundCommandStartFade:
      if (sound.command_mark != kSoundCommandStart) Start(sound, channel, true);
      break;
    case kSoundCommandStopFade:
      if (sound.command_mark == kSoundCommandStopFade) break;
      channel.fade_state = kFadeOut;
      channel.command = kSoundCommandStop;
      channel.fade_start = Now();
      channel.taken_ticket = channel.command_ticket;
      sound.command_mark = kSoundCommandStopFade;
      if (channel.fade_time == 0) {
        channel.fade_state = kFadeNone;
        Stop(sound, channel);
      }
      break;
    case kSoundCommandStop:
      Stop(sound, channel);
      break;
    case kSoundCommandRelease:
      Release(sound, channel);
      break;
    case kSoundCommandPause:
      channel.buffer->Stop();
      channel.command = kSoundCommandDone;
      channel.taken_ticket = channel.command_ticket;
      sound.command_mark = kSoundCommandPause;
      break;
    case kSoundCommandResume:
      Resume(channel, sound);
      break;
    default:
      break;
  }
}

}  // namespace

void SoundChannelStep(SoundSystem& sound, SoundChannel& channel) {
  if (!channel.loaded || !channel.buffer) return;
  if (channel.group == 3 && channel.playing) FollowStreamPosition(channel);
  if (RunFade(sound, channel)) return;
  CarryOutCommand(sound, channel);
}

}  // namespace yel
