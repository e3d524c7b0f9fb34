// Command group 0x05 (`CmdGroupSe`): sound effects loaded and played on the 16 channels, the SE
// wait, volumes per kind, per channel and per file-name class, pan and frequency.
#include <algorithm>
#include <cstring>
#include <iterator>

#include "program/game/adv_context.h"
#include "program/script/command_args.h"
#include "program/script/command_table.h"
#include "program/script/script_names.h"
#include "program/script/skip_state.h"
#include "program/sound/bgm_channels.h"
#include "program/sound/autopan.h"
#include "program/sound/sound_calls.h"
#include "program/sound/sound_effects.h"
#include "program/sound/sound_services.h"
#include "program/startup/yel_import.h"

namespace adv {
namespace {

constexpr int32_t kReleaseClass = 0x0FFFFFFF;  // the file argument of set_se_info that clears
constexpr uint32_t kSettingVolume = 1u << 0;
constexpr uint32_t kSettingFrequency = 1u << 1;

// A channel 0-15 (or -1 where it stands for every channel); anything else is logged with the
// command's name and refused.
bool SeChannelArgument(int32_t ch, bool minus_one, const char* command) {
  if ((ch >= 0 && ch < kSeChannelCount) || (minus_one && ch == -1)) return true;
  AdvDebugPrint(kLogError, "channel error : %s [%d]", command, ch);
  return false;
}

bool SeKindArgument(int32_t kind, const char* command) {
  if (kind >= 0 && kind < kSeKindCount) return true;
  AdvDebugPrint(kLogError, "*** channel error %s [%d]", command, kind);
  return false;
}

// A volume class 0-3; anything else is logged with the command's own text.
bool SeClassArgument(int32_t index, const char* command) {
  if (index >= 0 && index < kSeInfoCount) return true;
  AdvDebugPrint(kLogError, "channel error : %s[%d]", command, index);
  return false;
}

// The channels a -1 or a single channel names.
template <typename Fn>
void ForChannels(int32_t ch, Fn&& fn) {
  const int32_t first = ch < 0 ? 0 : ch;
  const int32_t last = ch < 0 ? kSeChannelCount - 1 : ch;
  for (int32_t n = first; n <= last; ++n) fn(n);
}

int CmdSeLoad(AdvContext& context) {
  const auto [file, ch, kind] = PopArgs<3>(context);
  if (!SeChannelArgument(ch, false, "se_load") || !SeKindArgument(kind, "se_load")) return 0;
  SoundState& state = context.sound;
  SeChannel& channel = state.se[ch];
  // The sound the channel held goes first, playing or not.
  if (channel.handle != 0) yel::YelSoundRelease(channel.handle);
  channel = SeChannel{};
  channel.file_id = static_cast<uint32_t>(file);
  channel.flags = kSoundLoadedOnly;
  channel.kind = static_cast<uint32_t>(kind);
  char name[32] = {};
  AdvGetFileName(context, reinterpret_cast<uint8_t*>(name), channel.file_id, true);
  if (channel.file_id & kFileIdNameInRecord) std::memcpy(channel.name.data(), name, sizeof name);
  channel.handle = AdvSoundLoad(context, name, SeKindSoundType(channel.kind), nullptr,
                                SeLoadRatio(state.se_settings[ch]));
  AdvSeApplyVolume(state, channel.handle, name);
  AdvDebugPrint(kLogTrace, "se_load  %s, %d, %d", name, ch, kind);
  return 1;
}

int CmdSePlay(AdvContext& context) {
  if (AdvSeWaitUpdate(context)) return 1;
  const auto [ch, flags, fade] = PopArgs<3>(context);
  AdvDebugPrint(kLogTrace, "se_play  %d, %d, %d", ch, flags, fade);
  if (!SeChannelArgument(ch, false, "se_play")) return 0;
  SoundState& state = context.sound;
  SeChannel& channel = state.se[ch];
  channel.flags = (static_cast<uint32_t>(flags) & 0xFFFF) | (channel.flags & kSoundLoadedOnly);
  if (SeDroppedWhileSkipping(context, channel.flags)) return 1;
  AdvSeStart(context, ch, static_cast<uint32_t>(fade), nullptr);
  return 1;
}

int PlayFromFile(AdvContext& context, SePlayRequest& request, int32_t ch, int32_t kind) {
  if (!SeChannelArgument(ch, true, request.command) || !SeKindArgument(kind, request.command)) {
    return 0;
  }
  request.ch = ch;
  request.kind = static_cast<uint32_t>(kind);
  char name[32];
  const int32_t used = AdvSePlayFile(context, request, name);
  SetCommandResult(context, used);
  if (request.setting) {
    AdvDebugPrint(kLogTrace, "se_play_ch_ex [%d]ch  %s, %d, %d, %d, %d, %d", used, name,
                  request.flags, request.fade, kind, request.setting->volume,
                  request.setting->frequency);
  } else {
    AdvDebugPrint(kLogTrace, "se_play_ex [%d]ch  %s, %d, %d, %d", used, name, request.flags,
                  request.fade, kind);
  }
  return 1;
}

int CmdSePlayEx(AdvContext& context) {
  if (AdvSeWaitUpdate(context)) return 1;
  const auto [ch, file, flags, fade, kind] = PopArgs<5>(context);
  SePlayRequest request;
  request.file = static_cast<uint32_t>(file);
  request.flags = static_cast<uint32_t>(flags);
  request.fade = static_cast<uint32_t>(fade);
  return PlayFromFile(context, request, ch, kind);
}

int CmdSePlayChEx(AdvContext& context) {
  if (AdvSeWaitUpdate(context)) return 1;
  const auto [ch, file, flags, fade, kind, volume, frequency] = PopArgs<7>(context);
  const SeChannelSetting setting{0, volume, frequency};
  SePlayRequest request;
  request.file = static_cast<uint32_t>(file);
  request.flags = static_cast<uint32_t>(flags);
  request.fade = static_cast<uint32_t>(fade);
  request.setting = &setting;
  request.command = "se_play_ch_ex";
  return PlayFromFile(context, request, ch, kind);
}

int CmdSeStop(AdvContext& context) {
  const auto [ch, fade] = PopArgs<2>(context);
  AdvDebugPrint(kLogTrace, "se_stop  %d, %d", ch, fade);
  if (!SeChannelArgument(ch, true, "se_stop")) return 0;
  SoundState& state = context.sound;
  const bool fade_out = fade != 0 && AdvSkipState(context) == 0;
  ForChannels(ch, [&](int32_t n) {
    SeChannel& channel = state.se[n];
    channel.flags &= ~kSeLoop;
    state.se_settings[n] = SeChannelSetting{};
    if (channel.handle == 0) return;
    if (fade_out) {
      // The per-frame pass releases it once it is silent; a loaded channel keeps it.
      yel::YelSoundStopFade(channel.handle, static_cast<uint32_t>(fade));
    } else if (channel.flags & kSoundLoadedOnly) {
      yel::YelSoundStop(channel.handle);
    } else {
      yel::YelSoundRelease(channel.handle);
      channel = SeChannel{};
    }
  });
  return 1;
}

int CmdSeSetVolume(AdvContext& context) {
  const auto [volume, kind] = PopArgs<2>(context);
  if (!SeKindArgument(kind, "se_set_volume")) return 0;
  SoundState& state = context.sound;
  const auto k = static_cast<uint32_t>(kind);
  SeKindVolume(state, k) = SoundPercentToPlatform(volume);
  yel::YelSoundSetVolume(SeKindSwitch(state, k) * SeKindVolume(state, k), SeKindSoundType(k));
  AdvDebugPrint(kLogTrace, "se_set_volume %d", SeKindVolume(state, k));
  return 1;
}

int CmdSeGetVolume(AdvContext& context) {
  const int32_t kind = PopArg(context);
  if (!SeKindArgument(kind, "se_get_volume")) return 0;
  const int32_t volume = SeKindVolume(context.sound, static_cast<uint32_t>(kind)) / 100;
  SetCommandResult(context, volume);
  AdvDebugPrint(kLogTrace, "[%d] se_get_volume", volume);
  return 1;
}

int CmdSeUnload(AdvContext& context) {
  const int32_t ch = PopArg(context);
  if (!SeChannelArgument(ch, true, "se_unload")) return 0;
  SoundState& state = context.sound;
  const bool rebuilding = (AdvSkipState(context) & SKIP_MASK_FORCED) != 0;
  ForChannels(ch, [&](int32_t n) {
    SeChannel& channel = state.se[n];
    if (channel.handle != 0) {
      yel::YelSoundRelease(channel.handle);
      channel = SeChannel{};
    } else if (rebuilding) {
      channel = SeChannel{};
    }
  });
  AdvDebugPrint(kLogTrace, "se_unload %d", ch);
  return 1;
}

int CmdSeWait(AdvContext& context) {
  if (AdvSeWaitUpdate(context)) return 1;
  const int32_t ch = PopArg(context);
  AdvDebugPrint(kLogTrace, "se_wait  %d", ch);
  if (!SeChannelArgument(ch, false, "se_wait")) return 0;
  AdvSeWaitSet(context, ch);
  return 1;
}

int CmdSetSeInfo(AdvContext& context) {
  const auto [index, file, volume, enable] = PopArgs<4>(context);
  if (!SeClassArgument(index, "set_se_info")) return 1;
  SeInfoEntry& entry = context.sound.se_info[index];
  if (file == kReleaseClass) {
    entry.in_use = entry.enable = entry.volume = 0;
    AdvDebugPrint(kLogTrace, "set_se_info  relase");
    return 1;
  }
  entry.enable = enable;
  entry.in_use = 1;
  entry.volume = volume;
  AdvGetFileName(context, reinterpret_cast<uint8_t*>(entry.name.data()),
                 static_cast<uint32_t>(file), false);
  entry.name.back() = 0;
  AdvDebugPrint(kLogTrace, "set_se_info  %d, %s, %d, %d", index, entry.name.data(), volume, enable);
  return 1;
}

// The class an index names when it is in use; null (logged with `unused`) otherwise.
SeInfoEntry* ClassInUse(AdvContext& context, int32_t index, const char* command,
                        const char* unused) {
  if (!SeClassArgument(index, command)) return nullptr;
  SeInfoEntry& entry = context.sound.se_info[index];
  if (entry.in_use) return &entry;
  AdvDebugPrint(kLogError, "initialize error : %s [%d]", unused, index);
  return nullptr;
}

int CmdGetSeExVolume(AdvContext& context) {
  const int32_t index = PopArg(context);
  const SeInfoEntry* entry = ClassInUse(context, index, "get_se_ex_volume", "_se_enable");
  if (!entry) return 1;
  SetCommandResult(context, entry->volume);
  AdvDebugPrint(kLogTrace, "[%d] get_se_ex_volume %d", entry->volume, index);
  return 1;
}

int CmdSetSeExVolume(AdvContext& context) {
  const auto [index, volume] = PopArgs<2>(context);
  if (!SeClassArgument(index, "set_se_ex_volume")) return 1;
  SeInfoEntry& entry = context.sound.se_info[index];
  entry.in_use = 1;
  entry.enable = 1;
  entry.volume = volume;
  AdvDebugPrint(kLogTrace, "set_se_ex_volume %d, %d", index, volume);
  return 1;
}

int CmdSeEnable(AdvContext& context) {
  const auto [index, enable] = PopArgs<2>(context);
  SeInfoEntry* entry = ClassInUse(context, index, "se_enable", "se_enable");
  if (!entry) return 1;
  entry->enable = enable;
  AdvDebugPrint(kLogTrace, "se_enable  %d, %d", index, enable);
  return 1;
}

int CmdIsSeEnable(AdvContext& context) {
  const int32_t index = PopArg(context);
  if (!SeClassArgument(index, "is_se_enable")) return 1;
  const SeInfoEntry& entry = context.sound.se_info[index];
  int32_t result = -1;
  if (entry.in_use) {
    result = entry.enable;
  } else {
    AdvDebugPrint(kLogError, "initialize error : se_enable [%d]", index);
  }
  SetCommandResult(context, result);
  AdvDebugPrint(kLogTrace, "[%d] is_se_enable  %d, %d", result, index, entry.in_use);
  return 1;
}

int CmdSeSetPan(AdvContext& context) {
  const int32_t position = PopArg(context);
  SoundState& state = context.sound;
  state.next_se_pan = AdvPanFromPosition(state, position);
  AdvDebugPrint(kLogTrace, "se_set_pan  %d", state.next_se_pan);
  return 1;
}

int CmdSeMute(AdvContext& context) {
  const auto [mute, kind] = PopArgs<2>(context);
  if (!SeKindArgument(kind, "se_mute")) return 0;
  SoundState& state = context.sound;
  const auto k = static_cast<uint32_t>(kind);
  SeKindSwitch(state, k) = mute ? 0 : 1;
  yel::YelSoundSetVolume(SeKindVolume(state, k) * SeKindSwitch(state, k), SeKindSoundType(k));
  AdvDebugPrint(kLogTrace, "se_mute %d, %d", mute, kind);
  return 1;
}

int CmdSeSetFreq(AdvContext& context) {
  const auto [ch, frequency, apply] = PopArgs<3>(context);
  AdvDebugPrint(kLogTrace, "se_set_freq  %d, %d", ch, frequency);
  if (!SeChannelArgument(ch, false, "se_set_freq")) return 0;
  SeChannelSetting& setting = context.sound.se_settings[ch];
  setting.flags =
      frequency >= 1 ? setting.flags | kSettingFrequency : setting.flags & ~kSettingFrequency;
  setting.frequency = std::max(frequency, 0);
  if (apply) {
    yel::YelSoundSetFreq(context.sound.se[ch].handle, static_cast<uint32_t>(setting.frequency));
  }
  return 1;
}

int CmdSeGetChFreq(AdvContext& context) {
  const int32_t ch = PopArg(context);
  if (!SeChannelArgument(ch, false, "se_get_ch_freq")) return 0;
  const int32_t frequency = yel::YelSoundGetFreq(context.sound.se[ch].handle);
  SetCommandResult(context, frequency);
  AdvDebugPrint(kLogTrace, "se_get_ch_freq  %d => [%d]", ch, frequency);
  return 1;
}

int CmdSeSetChVolume(AdvContext& context) {
  const auto [ch, volume, apply] = PopArgs<3>(context);
  AdvDebugPrint(kLogTrace, "se_set_ch_volume  %d, %d, %d", ch, volume, apply);
  if (!SeChannelArgument(ch, false, "se_set_ch_volume")) return 0;
  SoundState& state = context.sound;
  SeChannelSetting& setting = state.se_settings[ch];
  setting.flags = volume >= 0 ? setting.flags | kSettingVolume : setting.flags & ~kSettingVolume;
  setting.volume = std::max(volume, 0);
  if (apply) AdvSeApplyChannelSetting(state, state.se[ch].handle);
  return 1;
}

constexpr CommandHandler kSeCommands[] = {
    CmdSeLoad,         // 0x050000 se_load
    CmdSePlay,         // 0x050001 se_play
    CmdSePlayEx,       // 0x050002 se_play_ex
    CmdSeStop,         // 0x050003 se_stop
    CmdSeSetVolume,    // 0x050004 se_set_volume
    CmdSeGetVolume,    // 0x050005 se_get_volume
    CmdSeUnload,       // 0x050006 se_unload
    CmdSeWait,         // 0x050007 se_wait
    CmdSetSeInfo,      // 0x050008 set_se_info
    CmdGetSeExVolume,  // 0x050009 get_se_ex_volume
    CmdSetSeExVolume,  // 0x05000A set_se_ex_volume
    CmdSeEnable,       // 0x05000B se_enable
    CmdIsSeEnable,     // 0x05000C is_se_enable
    CmdSeSetPan,       // 0x05000D se_set_pan
    CmdSeMute,         // 0x05000E se_mute
    CmdSeSetFreq,      // 0x05000F se_set_freq
    CmdSeGetChFreq,    // 0x050010 se_get_ch_freq
    CmdSePlayChEx,     // 0x050011 se_play_ch_ex
    CmdSeSetChVolume,  // 0x050012 se_set_ch_volume
};

}  // namespace

const CommandHandlers kCmdGroupSeHandlers = {kSeCommands, std::size(kSeCommands)};

}  // namespace adv
