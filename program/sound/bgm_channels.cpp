#include "program/sound/bgm_channels.h"

#include <cstring>

#include "program/game/adv_context.h"
#include "program/script/engine_log.h"
#include "program/script/script_names.h"
#include "program/script/skip_state.h"
#include "program/sound/sound_calls.h"
#include "program/sound/sound_services.h"
#include "program/startup/yel_import.h"

namespace adv {
namespace {

constexpr uint32_t kRestoreFadeInMs = 3000;
constexpr int32_t kParamInUse = 18;  // platform BGM channel parameter: reserved, loaded or playing
constexpr uint32_t kFadeStateOut = 2;

void ReleaseRecord(BgmChannel& channel) {
  if (channel.handle != 0) yel::YelSoundRelease(channel.handle);
  channel = BgmChannel{};
}

// The platform channel a BGM handle names (its low bits), or -1 for no handle.
int32_t PlatformChannel(uint32_t handle) {
  return handle == 0 ? -1 : static_cast<int32_t>(handle & 0x0FFFFFFF);
}

// Records that were started and whose platform channel is no longer in use are emptied. The
// channel is the one the record's own handle names: a piece started on platform channel 1 may
// live in record 0.
void ForgetFinishedRecords(SoundState& state) {
  for (BgmChannel& channel : state.bgm) {
    if (channel.flags & kBgmNoRestart) continue;
    const int32_t platform = PlatformChannel(channel.handle);
    if (platform < 0 || yel::YelSoundGetParam(platform, kParamInUse) == 0) channel = BgmChannel{};
  }
}

// The automatic choice of bgm_play: channel 0, with the piece that plays there moved to record 1
// while a platform channel is free for the new one, or every BGM stopped when none is.
void ChooseAutomaticChannel(SoundState& state) {
  ForgetFinishedRecords(state);
  const int32_t free = yel::YelSoundGetChannelCount(kSoundTypeBgm);
  if (free == 0) {
    yel::YelSoundReleaseEx(kSoundTypeBgm);
    state.bgm = {};
  } else if (free == 1 && state.bgm[1].handle == 0) {
    state.bgm[1] = state.bgm[0];
  }
}

// The record of `ch` is about to take a new sound: the one it holds goes first, unless the other
// record carries it on.
void ReleaseReplaced(SoundState& state, int32_t ch) {
  BgmChannel& channel = state.bgm[ch];
  if (channel.handle != 0 && state.bgm[1 - ch].handle != channel.handle) {
    yel::YelSoundRelease(channel.handle);
  }
  channel.handle = 0;
}

// The platform may hand out a channel that the other record still names after its sound
// stopped: that record is stale and is emptied.
void ForgetReusedHandle(SoundState& state, int32_t ch) {
  const uint32_t handle = state.bgm[ch].handle;
  BgmChannel& other = state.bgm[1 - ch];
  if (handle != 0 && other.handle == handle) other = BgmChannel{};
}

void StopRecord(BgmChannel& channel, uint32_t fade) {
  if (channel.handle != 0) {
    yel::YelSoundSetReserved(kSoundTypeBgm, channel.handle, 0);
    if (yel::YelSoundPlayIs(channel.handle)) {
      // A fade-out already running goes on unless the stop is immediate.
      const bool fading_out = yel::YelSoundGetState(channel.handle) == kFadeStateOut;
      if (!fading_out || fade == 0) yel::YelSoundStopFade(channel.handle, fade);
    }
  }
  channel.file_id = 0;
}

YelSoundLoopPoints PlatformLoopPoints(const BgmLoopPoints& points) {
  return YelSoundLoopPoints{points.use, static_cast<uint32_t>(points.start),
                            static_cast<uint32_t>(points.loop), static_cast<uint32_t>(points.end)};
}

}  // namespace

int32_t SoundPercentToPlatform(int32_t percent) {
  return static_cast<int32_t>(static_cast<uint32_t>(percent) * 100u);
}

void AdvBgmTypeVolumeApply(const SoundState& state) {
  yel::YelSoundSetVolume(state.volumes.bgm * state.switches.bgm, kSoundTypeBgm);
}

uint32_t AdvBgmLoadStream(AdvContext& context, const char* name, const BgmLoopPoints& points) {
  const YelSoundLoopPoints platform = PlatformLoopPoints(points);
  return AdvSoundLoad(context, name, kSoundTypeBgm, &platform);
}

uint32_t BgmFadeWhileSkipping(AdvContext& context, uint32_t fade) {
  return AdvSkipState(context) != 0 ? fade >> 4 : fade;
}

void BgmFadeStepAt(BgmChannel& channel, uint32_t now) {
  if ((channel.flags & kBgmFadeRunning) != kBgmFadeRunning) return;
  const uint32_t elapsed = now - channel.fade_start;
  if (elapsed < channel.fade_time) {
    const float part = static_cast<float>(elapsed) / static_cast<float>(channel.fade_time) *
                       static_cast<float>(channel.fade_delta);
    const int32_t volume = channel.volume + static_cast<int32_t>(part);
    yel::YelSoundSetVolumeChannel(channel.handle, SoundPercentToPlatform(volume));
    return;
  }
  channel.flags &= ~kBgmFadeRunning;
  channel.volume += channel.fade_delta;
  yel::YelSoundSetVolumeChannel(channel.handle, SoundPercentToPlatform(channel.volume));
}

void BgmVolumeFadeStart(BgmChannel& channel, int32_t volume, uint32_t time, uint32_t now) {
  if ((channel.flags & kBgmFadeRunning) == kBgmFadeRunning) {
    // The part of the old fade that has passed; all of it once its time is over (a fade of
    // time 0 ends in the step that starts it).
    const uint32_t elapsed = now - channel.fade_start;
    if (elapsed < channel.fade_time) {
      channel.volume +=
          static_cast<int32_t>(static_cast<float>(elapsed) / static_cast<float>(channel.fade_time) *
                               static_cast<float>(channel.fade_delta));
    } else {
      channel.volume += channel.fade_delta;
    }
  }
  channel.flags |= kBgmFadeRunning;
  channel.fade_delta = volume - channel.volume;
  channel.fade_time = time;
  channel.fade_start = now;
  BgmFadeStepAt(channel, now);
}

int32_t AdvBgmPlay(AdvContext& context, const BgmPlayRequest& request) {
  SoundState& state = context.sound;
  int32_t ch = request.ch;
  if (ch == -1) {
    ChooseAutomaticChannel(state);
    ch = 0;
  } else if (ch < 0 || ch >= kBgmChannelCount) {
    AdvDebugPrint(kLogError, "sound ch entry error [%d]", ch);
    return -1;
  }
  ReleaseReplaced(state, ch);
  BgmChannel& channel = state.bgm[ch];
  channel = BgmChannel{};
  channel.file_id = request.file;
  channel.flags = request.flags;
  channel.loop_points = request.points;
  channel.loop_points.use = (request.flags & kBgmUseLoopPoints) ? 1 : 0;
  channel.volume = 100;
  char name[32] = {};
  AdvGetFileName(context, reinterpret_cast<uint8_t*>(name), request.file, true);
  if (request.file & kFileIdNameInRecord) std::memcpy(channel.name.data(), name, sizeof name);
  channel.handle = AdvBgmLoadStream(context, name, channel.loop_points);
  ForgetReusedHandle(state, ch);
  const uint32_t fade = BgmFadeWhileSkipping(context, request.fade);
  yel::YelSoundPlayFade(channel.handle, static_cast<int32_t>(request.flags & kBgmLoop),
                        (request.flags & kBgmFadeIn) ? fade : 0);
  AdvDebugPrint(kLogTrace, "bgm_play  %d, %s, %d, %d, %d, %d, %d", ch, name, request.flags,
                request.fade, request.points.start, request.points.loop, request.points.end);
  return ch;
}

void AdvBgmStop(AdvContext& context, int32_t ch, uint32_t fade) {
  fade = BgmFadeWhileSkipping(context, fade);
  SoundState& state = context.sound;
  if (ch == -1) {
    StopRecord(state.bgm[1], fade);
    ch = 0;
  }
  StopRecord(state.bgm[ch], fade);
}

// Ducking and the restore of a snapshot are the BGM's answers to the voice and save code.

void AdvBgmDuck(SoundState& state, int32_t on) {
  const BgmAutoVolume& ducking = state.auto_volume;
  if (!ducking.enable) return;
  if (!on) {
    AdvBgmTypeVolumeApply(state);
    return;
  }
  // Single precision for the level, as the volume arithmetic was written; the product is
  // taken in double precision.
  const double level = static_cast<float>(ducking.level * ducking.on);
  const auto volume = static_cast<int32_t>(level * 0.01 * static_cast<float>(state.volumes.bgm));
  yel::YelSoundSetVolume(volume * state.switches.bgm, kSoundTypeBgm);
}

void AdvBgmFadeStep(BgmChannel& channel) {
  BgmFadeStepAt(channel, yel::YeltimeGetTime());
}

void AdvBgmResume(AdvContext&, BgmChannel& channel, bool restart) {
  yel::YelSoundSetVolumeChannel(channel.handle, SoundPercentToPlatform(channel.volume));
  if (!restart) return;
  yel::YelSoundPlayFade(channel.handle, 1, kRestoreFadeInMs);
  // Music saved while paused comes back paused; bgm_pause resumes it where it starts.
  if (channel.flags & kBgmRestorePaused) yel::YelSoundPause(channel.handle, 1, 0);
}

void AdvBgmAutoVolumeRestore(const SoundState& state) {
  if (state.auto_volume.on) AdvBgmTypeVolumeApply(state);
}

void AdvBgmReleaseAll(AdvContext& context) {
  for (BgmChannel& channel : context.sound.bgm) ReleaseRecord(channel);
  AdvBgmTypeVolumeApply(context.sound);
}

}  // namespace adv
