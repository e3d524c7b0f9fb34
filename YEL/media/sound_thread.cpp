// The streaming thread: owns the four streaming buffers, refills them half by half when the
// mixer reports that the play cursor moved on, and carries out every channel's command.
#include <cstring>

#include "YEL/media/sound_system.h"

namespace yel {

namespace {

// Notification bits of a streaming buffer, in the order of its offsets.
constexpr uint32_t kPartZeroPlays = 1u << 0;  // cursor reached offset 0
constexpr uint32_t kPartOnePlays = 1u << 1;   // cursor reached the second half
constexpr uint32_t kPassWaitMs = 10;          // the grain of fades and commands

// The channels that own the streaming buffers, in buffer order: type 3 channels 0 and 1, then
// type 0 channels 0 and 1.
SoundChannel& StreamChannel(SoundSystem& sound, int buffer) {
  const SoundGroup& group = Group(buffer < 2 ? 3 : 0);
  return sound.channels[group.first + buffer % 2];
}

// Channel-step order of the groups.
constexpr int kStepOrder[] = {0, 3, 2, 1, 4, 5, 6};
// Order in which the thread closes the groups at its end.
constexpr int kCloseOrder[] = {4, 5, 6, 3, 2, 1, 0};

bool CreateStreamBuffers(SoundSystem& sound) {
  for (int b = 0; b < 4; ++b) {
    os::AudioBuffer* buffer = sound.mixer.CreateBuffer(os::PcmFormat{}, kStreamBufferBytes);
    if (!buffer) return false;
    buffer->SetNotifications({0, kStreamPartBytes});
    StreamChannel(sound, b).buffer = buffer;
  }
  return true;
}

void PrepareStreamChannels(SoundSystem& sound) {
  std::lock_guard lock(sound.lock);
  for (int type = 0; type <= 3; ++type) sound.type_volume[type] = kFullVolume;
  for (int b = 0; b < 4; ++b) {
    SoundChannel& channel = StreamChannel(sound, b);
    channel.group = channel.type = b < 2 ? 3 : 0;
    channel.buffer_size = kStreamBufferBytes;
    channel.volume = kFullVolume;
    channel.command = kSoundCommandDone;
    channel.buffer->Stop();
  }
}

// A stopped streaming buffer means the stream was stopped or paused by a command; a stop
// notice that arrives late never replaces a command a caller has written since.
void OnStreamStopped(SoundChannel& channel) {
  const bool idle = channel.command == kSoundCommandDone || channel.command == kSoundCommandNone;
  if (channel.group == 3 && !channel.paused && idle) channel.command = kSoundCommandDone;
}

void ServeNotifications(SoundSystem& sound) {
  for (int b = 0; b < 4; ++b) {
    SoundChannel& channel = StreamChannel(sound, b);
    if (!channel.buffer) continue;
    const uint32_t notes = channel.buffer->TakeNotifications();
    if (notes & kPartZeroPlays) SoundFillPart(channel, 1);
    if (notes & kPartOnePlays) SoundFillPart(channel, 0);
    if (notes & os::AudioBuffer::kStopNote) OnStreamStopped(channel);
  }
}

void CloseEverything(SoundSystem& sound) {
  std::lock_guard lock(sound.lock);
  for (int type : kCloseOrder) {
    const SoundGroup& group = Group(type);
    for (int i = 0; i < group.channels; ++i) {
      SoundChannel& channel = sound.channels[group.first + i];
      if (channel.loaded) SoundCloseStream(channel);
      sound.mixer.ReleaseBuffer(channel.buffer);
      channel = SoundChannel{};
    }
  }
  sound.pass_done.notify_all();
}

}  // namespace

void SoundStreamPass(SoundSystem& sound) {
  std::lock_guard lock(sound.lock);
  // A start with fade-in and the begin of a fade-out are spread one per pass; the mark never
  // holds a command back longer than that.
  sound.command_mark = 0;
  ServeNotifications(sound);
  for (int type : kStepOrder) {
    const SoundGroup& group = Group(type);
    for (int i = 0; i < group.channels; ++i) {
      SoundChannelStep(sound, sound.channels[group.first + i]);
    }
  }
  ++sound.passes;
  sound.pass_done.notify_all();
}

void SoundStreamThread(SoundSystem& sound) {
  if (!CreateStreamBuffers(sound)) {
    sound.started.Set();
    return;
  }
  PrepareStreamChannels(sound);
  sound.ready.store(true);
  sound.started.Set();
  while (!sound.stop_requested.load()) {
    sound.mixer.WaitForNotification(kPassWaitMs);
    SoundStreamPass(sound);
  }
  CloseEverything(sound);
}

}  // namespace yel
