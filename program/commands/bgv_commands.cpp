// Commands of group 0x0D for background voices: play, stop, pause, enable, the type volume and
// mute, and the key that ties a background voice to a speaker's voices. A channel outside 0-7
// (but -1 where it stands for all) is logged at level 0 and refused.
#include <algorithm>
#include <cstring>
#include <string_view>

#include "program/commands/voice_commands.h"
#include "program/game/adv_context.h"
#include "program/script/command_args.h"
#include "program/script/script_names.h"
#include "program/script/skip_state.h"
#include "program/sound/background_voices.h"
#include "program/sound/name_prefix.h"
#include "program/sound/sound_services.h"
#include "program/startup/yel_import.h"

namespace adv {
namespace {

// Skip bits under which a fade-in is not waited for: skip mode, Control, forced skips.
constexpr int32_t kNoFadeSkipBits = 0x35;
constexpr int32_t kAllChannels = -1;
constexpr size_t kKeyLimit = 32;

bool ChannelIndex(int32_t ch) {
  return static_cast<uint32_t>(ch) < static_cast<uint32_t>(kBgvChannelCount);
}

// A channel argument where -1 stands for all eight; false, logged, for anything else outside.
bool ChannelOrAll(int32_t ch, const char* command) {
  if (ch == kAllChannels || ChannelIndex(ch)) return true;
  AdvDebugPrint(kLogError, "%s error : no channel %d", command, ch);
  return false;
}

bool Selected(int32_t ch, int32_t i) {
  return ch == kAllChannels || ch == i;
}

void ApplyBgvVolume(const SoundState& state) {
  yel::YelSoundSetVolume(state.volumes.bgv * state.switches.bgv, kSoundTypeBgv);
}

}  // namespace

int CmdBgvPlay(AdvContext& context) {
  auto [ch, file, flags, fade] = PopArgs<4>(context);
  SoundState& state = context.sound;
  if (ch == kAllChannels) ch = std::max(AdvBgvFindFree(state), 0);
  char name[kVoiceNameSize + 1] = {};
  if (!ChannelIndex(ch)) {
    AdvDebugPrint(kLogError, "bgv_play error : no channel %d", ch);
    SetCommandResult(context, -1);
    return 1;
  }
  BgvChannel& channel = state.bgv[ch];
  if (channel.handle != 0) {
    yel::YelSoundRelease(channel.handle);
    channel = BgvChannel{};  // settings too: a new background voice starts afresh
  }
  channel.file_id = static_cast<uint32_t>(file);
  channel.flags = static_cast<uint32_t>(flags);
  AdvGetFileName(context, reinterpret_cast<uint8_t*>(name), channel.file_id, true);
  channel.handle = AdvSoundLoad(context, name, kSoundTypeBgv, nullptr);
  if (channel.handle != 0) {
    const int32_t loop = (channel.flags & kBgvLoop) ? 1 : 0;
    if ((channel.flags & kBgvFadeIn) && !(AdvSkipState(context) & kNoFadeSkipBits)) {
      yel::YelSoundPlayFade(channel.handle, loop, static_cast<uint32_t>(fade));
    } else {
      yel::YelSoundPlay(channel.handle, loop);
    }
  } else if (state.voice_check) {
    AdvDebugPrint(kLogError, "voice file read : %s", name);
  }
  AdvDebugPrint(kLogTrace, "bgv_play %d, %s, %d, %d", ch, name, flags, fade);
  SetCommandResult(context, ch);
  return 1;
}

int CmdBgvStop(AdvContext& context) {
  auto [ch, fade] = PopArgs<2>(context);
  AdvDebugPrint(kLogTrace, "bgv_stop  %d, %d", ch, fade);
  if (!ChannelOrAll(ch, "bgv_stop")) return 1;
  SoundState& state = context.sound;
  if (state.switches.bgv == 0) fade = 0;
  const bool skipping = AdvSkipState(context) != 0;
  for (int32_t i = 0; i < kBgvChannelCount; ++i) {
    if (!Selected(ch, i)) continue;
    BgvChannel& channel = state.bgv[i];
    if (channel.handle != 0) {
      channel.flags &= ~kBgvLoop;
      if (fade != 0 && !skipping) {
        // Released by the pass once silent, which a voice must not hold off by pausing it.
        channel.auto_pause = 0;
        yel::YelSoundStopFade(channel.handle, static_cast<uint32_t>(fade));
        continue;
      }
      yel::YelSoundRelease(channel.handle);
    }
    channel.handle = 0;
    channel.file_id = 0;
    channel.flags = 0;
    channel.reserved = {};
  }
  return 1;
}

int CmdBgvEnable(AdvContext& context) {
  const auto [ch, value] = PopArgs<2>(context);
  AdvDebugPrint(kLogTrace, "bgv_enable %d, %d", ch, value);
  if (!ChannelOrAll(ch, "bgv_enable")) return 1;
  for (int32_t i = 0; i < kBgvChannelCount; ++i) {
    if (Selected(ch, i)) context.sound.bgv[i].enable = value;
  }
  return 1;
}

int CmdBgvPause(AdvContext& context) {
  const auto [ch, pause, fade] = PopArgs<3>(context);
  AdvDebugPrint(kLogTrace, "bgv_pause %d, %d, %d", ch, pause, fade);
  if (!ChannelOrAll(ch, "bgv_pause")) return 1;
  for (int32_t i = 0; i < kBgvChannelCount; ++i) {
    BgvChannel& channel = context.sound.bgv[i];
    if (!Selected(ch, i) || channel.handle == 0 || channel.paused == pause) continue;
    channel.paused = pause;
    yel::YelSoundPause(channel.handle, pause, static_cast<uint32_t>(fade));
  }
  return 1;
}

int CmdBgvMute(AdvContext& context) {
  const int32_t mute = PopArg(context);
  context.sound.switches.bgv = mute ? 0 : 1;
  ApplyBgvVolume(context.sound);
  AdvDebugPrint(kLogTrace, "bgv_mute %d", mute);
  return 1;
}

int CmdSetBgvVolume(AdvContext& context) {
  const int32_t volume = PopArg(context) * 100;
  context.sound.volumes.bgv = volume;
  ApplyBgvVolume(context.sound);
  AdvDebugPrint(kLogTrace, "set_bgv_volume %d", volume);
  return 1;
}

int CmdGetBgvVolume(AdvContext& context) {
  const int32_t result = context.sound.volumes.bgv / 100;
  SetCommandResult(context, result);
  AdvDebugPrint(kLogTrace, "[%d] get_bgv_volume", result);
  return 1;
}

int CmdSetBgvAutoVolume(AdvContext& context) {
  const auto [ch, file] = PopArgs<2>(context);
  if (!ChannelIndex(ch)) {
    AdvDebugPrint(kLogError, "set_bgv_auto_volume error : failed ch %d", ch);
    SetCommandResult(context, 0);
    return 1;
  }
  char key[kVoiceNameSize + 1] = {};
  AdvGetFileName(context, reinterpret_cast<uint8_t*>(key), static_cast<uint32_t>(file), false);
  const std::string_view text(key, std::strlen(key));
  if (text.size() >= kKeyLimit) {
    AdvDebugPrint(kLogError, "set_bgv_auto_volume_key : size over[%s]", key);
    SetCommandResult(context, 0);
    return 1;
  }
  SoundState& state = context.sound;
  BgvChannel& channel = state.bgv[ch];
  StoreFieldText(channel.key, text);
  channel.auto_pause = 1;
  // A voice of the speaker that already plays holds it at once.
  for (int32_t v = 0; v < kVoiceSetChannelCount; ++v) {
    const VoiceChannel& voice = state.voice[v];
    if (voice.handle != 0 && NamePrefixMatches(text, FieldText(voice.name))) {
      yel::YelSoundPause(channel.handle, 1, kBgvVoicePauseFadeMs);
    }
  }
  AdvDebugPrint(kLogTrace, "set_bgv_auto_volume %d, %s", ch, key);
  return 1;
}

}  // namespace adv
