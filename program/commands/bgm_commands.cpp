// Command group 0x04 (`CmdGroupBgm`): the two BGM channels, their volumes, fades, pauses and
// ducking, the master volume, and the queries over the platform's sound channels.
#include <cstring>
#include <iterator>

#include "program/game/adv_context.h"
#include "program/script/command_args.h"
#include "program/script/command_table.h"
#include "program/script/script_names.h"
#include "program/script/skip_state.h"
#include "program/sound/bgm_channels.h"
#include "program/sound/sound_calls.h"
#include "program/sound/sound_services.h"
#include "program/startup/yel_import.h"

namespace adv {
namespace {

constexpr int32_t kWhatHandle = -1;
constexpr int32_t kWhatFile = -2;
constexpr int32_t kWhatFlags = -3;
constexpr int32_t kParamReadPosition = 3;  // polled every frame by scripts: not traced

// A BGM channel argument: 0 or 1, or -1 where the command gives it a meaning. Any other value
// is refused with the family's text.
bool BgmChannelArgument(int32_t ch, bool minus_one) {
  if ((ch >= 0 && ch < kBgmChannelCount) || (minus_one && ch == -1)) return true;
  AdvDebugPrint(kLogError, "sound ch entry error [%d]", ch);
  return false;
}

int CmdBgmPlay(AdvContext& context) {
  const auto [ch, file, flags, fade, start, loop, end] = PopArgs<7>(context);
  BgmPlayRequest request;
  request.ch = ch;
  request.file = static_cast<uint32_t>(file);
  request.flags = static_cast<uint32_t>(flags);
  request.fade = static_cast<uint32_t>(fade);
  request.points = BgmLoopPoints{0, start, loop, end};
  const int32_t used = AdvBgmPlay(context, request);
  if (used < 0) return 0;
  SetCommandResult(context, used);
  return 1;
}

int CmdBgmStop(AdvContext& context) {
  const auto [ch, fade] = PopArgs<2>(context);
  AdvDebugPrint(kLogTrace, "bgm_stop  %d, %d", ch, fade);
  if (!BgmChannelArgument(ch, true)) return 0;
  AdvBgmStop(context, ch, static_cast<uint32_t>(fade));
  return 1;
}

int CmdBgmSetVolume(AdvContext& context) {
  SoundState& state = context.sound;
  state.volumes.bgm = SoundPercentToPlatform(PopArg(context));
  yel::YelSoundSetVolume(state.switches.bgm * state.volumes.bgm, kSoundTypeBgm);
  AdvDebugPrint(kLogTrace, "bgm_set_volume  %d", state.volumes.bgm);
  return 1;
}

int CmdBgmGetVolume(AdvContext& context) {
  const int32_t volume = context.sound.volumes.bgm / 100;
  SetCommandResult(context, volume);
  AdvDebugPrint(kLogTrace, "[%d] bgm_get_volume", volume);
  return 1;
}

int CmdBgmGetAutoVolume(AdvContext& context) {
  const int32_t level = context.sound.auto_volume.level;
  SetCommandResult(context, level);
  AdvDebugPrint(kLogTrace, "[%d] bgm_get_auto_volume", level);
  return 1;
}

int CmdBgmSetVolumeUsers(AdvContext& context) {
  const auto [ch, volume, time] = PopArgs<3>(context);
  AdvDebugPrint(kLogTrace, "bgm_set_volume_users  %d, %d, %d", ch, volume, time);
  if (!BgmChannelArgument(ch, false)) return 0;
  const uint32_t length = AdvSkipState(context) != 0 ? 0 : static_cast<uint32_t>(time);
  BgmVolumeFadeStart(context.sound.bgm[ch], volume, length, yel::YeltimeGetTime());
  return 1;
}

int CmdBgmSetAutoVolume(AdvContext& context) {
  const auto [enable, level] = PopArgs<2>(context);
  SoundState& state = context.sound;
  state.auto_volume.enable = enable;
  state.auto_volume.level = level;
  // Ducking off brings the BGM back to its volume, still muted when it was muted.
  if (enable == 0) AdvBgmTypeVolumeApply(state);
  AdvDebugPrint(kLogTrace, "bgm_set_auto_volume %d, %d", enable, level);
  return 1;
}

int CmdBgmPause(AdvContext& context) {
  auto [ch, pause, fade] = PopArgs<3>(context);
  AdvDebugPrint(kLogTrace, "bgm_pause %d, %d, %d", ch, pause, fade);
  if (!BgmChannelArgument(ch, true)) return 0;
  SoundState& state = context.sound;
  if (ch == -1) {
    // A piece still playing on channel 1 (the old one of a cross-fade) goes for good: its whole
    // record is emptied, so a save made now does not bring it back.
    BgmChannel& second = state.bgm[1];
    if (second.handle != 0 && yel::YelSoundPlayIs(second.handle)) {
      yel::YelSoundRelease(second.handle);
      second = BgmChannel{};
    }
    ch = 0;
  }
  BgmChannel& channel = state.bgm[ch];
  const bool paused = (channel.flags & kBgmRestorePaused) != 0;
  if (pause != 0 && !paused) {
    channel.flags |= kBgmRestorePaused;
    yel::YelSoundPause(channel.handle, 1, static_cast<uint32_t>(fade));
  } else if (pause == 0 && paused) {
    channel.flags &= ~kBgmRestorePaused;
    yel::YelSoundPause(channel.handle, 0, static_cast<uint32_t>(fade));
  }
  return 1;
}

int CmdGetBgmFilename(AdvContext& context) {
  const int32_t ch = PopArg(context);
  if (!BgmChannelArgument(ch, false)) return 0;
  const uint32_t file = context.sound.bgm[ch].file_id;
  SetCommandResult(context, static_cast<int32_t>(file));
  AdvDebugPrint(kLogTrace, "[%d]get_bgm_filename %d", file, ch);
  return 1;
}

int CmdBgmLoad(AdvContext& context) {
  const auto [ch, file, start, loop, end] = PopArgs<5>(context);
  if (!BgmChannelArgument(ch, false)) return 0;
  SoundState& state = context.sound;
  BgmChannel& channel = state.bgm[ch];
  if (channel.handle != 0 && state.bgm[1 - ch].handle != channel.handle) {
    yel::YelSoundRelease(channel.handle);
  }
  channel = BgmChannel{};
  channel.file_id = static_cast<uint32_t>(file);
  channel.flags = kBgmNoRestart;
  channel.volume = 100;
  channel.loop_points = BgmLoopPoints{(start | loop | end) != 0 ? 1 : 0, start, loop, end};
  char name[32] = {};
  AdvGetFileName(context, reinterpret_cast<uint8_t*>(name), channel.file_id, true);
  if (channel.file_id & kFileIdNameInRecord) std::memcpy(channel.name.data(), name, sizeof name);
  channel.handle = AdvBgmLoadStream(context, name, channel.loop_points);
  BgmChannel& other = state.bgm[1 - ch];
  if (channel.handle != 0 && other.handle == channel.handle) other = BgmChannel{};
  SetCommandResult(context, ch);
  AdvDebugPrint(kLogTrace, "bgm_load %d, %s, %d, %d, %d", ch, name, start, loop, end);
  return 1;
}

int CmdBgmPlay2(AdvContext& context) {
  const auto [ch, flags, fade] = PopArgs<3>(context);
  if (!BgmChannelArgument(ch, false)) return 0;
  BgmChannel& channel = context.sound.bgm[ch];
  channel.flags = static_cast<uint32_t>(flags);
  const uint32_t length = BgmFadeWhileSkipping(context, static_cast<uint32_t>(fade));
  yel::YelSoundPlayFade(channel.handle, flags & static_cast<int32_t>(kBgmLoop),
                        (channel.flags & kBgmFadeIn) ? length : 0);
  SetCommandResult(context, ch);
  AdvDebugPrint(kLogTrace, "bgm_play2  %d, %d, %d", ch, flags, fade);
  return 1;
}

int CmdSetMasterVolume(AdvContext& context) {
  SoundState& state = context.sound;
  state.volumes.master = SoundPercentToPlatform(PopArg(context));
  yel::YelSoundSetPrimaryVolume(state.switches.master * state.volumes.master);
  AdvDebugPrint(kLogTrace, "set_master_volume %d", state.volumes.master);
  return 1;
}

int CmdGetMasterVolume(AdvContext& context) {
  const int32_t volume = context.sound.volumes.master / 100;
  SetCommandResult(context, volume);
  AdvDebugPrint(kLogTrace, "[%d] get_master_volume", volume);
  return 1;
}

int CmdMuteMasterVolume(AdvContext& context) {
  const int32_t mute = PopArg(context);
  SoundState& state = context.sound;
  state.switches.master = mute ? 0 : 1;
  yel::YelSoundSetPrimaryVolume(state.volumes.master * state.switches.master);
  AdvDebugPrint(kLogTrace, "mute_master_volume %d", mute);
  return 1;
}

int CmdBgmMute(AdvContext& context) {
  const int32_t mute = PopArg(context);
  SoundState& state = context.sound;
  state.switches.bgm = mute ? 0 : 1;
  AdvBgmTypeVolumeApply(state);
  AdvDebugPrint(kLogTrace, "bgm_mute %d", mute);
  return 1;
}

int CmdMuteBgmAutoVolume(AdvContext& context) {
  const int32_t mute = PopArg(context);
  context.sound.auto_volume.on = mute ? 0 : 1;
  AdvDebugPrint(kLogTrace, "mute_bgm_auto_volume %d", mute);
  return 1;
}

int CmdGetBgmStatus(AdvContext& context) {
  int32_t ch = PopArg(context);
  if (ch == -1 || ch == -2) {
    ch = yel::YelSoundGetNowChannel();
    if (ch < 0) {
      SetCommandResult(context, -1);
      AdvDebugPrint(kLogTrace, "[-1] get_bgm_status");
      return 1;
    }
  } else if (!BgmChannelArgument(ch, false)) {
    return 0;
  }
  const int32_t status = yel::YelSoundGetStatus(ch);
  SetCommandResult(context, status);
  AdvDebugPrint(kLogTrace, "[%d] get_bgm_status", status);
  return 1;
}

int32_t BgmRecordWord(const BgmChannel& channel, int32_t what) {
  switch (what) {
    case kWhatHandle:
      return static_cast<int32_t>(channel.handle);
    case kWhatFile:
      return static_cast<int32_t>(channel.file_id);
    case kWhatFlags:
      return static_cast<int32_t>(channel.flags);
    default:
      return -1;
  }
}

int CmdGetBgmPos(AdvContext& context) {
  auto [ch, what] = PopArgs<2>(context);
  if (ch == -1) ch = yel::YelSoundGetNowChannel();
  if (ch >= kBgmChannelCount) {
    SetCommandResult(context, -1);
    AdvDebugPrint(kLogError, "error get_bgm_pos ch over [%d]", ch);
    return 1;
  }
  if (ch < 0) {
    SetCommandResult(context, -1);
    AdvDebugPrint(kLogTrace, "[-1] get_bgm_pos %d", what);
    return 1;
  }
  const int32_t result =
      what >= 0 ? yel::YelSoundGetParam(ch, what) : BgmRecordWord(context.sound.bgm[ch], what);
  SetCommandResult(context, result);
  if (what != kParamReadPosition) AdvDebugPrint(kLogTrace, "[%d] get_bgm_pos %d", result, what);
  return 1;
}

int CmdGetBgmCh(AdvContext& context) {
  const int32_t ch = yel::YelSoundGetNowChannel();
  SetCommandResult(context, ch);
  AdvDebugPrint(kLogTrace, "[%d] get_bgm_ch", ch);
  return 1;
}

int CmdSoundReadReg(AdvContext& context) {
  const auto [type, ch, no] = PopArgs<3>(context);
  int32_t result = 0;
  if (ch < 0) {
    AdvDebugPrint(kLogError, "error sound_read_reg ch ? [%d]", ch);
  } else if (no < 0) {
    AdvDebugPrint(kLogError, "error sound_read_reg no ? [%d]", no);
  } else {
    result = yel::YelSoundGetParamByType(type, ch, no);
  }
  SetCommandResult(context, result);
  AdvDebugPrint(kLogTrace, "[%d] sound_read_reg type=%d, ch=%d, no=%d", result, type, ch, no);
  return 1;
}

int CmdSoundChToYelCh(AdvContext& context) {
  const auto [type, ch] = PopArgs<2>(context);
  const int32_t result = SoundChannelToPlatformChannel(context.sound, type, ch);
  SetCommandResult(context, result);
  AdvDebugPrint(kLogTrace, "[%d] sound_ch_to_yel_ch type=%d, ch=%d", result, type, ch);
  return 1;
}

constexpr CommandHandler kBgmCommands[] = {
    CmdBgmPlay,            // 0x040000 bgm_play
    CmdBgmStop,            // 0x040001 bgm_stop
    CmdBgmSetVolume,       // 0x040002 bgm_set_volume
    CmdBgmGetVolume,       // 0x040003 bgm_get_volume
    CmdBgmGetAutoVolume,   // 0x040004 bgm_get_auto_volume
    CmdBgmSetVolumeUsers,  // 0x040005 bgm_set_volume_users
    CmdBgmSetAutoVolume,   // 0x040006 bgm_set_auto_volume
    CmdBgmPause,           // 0x040007 bgm_pause
    CmdGetBgmFilename,     // 0x040008 get_bgm_filename
    CmdBgmLoad,            // 0x040009 bgm_load
    CmdBgmPlay2,           // 0x04000A bgm_play2
    CmdSetMasterVolume,    // 0x04000B set_master_volume
    CmdGetMasterVolume,    // 0x04000C get_master_volume
    CmdMuteMasterVolume,   // 0x04000D mute_master_volume
    CmdBgmMute,            // 0x04000E bgm_mute
    CmdMuteBgmAutoVolume,  // 0x04000F mute_bgm_auto_volume
    CmdGetBgmStatus,       // 0x040010 get_bgm_status
    CmdGetBgmPos,          // 0x040011 get_bgm_pos
    CmdGetBgmCh,           // 0x040012 get_bgm_ch
    CmdSoundReadReg,       // 0x040013 sound_read_reg
    CmdSoundChToYelCh,     // 0x040014 sound_ch_to_yel_ch
};

}  // namespace

const CommandHandlers kCmdGroupBgmHandlers = {kBgmCommands, std::size(kBgmCommands)};

}  // namespace adv
