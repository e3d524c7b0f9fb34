#include "program/sound/sound_effects.h"

#include <algorithm>
#include <cstring>

#include "program/game/adv_context.h"
#include "program/script/engine_log.h"
#include "program/script/script_names.h"
#include "program/script/script_run.h"
#include "program/script/skip_state.h"
#include "program/sound/sound_calls.h"
#include "program/sound/sound_services.h"
#include "program/startup/yel_import.h"
#include "program/text/text_window.h"

namespace adv {
namespace {

constexpr int32_t kSeKindSoundTypeTable[kSeKindCount] = {kSoundTypeSe0, kSoundTypeSe1,
                                                         kSoundTypeSe2};
constexpr uint32_t kSettingVolume = 1u << 0;
constexpr uint32_t kSettingFrequency = 1u << 1;
constexpr uint32_t kSettingBoth = kSettingVolume | kSettingFrequency;
constexpr uint32_t kScriptFlagMask = 0xFFFF;
constexpr int32_t kMaxPlatformVolume = 10000;
constexpr uint32_t kDecideKeys = 0x800006;
constexpr uint32_t kWaitCutFadeMs = 1000;
constexpr uint32_t kRestoreFadeInMs = 2000;
constexpr uint32_t kWaitInputPause = 0xFFFFFFFF;  // button input pauses until the wait ends
// Skip bits under which an effect that neither loops nor asks to play is not played.
constexpr int32_t kSkipDropsEffects = SKIP_BIT_SKIP | SKIP_BIT_CTRL;

// volume % x 100, at most full scale.
int32_t CappedVolume(int32_t percent) {
  return static_cast<int32_t>(std::min<int64_t>(int64_t{percent} * 100, kMaxPlatformVolume));
}

bool PrefixBegins(const std::array<char, 32>& prefix, const char* name) {
  const size_t length = strnlen(prefix.data(), prefix.size());
  return std::strncmp(prefix.data(), name, length) == 0;
}

void ReleaseChannel(SeChannel& channel) {
  if (channel.handle != 0) yel::YelSoundRelease(channel.handle);
  channel = SeChannel{};
}

// The record's pan from the stored next pan, when the flags ask for it.
void TakePan(SoundState& state, SeChannel& channel) {
  if (!(channel.flags & kSeApplyPan)) return;
  channel.pan = state.next_se_pan;
  state.next_se_pan = 0;
  yel::YelSoundSetPanChannel(channel.handle, channel.pan);
}

void Start(const SeChannel& channel, uint32_t fade) {
  const auto loop = static_cast<int32_t>(channel.flags & kSeLoop);
  if (channel.flags & kSeFadeIn) {
    yel::YelSoundPlayFade(channel.handle, loop, fade);
  } else {
    yel::YelSoundPlay(channel.handle, loop);
  }
}

void EndWait(AdvContext& context) {
  context.buttons.input_block.duration = 0;
  context.sound.se_wait_channel = 0;
}

// The effect's file name: kept in the record for a string variable, else from "File.dat".
void RecordName(AdvContext& context, const SeChannel& channel, char (&name)[33]) {
  std::memset(name, 0, sizeof name);
  if (channel.file_id & kFileIdNameInRecord) {
    std::memcpy(name, channel.name.data(), strnlen(channel.name.data(), channel.name.size()));
    return;
  }
  AdvGetFileName(context, reinterpret_cast<uint8_t*>(name), channel.file_id, true);
}

// A given channel that holds a sound gives it up to the new effect; a loaded one is reported,
// since the script meant to keep it.
void ClearGivenChannel(AdvContext& context, const SePlayRequest& request) {
  SeChannel& channel = context.sound.se[request.ch];
  if (channel.handle == 0) return;
  if (channel.flags & kSoundLoadedOnly) {
    const int32_t level = request.setting ? kLogTrace : kLogError;
    AdvDebugPrint(level, "[%d]ch 指定したチャンネルは現在使用不可です [se_play_ex]", request.ch);
    if (!request.setting) AdvPrintCurrentText(context);
  }
  yel::YelSoundRelease(channel.handle);
  channel.handle = 0;
}

}  // namespace

int32_t SeKindSoundType(uint32_t kind) {
  return kSeKindSoundTypeTable[kind];
}

int32_t& SeKindVolume(SoundState& state, uint32_t kind) {
  return kind == 0 ? state.volumes.se0 : kind == 1 ? state.volumes.se1 : state.volumes.se2;
}

int32_t& SeKindSwitch(SoundState& state, uint32_t kind) {
  return kind == 0 ? state.switches.se0 : kind == 1 ? state.switches.se1 : state.switches.se2;
}

int32_t AdvSeFindFree(const SoundState& state) {
  for (int32_t ch = 0; ch < kSeChannelCount; ++ch) {
    if (state.se[ch].handle == 0) return ch;
  }
  return -1;
}

void AdvSeApplyVolume(SoundState& state, uint32_t handle, const char* name) {
  if (name) {
    bool matched = false;
    for (const SeInfoEntry& entry : state.se_info) {
      if (!entry.in_use || !PrefixBegins(entry.name, name)) continue;
      yel::YelSoundSetVolumeChannel(handle, CappedVolume(entry.volume));
      matched = true;
    }
    if (matched) return;
  }
  AdvSeApplyChannelSetting(state, handle);
}

void AdvSeApplyChannelSetting(SoundState& state, uint32_t handle) {
  if (handle == 0) return;
  for (int32_t ch = 0; ch < kSeChannelCount; ++ch) {
    if (state.se[ch].handle != handle) continue;
    const SeChannelSetting& setting = state.se_settings[ch];
    if (setting.flags & kSettingVolume) {
      yel::YelSoundSetVolumeChannel(handle, CappedVolume(setting.volume));
    }
    if (setting.flags & kSettingFrequency) {
      yel::YelSoundSetFreq(handle, static_cast<uint32_t>(setting.frequency));
    }
    return;
  }
}

float SeLoadRatio(const SeChannelSetting& setting) {
  return (setting.flags & kSettingVolume) ? static_cast<float>(setting.volume / 100.0) : 0.0f;
}

int32_t AdvSeWaitUpdate(AdvContext& context) {
  SoundState& state = context.sound;
  if (state.se_wait_channel == 0) return 0;
  if (state.se_wait_channel > static_cast<uint32_t>(kSeChannelCount)) {
    EndWait(context);
    return 0;
  }
  SeChannel& channel = state.se[state.se_wait_channel - 1];
  if (channel.handle != 0 && yel::YelSoundPlayIs(channel.handle)) {
    const uint32_t keys =
        context.buttons.input_mode ? yel::YelInputGetKeyPull() : yel::YelInputGetKeyPush();
    if (AdvSkipState(context) != 0 || (keys & kDecideKeys)) {
      yel::YelSoundStopFade(channel.handle, kWaitCutFadeMs);
      EndWait(context);
    } else {
      AdvRetryCommand(context);
    }
  } else {
    if (!(channel.flags & kSoundLoadedOnly)) {
      if (channel.handle != 0) yel::YelSoundRelease(channel.handle);
      channel.handle = 0;
    }
    EndWait(context);
  }
  context.script.stop = 1;
  return 1;
}

void AdvSeWaitSet(AdvContext& context, int32_t ch) {
  // A skip that rebuilds the scene runs on: a wait set now would hold the next SE command.
  if (AdvSkipState(context) & SKIP_MASK_FORCED) {
    context.sound.se_wait_channel = 0;
    return;
  }
  context.sound.se_wait_channel = static_cast<uint32_t>(ch) + 1;
  AdvRetryCommand(context);
  context.buttons.input_block = InputBlock{yel::YeltimeGetTime(), kWaitInputPause};
}

int32_t AdvSePlayFile(AdvContext& context, const SePlayRequest& request, char* name) {
  SoundState& state = context.sound;
  std::memset(name, 0, 32);
  int32_t ch = request.ch;
  if (ch == -1) {
    ch = AdvSeFindFree(state);
    if (ch < 0) {
      ch = 0;
      ReleaseChannel(state.se[0]);
    }
  } else if (ch < 0 || ch >= kSeChannelCount) {
    return -1;
  } else {
    ClearGivenChannel(context, request);
  }
  SeChannel& channel = state.se[ch];
  channel = SeChannel{};
  channel.flags = request.flags & kScriptFlagMask;
  if (SeDroppedWhileSkipping(context, channel.flags)) return ch;
  AdvGetFileName(context, reinterpret_cast<uint8_t*>(name), request.file, true);
  channel.file_id = request.file;
  channel.kind = request.kind;
  if (request.file & kFileIdNameInRecord) std::memcpy(channel.name.data(), name, 32);
  float ratio = 0.0f;
  if (request.setting) {
    state.se_settings[ch] = SeChannelSetting{kSettingBoth, std::max(request.setting->volume, 0),
                                             std::max(request.setting->frequency, 0)};
    if (request.setting->volume >= 100) ratio = static_cast<float>(request.setting->volume / 100.0);
  }
  channel.handle = AdvSoundLoad(context, name, SeKindSoundType(request.kind), nullptr, ratio);
  AdvSeStart(context, ch, request.fade, name);
  return ch;
}

void AdvSeStart(AdvContext& context, int32_t ch, uint32_t fade, const char* name) {
  SoundState& state = context.sound;
  SeChannel& channel = state.se[ch];
  TakePan(state, channel);
  AdvSeApplyVolume(state, channel.handle, name);
  state.se_wait_channel = 0;
  Start(channel, fade);
  if (channel.flags & kSeWait) AdvSeWaitSet(context, ch);
}

bool SeDroppedWhileSkipping(AdvContext& context, uint32_t flags) {
  return !(flags & (kSeLoop | kSePlayWhileSkipping)) &&
         (AdvSkipState(context) & kSkipDropsEffects) != 0;
}

bool AdvSeRestore(AdvContext& context) {
  SoundState& state = context.sound;
  bool reloading = true;
  for (int32_t ch = 0; ch < kSeChannelCount; ++ch) {
    SeChannel& channel = state.se[ch];
    channel.handle = 0;
    if (!reloading || channel.file_id == 0) continue;
    if (!(channel.flags & (kSeLoop | kSoundLoadedOnly))) continue;
    char name[33];
    RecordName(context, channel, name);
    channel.handle = AdvSoundLoad(context, name, SeKindSoundType(channel.kind), nullptr,
                                  SeLoadRatio(state.se_settings[ch]));
    if (channel.handle == 0) {
      AdvDebugPrint(kLogError, "load error : %s", name);
      reloading = false;
      continue;
    }
    AdvSeApplyVolume(state, channel.handle, name);
    if (channel.flags & kSeLoop) yel::YelSoundPlayFade(channel.handle, 1, kRestoreFadeInMs);
    if (channel.flags & kSeApplyPan) yel::YelSoundSetPanChannel(channel.handle, channel.pan);
  }
  return reloading;
}

}  // namespace adv
