// Handlers of command group 0x02 beyond the line commands and the first set-up commands: the
// rest of the window's set-up and display (text_window_commands.cpp) and the commands on the
// line's data, its voice, the read flags and the in-text tips (text_data_commands.cpp). The
// group's table is text_commands.cpp.
#pragma once

namespace adv {

struct AdvContext;

// text_window_commands.cpp
int CmdTextSetBtn(AdvContext& context);
int CmdTextSetRect(AdvContext& context);
int CmdTextWindowSetAlpha(AdvContext& context);
int CmdTextTimeCheckBegin(AdvContext& context);
int CmdTextTimeCheckEnd(AdvContext& context);
int CmdTextTimeCheckClear(AdvContext& context);
int CmdTextRedraw(AdvContext& context);
int CmdSetTextMode(AdvContext& context);
int CmdTextInitVisualNovelMode(AdvContext& context);
int CmdTextVnBr(AdvContext& context);

// text_data_commands.cpp
int CmdTextVoicePlay(AdvContext& context);
int CmdSetHistory(AdvContext& context);
int CmdSetHistoryEx(AdvContext& context);
int CmdEnableVoiceCut(AdvContext& context);
int CmdIsVoiceCut(AdvContext& context);
int CmdTextHistoryEnable(AdvContext& context);
int CmdGetText(AdvContext& context);
int CmdTextIsRead(AdvContext& context);
int CmdTextSetRead(AdvContext& context);
int CmdTextSetKind(AdvContext& context);
int CmdTextGetKind(AdvContext& context);
int CmdTextSetReadFlag(AdvContext& context);
int CmdTextClearLine(AdvContext& context);
int CmdTextSetClickThrough(AdvContext& context);
int CmdTextGetClickThrough(AdvContext& context);
int CmdTextHideIcon(AdvContext& context);
int CmdTipsSetLabel(AdvContext& context);
int CmdTipsGetLast(AdvContext& context);
int CmdTipsGetStr(AdvContext& context);
int CmdTipsGetParam(AdvContext& context);
int CmdTipsReset(AdvContext& context);
int CmdTipsSearch(AdvContext& context);
int CmdTipsSetColor(AdvContext& context);
int CmdTipsStop(AdvContext& context);
int CmdTipsGetFlag(AdvContext& context);
int CmdTipsInit(AdvContext& context);
int CmdTipsPause(AdvContext& context);

}  // namespace adv
