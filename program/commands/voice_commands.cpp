// Command group 0x0D (`CmdGroupVoice`): voices started by the script, the voice wait, the voice
// volume, mute and speed, and the voice queries. The group's table also holds the speaker
// volume, autopan, voice hook and background-voice commands, which live in their own files.
#include <cmath>
#include <iterator>

#include "program/commands/voice_commands.h"
#include "program/game/adv_context.h"
#include "program/script/command_args.h"
#include "program/script/command_table.h"
#include "program/script/script_names.h"
#include "program/script/script_run.h"
#include "program/script/skip_state.h"
#include "program/sound/voice_channels.h"
#include "program/startup/yel_import.h"

namespace adv {
namespace {

constexpr uint32_t kVoiceWaitInputPause = 0xFFFFFFFF;  // input pause of voice_wait: until it ends

// -1 stands for channels 0-7; anything else outside 0-8 names no channel.
bool ChannelArgument(int32_t ch) {
  return ch >= -1 && ch < kVoiceChannelCount;
}

int32_t ScriptSpeed(float platform_speed) {
  return static_cast<int32_t>(std::floor(platform_speed + 100.0));
}

int CmdVoicePlay(AdvContext& context) {
  if (AdvVoiceWaitUpdate(context)) return 1;
  auto [ch, file, flags, fade] = PopArgs<4>(context);
  SoundState& state = context.sound;
  if (ch == -1) {
    ch = AdvVoiceFindFree(state);
    if (ch < 0) ch = 0;
  }
  char name[32] = {};
  if (ch < 0 || ch >= kVoiceChannelCount) {
    // The channel goes back as given: the other voice commands refuse it too, where -1 would
    // name channels 0-7.
    AdvDebugPrint(kLogError, "voice_play error : no channel %d", ch);
    SetCommandResult(context, ch);
    return 1;
  }
  AdvVoiceStop(context, ch);
  AdvGetFileName(context, reinterpret_cast<uint8_t*>(name), static_cast<uint32_t>(file), true);
  if (name[0] == 0) {
    AdvDebugPrint(kLogTrace, "no name : voice_play  %d, %s, %d, %d", ch, name, flags, fade);
    SetCommandResult(context, 0);
    return 1;
  }
  const auto bits = static_cast<uint32_t>(flags);
  const int32_t played = AdvVoicePlay(context, ch, name, bits, static_cast<uint32_t>(fade),
                                      !(bits & kVoicePlayWhileSkipping));
  if (played != kVoiceStarted) {
    // Skipped or not loaded alike, the result is the channel: a later voice_wait or voice_stop
    // with it acts on that channel alone (-1 would name all of them).
    AdvDebugPrint(kLogTrace, "skip : voice_play  %d, %s, %d, %d", ch, name, flags, fade);
    SetCommandResult(context, ch);
    return 1;
  }
  if (bits & kVoiceWait) {
    if (AdvSkipState(context) & SKIP_MASK_FORCED) {
      state.voice_wait_mask = 0;
    } else {
      AdvRetryCommand(context);
    }
  }
  AdvDebugPrint(kLogTrace, "voice_play  %d, %s, %d, %d", ch, name, flags, fade);
  SetCommandResult(context, ch);
  return 1;
}

int CmdVoiceStop(AdvContext& context) {
  auto [ch, fade] = PopArgs<2>(context);
  AdvDebugPrint(kLogTrace, "voice_stop  %d, %d", ch, fade);
  if (!ChannelArgument(ch)) return 1;
  SoundState& state = context.sound;
  if (state.switches.voice == 0) fade = 0;
  const int32_t first = ch < 0 ? 0 : ch;
  const int32_t last = ch < 0 ? kVoiceSetChannelCount - 1 : ch;
  for (int32_t n = first; n <= last; ++n) {
    const uint32_t handle = state.voice[n].handle;
    if (handle == 0 || !yel::YelSoundPlayIs(handle)) continue;
    if (fade != 0 && state.speaker_volumes[n].enable) {
      yel::YelSoundStopFade(handle, static_cast<uint32_t>(fade));
    } else {
      yel::YelSoundStop(handle);
    }
    state.voice_wait_mask &= ~(1u << n);
  }
  return 1;
}

int CmdVoiceSetVolume(AdvContext& context) {
  const int32_t volume = PopArg(context) * 100;
  SoundState& state = context.sound;
  state.volumes.voice = volume;
  yel::YelSoundSetVolume(state.switches.voice * volume, kSoundTypeVoice);
  AdvDebugPrint(kLogTrace, "voice_set_volume %d", volume);
  return 1;
}

int CmdVoiceGetVolume(AdvContext& context) {
  SetCommandResult(context, context.sound.volumes.voice / 100);
  AdvDebugPrint(kLogTrace, "[%d] voice_get_volume", context.script.pc);
  return 1;
}

int CmdVoiceCheckEnable(AdvContext& context) {
  context.sound.voice_check = PopArg(context);
  AdvDebugPrint(kLogTrace, "voice_check_enable  %d", context.sound.voice_check);
  return 1;
}

int CmdVoiceWait(AdvContext& context) {
  if (AdvVoiceWaitUpdate(context)) return 1;
  const int32_t ch = PopArg(context);
  AdvDebugPrint(kLogTrace, "voice_wait %d", ch);
  if (!ChannelArgument(ch)) return 1;
  if (AdvSkipState(context) & SKIP_MASK_FORCED) return 1;
  context.sound.voice_wait_mask |= ch < 0 ? 0xFFu : 1u << ch;
  AdvRetryCommand(context);
  context.buttons.input_block = InputBlock{yel::YeltimeGetTime(), kVoiceWaitInputPause};
  return 1;
}

int CmdVoiceMute(AdvContext& context) {
  const int32_t mute = PopArg(context);
  SoundState& state = context.sound;
  state.switches.voice = mute ? 0 : 1;
  yel::YelSoundSetVolume(state.volumes.voice * state.switches.voice, kSoundTypeVoice);
  AdvDebugPrint(kLogTrace, "voice_mute %d", mute);
  return 1;
}

int CmdVoiceSetSpeed(AdvContext& context) {
  const int32_t speed = PopArg(context);
  const float previous = yel::YelSetVoiceSpeed(static_cast<float>(speed) - 100.0f);
  SetCommandResult(context, ScriptSpeed(previous));
  return 1;
}

int CmdVoiceGetSpeed(AdvContext& context) {
  SetCommandResult(context, ScriptSpeed(yel::YelGetVoiceSpeed()));
  return 1;
}

int CmdIsVoicePlaying(AdvContext& context) {
  SetCommandResult(context, AdvVoiceIsPlaying(context.sound) ? 1 : 0);
  return 1;
}

int CmdIsVoiceAudible(AdvContext& context) {
  SetCommandResult(context, AdvVoiceIsAudible(context.sound) ? 1 : 0);
  return 1;
}

constexpr CommandHandler kVoiceCommands[] = {
    CmdVoicePlay,               // 0x0D0000 voice_play
    CmdVoiceStop,               // 0x0D0001 voice_stop
    CmdVoiceSetVolume,          // 0x0D0002 voice_set_volume
    CmdVoiceGetVolume,          // 0x0D0003 voice_get_volume
    CmdSetVoiceInfo,            // 0x0D0004 set_voice_info
    CmdVoiceEnable,             // 0x0D0005 voice_enable
    CmdIsVoiceEnable,           // 0x0D0006 is_voice_enable
    CmdVoiceExVolumeEnable,     // 0x0D0007 voice_ex_volume_enable
    CmdBgvPlay,                 // 0x0D0008 bgv_play
    CmdBgvStop,                 // 0x0D0009 bgv_stop
    CmdBgvEnable,               // 0x0D000A bgv_enable
    CmdGetVoiceExVolume,        // 0x0D000B get_voice_ex_volume
    CmdSetVoiceExVolume,        // 0x0D000C set_voice_ex_volume
    CmdVoiceCheckEnable,        // 0x0D000D voice_check_enable
    CmdVoiceAutopanInitialize,  // 0x0D000E voice_autopan_initialize
    CmdVoiceAutopanEnable,      // 0x0D000F voice_autopan_enable
    CmdSetVoiceAutopan,         // 0x0D0010 set_voice_autopan
    CmdIsVoiceAutopanEnable,    // 0x0D0011 is_voice_autopan_enable
    CmdVoiceWait,               // 0x0D0012 voice_wait
    CmdBgvPause,                // 0x0D0013 bgv_pause
    CmdBgvMute,                 // 0x0D0014 bgv_mute
    CmdSetBgvVolume,            // 0x0D0015 set_bgv_volume
    CmdGetBgvVolume,            // 0x0D0016 get_bgv_volume
    CmdSetBgvAutoVolume,        // 0x0D0017 set_bgv_auto_volume
    CmdVoiceMute,               // 0x0D0018 voice_mute
    CmdVoiceCall,               // 0x0D0019 voice_call
    CmdVoiceCallClear,          // 0x0D001A voice_call_clear
    CmdVoiceSetSpeed,           // 0x0D001B voice_set_speed
    CmdVoiceGetSpeed,           // 0x0D001C voice_get_speed
    CmdIsVoicePlaying,          // 0x0D001D is_voice_playing
    CmdIsVoiceAudible,          // 0x0D001E is_voice_audible
};

}  // namespace

const CommandHandlers kCmdGroupVoiceHandlers = {kVoiceCommands, std::size(kVoiceCommands)};

}  // namespace adv
