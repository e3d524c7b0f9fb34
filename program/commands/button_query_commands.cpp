// Command group 0x08 (`CmdGroupButton`), its query half: what the button manager knows of a
// group and its buttons, slider thumbs that follow the pointer, links and free values between
// buttons, the frame animation bound to a button's image, and child buttons that move with a
// parent. Several values go into consecutive TempMemory cells from an index the script gives.
#include <algorithm>

#include "program/buttons/button_children.h"
#include "program/buttons/button_manager.h"
#include "program/commands/button_commands.h"
#include "program/game/adv_context.h"
#include "program/layers/frame_animation.h"
#include "program/layers/graphic_slots.h"
#include "program/layers/layer_records.h"
#include "program/script/command_args.h"
#include "program/script/script_names.h"
#include "program/startup/yel_import.h"

namespace adv {
namespace {

constexpr uint32_t kPrimaryMouseButton = 0x800000;
constexpr uint32_t kStartAnimation = 0xF0000001;
// btn_get_wh writes six cells; scripts keep their first cell at 120 or below.
constexpr uint32_t kLastSizeCell = 120;
constexpr int32_t kSizeCells = 6;

// The count style: an invalid group or index ends the command with 0.
bool CountChecked(int32_t group, int32_t index) {
  if (!ButtonGroupValid(group)) {
    AdvDebugPrint(kLogError, "btn group over error : %d", group);
    return false;
  }
  if (!ButtonIndexValid(group, index)) {
    AdvDebugPrint(kLogError, "btn count over error : %d", index);
    return false;
  }
  return true;
}

// The over style: an invalid group or index is logged and the command goes on with result 1.
bool OverChecked(int32_t group, int32_t index, const char* over_id, const char* over_no,
                 int32_t third = 0, int32_t fourth = 0) {
  if (!ButtonGroupValid(group)) {
    AdvDebugPrint(kLogError, over_id, group, index, third, fourth);
    return false;
  }
  if (!ButtonIndexValid(group, index)) {
    AdvDebugPrint(kLogError, over_no, group, index, third, fourth);
    return false;
  }
  return true;
}

// A TempMemory cell of a getter: -1 (not written) or a cell of the table.
bool CellValid(int32_t cell) {
  return cell == -1 || static_cast<uint32_t>(cell) < static_cast<uint32_t>(kTempMemoryCells);
}

void WriteCell(AdvContext& context, int32_t cell, int32_t value) {
  if (cell != -1) context.values.temp_memory[static_cast<size_t>(cell)] = value;
}

bool PrimaryHeld() {
  return ((yel::YelInputGetKeyPush() | yel::YelInputGetKeyOn()) & kPrimaryMouseButton) != 0;
}

bool PrimaryReleased() {
  return (yel::YelInputGetKeyPull() & kPrimaryMouseButton) != 0;
}

// The clicked, on-mouse and off-mouse queries share their shape: the index the group keeps.
int GroupIndexQuery(AdvContext& context, int32_t ButtonGroup::*field, const char* trace,
                    const char* error) {
  const int32_t group = PopArg(context);
  if (!ButtonGroupValid(group)) {
    AdvDebugPrint(kLogError, error, group);
    SetCommandResult(context, -1);
    return 1;
  }
  const int32_t index = context.buttons.groups[group].*field;
  AdvDebugPrint(kLogTrace, trace, index, group);
  SetCommandResult(context, index);
  return 1;
}

}  // namespace

int CmdBtnGetPush(AdvContext& context) {
  return GroupIndexQuery(context, &ButtonGroup::clicked, "[%d] btn_get_push %d", "btn_get_push %d");
}

int CmdBtnGetOnmouse(AdvContext& context) {
  return GroupIndexQuery(context, &ButtonGroup::on_mouse, "[%d] btn_get_onmouse %d",
                         "***btn_get_onmouse %d over ID");
}

int CmdBtnGetOffmouse(AdvContext& context) {
  return GroupIndexQuery(context, &ButtonGroup::off_mouse, "[%d] btn_get_offmouse %d",
                         "***btn_get_offmouse %d");
}

int CmdBtnOnmouseNo(AdvContext& context) {
  const int32_t group = PopArg(context);
  SetCommandResult(context, -1);
  if (!ButtonGroupValid(group)) {
    AdvDebugPrint(kLogError, "btn_get_onmouse_btn_no %d", group);
    return 1;
  }
  const ButtonGroup& owner = context.buttons.groups[group];
  if (!owner.in_use || !owner.object) return 1;
  YelSprite* hit =
      yel::YelButtonGetHitSprite(owner.object, yel::YelInputGetMouseX(), yel::YelInputGetMouseY());
  if (!hit) return 1;
  for (int32_t i = 0; i < kButtonsPerGroup; ++i) {
    const ButtonRecord& record = owner.buttons[i];
    if (record.slot && record.slot->sprite == hit) {
      SetCommandResult(context, i);
      break;
    }
  }
  return 1;
}

// Polls the group's platform reactions once more: a decision seen here is this frame's, and the
// button manager does not see it again.
int CmdBtnOnCheck(AdvContext& context) {
  const auto [group, index] = PopArgs<2>(context);
  if (!CountChecked(group, index)) return 0;
  int32_t result = 0;
  if (ButtonFind(context, group, index)) {
    YelButtonReaction reaction{};
    yel::YelButtonGetReaction(context.buttons.groups[group].object, &reaction);
    result = reaction.decided ? 1 : 0;
  }
  AdvDebugPrint(kLogTrace, "[%d]btn_on_check  %d, %d", result, group, index);
  SetCommandResult(context, result);
  return 1;
}

int CmdBtnIsProcessing(AdvContext& context) {
  const int32_t group = PopArg(context);
  if (group == -1) {
    int32_t result = 0;
    for (const ButtonGroup& owner : context.buttons.groups) {
      if (owner.in_use && yel::YelButtonIsProcessing(owner.object)) result = 1;
    }
    SetCommandResult(context, result);
    return 1;
  }
  if (!ButtonGroupValid(group)) {
    AdvDebugPrint(kLogError, "***btn_is_processing group %d error", group);
    SetCommandResult(context, 0);
    return 0;
  }
  SetCommandResult(context,
                   yel::YelButtonIsProcessing(context.buttons.groups[group].object) != 0 ? 1 : 0);
  return 1;
}

int CmdBtnIsLock(AdvContext& context) {
  const int32_t group = PopArg(context);
  if (!ButtonGroupValid(group)) {
    AdvDebugPrint(kLogError, "btn_is_lock  %d over ID", group);
    SetCommandResult(context, -1);
    return 1;
  }
  const int32_t lock = static_cast<int32_t>(context.buttons.groups[group].lock);
  AdvDebugPrint(kLogTrace, "btn_is_lock %d => %d", group, lock);
  SetCommandResult(context, lock);
  return 1;
}

namespace {

enum ButtonStatus : int32_t {
  kStatusPaused = 1,
  kStatusGroupFree = 2,
  kStatusGroupLocked = 4,
  kStatusButtonLocked = 8,
  kStatusNoButton = 16,
};

}  // namespace

int CmdBtnGetStatus(AdvContext& context) {
  const auto [group, index] = PopArgs<2>(context);
  if (!ButtonGroupValid(group)) {
    AdvDebugPrint(kLogError, "btn_get_status  %d, %d, %d over group", -1, group, index);
    SetCommandResult(context, -1);
    return 1;
  }
  if (!ButtonIndexValid(group, index)) {
    AdvDebugPrint(kLogError, "btn_get_status  %d, %d, %d over NO", -1, group, index);
    SetCommandResult(context, -1);
    return 1;
  }
  const ButtonGroup& owner = context.buttons.groups[group];
  const ButtonRecord& record = owner.buttons[index];
  int32_t status = 0;
  if (context.buttons.input_block.duration != 0) status |= kStatusPaused;
  if (!owner.in_use) status |= kStatusGroupFree;
  if (owner.lock) status |= kStatusGroupLocked;
  if (record.flags & kButtonLocked) status |= kStatusButtonLocked;
  if (!record.slot) status |= kStatusNoButton;
  AdvDebugPrint(kLogTrace, "btn_get_status [%d]  %d, %d", status, group, index);
  SetCommandResult(context, status);
  return 1;
}

int CmdBtnGetAlpha(AdvContext& context) {
  const auto [group, index] = PopArgs<2>(context);
  if (!CountChecked(group, index)) return 0;
  const ButtonRecord* record = ButtonFind(context, group, index);
  const int32_t alpha = record ? static_cast<int32_t>(record->slot->colour >> 24) : -1;
  AdvDebugPrint(kLogTrace, "[%d]btn_get_alpha  %d, %d", alpha, group, index);
  SetCommandResult(context, alpha);
  return 1;
}

int CmdBtnGetToggle(AdvContext& context) {
  const auto [group, index] = PopArgs<2>(context);
  if (!CountChecked(group, index)) {
    SetCommandResult(context, 0);
    return 0;
  }
  const int32_t toggle =
      ButtonFind(context, group, index) ? context.buttons.groups[group].toggle : 0;
  AdvDebugPrint(kLogTrace, "[%d]btn_get_toggle  %d, %d", toggle, group, index);
  SetCommandResult(context, toggle);
  return 1;
}

// The button's place as shown: base, offset, the running actions' part and the finished
// actions' delta.
int CmdBtnGetPos(AdvContext& context) {
  const auto [group, index, x_cell, y_cell] = PopArgs<4>(context);
  if (!ButtonGroupValid(group)) {
    AdvDebugPrint(kLogError, "btn_get_pos  %d, %d, over ID", group, index);
    return 1;
  }
  if (!ButtonIndexValid(group, index)) {
    AdvDebugPrint(kLogError, "btn_get_pos  %d, %d over ID", group, index);
    return 1;
  }
  if (!CellValid(x_cell) || !CellValid(y_cell)) {
    AdvDebugPrint(kLogError, "btn_get_pos  %d, %d : cell %d, %d out of range", group, index, x_cell,
                  y_cell);
    return 1;
  }
  const ButtonRecord* record = ButtonFind(context, group, index);
  if (!record) return 1;
  const GraphicSlot& slot = *record->slot;
  for (int axis = 0; axis < 2; ++axis) {
    const int32_t value = slot.position[axis] + slot.offset_position[axis] +
                          slot.frame.action.position[axis] + slot.action_delta.position[axis];
    WriteCell(context, axis == 0 ? x_cell : y_cell, value);
  }
  return 1;
}

int CmdBtnGetWh(AdvContext& context) {
  const auto [group, index, first] = PopArgs<3>(context);
  if (!ButtonGroupValid(group)) {
    AdvDebugPrint(kLogError, "btn_get_wh  %d, %d, over ID", group, index);
    SetCommandResult(context, 0);
    return 1;
  }
  if (!ButtonIndexValid(group, index)) {
    AdvDebugPrint(kLogError, "btn_get_wh  %d, %d over NO", group, index);
    SetCommandResult(context, 0);
    return 1;
  }
  const ButtonRecord* record = ButtonFind(context, group, index);
  if (!record) return 1;
  // Compared unsigned, so that a negative cell is refused as one past the end.
  if (static_cast<uint32_t>(first) > kLastSizeCell) {
    AdvDebugPrint(kLogError, "btn_get_wh  %d, %d : cell %d out of range", group, index, first);
    SetCommandResult(context, 0);
    return 1;
  }
  YelSpriteInfo info{};
  yel::YelSpriteGetInfo(record->slot->sprite, &info);
  const int32_t values[kSizeCells] = {record->slot->position[0], record->slot->position[1],
                                      info.cell_width,           info.cell_height,
                                      info.image_width,          info.image_height};
  std::copy(values, values + kSizeCells, context.values.temp_memory.begin() + first);
  SetCommandResult(context, 1);
  return 1;
}

// The thumb follows the pointer along one axis, from its base position up to `maximum`, the
// thumb's cell centred on the pointer. Outside the window the thumb stays where it is.
int CmdBtnSlideGet(AdvContext& context) {
  const auto [group, index, maximum, axis, step] = PopArgs<5>(context);
  if (!OverChecked(group, index, "btn_slide_get  %d, %d over ID",
                   "btn_slide_get  %d, %d over NO")) {
    return 1;
  }
  const ButtonRecord* record = ButtonFind(context, group, index);
  if (!record || (axis != 0 && axis != 1)) return 1;
  GraphicSlot& slot = *record->slot;
  const int32_t mouse = axis == 0 ? yel::YelInputGetMouseX() : yel::YelInputGetMouseY();
  if (mouse == -1) {
    SetCommandResult(context, slot.offset_position[axis]);
    return 1;
  }
  YelSpriteInfo info{};
  yel::YelSpriteGetInfo(slot.sprite, &info);
  const int32_t half = (axis == 0 ? info.cell_width : info.cell_height) >> 1;
  const int64_t along = static_cast<int64_t>(mouse) - half - slot.position[axis];
  int32_t value = static_cast<int32_t>(std::max<int64_t>(0, std::min<int64_t>(along, maximum)));
  if (axis == 1 && step) value = ButtonSliderSnap(maximum, value);
  slot.offset_position[axis] = value;
  slot.offset_float_position[axis] = static_cast<float>(value);
  SetCommandResult(context, value);
  return 1;
}

int CmdBtnSlideSet(AdvContext& context) {
  const auto [group, index, percent, axis, range] = PopArgs<5>(context);
  if (!OverChecked(group, index, "btn_slide_set  %d, %d over ID",
                   "btn_slide_set  %d, %d over NO")) {
    return 1;
  }
  const ButtonRecord* record = ButtonFind(context, group, index);
  if (!record) return 1;
  const int a = axis == 0 ? 0 : 1;
  record->slot->offset_position[a] =
      static_cast<int32_t>(static_cast<int64_t>(range) * percent / 100);
  record->slot->offset_float_position[a] =
      static_cast<float>(static_cast<double>(range) * percent / 100.0);
  return 1;
}

int CmdBtnSlideBegin(AdvContext& context) {
  const auto [group, index] = PopArgs<2>(context);
  if (!OverChecked(group, index, "btn_slide_begin  %d, %d over ID",
                   "btn_slide_begin  %d, %d over NO")) {
    return 1;
  }
  context.buttons.groups[group].slide_released = !PrimaryHeld() || PrimaryReleased() ? 1 : 0;
  return 1;
}

// While the drag goes on the script pauses to the next frame and then goes on after this
// command, so that its loop moves the thumb once a frame.
int CmdBtnSlideEnd(AdvContext& context) {
  const auto [group, index] = PopArgs<2>(context);
  if (!OverChecked(group, index, "btn_slide_end  %d, %d over ID",
                   "btn_slide_end  %d, %d over NO")) {
    return 1;
  }
  ButtonGroup& owner = context.buttons.groups[group];
  if (!PrimaryReleased() && owner.slide_released == 0) {
    SetCommandResult(context, 0);
    context.script.stop = 1;
    return 1;
  }
  owner.slide_released = 1;
  SetCommandResult(context, -1);
  return 1;
}

int CmdBtnLink(AdvContext& context) {
  const auto [group, a, b] = PopArgs<3>(context);
  AdvDebugPrint(kLogTrace, "btn_link  %d, %d, %d", group, a, b);
  if (!CountChecked(group, a) || !CountChecked(group, b)) return 0;
  auto& buttons = context.buttons.groups[group].buttons;
  buttons[a].link = b;
  buttons[b].link = a;
  return 1;
}

int CmdBtnGetLink(AdvContext& context) {
  const auto [group, index] = PopArgs<2>(context);
  if (!CountChecked(group, index)) return 0;
  const int32_t link = context.buttons.groups[group].buttons[index].link;
  AdvDebugPrint(kLogTrace, "btn_get_link  %d(%d, %d)", link, group, index);
  SetCommandResult(context, link);
  return 1;
}

int CmdBtnSetTips(AdvContext& context) {
  const auto [group, index, value] = PopArgs<3>(context);
  AdvDebugPrint(kLogTrace, "btn_set_tips  %d(%d, %d)", group, index, value);
  if (!CountChecked(group, index)) return 0;
  context.buttons.groups[group].buttons[index].tips = value;
  return 1;
}

int CmdBtnGetTips(AdvContext& context) {
  const auto [group, index] = PopArgs<2>(context);
  if (!CountChecked(group, index)) return 0;
  const int32_t tips = context.buttons.groups[group].buttons[index].tips;
  AdvDebugPrint(kLogTrace, "btn_get_tips  %d(%d, %d)", tips, group, index);
  SetCommandResult(context, tips);
  return 1;
}

// A new ".ani" for the button's image: the old animation goes, the new one starts now or, when
// deferred, with the next commit of the display queue.
int CmdBtnSetAnim(AdvContext& context) {
  const auto [group, index, file, deferred] = PopArgs<4>(context);
  uint8_t name[33] = {};
  AdvGetFileName(context, name, static_cast<uint32_t>(file), true);
  AdvDebugPrint(kLogTrace, "btn_set_anim %d, %d, %s, %d", group, index,
                reinterpret_cast<const char*>(name), deferred);
  if (!OverChecked(group, index, "***btn_set_anim %d, %d, %d, %d over ID",
                   "***btn_set_anim %d, %d, %d, %d over NO", file, deferred)) {
    return 1;
  }
  ButtonRecord* record = ButtonFind(context, group, index);
  if (!record) return 1;
  GraphicSlot& slot = *record->slot;
  AdvAnimUnload(slot.animation_id);
  AdvAnimLoad(reinterpret_cast<const char*>(name), slot);
  if (slot.animation_id == 0) return 1;  // the load logged why
  if (deferred) {
    DisplayOp start;
    start.code = kStartAnimation;
    start.words[0] = static_cast<int32_t>(slot.animation_id);
    DisplayQueueAppend(context, start);
  } else {
    AdvAnimStart(slot.animation_id);
  }
  return 1;
}

int CmdBtnAnimClear(AdvContext& context) {
  const auto [group, index] = PopArgs<2>(context);
  AdvDebugPrint(kLogTrace, "btn_anim_clear %d, %d", group, index);
  if (!OverChecked(group, index, "***btn_anim_clear %d, %d over ID",
                   "***btn_anim_clear %d, %d over NO")) {
    return 1;
  }
  if (const ButtonRecord* record = ButtonFind(context, group, index)) {
    AdvAnimUnload(record->slot->animation_id);
  }
  return 1;
}

int CmdBtnAnimeIs(AdvContext& context) {
  const auto [group, index] = PopArgs<2>(context);
  if (!CountChecked(group, index)) return 0;
  const ButtonRecord* record = ButtonFind(context, group, index);
  if (!record) {
    SetCommandResult(context, 0);
    return 1;
  }
  const bool running = IsAnim(record->slot->animation_id) != 0;
  AdvDebugPrint(kLogTrace, running ? "btn_anime_is  %d, %d TRUE" : "btn_anime_is  %d, %d FALSE",
                group, index);
  SetCommandResult(context, running ? 1 : 0);
  return 1;
}

int CmdBtnAnimeGetStatus(AdvContext& context) {
  const auto [group, index] = PopArgs<2>(context);
  if (!CountChecked(group, index)) return 0;
  const ButtonRecord* record = ButtonFind(context, group, index);
  if (!record) return 1;
  const int32_t status = static_cast<int32_t>(AdvAnimGetStatus(record->slot->animation_id));
  AdvDebugPrint(kLogTrace, "btn_anime_get_status  %d, %d %d", group, index, status);
  SetCommandResult(context, status);
  return 1;
}

int CmdBtnAnimeFinish(AdvContext& context) {
  const auto [group, index] = PopArgs<2>(context);
  if (!CountChecked(group, index)) return 0;
  AdvDebugPrint(kLogTrace, "btn_anime_finish  %d, %d", group, index);
  if (const ButtonRecord* record = ButtonFind(context, group, index)) {
    AdvAnimFinish(record->slot->animation_id);
  }
  return 1;
}

int CmdBtnSetChild(AdvContext& context) {
  const auto [group, parent, child, x, y] = PopArgs<5>(context);
  AdvDebugPrint(kLogTrace, "btn_set_child  %d, %d, %d, %d, %d", group, parent, child, x, y);
  AdvButtonSetChild(group, parent, child, x, y);
  SetCommandResult(context, 1);
  return 1;
}

}  // namespace adv
