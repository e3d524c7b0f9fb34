#include "program/layers/layer_transitions.h"

#include <cstring>

#include "program/game/adv_context.h"
#include "program/layers/graphic_slots.h"
#include "program/layers/layer_services.h"
#include "program/layers/layer_table.h"
#include "program/layers/sprite_loader.h"
#include "program/script/engine_log.h"
#include "program/script/script_names.h"
#include "program/script/skip_state.h"
#include "program/script/value_stores.h"
#include "program/startup/startup_names.h"
#include "program/startup/yel_import.h"

namespace adv {
namespace {

constexpr int32_t kTransitionKindTable[] = {0, 1};
constexpr uint32_t kShowLayer = 0x30002;
constexpr uint32_t kReleaseSprite = 0x30005;
constexpr uint32_t kStartClear = 0x3000D;
constexpr uint32_t kShowWithTransition = 0x30032;
constexpr uint32_t kCompositionKeptBits = 0xF0000000;
constexpr uint32_t kAnimationAttribute = 0x4000;

// Skipping, or effects switched off: the change is made plainly, without a transition.
bool PlainChange(AdvContext& context) {
  return AdvSkipState(context) != 0 || !yel::YelEffectEnableIs();
}

void Queue(AdvContext& context, uint32_t code, int32_t layer) {
  DisplayOp op;
  op.code = code;
  op.words[0] = layer;
  DisplayQueueAppend(context, op);
}

void QueueRelease(AdvContext& context, YelSprite* sprite) {
  if (!sprite) return;
  DisplayOp op;
  op.code = kReleaseSprite;
  op.sprite = sprite;
  DisplayQueueAppend(context, op);
}

// What a one-step change drops even when it fails later: the blink sprite, the movie to replay
// and the recorded operations (child links stay); the script's pixel lock names the old image.
void DropLayerExtras(LayerRecord& record) {
  record.pixel_lock = PixelLock{};
  if (record.blink_sprite) yel::YelSpriteRelease(yel::YelRenderGetActive(), record.blink_sprite);
  record.blink_sprite = nullptr;
  record.movie_argument = 0;
  for (CompositionEntry& entry : record.compositions) entry.kind &= kCompositionKeptBits;
}

YelRect SpriteRect(YelSprite* sprite) {
  YelRect rect{};
  yel::YelSpriteGetRect(sprite, &rect);
  return rect;
}

// The new image keeps the old one's centre: positions move by half the difference of the sizes.
void CentreOnOld(GraphicSlot& slot, const YelRect& old_rect, const YelRect& new_rect) {
  const int32_t dx = ((new_rect.right - new_rect.left) - (old_rect.right - old_rect.left)) >> 1;
  const int32_t dy = ((new_rect.bottom - new_rect.top) - (old_rect.bottom - old_rect.top)) >> 1;
  slot.position[0] -= dx, slot.position[1] -= dy;
  slot.float_position[0] -= static_cast<float>(dx);
  slot.float_position[1] -= static_cast<float>(dy);
}

}  // namespace

int32_t AdvTransitionKind(int32_t script_kind) {
  if (script_kind < 0 || script_kind > 1) return kTransitionKindTable[0];
  return kTransitionKindTable[script_kind];
}

int AdvLayerCopyImage(AdvContext& context, int32_t layer) {
  LayerRecord& record = context.layers.layers[layer];
  if (record.transition_state != kTransitionNone) AdvLayerCancelTransition(context, record);
  AdvLayerDropPrevious(context, record, false);
  record.keep_previous = 1;
  if (record.slot) {
    record.previous_sprite = record.slot->sprite;
    record.slot->sprite = nullptr;
  }
  record.pixel_lock = PixelLock{};
  AdvDebugPrint(kLogTrace, "sp_copy_image %d", layer);
  return 1;
}

int AdvLayerStartChange(AdvContext& context, int32_t layer, int32_t kind, int32_t time) {
  LayerRecord& record = context.layers.layers[layer];
  if (!AdvLayerTransitionHandle(record)) {
    AdvDebugPrint(kLogError, "sprite create transition handle error");
    return 0;
  }
  if (!record.slot) return 1;
  record.new_sprite = record.slot->sprite;
  record.transition_time = static_cast<uint32_t>(time);
  record.transition_kind = AdvTransitionKind(kind);
  if (!PlainChange(context)) {
    record.transition_state = kTransitionChangePending;
    AdvDebugPrint(kLogTrace, "sp_transition %d, %d, %d", layer, kind, time);
    Queue(context, kShowWithTransition, layer);
    return 1;
  }
  AdvLayerDropPrevious(context, record, true);
  record.new_sprite = nullptr;
  record.transition_state = kTransitionNone;
  AdvDebugPrint(kLogTrace, "[skip]sp_transition %d, %d, %d", layer, kind, time);
  Queue(context, kShowLayer, layer);
  return 1;
}

int AdvLayerSetTransition(AdvContext& context, uint32_t file, int32_t layer, int32_t kind,
                          int32_t time) {
  LayerRecord& record = context.layers.layers[layer];
  DropLayerExtras(record);
  if (file == kNoReference) return 1;
  if (!record.slot) {
    AdvDebugPrint(kLogError, "sprite transition error : no image [%d]", layer);
    return 0;
  }
  uint8_t name[33] = {};
  AdvGetFileName(context, name, file, true);
  char load_name[33] = {};
  std::memcpy(load_name, name, 32);
  AdvDebugPrint(kLogTrace, "sp_set_transition  %s, %d, %d, %d", load_name, layer, kind, time);
  if (!AdvLayerTransitionHandle(record)) {
    AdvDebugPrint(kLogError, "sprite create transition handle error [%s]", load_name);
    return 0;
  }
  AdvLayerCancelTransition(context, record);
  // The cancel may have ended a clear of the layer, and a layer being cleared has given its
  // sprite to the clear: either way there is no old image to change from.
  GraphicSlot* slot = record.slot;
  if (!slot || !slot->sprite) {
    AdvDebugPrint(kLogError, "sprite transition error : no image [%d]", layer);
    return 0;
  }
  YelSprite* old_sprite = slot->sprite;
  const YelRect old_rect = SpriteRect(old_sprite);
  AdvLayerDropPrevious(context, record, false);
  record.keep_previous = 1;
  record.previous_sprite = old_sprite;
  record.transition_kind = AdvTransitionKind(kind);
  record.transition_time = static_cast<uint32_t>(time);
  YelSpriteInfo old_info{};
  yel::YelSpriteGetInfo(old_sprite, &old_info);
  int32_t priority = old_info.priority;
  GraphicDatRecord graphic;
  if (AdvGraphicDatFind(load_name, &graphic)) {
    std::memcpy(load_name, graphic.file_name.data(), kGraphicDatNameSize);
    priority += kPriorityStep * graphic.priority_step;
    slot->record = graphic;
  }
  // The old sprite is the previous one now; the slot holds the new one or none.
  slot->sprite =
      AdvSpriteLoadUnlocked(context, load_name, AdvWindowWidth, AdvWindowHeight, priority);
  if (!slot->sprite) return 0;
  record.new_sprite = slot->sprite;
  slot->image_word = file;
  if (file & kStringVariableBit) std::memcpy(slot->name.data(), name, slot->name.size());
  yel::YelSpriteSetRenderMode(slot->sprite, old_info.render_mode);
  const YelRect new_rect = SpriteRect(slot->sprite);
  if (slot->rect_enabled)
    slot->rect = {new_rect.left, new_rect.top, new_rect.right, new_rect.bottom};
  CentreOnOld(*slot, old_rect, new_rect);
  AdvGraphicSlotApply(context, *slot);
  AdvGraphicApplyAttributes(*slot, slot->record,
                            slot->animation_id ? ~kAnimationAttribute : 0xFFFFFFFF);
  if (!PlainChange(context)) {
    record.transition_state = kTransitionChangePending;
    Queue(context, kShowWithTransition, layer);
    return 1;
  }
  QueueRelease(context, record.previous_sprite);
  record.previous_sprite = nullptr;
  record.keep_previous = 0;
  record.new_sprite = nullptr;
  record.transition_state = kTransitionNone;
  Queue(context, kShowLayer, layer);
  return 1;
}

int AdvLayerClearTransition(AdvContext& context, int32_t layer, int32_t kind, int32_t time) {
  LayerRecord& record = context.layers.layers[layer];
  if (!record.slot || record.transition_state == kTransitionClearAtEnd) return 1;
  if (!PlainChange(context)) {
    if (!AdvLayerTransitionHandle(record)) {
      AdvDebugPrint(kLogError, "sprite create transition handle error [cls]");
      return 0;
    }
    AdvLayerCancelTransition(context, record);
    AdvLayerDropPrevious(context, record, false);
    record.transition_state = kTransitionClearAtEnd;
    record.keep_previous = 1;
    record.new_sprite = nullptr;
    record.previous_sprite = record.slot->sprite;
    record.transition_kind = AdvTransitionKind(kind);
    record.transition_time = static_cast<uint32_t>(time);
    record.slot->sprite = nullptr;
    Queue(context, kStartClear, layer);
  } else {
    AdvLayerRelease(context, record);
  }
  AdvDebugPrint(kLogTrace, "sp_cls_transition  %d, %d, %d", layer, kind, time);
  return 1;
}

}  // namespace adv
