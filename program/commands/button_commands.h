// Command group 0x08 (`CmdGroupButton`): the button setup commands (button_setup_commands.cpp,
// which also holds the group's table), the state commands (button_state_commands.cpp) and the
// query, slider, link, animation and child commands (button_query_commands.cpp).
#pragma once

namespace adv {

struct AdvContext;
struct DisplayOp;

int CmdBtnHide(AdvContext& context);
int CmdBtnShow(AdvContext& context);
int CmdBtnSetPos(AdvContext& context);
int CmdBtnSetRect(AdvContext& context);
int CmdBtnSetAlpha(AdvContext& context);
int CmdBtnEnable(AdvContext& context);
int CmdBtnSetState(AdvContext& context);
int CmdBtnSetToggle(AdvContext& context);
int CmdBtnLock(AdvContext& context);
int CmdBtnUnlock(AdvContext& context);
int CmdBtnExpansion(AdvContext& context);
int CmdBtnMode(AdvContext& context);
int CmdBtnSetInvalidTime(AdvContext& context);
int CmdBtnRunSkip(AdvContext& context);
int CmdBtnSetHit(AdvContext& context);
int CmdBtnOnmouseClear(AdvContext& context);
int CmdBtnGetPush(AdvContext& context);
int CmdBtnGetOnmouse(AdvContext& context);
int CmdBtnGetOffmouse(AdvContext& context);
int CmdBtnOnmouseNo(AdvContext& context);
int CmdBtnOnCheck(AdvContext& context);
int CmdBtnIsProcessing(AdvContext& context);
int CmdBtnIsLock(AdvContext& context);
int CmdBtnGetStatus(AdvContext& context);
int CmdBtnGetAlpha(AdvContext& context);
int CmdBtnGetToggle(AdvContext& context);
int CmdBtnGetPos(AdvContext& context);
int CmdBtnGetWh(AdvContext& context);
int CmdBtnSlideGet(AdvContext& context);
int CmdBtnSlideSet(AdvContext& context);
int CmdBtnSlideBegin(AdvContext& context);
int CmdBtnSlideEnd(AdvContext& context);
int CmdBtnLink(AdvContext& context);
int CmdBtnGetLink(AdvContext& context);
int CmdBtnSetTips(AdvContext& context);
int CmdBtnGetTips(AdvContext& context);
int CmdBtnSetAnim(AdvContext& context);
int CmdBtnAnimClear(AdvContext& context);
int CmdBtnAnimeIs(AdvContext& context);
int CmdBtnAnimeGetStatus(AdvContext& context);
int CmdBtnAnimeFinish(AdvContext& context);
int CmdBtnSetChild(AdvContext& context);

// The display changes the button commands queue, carried out at the next commit; true when the
// operation was a button's.
bool AdvButtonDisplayOp(AdvContext& context, const DisplayOp& op);

}  // namespace adv
