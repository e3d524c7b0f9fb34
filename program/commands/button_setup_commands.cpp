// Command group 0x08 (`CmdGroupButton`), its setup half: groups come into use with their sounds,
// buttons are made from image files or from a copy of a layer's image, and released. A new
// button's image stays hidden until the next `run` shows it. The group's table is here.
#include <cstring>

#include "program/buttons/button_manager.h"
#include "program/commands/button_commands.h"
#include "program/game/adv_context.h"
#include "program/layers/graphic_slots.h"
#include "program/layers/layer_services.h"
#include "program/layers/layer_table.h"
#include "program/layers/sprite_loader.h"
#include "program/script/command_args.h"
#include "program/script/command_table.h"
#include "program/script/script_names.h"
#include "program/startup/startup_names.h"
#include "program/startup/yel_import.h"

namespace adv {
namespace {

constexpr int32_t kButtonPriorityOffset = 4866;
constexpr int32_t kPriorityStep = 134;
constexpr uint32_t kCodeBtnSet = 0x080003;
constexpr uint32_t kCodeBtnSetEx = 0x080029;

// The count style of the group: an invalid group or index ends the command with 0.
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

// The button's old image goes before a new one takes its slot.
void DropOldButton(AdvContext& context, int32_t group, int32_t index) {
  ButtonRecord& record = context.buttons.groups[group].buttons[index];
  if (!record.slot) return;
  yel::YelButtonDelete(context.buttons.groups[group].object, record.slot->sprite);
  AdvGraphicSlotFree(context, record.slot);
  record.slot = nullptr;
}

int32_t ButtonPriority(const AdvContext& context, int32_t index, int32_t step) {
  return context.skip.priority_base - index + kButtonPriorityOffset + kPriorityStep * step;
}

struct ButtonLabels {
  int32_t click = 0, on = 0, off = 0;
};

void StoreButton(AdvContext& context, int32_t group, int32_t index, GraphicSlot* slot,
                 const ButtonLabels& labels) {
  ButtonRecord& record = context.buttons.groups[group].buttons[index];
  record.slot = slot;
  record.click_label = ButtonLabelOffset(context, labels.click);
  record.on_label = ButtonLabelOffset(context, labels.on);
  record.off_label = ButtonLabelOffset(context, labels.off);
  record.link = 0;
  AdvGraphicSlotApply(context, *slot);
}

void QueueShow(AdvContext& context, uint32_t code, int32_t group, int32_t index) {
  DisplayOp show;
  show.code = code;
  show.words[0] = group;
  show.words[1] = index;
  DisplayQueueAppend(context, show);
}

// Sets up the button's image from a file; the place and size of btn_set_ex come in `place`.
struct ButtonPlace {
  bool set = false;
  int32_t x = 0, y = 0, width = 0, height = 0;
};

int MakeButton(AdvContext& context, uint32_t code, int32_t group, int32_t index, uint32_t file,
               const ButtonLabels& labels, uint32_t flags, const ButtonPlace& place, char* loaded) {
  DropOldButton(context, group, index);
  ButtonGroup& owner = context.buttons.groups[group];
  uint8_t name[33] = {};
  AdvGetFileName(context, name, file, true);
  std::memcpy(loaded, name, sizeof name);
  char load_name[33] = {};
  std::memcpy(load_name, name, sizeof name);
  GraphicDatRecord record;
  if (AdvGraphicDatFind(load_name, &record)) {
    std::memcpy(load_name, record.file_name.data(), kGraphicDatNameSize);
  }
  GraphicSlot* slot = AdvGraphicSlotAlloc(kSlotBankButton, ButtonSlotEntry(group, index));
  if (!slot) return 0;
  YelSprite* sprite = AdvSpriteLoadUnlocked(context, load_name, AdvWindowWidth, AdvWindowHeight,
                                            ButtonPriority(context, index, record.priority_step));
  if (!sprite) {
    AdvGraphicSlotFreeNow(slot);
    return 0;
  }
  yel::YelButtonEntryEx(owner.object, sprite, flags);
  YelSpriteInfo info{};
  yel::YelSpriteGetInfo(sprite, &info);
  if (place.set) {
    info.x = static_cast<float>(place.x);
    info.y = static_cast<float>(place.y);
    info.cell_width = place.width;
    info.cell_height = place.height;
    yel::YelSpriteSetInfo(sprite, &info);
  }
  slot->position = {static_cast<int32_t>(info.x), static_cast<int32_t>(info.y), 0};
  slot->float_position = {info.x, info.y, 0};
  slot->offset_position = {record.x, record.y, 0};
  slot->offset_float_position = {static_cast<float>(record.x), static_cast<float>(record.y), 0};
  AdvSlotTakeSprite(*slot, sprite, info, record, file, name);
  // File 0 is saved under its name (see the buttons' snapshot block).
  if (file == 0) std::memcpy(slot->name.data(), name, slot->name.size());
  StoreButton(context, group, index, slot, labels);
  if (place.set) AdvButtonSetState(context, group, index, 1, 0);
  QueueShow(context, code, group, index);
  return 1;
}

int CmdBtnInit(AdvContext& context) {
  const auto [group, hover, decide] = PopArgs<3>(context);
  AdvDebugPrint(kLogTrace, "btn_init %d, %d, %d", group, hover, decide);
  if (!ButtonGroupValid(group)) {
    AdvDebugPrint(kLogError, "btn_init  %d over ID", group);
    return 1;
  }
  if (context.buttons.groups[group].in_use) {
    AdvDebugPrint(kLogError, "btn_init[%d] : 既に初期化されています。", group);
    return 1;
  }
  AdvButtonGroupInit(context, group, static_cast<uint32_t>(hover), static_cast<uint32_t>(decide));
  return 1;
}

int CmdBtnUninit(AdvContext& context) {
  const int32_t group = PopArg(context);
  AdvDebugPrint(kLogTrace, "btn_uninit  %d", group);
  if (!ButtonGroupValid(group)) {
    AdvDebugPrint(kLogError, "btn_uninit  %d over ID", group);
    return 1;
  }
  ButtonGroup& owner = context.buttons.groups[group];
  if (!owner.in_use) return 1;
  for (ButtonRecord& record : owner.buttons) {
    AdvGraphicSlotFree(context, record.slot);
    record = ButtonRecord{};
  }
  yel::YelButtonRelease(owner.object);
  owner.object = nullptr;
  owner.hovered = -1;
  owner.in_use = 0;
  return 1;
}

int CmdBtnSet(AdvContext& context) {
  const auto [group, index, file, click, on, off, flags] = PopArgs<7>(context);
  if (!CountChecked(group, index)) return 0;
  char name[33] = {};
  const int result = MakeButton(context, kCodeBtnSet, group, index, static_cast<uint32_t>(file),
                                {click, on, off}, static_cast<uint32_t>(flags), {}, name);
  AdvDebugPrint(kLogTrace, "btn_set  %d, %d, %s, %d, %d, %d, %d", group, index, name, click, on,
                off, flags);
  return result;
}

int CmdBtnSetEx(AdvContext& context) {
  const auto [group, index, file, click, on, off, flags, x, y, a, b, width, height] =
      PopArgs<13>(context);
  if (!CountChecked(group, index)) return 0;
  char name[33] = {};
  const int result =
      MakeButton(context, kCodeBtnSetEx, group, index, static_cast<uint32_t>(file),
                 {click, on, off}, static_cast<uint32_t>(flags), {true, x, y, width, height}, name);
  AdvDebugPrint(kLogTrace, "btn_set_ex  %d, %d, %s, %d, %d, %d, %d, %d, %d, %d, %d", group, index,
                name, click, on, off, flags, x, y, a, b);
  return result;
}

// A button whose image is a copy of a layer's picture, transparent until btn_set_alpha.
int CmdBtnBlt(AdvContext& context) {
  const auto [group, index, layer, click, on, off, flags, unused1, unused2, cell_w, cell_h] =
      PopArgs<11>(context);
  (void)unused1;
  (void)unused2;
  AdvDebugPrint(kLogTrace, "btn_blt  %d, %d, %d, %d, %d, %d, %d", group, index, layer, click, on,
                off, flags);
  if (!CountChecked(group, index)) return 0;
  // The layer is checked: a number outside the table or a layer without an image makes none.
  if (layer < 0 || layer >= kLayerCount || !context.layers.layers[layer].slot ||
      !context.layers.layers[layer].slot->sprite) {
    AdvDebugPrint(kLogError, "graph error : 範囲外の値を指定しています。no = %d", layer);
    return 0;
  }
  DropOldButton(context, group, index);
  GraphicSlot* slot = AdvGraphicSlotAlloc(kSlotBankButton, ButtonSlotEntry(group, index));
  if (!slot) return 0;
  YelSprite* source = context.layers.layers[layer].slot->sprite;
  YelSpriteInfo info{};
  yel::YelSpriteGetInfo(source, &info);
  YelSprite* sprite = yel::YelSpriteCreate(yel::YelRenderGetActive(), info.image_width,
                                           info.image_height, ButtonPriority(context, index, 0));
  if (!sprite) {
    AdvGraphicSlotFreeNow(slot);
    return 0;
  }
  yel::YelCopySpriteToSpriteRGB(sprite, 0, 0, source, 0, 0, info.image_width, info.image_height);
  const YelRect cell{0, 0, cell_w, cell_h};
  yel::YelSpriteSetRect(sprite, &cell);
  yel::YelSpriteSetOffsetRect(sprite, cell_w, cell_h);
  yel::YelSpriteViewCtrl(sprite, 0);
  yel::YelButtonEntryEx(context.buttons.groups[group].object, sprite, static_cast<uint32_t>(flags));
  slot->sprite = sprite;
  slot->position = {static_cast<int32_t>(info.x), static_cast<int32_t>(info.y), 0};
  slot->float_position = {info.x, info.y, 0};
  slot->offset_position = {info.offset_x, info.offset_y, 0};
  slot->rotation = {static_cast<int32_t>(info.rotation_x), static_cast<int32_t>(info.rotation_y),
                    static_cast<int32_t>(info.angle)};
  slot->float_rotation = {info.rotation_x, info.rotation_y, info.angle};
  slot->scale = {info.scale_x, info.scale_y};
  slot->colour = info.colour & 0x00FFFFFF;
  slot->offset_colour[0] = 0;
  StoreButton(context, group, index, slot, {click, on, off});
  yel::YelSpriteViewCtrl(sprite, 1);
  AdvAnimStart(slot->animation_id);
  return 1;
}

int CmdBtnRelease(AdvContext& context) {
  const auto [group, index] = PopArgs<2>(context);
  AdvDebugPrint(kLogTrace, "btn_release  %d, %d", group, index);
  if (!ButtonGroupValid(group)) {
    AdvDebugPrint(kLogError, "btn group over error : %d", group);
    return 0;
  }
  // Only -1 or an index of the group names buttons; any other index releases nothing.
  if (index != -1) {
    if (!ButtonIndexValid(group, index)) {
      AdvDebugPrint(kLogError, "btn count over error : %d", index);
      return 0;
    }
    AdvButtonRelease(context, group, index);
    return 1;
  }
  for (int32_t i = 0; i < kButtonsPerGroup; ++i) AdvButtonRelease(context, group, i);
  return 1;
}

constexpr CommandHandler kButtonSlots[] = {
    CmdBtnInit,            // 0x00
    CmdBtnUninit,          // 0x01
    nullptr,               // 0x02
    CmdBtnSet,             // 0x03
    CmdBtnHide,            // 0x04
    CmdBtnShow,            // 0x05
    CmdBtnSetPos,          // 0x06
    CmdBtnSetRect,         // 0x07
    CmdBtnRelease,         // 0x08
    CmdBtnSlideGet,        // 0x09
    CmdBtnSlideSet,        // 0x0A
    CmdBtnSlideBegin,      // 0x0B
    CmdBtnSlideEnd,        // 0x0C
    CmdBtnSetToggle,       // 0x0D
    CmdBtnGetPos,          // 0x0E
    CmdBtnEnable,          // 0x0F
    CmdBtnSetAlpha,        // 0x10
    CmdBtnGetPush,         // 0x11
    CmdBtnExpansion,       // 0x12
    CmdBtnLock,            // 0x13
    CmdBtnUnlock,          // 0x14
    CmdBtnSetAnim,         // 0x15
    CmdBtnSetHit,          // 0x16
    CmdBtnGetOnmouse,      // 0x17
    CmdBtnAnimClear,       // 0x18
    CmdBtnGetOffmouse,     // 0x19
    CmdBtnOnmouseClear,    // 0x1A
    CmdBtnBlt,             // 0x1B
    CmdBtnLink,            // 0x1C
    CmdBtnSetState,        // 0x1D
    CmdBtnGetLink,         // 0x1E
    CmdBtnSetTips,         // 0x1F
    CmdBtnGetTips,         // 0x20
    CmdBtnAnimeIs,         // 0x21
    CmdBtnAnimeGetStatus,  // 0x22
    CmdBtnAnimeFinish,     // 0x23
    CmdBtnMode,            // 0x24
    CmdBtnGetAlpha,        // 0x25
    CmdBtnOnCheck,         // 0x26
    CmdBtnGetToggle,       // 0x27
    CmdBtnGetWh,           // 0x28
    CmdBtnSetEx,           // 0x29
    CmdBtnSetInvalidTime,  // 0x2A
    CmdBtnRunSkip,         // 0x2B
    CmdBtnIsLock,          // 0x2C
    CmdBtnSetChild,        // 0x2D
    CmdBtnIsProcessing,    // 0x2E
    CmdBtnOnmouseNo,       // 0x2F
    CmdBtnGetStatus,       // 0x30
};

}  // namespace

const CommandHandlers kCmdGroupButtonHandlers = {kButtonSlots, std::size(kButtonSlots)};

}  // namespace adv
