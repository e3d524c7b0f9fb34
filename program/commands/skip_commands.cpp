// The skip and auto commands of group 0x09: skip mode, auto mode with its speed, the scene skip
// that runs the script within the command up to a choice or an unread line, the history skip,
// their cancels, the key-cancel masks and the keys pushed since the script last asked.
#include <iterator>

#include "program/buttons/button_manager.h"
#include "program/commands/system_group_commands.h"
#include "program/game/adv_context.h"
#include "program/layers/graphic_slots.h"
#include "program/savedata/snapshot_services.h"
#include "program/script/command_args.h"
#include "program/script/engine_log.h"
#include "program/script/script_run.h"
#include "program/script/skip_state.h"
#include "program/startup/yel_import.h"
#include "program/text/text_window.h"

namespace adv {
namespace {

constexpr int32_t kLogWarning = 16;
constexpr int32_t kSkipButtonStyle = 1;
constexpr int32_t kAutoButtonStyle = 3;
constexpr int32_t kIconNormal = 0;
constexpr int32_t kIconSkip = 1;
constexpr int32_t kIconAuto = 2;
constexpr int32_t kRowsPerState = 3;  // normal, hovered and pushed cells of one state
constexpr uint32_t kMaxAutoTime = 100;
constexpr uint32_t kKeyCtrl = 1u << 3;
constexpr int32_t kUnreadEventSlot = 1;

int32_t* Setting(AdvContext& context, int32_t SystemSettings::*word) {
  return context.task_data ? &(context.task_data->system.settings.*word) : nullptr;
}

// The window group's skip or auto button shows the state's cell rows. The special-button word is
// -1 after btn_init and whatever btn_expansion stored: only an index of a button that exists in
// the group names one; anything else gets the warning a button without a slot gets.
void ShowModeButton(AdvContext& context, int32_t style, int32_t state, const char* no_group,
                    const char* no_button) {
  const uint16_t group = context.text_window.button_group;
  if (group == kNoButtonGroup) {
    AdvDebugPrint(kLogTrace, "%s", no_group);
    return;
  }
  const int32_t index = AdvButtonGetSpecial(context, group, style);
  const ButtonRecord* record = ButtonFind(context, group, index);
  if (!record || !record->slot->sprite) {
    AdvDebugPrint(kLogWarning, "%s", no_button);
    return;
  }
  yel::YelButtonSetPos(context.buttons.groups[group].object, record->slot->sprite,
                       state * kRowsPerState);
}

// The script is told with event message 1 that unread text cannot be skipped.
int CmdSkipSet(AdvContext& context) {
  const int32_t on = PopArg(context);
  AdvDebugPrint(kLogTrace, "skip_set %d", on);
  TextWindow& window = context.text_window;
  const int32_t* skip_unread = Setting(context, &SystemSettings::skip_switch);
  if (on != 0 && (!skip_unread || *skip_unread == 0) && window.line_read == 0) {
    context.events.slots[kUnreadEventSlot] = {1, 0};
    context.events.pending = 1;
    AdvDebugPrint(kLogTrace, "cancel skip_set");
    return 1;
  }
  context.skip.skip_mode = static_cast<uint8_t>(on);
  AdvTextIconSelect(context, window, on != 0 ? kIconSkip : kIconNormal);
  ShowModeButton(context, kSkipButtonStyle, context.skip.skip_mode, "not skip button",
                 "*Warnning skip_set SpriteIcon is NULL !!");
  return 1;
}

int CmdSkipIs(AdvContext& context) {
  SetCommandResult(context, context.skip.skip_mode);
  AdvDebugPrint(kLogTrace, "[%d]skip_is", context.skip.skip_mode);
  return 1;
}

int CmdAutoSet(AdvContext& context) {
  const int32_t on = PopArg(context);
  AdvDebugPrint(kLogTrace, "auto_set %d", on);
  context.skip.auto_mode = on;
  AdvTextIconSelect(context, context.text_window, on > 0 ? kIconAuto : kIconNormal);
  ShowModeButton(context, kAutoButtonStyle, on, "not auto button",
                 "*Warnning auto_set SpriteIcon is NULL !!");
  return 1;
}

int CmdAutoIs(AdvContext& context) {
  SetCommandResult(context, context.skip.auto_mode);
  AdvDebugPrint(kLogTrace, "[%d]auto_is", context.skip.auto_mode);
  return 1;
}

// Compared unsigned, so a negative time is the slowest speed too.
int CmdAutoSetTime(AdvContext& context) {
  const int32_t time = PopArg(context);
  AdvDebugPrint(kLogTrace, "auto_set_time %d", time);
  if (int32_t* speed = Setting(context, &SystemSettings::auto_speed)) {
    *speed = static_cast<uint32_t>(time) > kMaxAutoTime ? static_cast<int32_t>(kMaxAutoTime) : time;
  }
  return 1;
}

int CmdAutoGetTime(AdvContext& context) {
  const int32_t* speed = Setting(context, &SystemSettings::auto_speed);
  const int32_t time = speed ? *speed : 0;
  SetCommandResult(context, time);
  AdvDebugPrint(kLogTrace, "auto_get_time  [%d]", time);
  return 1;
}

int CmdSetSkipUnread(AdvContext& context) {
  const int32_t value = PopArg(context);
  AdvDebugPrint(kLogTrace, "set_skip_unread %d", value);
  if (int32_t* skip_unread = Setting(context, &SystemSettings::skip_switch)) *skip_unread = value;
  return 1;
}

int CmdGetSkipUnread(AdvContext& context) {
  const int32_t* skip_unread = Setting(context, &SystemSettings::skip_switch);
  SetCommandResult(context, skip_unread ? *skip_unread : 0);
  return 1;
}

int CmdKeyCancel(AdvContext& context) {
  const auto [low, high] = PopArgs<2>(context);
  context.skip.key_cancel = low;
  context.skip.key_cancel_high = high;
  yel::YelInputKeyCancel(static_cast<uint32_t>(low), static_cast<uint32_t>(high));
  AdvDebugPrint(kLogTrace, "key_canncel %d", low);
  if (yel::YelDebugIs() && (static_cast<uint32_t>(low) & kKeyCtrl)) {
    AdvDebugPrint(kLogTrace, "CTRLキーの制御がキャンセルされました");
  }
  return 1;
}

int CmdClearPushKeyTotal(AdvContext& context) {
  context.skip.key_push_accumulator = 0;
  AdvDebugPrint(kLogTrace, "clear_push_key_total");
  return 1;
}

int CmdGetPushKeyTotal(AdvContext& context) {
  SetCommandResult(context, static_cast<int32_t>(context.skip.key_push_accumulator));
  AdvDebugPrint(kLogTrace, "get_push_key_total");
  return 1;
}

// The script runs on inside this command, forced, until a choice, an unread line (argument 0),
// cancel_scene_skip or a reset ends the skip; those rebuild the scene from a save point and
// leave the program counter and the stop flag where the waiting game goes on, which the pass
// that called this command then takes over. A scene skip asked for while a forced skip already
// runs only takes the argument: the pass it stands in runs forced already, and a pass in a pass
// for each call could exhaust the stack.
int CmdSceneSkip(AdvContext& context) {
  const int32_t past_unread = PopArg(context);
  AdvDebugPrint(kLogTrace, "scene_skip %d", past_unread);
  const bool nested = ForcedSkipRunning(context);
  context.skip.scene_skip = 1;
  context.skip.scene_skip_past_unread = past_unread;
  if (nested) return 1;
  ScriptPointReset(context);
  // The inner pass marks the script as not running when it ends, but the pass of this command
  // is still running.
  const int32_t running = context.script.running.load();
  ScriptRunUntilWait(context);
  context.script.running = running;
  return 1;
}

// The save point is taken after the cancel, so the rebuilt game goes on with the instruction
// that follows it.
void CancelForcedSkip(AdvContext& context, int32_t& word, const char* log) {
  if (!word) return;
  word = 0;
  AdvDebugPrint(kLogTrace, "%s", log);
  TakeSavePoint(context, context.script.pc);
  ReloadSnapshot(context);
}

int CmdCancelSceneSkip(AdvContext& context) {
  CancelForcedSkip(context, context.skip.scene_skip, "cancel scene skip");
  return 1;
}

int CmdHistorySkip(AdvContext& context) {
  const int32_t target = PopArg(context);
  AdvDebugPrint(kLogTrace, "history_skip %x", target);
  context.skip.history_skip_target = static_cast<uint32_t>(target);
  context.skip.history_skip = 1;
  return 1;
}

int CmdCancelHistorySkip(AdvContext& context) {
  CancelForcedSkip(context, context.skip.history_skip, "cancel history skip");
  return 1;
}

int CmdHistorySkipIs(AdvContext& context) {
  SetCommandResult(context, context.skip.history_skip);
  return 1;
}

int CmdAdvSkipSet(AdvContext& context) {
  const int32_t state = AdvSkipState(context);
  SetCommandResult(context, state);
  AdvDebugPrint(kLogTrace, "adv_skip_set %XH", static_cast<uint32_t>(state));
  return 1;
}

constexpr CommandSlot kSlots[] = {
    {0x00, CmdSkipSet},           {0x01, CmdSkipIs},
    {0x02, CmdAutoSet},           {0x03, CmdAutoIs},
    {0x04, CmdAutoSetTime},       {0x05, CmdAutoGetTime},
    {0x07, CmdSetSkipUnread},     {0x0A, CmdGetSkipUnread},
    {0x12, CmdKeyCancel},         {0x19, CmdClearPushKeyTotal},
    {0x1A, CmdGetPushKeyTotal},   {0x33, CmdSceneSkip},
    {0x34, CmdCancelSceneSkip},   {0x39, CmdHistorySkip},
    {0x3A, CmdCancelHistorySkip}, {0x3B, CmdHistorySkipIs},
    {0x3E, CmdAdvSkipSet},
};

}  // namespace

const CommandSlotList kSkipCommandSlots = {kSlots, std::size(kSlots)};

}  // namespace adv
