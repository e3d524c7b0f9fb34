// The sound system's life: started with the library, stopped at its end; the channel groups,
// handles and loudness shared by every sound file.
#include "YEL/media/sound.h"

#include <cmath>

#include "YEL/core/system.h"
#include "YEL/media/sound_system.h"
#include "os/debug_output.h"
#include "os/message_box.h"

namespace yel {

namespace {

// Groups by sound type; channels are laid out in type order.
constexpr std::array<SoundGroup, kSoundTypeCount> kGroups = {{
    {2, 0x1, 0, true},
    {16, 0x3, 2, false},
    {8, 0x7, 18, false},
    {2, 0x2, 26, true},
    {16, 0x4, 28, false},
    {64, 0x5, 44, false},
    {16, 0x6, 108, false},
}};
static_assert(kGroups[6].first + kGroups[6].channels == kSoundChannelCount);

// Written by the life cycle only; read by every export.
std::atomic<SoundSystem*> g_sound{nullptr};

// Waits for the streaming thread's end: it finishes its pass and closes every channel.
constexpr uint32_t kThreadEndLimitMs = 100000 * 10;

// A buffer in the streaming format, made and released at once to prove the mixer works.
void TestBuffer(SoundSystem& sound) {
  os::AudioBuffer* test = sound.mixer.CreateBuffer(os::PcmFormat{}, 176400);
  if (!test) {
    os::DebugOutput("Sound Test Error\n");
    return;
  }
  sound.mixer.ReleaseBuffer(test);
}

}  // namespace

const SoundGroup& Group(int32_t type) {
  return kGroups[type >= 0 && type < kSoundTypeCount ? type : 0];
}

SoundSystem* Sound() {
  return g_sound.load();
}

SoundChannel* ChannelOf(SoundSystem& sound, YelSoundHandle handle) {
  const uint32_t prefix = handle >> 28;
  const uint32_t index = handle & 0x0FFFFFFFu;
  for (const SoundGroup& group : kGroups) {
    if (group.prefix == prefix && index < static_cast<uint32_t>(group.channels)) {
      return &sound.channels[group.first + index];
    }
  }
  return nullptr;
}

SoundChannel* LoadedChannel(SoundSystem& sound, YelSoundHandle handle) {
  SoundChannel* channel = ChannelOf(sound, handle);
  return channel && channel->loaded && channel->buffer ? channel : nullptr;
}

YelSoundHandle HandleOf(const SoundSystem& sound, const SoundChannel& channel) {
  const SoundGroup& group = kGroups[channel.group];
  const auto index = static_cast<uint32_t>(&channel - &sound.channels[group.first]);
  return (group.prefix << 28) | index;
}

int32_t SoundToDecibels(int32_t volume) {
  if (volume <= 0) return os::kVolumeSilence;
  const auto level = static_cast<int32_t>(2000.0 * std::log10(volume / 10000.0));
  return std::clamp(level, os::kVolumeSilence, 0);
}

int32_t ChannelLoudness(SoundSystem& sound, SoundChannel& channel, float scale) {
  channel.effective_volume = sound.type_volume[channel.group] * channel.volume / kFullVolume;
  const int32_t level = channel.effective_volume * sound.primary_volume / kFullVolume;
  return SoundToDecibels(scale >= 1.0f ? level : static_cast<int32_t>(level * scale));
}

bool SoundStart(AudioDeviceOpener open_device) {
  auto* sound = new SoundSystem();
  sound->device = open_device(sound->mixer);
  if (!sound->device) {
    delete sound;
    return false;
  }
  g_sound.store(sound);
  if (!sound->thread.Start([sound] { SoundStreamThread(*sound); })) {
    SoundStop();
    return false;
  }
  sound->started.Wait(UINT32_MAX);
  if (!sound->ready.load()) {
    os::ShowMessageBox("サウンドの初期化に失敗。", "Sound Initialize Error", os::BoxButtons::kOk,
                       os::BoxIcon::kWarning);
    SoundStop();
    return false;
  }
  TestBuffer(*sound);
  return true;
}

void SoundStop() {
  SoundSystem* sound = g_sound.exchange(nullptr);
  if (!sound) return;
  if (sound->thread.Started()) {
    sound->stop_requested.store(true);
    sound->mixer.Wake();
    if (!sound->thread.Join(kThreadEndLimitMs)) {
      // The thread still uses the record: leave both to it.
      sound->thread.Abandon();
      return;
    }
  }
  sound->device.reset();  // the device stops pulling before the mixer goes
  delete sound;
}

bool SoundInitialize(YelSystem&) {
  return SoundStart(os::OpenSdlAudioDevice);
}

void SoundUninitialize(YelSystem&) {
  SoundStop();
}

}  // namespace yel
