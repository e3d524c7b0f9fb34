#include "program/buttons/button_manager.h"

#include "program/game/adv_context.h"
#include "program/layers/graphic_slots.h"
#include "program/script/engine_log.h"
#include "program/script/instructions.h"
#include "program/script/script_names.h"
#include "program/script/script_run.h"
#include "program/script/skip_state.h"
#include "program/sound/sound_services.h"
#include "program/startup/yel_import.h"
#include "program/text/text_services.h"

namespace adv {
namespace {

constexpr uint32_t kPrimaryMouseButton = 0x800000;

std::array<ButtonChildLink, kButtonGroupCount * kButtonsPerGroup>& ChildLinks() {
  static std::array<ButtonChildLink, kButtonGroupCount * kButtonsPerGroup> links{};
  return links;
}

YelSprite* SpriteOf(const ButtonRecord& record) {
  return record.slot ? record.slot->sprite : nullptr;
}

// The pauses a button starts are left out while the script skips.
void PauseUnlessSkipping(AdvContext& context, uint32_t ms) {
  if (AdvSkipState(context) == 0) AdvButtonPauseStart(context, ms);
}

// A lock ends by itself once its time has passed; either way the group does nothing this frame.
bool GroupLocked(ButtonGroup& group, uint32_t now) {
  if (!group.lock) return false;
  if (group.lock_time != 0 && now - group.lock_start >= group.lock_time) group.lock = 0;
  return true;
}

void Click(AdvContext& context, int32_t g, YelSprite* decided) {
  ButtonGroup& group = context.buttons.groups[g];
  bool cancelled = false;
  for (int32_t i = kButtonsPerGroup - 1; i >= 0; --i) {
    ButtonRecord& record = group.buttons[i];
    if (!decided || SpriteOf(record) != decided) continue;
    if (record.click_label == 0) {
      cancelled = true;
      break;
    }
    if (record.flags & kButtonLocked) continue;
    AdvDebugPrint(kLogTrace, "click btn[%d][%d] [%d] ret / %d", g, i, record.click_label,
                  context.script.pc);
    ButtonCallLabel(context, record.click_label, kReturnClick);
    group.clicked = i;
    PauseUnlessSkipping(context, kClickPauseMs);
    break;
  }
  // The off label runs first and returns into the click label.
  if (group.hovered >= 0 && !cancelled) AdvButtonLeave(context, g);
}

void Enter(AdvContext& context, int32_t g, YelSprite* hovered) {
  ButtonGroup& group = context.buttons.groups[g];
  for (int32_t i = kButtonsPerGroup - 1; i >= 0; --i) {
    ButtonRecord& record = group.buttons[i];
    if (SpriteOf(record) != hovered) continue;
    if (record.on_label == 0) return;
    if (record.flags & kButtonLocked) continue;
    AdvDebugPrint(kLogTrace, "on btn[%d][%d] [%d] ret / %d / stack(%d)", g, i, record.on_label,
                  context.script.pc, context.values.value_count);
    ButtonCallLabel(context, record.on_label, kReturnContinue);
    group.on_mouse = i;
    group.hovered = i;
    yel::YelSpriteGetInfo(hovered, &group.hovered_info);
    PauseUnlessSkipping(context, kHoverPauseMs);
    return;
  }
}

void Hover(AdvContext& context, int32_t g, YelSprite* hovered) {
  ButtonGroup& group = context.buttons.groups[g];
  if (group.hovered >= 0) {
    if (SpriteOf(group.buttons[group.hovered]) != hovered) AdvButtonLeave(context, g);
    return;
  }
  Enter(context, g, hovered);
}

// One group's frame; true when it decided a button or its decide sound still plays.
bool GroupFrame(AdvContext& context, int32_t g, uint32_t now) {
  ButtonGroup& group = context.buttons.groups[g];
  if (!group.in_use || GroupLocked(group, now)) return false;
  YelButtonReaction reaction{};
  yel::YelButtonGetReaction(group.object, &reaction);
  if (reaction.processing) {
    yel::YelInputClear();
    return true;
  }
  if (reaction.decided) {
    Click(context, g, reaction.decided);
    return true;
  }
  if (reaction.hovered) {
    Hover(context, g, reaction.hovered);
  } else if (group.hovered >= 0 && SpriteOf(group.buttons[group.hovered])) {
    AdvButtonLeave(context, g);
    PauseUnlessSkipping(context, kHoverPauseMs);
  }
  return false;
}

}  // namespace

bool ButtonGroupValid(int32_t group) {
  return group >= 0 && group < kButtonGroupCount;
}

bool ButtonIndexValid(int32_t group, int32_t index) {
  if (!ButtonGroupValid(group) || index < 0) return false;
  return index < (group == kButtonGroupCount - 1 ? kLastGroupButtons : kButtonsPerGroup);
}

ButtonRecord* ButtonFind(AdvContext& context, int32_t group, int32_t index) {
  if (!ButtonIndexValid(group, index)) return nullptr;
  ButtonRecord& record = context.buttons.groups[group].buttons[index];
  return record.slot ? &record : nullptr;
}

int32_t ButtonSlotEntry(int32_t group, int32_t index) {
  return kButtonsPerGroup * group + index;
}

void ButtonCallLabel(AdvContext& context, uint32_t offset, uint32_t tag) {
  PushDataEntry(context, kListReturnPoint, context.script.pc, tag);
  context.script.pc = context.script.origin + offset;
}

uint32_t ButtonLabelOffset(AdvContext& context, int32_t label) {
  uint32_t offset = 0;
  if (label == 0 || !LabelOffset(context, static_cast<uint32_t>(label), &offset)) return 0;
  return offset;
}

void AdvButtonPauseStart(AdvContext& context, uint32_t ms) {
  context.buttons.input_block = InputBlock{yel::YeltimeGetTime(), ms};
}

void AdvButtonLeave(AdvContext& context, int32_t g) {
  ButtonGroup& group = context.buttons.groups[g];
  if (group.hovered < 0) return;
  const ButtonRecord& record = group.buttons[group.hovered];
  group.off_mouse = group.hovered;
  group.hovered = -1;
  if (record.off_label == 0) return;
  AdvDebugPrint(kLogTrace, "off btn[%d] ret / %d / stack(%d)", record.off_label, context.script.pc,
                context.values.value_count);
  ButtonCallLabel(context, record.off_label, kReturnContinue);
}

bool AdvButtonUpdateFrame(AdvContext& context) {
  if (context.buttons.input_block.duration != 0) return false;
  const uint32_t now = yel::YeltimeGetTime();
  bool result = false;
  for (int32_t g = 0; g < kButtonGroupCount; ++g) result |= GroupFrame(context, g, now);
  // No auto advance that was pending fires into the click's label.
  if (result) context.text_window.auto_word = 0;
  return result;
}

bool AdvButtonUpdate(AdvContext& context) {
  return AdvButtonUpdateFrame(context);
}

bool AdvButtonHitAny(AdvContext& context) {
  const uint32_t keys =
      context.buttons.input_mode ? yel::YelInputGetKeyPull() : yel::YelInputGetKeyPush();
  if (!(keys & kPrimaryMouseButton)) return false;
  const int32_t x = yel::YelInputGetMouseX(), y = yel::YelInputGetMouseY();
  for (const ButtonGroup& group : context.buttons.groups) {
    if (group.in_use && group.object && yel::YelButtonHitTest(group.object, x, y)) return true;
  }
  return false;
}

namespace {

// The sound of a file argument as the group keeps it: the argument and its channel, or none.
void GroupSound(AdvContext& context, uint32_t argument, uint32_t* kept, YelSoundHandle* channel) {
  *kept = 0;
  *channel = 0;
  if (argument == 0 || argument == kNoReference) return;
  uint8_t name[33] = {};
  AdvGetFileName(context, name, argument, true);
  if (name[0] == 0) return;
  *kept = argument;
  *channel = AdvSoundLoad(context, reinterpret_cast<const char*>(name), kSoundTypeSe0, nullptr);
}

}  // namespace

void AdvButtonGroupInit(AdvContext& context, int32_t g, uint32_t hover_sound,
                        uint32_t decide_sound) {
  ButtonGroup& group = context.buttons.groups[g];
  group = ButtonGroup{};
  GroupSound(context, hover_sound, &group.hover_sound, &group.hover_channel);
  GroupSound(context, decide_sound, &group.decide_sound, &group.decide_channel);
  group.object = yel::YelButtonCreateEx(group.hover_channel, group.decide_channel);
  group.in_use = 1;
}

void AdvButtonRelease(AdvContext& context, int32_t g, int32_t index) {
  ButtonGroup& group = context.buttons.groups[g];
  ButtonRecord& record = group.buttons[index];
  if (!record.slot) return;
  yel::YelButtonDelete(group.object, record.slot->sprite);
  AdvGraphicSlotFree(context, record.slot);
  record.link = 0;
  if (group.hovered == index) AdvButtonLeave(context, g);
  record = ButtonRecord{};
}

void AdvButtonGroupUnload(AdvContext& context, int32_t g) {
  ButtonGroup& group = context.buttons.groups[g];
  if (group.in_use) {
    for (ButtonRecord& record : group.buttons) {
      // The slot goes with its sprite and its frame animation at once: a reset frees everything.
      AdvGraphicSlotFreeNow(record.slot);
    }
    if (group.object) yel::YelButtonRelease(group.object);
  }
  group = ButtonGroup{};
}

void AdvButtonUnloadAll(AdvContext& context) {
  context.buttons.run_skip = 0;
  for (int32_t g = 0; g < kButtonGroupCount; ++g) AdvButtonGroupUnload(context, g);
}

int AdvButtonSetVisible(AdvContext& context, int32_t group, int32_t index, int32_t visible) {
  if (!ButtonGroupValid(group) || index < -1 || index >= kButtonsPerGroup) return 0;
  for (int32_t i = 0; i < kButtonsPerGroup; ++i) {
    if (index != -1 && i != index) continue;
    if (YelSprite* sprite = SpriteOf(context.buttons.groups[group].buttons[i])) {
      yel::YelSpriteViewCtrl(sprite, visible);
    }
  }
  return 1;
}

void AdvTextButtonGroupView(AdvContext& context, uint16_t group, int32_t visible) {
  if (group != kNoButtonGroup) AdvButtonSetVisible(context, group, -1, visible);
}

int AdvButtonSetState(AdvContext& context, int32_t group, int32_t index, int32_t enabled,
                      int32_t row) {
  if (ButtonRecord* record = ButtonFind(context, group, index)) {
    YelButton* object = context.buttons.groups[group].object;
    yel::YelButtonCtrl(object, record->slot->sprite, enabled);
    yel::YelButtonSetPos(object, record->slot->sprite, row);
  }
  return 1;
}

int AdvButtonReset(AdvContext& context, int32_t group, int32_t index) {
  if (ButtonRecord* record = ButtonFind(context, group, index)) {
    YelButton* object = context.buttons.groups[group].object;
    yel::YelButtonReset(object, record->slot->sprite);
    yel::YelButtonSetPos(object, record->slot->sprite, 3);
  }
  return 1;
}

int AdvButtonSetPos(AdvContext& context, int32_t group, int32_t index, int32_t row) {
  if (ButtonRecord* record = ButtonFind(context, group, index)) {
    yel::YelButtonSetPos(context.buttons.groups[group].object, record->slot->sprite, row);
  }
  return 1;
}

int32_t AdvButtonGetSpecial(const AdvContext& context, int32_t group, int32_t style) {
  if (!ButtonGroupValid(group)) return -1;
  const auto& special = context.buttons.groups[group].special;
  switch (style) {
    case 1:
      return special[0];
    case 3:
      return special[1];
    case 2:
      return special[2];
    case 4:
      return special[3];
    case 8:
      return special[4];
    case 10:
      return special[5];
    default:
      return -1;
  }
}

ButtonChildLink& ButtonChildLinkAt(int32_t group, int32_t index) {
  return ChildLinks()[static_cast<size_t>(ButtonSlotEntry(group, index))];
}

void AdvButtonChildLinkClear() {
  ChildLinks().fill(ButtonChildLink{});
}

void AdvButtonChildLinkUpdate(AdvContext&) {
  for (ButtonChildLink& link : ChildLinks()) {
    if (!link.child || link.parent == 0) continue;
    GraphicSlot* parent = AdvGraphicSlotFromIndex(AdvImageNoToSlot(link.parent));
    // A child or parent whose button is gone has nothing to follow: the child stays put.
    if (!parent || !AdvGraphicSlotListed(*parent) || !AdvGraphicSlotListed(*link.child)) continue;
    const uint32_t colour = link.child->colour;
    AdvGraphicSlotInheritParent(*link.child, *parent);
    link.child->colour = colour;
  }
}

}  // namespace adv
