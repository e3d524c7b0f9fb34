// The line commands of group 0x02: a line of text in the message window, held until the reader
// advances or not, recorded in the history or not, revealed or shown at once, appended.
#pragma once

namespace adv {

struct AdvContext;

int CmdText(AdvContext& context);     // 0x020002 text
int CmdTextW(AdvContext& context);    // 0x02000F text_w
int CmdTextA(AdvContext& context);    // 0x020010 text_a
int CmdTextWa(AdvContext& context);   // 0x020011 text_wa
int CmdTextN(AdvContext& context);    // 0x020012 text_n
int CmdTextCat(AdvContext& context);  // 0x020013 text_cat
int CmdTextH(AdvContext& context);    // 0x02003E text_h
int CmdTextWh(AdvContext& context);   // 0x02003F text_wh

}  // namespace adv
