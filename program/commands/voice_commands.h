// The handlers of command group 0x0D that live outside voice_commands.cpp, which holds the
// group's table: speaker volumes, autopan and voice hooks (voice_setting_commands.cpp) and
// background voices (bgv_commands.cpp).
#pragma once

namespace adv {

struct AdvContext;

int CmdSetVoiceInfo(AdvContext& context);
int CmdVoiceEnable(AdvContext& context);
int CmdIsVoiceEnable(AdvContext& context);
int CmdVoiceExVolumeEnable(AdvContext& context);
int CmdGetVoiceExVolume(AdvContext& context);
int CmdSetVoiceExVolume(AdvContext& context);
int CmdVoiceAutopanInitialize(AdvContext& context);
int CmdVoiceAutopanEnable(AdvContext& context);
int CmdSetVoiceAutopan(AdvContext& context);
int CmdIsVoiceAutopanEnable(AdvContext& context);
int CmdVoiceCall(AdvContext& context);
int CmdVoiceCallClear(AdvContext& context);

int CmdBgvPlay(AdvContext& context);
int CmdBgvStop(AdvContext& context);
int CmdBgvEnable(AdvContext& context);
int CmdBgvPause(AdvContext& context);
int CmdBgvMute(AdvContext& context);
int CmdSetBgvVolume(AdvContext& context);
int CmdGetBgvVolume(AdvContext& context);
int CmdSetBgvAutoVolume(AdvContext& context);

}  // namespace adv
