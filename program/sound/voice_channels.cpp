#include "program/sound/voice_channels.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <span>

#include "program/data/string_helpers.h"
#include "program/game/adv_context.h"
#include "program/script/engine_log.h"
#include "program/script/script_run.h"
#include "program/script/skip_state.h"
#include "program/sound/sound_calls.h"
#include "program/sound/sound_services.h"
#include "program/sound/voice_load_worker.h"
#include "program/startup/yel_import.h"

namespace adv {
namespace {

constexpr uint32_t kDecideKeys = 0x800006;
// Skip bits under which a line's voice is not loaded: skip mode, Control, forced skips.
constexpr int32_t kNoVoiceLoadSkipBits = 0x35;
constexpr int32_t kLoneVoiceChannel = 8;
constexpr const char* kSoundExtensions[] = {".ogg", ".wav"};
constexpr char kVoicePackProbeName[] = "VO_VOICEPACK_0001";

// Main thread only: set by the voiced line around its voice load.
std::atomic<bool> g_load_pending{false};
// Written once at start-up.
std::atomic<bool> g_voice_pack{false};

// A platform channel is never dropped while it holds a sound: the old one is released first.
void StoreHandle(VoiceChannel& channel, uint32_t handle) {
  if (channel.handle != 0 && channel.handle != handle) yel::YelSoundRelease(channel.handle);
  channel.handle = handle;
}

void ReleaseChannel(VoiceChannel& channel) {
  if (channel.handle != 0) yel::YelSoundRelease(channel.handle);
  channel = VoiceChannel{};
}

void CopyName(VoiceChannel& channel, const char* name) {
  channel.name.fill(0);
  std::memcpy(channel.name.data(), name, strnlen(name, channel.name.size() - 1));
}

void StartChannel(uint32_t handle, uint32_t flags, uint32_t fade) {
  const int32_t loop = (flags & kVoiceLoop) ? 1 : 0;
  if (flags & kVoiceFadeIn) {
    yel::YelSoundPlayFade(handle, loop, fade);
  } else {
    yel::YelSoundPlay(handle, loop);
  }
}

void LogUnreadable(const SoundState& state, const char* name) {
  if (state.voice_check) AdvDebugPrint(kLogError, "voice file read : %s", name);
}

// Speaker volume and autopan of a voice that loaded.
void ShapeVoice(SoundState& state, VoiceChannel& channel, const char* name, uint32_t flags) {
  if (!(flags & kVoiceNoSpeakerVolume)) AdvSpeakerVolumeApply(state, channel.handle, name);
  if (!(flags & kVoiceNoAutopan) && state.autopan_enable &&
      AdvAutopanMatch(state, name, channel.pan)) {
    AdvVoiceAutopanUpdate(state, channel.handle, channel.pan);
  }
}

// How a voice start loads: while a scene or history skip rebuilds the scene nothing loads.
struct VoiceLoading {
  bool rebuilding = false;
  bool fill_names = false;  // the channels keep the names they were started with
  uint32_t Load(const char* name) const {
    return rebuilding ? 0 : SoundLoadFile(name, kSoundTypeVoice, nullptr, 0.0f);
  }
};

int32_t LoadSingle(SoundState& state, int32_t ch, const char* name, uint32_t flags,
                   const VoiceLoading& loading) {
  const uint32_t handle = loading.Load(name);
  if (handle == 0) {
    LogUnreadable(state, name);
    return kVoiceNotLoaded;
  }
  VoiceChannel& channel = state.voice[ch];
  StoreHandle(channel, handle);
  if (loading.fill_names) CopyName(channel, name);
  ShapeVoice(state, channel, name, flags);
  if (!(flags & kVoiceNoDucking) && ch != kLoneVoiceChannel) AdvBgmDuck(state, 1);
  AdvBgvPauseForVoice(state, name);
  if (flags & kVoiceWait) state.voice_wait_mask |= 1u << ch;
  return kVoiceStarted;
}

// The members of a set on channels 0-7, which are emptied first; the background voices are not
// paused for a set. The mask of the channels that got a sound.
uint32_t LoadSet(SoundState& state, const VoiceSet& set, uint32_t flags,
                 const VoiceLoading& loading) {
  for (int32_t i = 0; i < kVoiceSetChannelCount; ++i) ReleaseChannel(state.voice[i]);
  AdvBgvPauseForVoice(state, nullptr);
  uint32_t loaded = 0;
  for (int32_t i = 0; i < set.count; ++i) {
    const char* name = set.names[i].data();
    VoiceChannel& channel = state.voice[i];
    channel.handle = loading.Load(name);
    if (channel.handle != 0) {
      loaded |= 1u << i;
      ShapeVoice(state, channel, name, flags);
    } else {
      LogUnreadable(state, name);
    }
    if (loading.fill_names) CopyName(channel, name);
    if (flags & kVoiceWait) state.voice_wait_mask |= 1u << i;
  }
  if (!(flags & kVoiceNoDucking) && state.auto_volume.enable) AdvBgmDuck(state, 1);
  return loaded;
}

bool ValidChannel(int32_t ch) {
  return ch >= 0 && ch < kVoiceChannelCount;
}

}  // namespace

bool VoiceSetRead(const char* name, VoiceSet& set) {
  char path[64];
  if (std::snprintf(path, sizeof(path), "%s.mix", name) >= static_cast<int>(sizeof(path))) {
    return false;
  }
  YelFileEntry entry{};
  YelFile* file = yel::YelFileCreate(path, &entry);
  if (!file) return false;
  set = VoiceSet{};
  uint32_t consumed = 0;
  while (set.count < kVoiceSetChannelCount && consumed < entry.size) {
    auto& record = set.names[set.count];
    uint32_t got = 0;
    if (!yel::YelFileRead(file, record.data(), kVoiceSetRecordSize, &got) ||
        got < static_cast<uint32_t>(kVoiceSetRecordSize)) {
      record.fill(0);
      break;
    }
    record[kVoiceSetRecordSize] = 0;
    StrUpper(std::span<char>(record));
    consumed += kVoiceSetRecordSize;
    ++set.count;
  }
  yel::YelFileClose(file);
  return true;
}

int32_t AdvVoiceSkipCheck(AdvContext& context, const char* name) {
  if (!(AdvSkipState(context) & kNoVoiceLoadSkipBits)) return kVoiceStarted;
  const bool of_pack = std::strncmp(name, kVoicePackPrefix, kVoicePackPrefixLength) == 0;
  return of_pack && !AdvVoicePackIs() ? kVoiceNotLoaded : kVoiceSkipped;
}

int32_t AdvVoicePlay(AdvContext& context, int32_t ch, const char* name, uint32_t flags,
                     uint32_t fade, bool skip_check) {
  SoundState& state = context.sound;
  state.voice_wait_mask = 0;
  if (!name || name[0] == 0 || !ValidChannel(ch)) return kVoiceNotLoaded;
  if (skip_check) {
    const int32_t rule = AdvVoiceSkipCheck(context, name);
    if (rule == kVoiceSkipped) AdvVoiceCheck(state, name, 1);
    if (rule != kVoiceStarted) return rule;
  }
  const VoiceLoading loading{(AdvSkipState(context) & SKIP_MASK_FORCED) != 0, true};
  VoiceSet set;
  if (!VoiceSetRead(name, set)) {
    const int32_t result = LoadSingle(state, ch, name, flags, loading);
    if (result == kVoiceStarted) StartChannel(state.voice[ch].handle, flags, fade);
    return result;
  }
  // The voices a set replaces are gone before their hook's end label is asked for.
  for (int32_t i = 0; i < kVoiceSetChannelCount; ++i) ReleaseChannel(state.voice[i]);
  AdvVoiceMixRunEnd(context);
  VoiceStartLoaded(state, LoadSet(state, set, flags, loading), flags, fade);
  return kVoiceStarted;
}

int32_t VoiceLoadInto(SoundState& state, int32_t ch, const char* name, uint32_t flags,
                      uint32_t& loaded) {
  loaded = 0;
  if (!name || name[0] == 0 || !ValidChannel(ch)) return kVoiceNotLoaded;
  // The voiced line posts no load while skipping, so the job loads what it is given.
  const VoiceLoading loading{false, false};
  VoiceSet set;
  if (VoiceSetRead(name, set)) {
    loaded = LoadSet(state, set, flags, loading);
    return kVoiceStarted;
  }
  const int32_t result = LoadSingle(state, ch, name, flags, loading);
  if (result == kVoiceStarted) loaded = 1u << ch;
  return result;
}

void VoiceStartLoaded(SoundState& state, uint32_t loaded, uint32_t flags, uint32_t fade) {
  for (int32_t ch = 0; ch < kVoiceChannelCount; ++ch) {
    if ((loaded & (1u << ch)) && state.voice[ch].handle != 0) {
      StartChannel(state.voice[ch].handle, flags, fade);
    }
  }
}

void AdvVoiceStop(AdvContext& context, int32_t n) {
  if (n < -1 || n >= kVoiceChannelCount) return;
  SoundState& state = context.sound;
  const int32_t first = n < 0 ? 0 : n;
  const int32_t last = n < 0 ? kVoiceSetChannelCount - 1 : n;
  for (int32_t ch = first; ch <= last; ++ch) {
    if (state.voice[ch].handle != 0) ReleaseChannel(state.voice[ch]);
  }
  // Asked while the stopped voices still played, the hook would see them and never end.
  AdvVoiceMixRunEnd(context);
  if (n != kLoneVoiceChannel) AdvBgvPauseForVoice(state, nullptr);
}

void AdvVoiceUpdate(SoundState& state) {
  bool any_playing = false;
  for (int32_t ch = 0; ch < kVoiceChannelCount; ++ch) {
    VoiceChannel& channel = state.voice[ch];
    if (channel.handle == 0) continue;
    if (yel::YelSoundPlayIs(channel.handle)) {
      any_playing = true;
      if (state.autopan_enable && channel.pan.state == 2) {
        AdvVoiceAutopanUpdate(state, channel.handle, channel.pan);
      }
      continue;
    }
    if (ch != kLoneVoiceChannel) AdvBgvPauseForVoice(state, nullptr);
    yel::YelSoundRelease(channel.handle);
    channel.handle = 0;  // the name and the pan block stay
  }
  if (!any_playing && state.auto_volume.enable) {
    yel::YelSoundSetVolume(state.volumes.bgm * state.switches.bgm, kSoundTypeBgm);
  }
  AdvBgvUpdate(state);
}

int32_t AdvVoiceWaitUpdate(AdvContext& context) {
  SoundState& state = context.sound;
  if (state.voice_wait_mask == 0) return 0;
  const uint32_t keys =
      context.buttons.input_mode ? yel::YelInputGetKeyPull() : yel::YelInputGetKeyPush();
  const int32_t skip = AdvSkipState(context);
  const bool cut = (keys & kDecideKeys) != 0 || skip != 0;
  for (int32_t ch = 0; ch < kVoiceChannelCount; ++ch) {
    const uint32_t bit = 1u << ch;
    if (!(state.voice_wait_mask & bit)) continue;
    VoiceChannel& channel = state.voice[ch];
    if (channel.handle != 0 && yel::YelSoundPlayIs(channel.handle)) {
      if (!cut) continue;
      state.voice_wait_mask &= ~bit;
      yel::YelSoundStopFade(channel.handle, kVoiceFadeOutMs);
    } else {
      state.voice_wait_mask &= ~bit;
      ReleaseChannel(channel);
    }
  }
  if (state.voice_wait_mask == 0) {
    context.buttons.input_block.duration = 0;
  } else {
    AdvRetryCommand(context);
  }
  context.script.stop = 1;
  return 1;
}

void AdvVoiceStopWaited(SoundState& state) {
  for (int32_t ch = 0; ch < kVoiceChannelCount; ++ch) {
    const uint32_t handle = state.voice[ch].handle;
    if ((state.voice_wait_mask & (1u << ch)) && handle != 0 && yel::YelSoundPlayIs(handle)) {
      yel::YelSoundStopFade(handle, kVoiceFadeOutMs);
    }
  }
  state.voice_wait_mask = 0;
}

void AdvVoiceReleaseAll(AdvContext& context) {
  VoiceLoadSettle();
  AdvVoiceLoadPendingSet(false);
  SoundState& state = context.sound;
  for (BgvChannel& channel : state.bgv) {
    if (channel.handle != 0) yel::YelSoundRelease(channel.handle);
    channel = BgvChannel{};
  }
  AdvBgvEnableAll(state);
  for (VoiceChannel& channel : state.voice) ReleaseChannel(channel);
  state.voice_wait_mask = 0;
  state.autopan = {};
}

int32_t AdvVoicePackProbe() {
  for (const char* extension : kSoundExtensions) {
    char path[32];
    std::snprintf(path, sizeof(path), "%s%s", kVoicePackProbeName, extension);
    if (YelFile* file = yel::YelFileCreate(path, nullptr)) {
      yel::YelFileClose(file);
      return 1;
    }
  }
  return 0;
}

void AdvVoiceInitialize(SoundState& state) {
  g_voice_pack.store(AdvVoicePackProbe() != 0);
  state.bgv = {};
  AdvBgvEnableAll(state);
}

bool AdvVoicePackIs() {
  return g_voice_pack.load();
}
void AdvVoiceLoadPendingSet(bool pending) {
  g_load_pending.store(pending);
}
bool AdvVoiceLoadPendingGet() {
  return g_load_pending.load();
}

void AdvVoiceCheck(const SoundState& state, const char* name, int32_t mode) {
  if (!state.voice_check) return;
  if (mode == 0) {
    AdvDebugPrint(kLogError, "voice file read : %s", name);
  } else if (mode == 1) {
    VoiceSet set;
    VoiceSetRead(name, set);
  }
}

int32_t AdvVoiceFindFree(const SoundState& state) {
  for (int32_t ch = 0; ch < kVoiceSetChannelCount; ++ch) {
    if (state.voice[ch].handle == 0) return ch;
  }
  return -1;
}

bool AdvVoiceIsPlaying(const SoundState& state) {
  for (int32_t ch = 0; ch < kVoiceSetChannelCount; ++ch) {
    const uint32_t handle = state.voice[ch].handle;
    if (handle != 0 && yel::YelSoundPlayIs(handle)) return true;
  }
  return false;
}

bool AdvVoiceIsAudible(const SoundState& state) {
  if (state.volumes.master * state.switches.master < 1 ||
      state.volumes.voice * state.switches.voice < 1) {
    return false;
  }
  for (int32_t ch = 0; ch < kVoiceSetChannelCount; ++ch) {
    const uint32_t handle = state.voice[ch].handle;
    if (handle != 0 && yel::YelSoundGetVolumeChannel(handle) > 0) return true;
  }
  return false;
}

}  // namespace adv
