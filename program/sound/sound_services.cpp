#include "program/sound/sound_services.h"

#include <cstdio>

#include "program/game/adv_context.h"
#include "program/script/engine_log.h"
#include "program/script/skip_state.h"
#include "program/sound/sound_calls.h"
#include "program/sound/voice_channels.h"
#include "program/startup/yel_import.h"

namespace adv {
namespace {

constexpr const char* kSoundExtensions[] = {".ogg", ".wav"};
constexpr uint32_t kFirstPlatformHandle = 0x10000000;

template <typename Channel>
void ReleaseHandle(Channel& channel) {
  if (channel.handle != 0) yel::YelSoundRelease(channel.handle);
  channel.handle = 0;
}

// A record that holds a sound, was started (not only loaded) and no longer plays.
template <typename Channel>
bool Finished(const Channel& channel) {
  return channel.handle != 0 && !(channel.flags & kSoundLoadedOnly) &&
         !yel::YelSoundPlayIs(channel.handle);
}

}  // namespace

uint32_t SoundLoadFile(const char* name, int32_t type, const YelSoundLoopPoints* points,
                       float ratio) {
  for (const char* extension : kSoundExtensions) {
    char path[64];
    if (std::snprintf(path, sizeof(path), "%s%s", name, extension) >=
        static_cast<int>(sizeof(path))) {
      return 0;
    }
    const uint32_t handle = type == kSoundTypeSe1 && ratio > 1.0f
                                ? yel::YelSoundLoadEx(path, type, points, ratio)
                                : yel::YelSoundLoad(path, type, points);
    if (handle != 0) return handle;
  }
  return 0;
}

uint32_t AdvSoundLoad(AdvContext& context, const char* name, int32_t type,
                      const YelSoundLoopPoints* points, float ratio) {
  if (AdvSkipState(context) & SKIP_MASK_FORCED) {
    return type == kSoundTypeBgm ? yel::YelSoundLoadSetReserved(0, kSoundTypeBgm) : 0;
  }
  const uint32_t handle = SoundLoadFile(name, type, points, ratio);
  if (handle == 0 && type != kSoundTypeVoice) {
    AdvDebugPrint(kLogError, "sound load error [%s]", name);
  }
  return handle;
}

void SoundRegisterDebugTables(SoundState& state) {
  state.se_table = state.se.data();
  state.bgm_table = state.bgm.data();
  state.bgv_table = state.bgv.data();
}

void AdvSeUpdate(SoundState& state) {
  for (SeChannel& channel : state.se) {
    if (Finished(channel)) {
      yel::YelSoundRelease(channel.handle);
      channel = SeChannel{};
    }
  }
}

void AdvBgmUpdate(SoundState& state) {
  for (BgmChannel& channel : state.bgm) {
    if (channel.handle == 0 || (channel.flags & kSoundLoadedOnly)) continue;
    if (!yel::YelSoundPlayIs(channel.handle)) {
      yel::YelSoundRelease(channel.handle);
      channel = BgmChannel{};
    } else if ((channel.flags & kBgmFadeRunning) == kBgmFadeRunning) {
      AdvBgmFadeStep(channel);
    }
  }
}

void AdvSoundUpkeep(AdvContext& context) {
  SoundState& state = context.sound;
  AdvSeUpdate(state);
  AdvBgmUpdate(state);
  // The work thread writes the voice records while it loads a line's voice.
  if (!AdvVoiceLoadPendingGet()) AdvVoiceUpdate(state);
}

void AdvSeReleaseAll(AdvContext& context) {
  for (SeChannel& channel : context.sound.se) {
    ReleaseHandle(channel);
    channel = SeChannel{};
  }
  context.sound.se_wait_channel = 0;
}

int32_t SoundChannelToPlatformChannel(const SoundState& state, int32_t type, int32_t channel) {
  if (channel < 0) {
    AdvDebugPrint(kLogError, "error sound_ch_to_yel_ch ch ? [%d]", channel);
    return 0;
  }
  int32_t count = 0;
  uint32_t handle = 0;
  const auto pick = [&](const auto& channels) {
    count = static_cast<int32_t>(channels.size());
    if (channel < count) handle = channels[channel].handle;
  };
  switch (type) {
    case 1:
      pick(state.voice);
      break;
    case 2:
      pick(state.bgv);
      break;
    case 3:
      pick(state.bgm);
      break;
    case 4:
      pick(state.se);
      break;
    default:
      return -1;
  }
  if (channel >= count) {
    AdvDebugPrint(kLogError, "error sound_ch_to_yel_ch over ch, type=%d, ch=%d", type, channel);
    return -1;
  }
  // The channel's index within its platform group: type 5 has 64 of them.
  return handle >= kFirstPlatformHandle ? static_cast<int32_t>(handle & 0x0FFFFFFF) : -1;
}

}  // namespace adv
