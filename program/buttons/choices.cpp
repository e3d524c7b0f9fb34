#include "program/buttons/choices.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "program/buttons/button_manager.h"
#include "program/game/adv_context.h"
#include "program/layers/sprite_loader.h"
#include "program/savedata/save_files.h"
#include "program/savedata/snapshot_services.h"
#include "program/script/command_args.h"
#include "program/script/engine_log.h"
#include "program/script/instructions.h"
#include "program/script/script_names.h"
#include "program/script/script_run.h"
#include "program/script/select_scan.h"
#include "program/script/skip_state.h"
#include "program/script/value_stores.h"
#include "program/startup/startup_names.h"
#include "program/startup/yel_import.h"
#include "program/text/text_services.h"
#include "program/text/text_window.h"

namespace adv {
namespace {

// A block holds at most this many select_item calls.
constexpr int32_t kMaxItemCalls = 15;
constexpr int32_t kChoicePriorityOffset = 4871;
constexpr uint32_t kDecidePauseMs = 100;
constexpr uint32_t kDecideKeys = 0x800006;
constexpr uint32_t kKeyUp = 0x80;
constexpr uint32_t kKeyDown = 0x100;
constexpr uint32_t kOpaque = 0xFF000000;
constexpr uint32_t kDimmed = 0x7F000000;
constexpr uint32_t kDimmedText = 0x7FFFFFFF;
constexpr int32_t kLogSelection = 16;
// The system buttons a running choice keeps to itself, so that their keys reach the choice.
constexpr int32_t kChoiceSystemButtons[] = {3, 17, 18};

enum ChoiceColour { kNormal = 0, kHover = 1 };

void PostChoiceEvent(AdvContext& context, int32_t param) {
  EventMessage::Slot& slot = context.events.slots[kChoiceEventSlot];
  slot.flag = 1;
  slot.param = param;
  context.events.pending = 1;
}

void ReleaseChoiceSprites(AdvContext& context) {
  SelectState& select = context.select;
  YelRender* render = yel::YelRenderGetActive();
  for (int32_t i = 0; i < select.item_count && i < kChoiceCount; ++i) {
    ChoiceItem& item = select.items[i];
    if (item.sprite) yel::YelSpriteRelease(render, item.sprite);
    if (item.text_sprite) yel::YelSpriteRelease(render, item.text_sprite);
    item.sprite = nullptr;
    item.text_sprite = nullptr;
  }
}

// The three come back whatever they were before the choice: a load or a reset during a choice
// rebuilds it over buttons the old one left disabled, so nothing can tell which the script itself
// had disabled.
void RestoreSystemButtons(AdvContext& context) {
  for (int32_t button : kChoiceSystemButtons) context.buttons.system_buttons[button].enabled = 1;
}

void DisableSystemButtons(AdvContext& context) {
  for (int32_t button : kChoiceSystemButtons) context.buttons.system_buttons[button].enabled = 0;
}

void Paint(const ChoiceItem& item, uint32_t colour, uint32_t text_colour) {
  if (item.sprite) yel::YelSpriteSetColor(item.sprite, colour);
  if (item.text_sprite) yel::YelSpriteSetColor(item.text_sprite, text_colour);
}

void PlaceItem(ChoiceItem& item, int32_t x, int32_t y) {
  YelSpriteInfo image{}, text{};
  if (item.sprite) {
    yel::YelSpriteRectSetPos(item.sprite, 0, item.row);
    yel::YelSpriteSetPos(item.sprite, static_cast<float>(x), static_cast<float>(y), 0);
    yel::YelSpriteGetInfo(item.sprite, &image);
  }
  yel::YelSpriteGetInfo(item.text_sprite, &text);
  const int32_t text_x = x + (image.cell_width >> 1) - (text.cell_width >> 1);
  const int32_t text_y = y + (image.cell_height >> 1) - (text.cell_height >> 1);
  yel::YelSpriteSetPos(item.text_sprite, static_cast<float>(text_x), static_cast<float>(text_y), 0);
  if (item.sprite) yel::YelSpriteViewCtrl(item.sprite, 1);
  yel::YelSpriteViewCtrl(item.text_sprite, 1);
}

// Per select_item call: the arguments come off the stack; a shown item gets its sprites.
class ItemBuilder {
 public:
  explicit ItemBuilder(AdvContext& context) : context_(context) {}

  bool Add() {
    const auto [text, label, x, y, flags, row] = PopArgs<6>(context_);
    if (++calls_ > kMaxItemCalls) {
      AdvDebugPrint(kLogError, "[%d]select命令が多すぎます。", context_.script.pc);
      return false;
    }
    ChoiceItem& item = context_.select.items[created_];
    item.label = ButtonLabelOffset(context_, label);
    if (!(flags & kChoiceShown)) return true;
    return Create(item, static_cast<uint32_t>(text), x, y, static_cast<uint32_t>(flags), row);
  }
  int32_t created() const { return created_; }

 private:
  bool Create(ChoiceItem& item, uint32_t text, int32_t x, int32_t y, uint32_t flags, int32_t row) {
    const SelectState& select = context_.select;
    uint8_t name[33] = {};
    AdvGetFileName(context_, name, static_cast<uint32_t>(select.init_image), true);
    const int32_t priority = context_.skip.priority_base + kChoicePriorityOffset;
    item.sprite = AdvSpriteLoadUnlocked(context_, reinterpret_cast<const char*>(name),
                                        AdvWindowWidth, AdvWindowHeight, priority);
    item.row = row;
    item.flags = flags;
    const std::string words = AdvGetStringText(context_, text, kChoiceTextBytes);
    item.text_sprite =
        yel::YelSpriteCreateText(yel::YelRenderGetActive(), words.c_str(), priority, 0xFFFFFFFF);
    if (!item.text_sprite) {
      AdvDebugPrint(kLogError, "select CreateText 失敗[%s]", words.c_str());
      return false;
    }
    if (flags & kChoiceSelectable) {
      Paint(item, select.init_colours[kNormal], 0xFFFFFFFF);
    } else {
      Paint(item, (select.init_colours[kNormal] & ~kOpaque) | kDimmed, kDimmedText);
    }
    PlaceItem(item, x, y);
    std::strncpy(item.text.data(), words.c_str(), item.text.size() - 1);
    AdvDebugPrint(kLogTrace, "select[%d] %s, %d, %d", created_, item.text.data(), x, y);
    ++created_;
    return true;
  }

  AdvContext& context_;
  int32_t calls_ = 0;
  int32_t created_ = 0;
};

// A running scene or history skip stops at a choice: the scene is rebuilt from a save point
// taken on this select, which then runs again without skipping.
bool CancelSkip(AdvContext& context) {
  SkipWords& skip = context.skip;
  if (skip.history_skip) {
    AdvDebugPrint(kLogError, "cancel history skip select\n pont=%x save=%x",
                  skip.history_skip_target, context.save.resume_offset);
    skip.history_skip = 0;
  } else if (skip.scene_skip) {
    yel::YelEndUpdate();
    AdvDebugPrint(kLogTrace, "cancel scene skip select\n");
    skip.scene_skip = 0;
  } else {
    return false;
  }
  TakeSavePoint(context, context.script.pc - kCommandCallSize);
  ReloadSnapshot(context);
  return true;
}

void MoveKeySelection(AdvContext& context, uint32_t keys) {
  SelectState& select = context.select;
  if (keys & kKeyUp) {
    select.key_selection = select.key_selection <= 0 ? 0 : select.key_selection - 1;
  } else {
    select.key_selection = std::min(select.key_selection + 1, select.item_count - 1);
  }
  const ChoiceItem& item = select.items[select.key_selection];
  if (!item.sprite) return;
  YelSpriteInfo info{};
  yel::YelSpriteGetInfo(item.sprite, &info);
  yel::YelCursorSetPos(static_cast<int32_t>(info.x) + info.cell_width / 2,
                       static_cast<int32_t>(info.y) + info.cell_height / 2);
}

// The decision: the script goes on at the item's label, or after the block when it has none.
void Decide(AdvContext& context, int32_t index, uint32_t after_block) {
  SelectState& select = context.select;
  const ChoiceItem& item = select.items[index];
  context.script.pc = item.label != 0 ? context.script.origin + item.label : after_block;
  AdvDebugPrint(kLogSelection, "SELECT[%s]", item.text.data());
  ReleaseChoiceSprites(context);
  context.text_window.auto_word = 0;
  if (AdvSkipState(context) == 0) AdvButtonPauseStart(context, kDecidePauseMs);
  RestoreSystemButtons(context);
  yel::YelInputClear();
  SnapshotCompress(context);
  PostChoiceEvent(context, 1);
  HistorySnapshotSave(context);
}

// The pointer over the items: 0, index + 1 for the hovered item, or that OR 0x200 once decided.
uint32_t PointerPass(AdvContext& context, uint32_t after_block) {
  SelectState& select = context.select;
  const int32_t mouse_x = yel::YelInputGetMouseX(), mouse_y = yel::YelInputGetMouseY();
  uint32_t value = 0;
  for (int32_t i = 0; i < select.item_count; ++i) {
    ChoiceItem& item = select.items[i];
    if (!(item.flags & kChoiceSelectable)) continue;
    const int32_t row = select.row_lock ? 0 : item.row;
    if (!item.sprite || !yel::YelSpriteHit(item.sprite, mouse_x, mouse_y, 0)) {
      Paint(item, select.init_colours[kNormal], select.init_colours[kNormal]);
      if (item.sprite) yel::YelSpriteRectSetPos(item.sprite, 0, row);
      continue;
    }
    Paint(item, select.init_colours[kHover], select.init_colours[kHover]);
    yel::YelSpriteRectSetPos(item.sprite, 0, row + 1);
    const uint32_t keys =
        context.buttons.input_mode ? yel::YelInputGetKeyPull() : yel::YelInputGetKeyPush();
    if (keys & kDecideKeys) {
      Decide(context, i, after_block);
      return (static_cast<uint32_t>(i) + 1) | kChoiceDecided;
    }
    value = static_cast<uint32_t>(i) + 1;
  }
  return value;
}

// Hooks run as subroutines in this same pass, so each reaches its ret before the choice goes
// on: the last one called runs first (leave, then enter or decide).
void RunHooks(AdvContext& context, uint32_t value) {
  SelectState& select = context.select;
  const uint32_t before = select.reaction & 0xFFFF;
  select.reaction = (select.reaction << 16) | value;
  if (value == before) return;
  const uint32_t enter = select.hooks[0], leave = select.hooks[1], decide = select.hooks[2];
  bool called = false;
  if ((value & kChoiceDecided) && decide) {
    ButtonCallLabel(context, decide, kReturnContinue);
    called = true;
  } else if (value != 0 && !(value & kChoiceDecided) && enter) {
    ButtonCallLabel(context, enter, kReturnContinue);
    called = true;
  }
  if (before != 0 && leave) {
    ButtonCallLabel(context, leave, kReturnContinue);
    called = true;
  }
  if (called) context.script.stop = 0;
}

}  // namespace

int AdvSelectBuild(AdvContext& context) {
  if (CancelSkip(context)) return 1;
  TakeSavePoint(context, context.script.pc - kCommandCallSize);
  AdvTextWindowShow(context, context.text_window, PopArg(context));
  // Sprites a failed block left behind go before the new items take their places.
  ReleaseChoiceSprites(context);
  ItemBuilder builder(context);
  const int result = SelectRunItemList(context, [&builder](AdvContext&) { return builder.Add(); });
  SelectState& select = context.select;
  if (result == 0) {
    // The sprites made so far stay until select_clear, a cancel or a reset releases them.
    select.item_count = builder.created();
    select.shown = 0;
    return 0;
  }
  select.key_selection = -1;
  select.item_count = builder.created();
  select.shown = 1;
  select.reaction = 0;
  PostChoiceEvent(context, 0);
  return 1;
}

int AdvSelectFrame(AdvContext& context) {
  const uint32_t keys = yel::YelInputGetKeyPush();
  DisableSystemButtons(context);
  const uint32_t after_block = context.script.pc;
  if (!ForcedSkipRunning(context)) context.script.pc -= kCommandCallSize;
  context.script.stop = 1;
  SelectState& select = context.select;
  if (!select.shown) return 1;
  if (select.item_count == 0) {
    AdvDebugPrint(kLogError, "[%d]意味のないend_select命令が呼び出されました。", context.script.pc);
    return 1;
  }
  if (keys & (kKeyUp | kKeyDown)) {
    MoveKeySelection(context, keys);
    return 1;
  }
  RunHooks(context, PointerPass(context, after_block));
  return 1;
}

void AdvSelectSetVisible(AdvContext& context, int32_t visible) {
  SelectState& select = context.select;
  select.shown = static_cast<uint32_t>(visible);
  for (int32_t i = 0; i < select.item_count; ++i) {
    const ChoiceItem& item = select.items[i];
    if (!visible) {
      Paint(item, 0, 0);
    } else if (item.flags & kChoiceSelectable) {
      Paint(item, select.init_colours[kNormal], 0xFFFFFFFF);
    } else {
      Paint(item, (select.init_colours[kNormal] & ~kOpaque) | kDimmed, kDimmedText);
    }
  }
}

void AdvSelectCancel(AdvContext& context) {
  SelectState& select = context.select;
  if (!select.items[0].sprite && !select.items[0].text_sprite) return;
  ReleaseChoiceSprites(context);
  if (AdvSkipState(context) == 0) AdvButtonPauseStart(context, kDecidePauseMs);
  RestoreSystemButtons(context);
  yel::YelInputClear();
  PostChoiceEvent(context, 1);
}

void AdvSelectRelease(AdvContext& context) {
  SelectState& select = context.select;
  YelRender* render = yel::YelRenderGetActive();
  for (ChoiceItem& item : select.items) {
    if (item.sprite) yel::YelSpriteRelease(render, item.sprite);
    if (item.text_sprite) yel::YelSpriteRelease(render, item.text_sprite);
  }
  select = SelectState{};
}

bool AdvSelectShown(const AdvContext& context) {
  return context.select.items[0].sprite || context.select.items[0].text_sprite;
}

void AdvSelectSpritesRelease(AdvContext& context) {
  ReleaseChoiceSprites(context);
}

}  // namespace adv
