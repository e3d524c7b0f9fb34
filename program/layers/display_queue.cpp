// The commit of the display queue: the operations queued since the last commit, applied in the
// order they were queued. Layers show, sprites are released, shown or hidden, and layer
// transitions start.
#include <cstring>

#include "program/commands/button_commands.h"
#include "program/game/adv_context.h"
#include "program/layers/graphic_slots.h"
#include "program/layers/layer_services.h"
#include "program/layers/layer_table.h"
#include "program/layers/transition_calls.h"
#include "program/script/engine_log.h"
#include "program/script/value_stores.h"
#include "program/startup/yel_import.h"
#include "program/text/text_window.h"

namespace adv {
namespace {

enum DisplayCode : uint32_t {
  kShowSprite = 0x30002,
  kShowSpriteEx = 0x30003,
  kShowFace = 0x30014,
  kShowText = 0x30016,
  kShowDrawn = 0x3002B,
  kReleaseSprite = 0x30005,
  kViewShow = 0x3002E,
  kViewHide = 0x3002F,
  kLayerTransition = 0x3000D,
  kShowWithTransition = 0x30032,
  kStartAnimation = 0xF0000001,
};

bool ShowsLayer(uint32_t code) {
  switch (code) {
    case kShowSprite:
    case kShowSpriteEx:
    case kShowFace:
    case kShowText:
    case kShowDrawn:
    case 0xA0005:
    case 0xA0006:
    case 0xA000D:
    case 0xA000E:
    case 0xA0010:
      return true;
    default:
      return false;
  }
}

LayerRecord* LayerOf(AdvContext& context, int32_t layer) {
  if (layer < 0 || layer >= kLayerCount) return nullptr;
  return &context.layers.layers[layer];
}

void StartAnimation(uint32_t id) {
  AdvAnimStart(id);
}

void ShowLayer(AdvContext& context, const DisplayOp& op) {
  LayerRecord* record = LayerOf(context, op.words[0]);
  if (!record || !record->slot) {
    AdvDebugPrint(kLogError,
                  "run error : 既に消されたレイヤーを表示しようとしています。drawlayer = %d",
                  op.words[0]);
    AdvPrintCurrentText(context);
    return;
  }
  // A face shows only while the message window does; the window shows it with itself later.
  const int32_t visible = op.code == kShowFace ? context.text_window.visible : 1;
  yel::YelSpriteViewCtrl(record->slot->sprite, visible);
  StartAnimation(record->slot->animation_id);
}

void StartLayerTransition(AdvContext& context, const DisplayOp& op, YelRender* render) {
  LayerRecord* record = LayerOf(context, op.words[0]);
  if (!record || record->transition_state == kTransitionNone) return;
  if (!record->slot) {
    AdvDebugPrint(kLogError,
                  "run error : 既に消されたレイヤーを表示しようとしています。tran layer = %d",
                  op.words[0]);
    AdvPrintCurrentText(context);
    // The layer is gone: the previous sprite it held for the change goes with it.
    AdvLayerDropPrevious(context, *record, true);
    record->new_sprite = nullptr;
    return;
  }
  if (op.code == kShowWithTransition) {
    yel::YelSpriteViewCtrl(record->slot->sprite, 1);
    StartAnimation(record->slot->animation_id);
  }
  // Under a plain run the full-screen transition covers the change: the layer switches at once.
  uint32_t time = 0;
  if (context.layers.run_no_wait) {
    time = record->transition_time;
  } else {
    record->transition_time = 0;
  }
  // From here the transition owns the previous sprite; one that did not start leaves it to the
  // layer, which lets it go now.
  if (!LayerTransitionStart(render, record->new_sprite, record->previous_sprite,
                            record->transition_kind, yel::YeltimeGetTime(), time,
                            AdvLayerTransitionHandle(*record))) {
    AdvLayerDropPrevious(context, *record, true);
    const bool clearing = record->transition_state == kTransitionClearAtEnd;
    record->transition_state = kTransitionNone;
    if (clearing && !record->slot->sprite) return AdvLayerClear(context, *record);
  }
  record->keep_previous = 0;
  record->new_sprite = nullptr;
  record->previous_sprite = nullptr;
}

void Execute(AdvContext& context, const DisplayOp& op, YelRender* render) {
  if (ShowsLayer(op.code)) return ShowLayer(context, op);
  if (AdvButtonDisplayOp(context, op)) return;
  switch (op.code) {
    case kReleaseSprite:
      yel::YelSpriteRelease(render, op.sprite);
      return;
    case kViewShow:
    case kViewHide:
      yel::YelSpriteViewCtrl(op.sprite, op.words[1]);
      return;
    case kLayerTransition:
    case kShowWithTransition:
      return StartLayerTransition(context, op, render);
    case kStartAnimation:
      return StartAnimation(static_cast<uint32_t>(op.words[0]));
    default:
      return;  // other codes have nothing to act on here
  }
}

}  // namespace

void RunDisplayQueue(AdvContext& context) {
  YelRender* render = yel::YelRenderGetActive();
  while (auto* op =
             reinterpret_cast<DisplayOp*>(yel::YelListPop(context.display_queue, kListDisplayOp))) {
    Execute(context, *op, render);
    yel::YelMemoryFree(op);
  }
  // text_set_auto advances the line it was given for; a commit moves the scene on, and a word
  // left set would cut the next waits short.
  context.text_window.auto_word = 0;
  context.layers.run_no_wait = 0;
}

void DisplayOpDiscard(const DisplayOp& op) {
  if (op.code == kReleaseSprite) yel::YelSpriteRelease(yel::YelRenderGetActive(), op.sprite);
}

void DisplayQueueForgetSprite(AdvContext& context, YelSprite* sprite) {
  if (!sprite || !context.display_queue) return;
  for (YelListNode* node = context.display_queue->next; node; node = node->next) {
    if (node->id != kListDisplayOp) continue;
    auto* op = reinterpret_cast<DisplayOp*>(node->data);
    if (op->sprite == sprite) *op = DisplayOp{};  // code 0: dropped by the commit
  }
}

void AdvLayerEmpty(AdvContext& context, int32_t layer) {
  if (LayerRecord* record = LayerOf(context, layer)) AdvLayerClear(context, *record);
}

}  // namespace adv
