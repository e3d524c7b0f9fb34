// Command group 0x08 (`CmdGroupButton`): the button setup commands (button_setup_commands.cpp,
// which also holds the group's table) and the state commands (button_state_commands.cpp).
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

// The display changes the button commands queue, carried out at the next commit; true when the
// operation was a button's.
bool AdvButtonDisplayOp(AdvContext& context, const DisplayOp& op);

}  // namespace adv
