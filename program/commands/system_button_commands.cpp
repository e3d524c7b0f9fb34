// Command group 0x0C (`CmdGroupSystemButton`): binds a system button's label, frees entries and
// enables or disables them. An entry outside 0-31 is refused with a report (65535 stands for
// every entry where an entry may be freed or enabled), and the script goes on.
#include <iterator>

#include "program/buttons/button_manager.h"
#include "program/buttons/system_buttons.h"
#include "program/game/adv_context.h"
#include "program/script/command_args.h"
#include "program/script/command_table.h"

namespace adv {
namespace {

bool EntryValid(int32_t entry) {
  return entry >= 0 && entry < kSystemButtonCount;
}

// Refuses what is neither an entry nor (where `all_allowed`) 65535.
bool EntryAccepted(AdvContext& context, const char* command, int32_t entry, bool all_allowed) {
  if (EntryValid(entry) || (all_allowed && entry == kAllSystemButtons)) return true;
  AdvDebugPrint(kLogError, "[%d]%s: no system button %d (0-31%s)", context.script.pc, command,
                entry, all_allowed ? ", or 65535 for all" : "");
  return false;
}

// Each entry the argument names: one, or all of them for 65535.
template <typename Fn>
void ForEntries(AdvContext& context, int32_t entry, Fn fn) {
  for (int32_t i = 0; i < kSystemButtonCount; ++i) {
    if (entry == kAllSystemButtons || entry == i) fn(context.buttons.system_buttons[i]);
  }
}

int CmdSystemBtnSet(AdvContext& context) {
  const auto [entry, label, repeat] = PopArgs<3>(context);
  AdvDebugPrint(kLogTrace, "system_btn_set  %d, %d, %d", entry, label, repeat);
  if (!EntryAccepted(context, "system_btn_set", entry, false)) return 1;
  SystemButton& button = context.buttons.system_buttons[entry];
  button.repeat_mask = repeat > 0 ? 0xFFFFFFFFu : 0;
  button.enabled = 1;
  button.init = 1;
  button.label = ButtonLabelOffset(context, label);
  return 1;
}

// The repeat mask stays: a later system_btn_set sets it again anyway.
int CmdSystemBtnRelease(AdvContext& context) {
  const int32_t entry = PopArg(context);
  AdvDebugPrint(kLogTrace, "system_btn_release  %d", entry);
  if (!EntryAccepted(context, "system_btn_release", entry, true)) return 1;
  ForEntries(context, entry, [](SystemButton& button) {
    button.init = 0;
    button.enabled = 0;
    button.label = 0;
  });
  return 1;
}

int CmdSystemBtnEnable(AdvContext& context) {
  const auto [entry, value] = PopArgs<2>(context);
  AdvDebugPrint(kLogTrace, "system_btn_enable %d, %d", entry, value);
  if (!EntryAccepted(context, "system_btn_enable", entry, true)) return 1;
  ForEntries(context, entry, [value](SystemButton& button) { button.enabled = value; });
  return 1;
}

constexpr CommandHandler kSystemButtonCommands[] = {
    CmdSystemBtnSet,      // 0x0C0000 system_btn_set
    CmdSystemBtnRelease,  // 0x0C0001 system_btn_release
    CmdSystemBtnEnable,   // 0x0C0002 system_btn_enable
};

}  // namespace

const CommandHandlers kCmdGroupSystemButtonHandlers = {kSystemButtonCommands,
                                                       std::size(kSystemButtonCommands)};

}  // namespace adv
