// Command group 0x08 (`CmdGroupButton`), its state half: buttons are shown, hidden, placed,
// styled, enabled and locked, special buttons are marked, and the input switches of the button
// manager are set. Shows, hides and toggles are queued and take effect at the next `run`.
#include "program/buttons/button_manager.h"
#include "program/commands/button_commands.h"
#include "program/game/adv_context.h"
#include "program/layers/frame_animation.h"
#include "program/layers/graphic_slots.h"
#include "program/layers/layer_records.h"
#include "program/script/command_args.h"
#include "program/startup/yel_import.h"

namespace adv {
namespace {

constexpr uint32_t kCodeBtnSet = 0x080003;
constexpr uint32_t kCodeBtnHide = 0x080004;
constexpr uint32_t kCodeBtnShow = 0x080005;
constexpr uint32_t kCodeBtnSetToggle = 0x08000D;
constexpr uint32_t kCodeBtnSetEx = 0x080029;
constexpr uint32_t kAnimationWaiting = 4;
constexpr int32_t kNamePriority = 4870;
constexpr int32_t kVoicePriority = 4869;

// The over style: an invalid group or index is logged and the command goes on with result 1.
bool OverChecked(int32_t group, int32_t index, const char* over_id, const char* over_no,
                 int32_t third = 0) {
  if (!ButtonGroupValid(group)) {
    AdvDebugPrint(kLogError, over_id, group, index, third);
    return false;
  }
  if (!ButtonIndexValid(group, index)) {
    AdvDebugPrint(kLogError, over_no, group, index, third);
    return false;
  }
  return true;
}

void Queue(AdvContext& context, uint32_t code, int32_t group, int32_t index, int32_t value = 0) {
  DisplayOp op;
  op.code = code;
  op.words[0] = group;
  op.words[1] = index;
  op.words[2] = value;
  DisplayQueueAppend(context, op);
}

// Each button addressed by an index or -1 (every button of the group) that exists.
template <typename Fn>
void ForAddressed(AdvContext& context, int32_t group, int32_t index, Fn fn) {
  for (int32_t i = 0; i < kButtonsPerGroup; ++i) {
    if (index != -1 && i != index) continue;
    if (ButtonRecord* record = ButtonFind(context, group, i)) fn(*record);
  }
}

// Marks a special button; for a button that exists its priority may change.
void MarkSpecial(AdvContext& context, int32_t group, int32_t index, int32_t word, int32_t priority,
                 const char* missing) {
  if (index < 0) {
    context.buttons.groups[group].special[word] = index;
    return;
  }
  ButtonRecord* record = ButtonFind(context, group, index);
  if (!record) {
    AdvDebugPrint(kLogError, "%s", missing);
    return;
  }
  context.buttons.groups[group].special[word] = index;
  if (priority) yel::YelSpriteChangePriority(record->slot->sprite, priority);
}

}  // namespace

int CmdBtnHide(AdvContext& context) {
  const auto [group, index] = PopArgs<2>(context);
  AdvDebugPrint(kLogTrace, "btn_hide  %d, %d", group, index);
  if (!OverChecked(group, index, "btn_hide  %d, %d over ID", "btn_hide  %d, %d over NO")) return 1;
  if (ButtonFind(context, group, index)) Queue(context, kCodeBtnHide, group, index);
  return 1;
}

int CmdBtnShow(AdvContext& context) {
  const auto [group, index] = PopArgs<2>(context);
  AdvDebugPrint(kLogTrace, "btn_show  %d, %d", group, index);
  if (!OverChecked(group, index, "btn_show  %d, %d over ID", "btn_show  %d, %d over NO")) return 1;
  if (ButtonFind(context, group, index)) Queue(context, kCodeBtnShow, group, index);
  return 1;
}

int CmdBtnSetPos(AdvContext& context) {
  const auto [group, index, x, y] = PopArgs<4>(context);
  AdvDebugPrint(kLogTrace, "btn_set_pos  %d, %d, %d, %d", group, index, x, y);
  if (!OverChecked(group, index, "btn_set_pos  %d, %d over ID", "btn_set_pos  %d, %d over NO")) {
    return 1;
  }
  if (ButtonRecord* record = ButtonFind(context, group, index)) {
    record->slot->position[0] = x;
    record->slot->position[1] = y;
    record->slot->float_position[0] = static_cast<float>(x);
    record->slot->float_position[1] = static_cast<float>(y);
  }
  return 1;
}

int CmdBtnSetRect(AdvContext& context) {
  const auto [group, index, width, height, step_x, step_y] = PopArgs<6>(context);
  AdvDebugPrint(kLogTrace, "btn_set_rect %d, %d, %d, %d, %d, %d", group, index, width, height,
                step_x, step_y);
  if (!OverChecked(group, index, "btn_set_rect  %d, %d over ID", "btn_set_rect  %d, %d over NO")) {
    return 1;
  }
  ButtonRecord* record = ButtonFind(context, group, index);
  if (!record) {
    AdvDebugPrint(kLogError, "NG btn_set_rect %d, %d, %d, %d, %d, %d", group, index, width, height,
                  step_x, step_y);
    return 1;
  }
  const YelRect cell{0, 0, width, height};
  yel::YelSpriteSetRect(record->slot->sprite, &cell);
  yel::YelSpriteSetOffsetRect(record->slot->sprite, step_x, step_y);
  return 1;
}

int CmdBtnSetAlpha(AdvContext& context) {
  const auto [group, index, alpha] = PopArgs<3>(context);
  if (!ButtonIndexValid(group, index)) {
    AdvDebugPrint(kLogError, "btn_set_alpha  %d, %d, %d over ID", group, index, alpha);
    return 1;
  }
  if (ButtonRecord* record = ButtonFind(context, group, index)) {
    GraphicSlot& slot = *record->slot;
    slot.colour = (slot.colour & 0x00FFFFFF) | (static_cast<uint32_t>(alpha & 0xFF) << 24);
    slot.offset_colour[0] = 0;
  }
  return 1;
}

int CmdBtnEnable(AdvContext& context) {
  const auto [group, index, enabled] = PopArgs<3>(context);
  AdvDebugPrint(kLogTrace, "btn_enable  %d, %d, %d", group, index, enabled);
  if (!OverChecked(group, index == -1 ? 0 : index, "btn_enable  %d, %d, %d over ID",
                   "btn_enable  %d, %d, %d over NO", enabled)) {
    return 1;
  }
  YelButton* object = context.buttons.groups[group].object;
  ForAddressed(context, group, index, [&](ButtonRecord& record) {
    yel::YelButtonCtrl(object, record.slot->sprite, enabled);
    if (enabled == 0) {
      record.flags |= kButtonLocked;
    } else {
      record.flags &= ~kButtonLocked;
    }
  });
  return 1;
}

int CmdBtnSetState(AdvContext& context) {
  const auto [group, index, enabled, row] = PopArgs<4>(context);
  AdvDebugPrint(kLogTrace, "btn_set_state  %d, %d, %d, %d", group, index, enabled, row);
  if (!ButtonGroupValid(group)) {
    AdvDebugPrint(kLogError, "btn group over error : %d", group);
    return 0;
  }
  if (!ButtonIndexValid(group, index)) {
    AdvDebugPrint(kLogError, "btn count over error : %d", index);
    return 0;
  }
  return AdvButtonSetState(context, group, index, enabled, row);
}

int CmdBtnSetToggle(AdvContext& context) {
  const auto [group, index, value] = PopArgs<3>(context);
  AdvDebugPrint(kLogTrace, "btn_set_toggle  %d, %d, %d", group, index, value);
  if (!OverChecked(group, index, "btn_set_toggle  %d, %d, %d over ID",
                   "btn_set_toggle  %d, %d, %d over NO", value)) {
    return 1;
  }
  if (!ButtonFind(context, group, index)) return 1;
  context.buttons.groups[group].toggle = value;
  Queue(context, kCodeBtnSetToggle, group, index, value);
  return 1;
}

int CmdBtnLock(AdvContext& context) {
  const auto [group, time] = PopArgs<2>(context);
  AdvDebugPrint(kLogTrace, "btn_lock %d, %d", group, time);
  if (!ButtonGroupValid(group)) {
    AdvDebugPrint(kLogError, "***btn_lock %d, %d over ID", group, time);
    return 1;
  }
  ButtonGroup& owner = context.buttons.groups[group];
  owner.lock = 1;
  owner.lock_time = time == 0 ? 0xFFFFFFFFu : static_cast<uint32_t>(time);
  owner.lock_start = time == 0 ? 0 : yel::YeltimeGetTime();
  return 1;
}

int CmdBtnUnlock(AdvContext& context) {
  const int32_t group = PopArg(context);
  AdvDebugPrint(kLogTrace, "btn_unlock %d", group);
  if (!ButtonGroupValid(group)) {
    AdvDebugPrint(kLogError, "***btn_unlock %d over ID", group);
    return 1;
  }
  ButtonGroup& owner = context.buttons.groups[group];
  owner.lock = 0;
  owner.lock_time = 0;
  owner.lock_start = 0;
  return 1;
}

int CmdBtnExpansion(AdvContext& context) {
  const auto [group, index, style] = PopArgs<3>(context);
  AdvDebugPrint(kLogTrace, "btn_expansion %d, %d, %d", group, index, style);
  if (!ButtonGroupValid(group)) {
    AdvDebugPrint(kLogError, "error : btn_expansion %d %d over ID", group, index);
    return 1;
  }
  auto& special = context.buttons.groups[group].special;
  switch (style) {
    case 1:
      special[0] = index;
      return 1;
    case 2:
      special[2] = index;
      return 1;
    case 3:
      special[1] = index;
      return 1;
    case 4:
      MarkSpecial(context, group, index, 3, kNamePriority, "error : btn_expansion BTN_STYLE_NAME");
      return 1;
    case 8:
    case 9:
      MarkSpecial(context, group, index, 4, style == 8 ? kNamePriority : 0,
                  "error : btn_expansion BTN_STYLE_REC/REC2");
      return 1;
    case 10:
      special[5] = index;
      if (ButtonRecord* record = ButtonFind(context, group, index)) {
        yel::YelSpriteChangePriority(record->slot->sprite, kVoicePriority);
      } else {
        AdvDebugPrint(kLogError, "error : btn_expansion BTN_STYLE_VOICE2");
      }
      return 1;
    default:
      AdvDebugPrint(kLogError, "error : btn_expansion");
      return 0;
  }
}

int CmdBtnMode(AdvContext& context) {
  const int32_t mode = PopArg(context);
  AdvDebugPrint(kLogTrace, "btn_mode  %d", mode);
  context.buttons.input_mode = mode != 0 ? 1 : 0;
  yel::YelButtonMode(mode != 0 ? 1 : 0);
  return 1;
}

int CmdBtnSetInvalidTime(AdvContext& context) {
  const int32_t ms = PopArg(context);
  AdvDebugPrint(kLogTrace, "btn_set_invalid_time  %d", ms);
  AdvButtonPauseStart(context, static_cast<uint32_t>(ms));
  return 1;
}

int CmdBtnRunSkip(AdvContext& context) {
  const int32_t value = PopArg(context);
  AdvDebugPrint(kLogTrace, "btn_run_skip %d", value);
  context.buttons.run_skip = value;
  return 1;
}

int CmdBtnSetHit(AdvContext& context) {
  const auto [group, index] = PopArgs<2>(context);
  AdvDebugPrint(kLogTrace, "btn_set_hit %d, %d", group, index);
  if (!ButtonIndexValid(group, index)) {
    AdvDebugPrint(kLogError, "***btn_set_hit %d, %d over ID", group, index);
    return 1;
  }
  if (ButtonRecord* record = ButtonFind(context, group, index)) {
    yel::YelButtonSetReaction(context.buttons.groups[group].object, record->slot->sprite);
  }
  return 1;
}

int CmdBtnOnmouseClear(AdvContext& context) {
  const int32_t group = PopArg(context);
  AdvDebugPrint(kLogTrace, "btn_onmouse_clear %d", group);
  if (!ButtonGroupValid(group)) {
    AdvDebugPrint(kLogError, "*** btn_onmouse_clear %d over ID", group);
    return 1;
  }
  AdvButtonLeave(context, group);
  return 1;
}

bool AdvButtonDisplayOp(AdvContext& context, const DisplayOp& op) {
  if ((op.code >> 16) != 0x08) return false;
  ButtonRecord* record = ButtonFind(context, op.words[0], op.words[1]);
  if (!record) return true;  // released before the commit
  YelSprite* sprite = record->slot->sprite;
  switch (op.code) {
    case kCodeBtnSet:
    case kCodeBtnSetEx:
      // The message window shows its own buttons with itself.
      if (op.words[0] != context.text_window.button_group) yel::YelSpriteViewCtrl(sprite, 1);
      if (AdvAnimGetStatus(record->slot->animation_id) == kAnimationWaiting) {
        AdvAnimStart(record->slot->animation_id);
      }
      return true;
    case kCodeBtnHide:
    case kCodeBtnShow:
      yel::YelSpriteViewCtrl(sprite, op.code == kCodeBtnShow ? 1 : 0);
      return true;
    case kCodeBtnSetToggle:
      yel::YelButtonSetPos(context.buttons.groups[op.words[0]].object, sprite, op.words[2] * 3);
      return true;
    default:
      return true;
  }
}

}  // namespace adv
