#include "program/layers/layer_table.h"

#include <cmath>
#include <cstring>

#include "program/game/adv_context.h"
#include "program/layers/graphic_slots.h"
#include "program/layers/layer_loads.h"
#include "program/layers/layer_services.h"
#include "program/layers/sprite_loader.h"
#include "program/layers/transition_calls.h"
#include "program/script/engine_log.h"
#include "program/script/script_names.h"
#include "program/script/skip_state.h"
#include "program/script/value_stores.h"
#include "program/startup/startup_names.h"
#include "program/startup/yel_import.h"

namespace adv {
namespace {

constexpr uint32_t kShakeForever = 0xFFFFFFFF;
constexpr int32_t kInheritingLayers = 64;
constexpr uint32_t kDisplayReleaseSprite = 0x30005;

// The part of a release that both kinds share, after the slot has gone.
void ReleaseRest(AdvContext& context, LayerRecord& record) {
  if (record.blink_sprite) yel::YelSpriteRelease(yel::YelRenderGetActive(), record.blink_sprite);
  LayerTransitionRelease(record.transition);
  (void)context;
  record = LayerRecord{};
}

bool ValidChild(uint32_t layer) {
  return layer < static_cast<uint32_t>(kLayerCount);
}

template <typename Fn>
void ForEachChild(AdvContext& context, const LayerRecord& record, Fn fn) {
  if (!(record.flags & kLayerComposition)) return;
  for (const CompositionEntry& entry : record.compositions) {
    if (entry.kind & kCompositionChildLink && ValidChild(entry.target)) {
      fn(context.layers.layers[entry.target]);
    }
  }
}

int32_t ShakeOffset(int32_t amplitude) {
  if (amplitude <= 0) return 0;
  const int32_t r = static_cast<int32_t>(static_cast<uint32_t>(yel::YelRandomEx()) %
                                         static_cast<uint32_t>(amplitude));
  return r - (amplitude >> 1);
}

void StepShake(AdvContext& context, LayerRecord& record) {
  GraphicSlot& slot = *record.slot;
  if (record.shake_duration != kShakeForever &&
      yel::YeltimeGetTime() - record.shake_start >= record.shake_duration) {
    auto stop = [](LayerRecord& r) {
      r.flags &= ~kLayerShake;
      r.shake_mode = 0, r.shake_amplitude = 0, r.shake_duration = 0, r.shake_start = 0;
    };
    stop(record);
    ForEachChild(context, record, stop);
    return;
  }
  if (record.shake_mode == 0 || record.shake_mode == 2) {
    if (record.shake_mode == 2) slot.frame.shake_x += ShakeOffset(record.shake_amplitude);
    slot.frame.shake_y += ShakeOffset(record.shake_amplitude);
  } else {
    slot.frame.shake_x += ShakeOffset(record.shake_amplitude);
  }
  const uint32_t mode = record.shake_mode;
  ForEachChild(context, record, [&](LayerRecord& child) {
    if (!child.slot) return;
    if (mode != 0) child.slot->frame.shake_x = slot.frame.shake_x;
    if (mode != 1) child.slot->frame.shake_y = slot.frame.shake_y;
  });
}

constexpr int32_t kTransitionEnded = 2;

// The transition has ended: its outgoing sprite goes. A layer cleared through it is emptied,
// unless an image has been set on it since (the slot then holds that image's sprite).
void EndTransition(AdvContext& context, LayerRecord& record) {
  LayerTransitionCancel(record.transition);
  const bool cleared = record.transition_state == kTransitionClearAtEnd;
  record.transition_state = kTransitionNone;
  if (cleared && !(record.slot && record.slot->sprite)) AdvLayerClear(context, record);
}

}  // namespace

bool AdvCheckLayer(int32_t layer) {
  if (layer >= 0 && layer < kLayerCount) return true;
  AdvDebugPrint(kLogError, "graph error : 範囲外の値を指定しています。no = %d", layer);
  return false;
}

LayerRecord* AdvLayerRecord(AdvContext& context, int32_t layer) {
  return AdvCheckLayer(layer) ? &context.layers.layers[layer] : nullptr;
}

int32_t AdvLayerIndex(const AdvContext& context, const LayerRecord* record) {
  const LayerRecord* first = context.layers.layers.data();
  if (record < first || record >= first + kLayerCount) return -1;
  return static_cast<int32_t>(record - first);
}

void AdvLayerDropPrevious(AdvContext& context, LayerRecord& record, bool at_once) {
  YelSprite* previous = record.keep_previous ? record.previous_sprite : nullptr;
  record.keep_previous = 0;
  record.previous_sprite = nullptr;
  if (!previous) return;
  if (at_once) {
    DisplayQueueForgetSprite(context, previous);
    yel::YelSpriteRelease(yel::YelRenderGetActive(), previous);
    return;
  }
  DisplayOp release;
  release.code = kDisplayReleaseSprite;
  release.sprite = previous;
  DisplayQueueAppend(context, release);
}

void AdvLayerClear(AdvContext& context, LayerRecord& record) {
  const int32_t layer = AdvLayerIndex(context, &record);
  if (layer >= 0) LayerLoadForget(layer);
  AdvLayerDropPrevious(context, record, true);
  AdvFxRelease(record);
  if (record.slot) DisplayQueueForgetSprite(context, record.slot->sprite);
  AdvGraphicSlotFreeNow(record.slot);
  ReleaseRest(context, record);
}

int AdvLayerRelease(AdvContext& context, LayerRecord& record) {
  const int32_t layer = AdvLayerIndex(context, &record);
  if (layer >= 0 && record.flags & kLayerLoadPending) {
    LayerLoadWait(layer, kLayerRangeWait);
    LayerLoadForget(layer);
  }
  // A previous sprite held for a change not yet committed goes with the layer, at the commit as
  // the slot's sprite does; one a started transition holds goes with the transition handle.
  AdvLayerDropPrevious(context, record, false);
  AdvFxRelease(record);
  AdvGraphicSlotFree(context, record.slot);
  ReleaseRest(context, record);
  return 1;
}

int AdvLayerCancelTransition(AdvContext& context, LayerRecord& record) {
  if (record.transition_state == kTransitionNone) return 1;
  if (!LayerTransitionCancel(record.transition)) return 0;
  if (record.transition_state == kTransitionClearAtEnd) {
    if (record.slot) record.slot->sprite = nullptr;
    AdvLayerClear(context, record);
  }
  record.transition_state = kTransitionNone;
  return 1;
}

YelTransition* AdvLayerTransitionHandle(LayerRecord& record) {
  if (!record.transition) record.transition = LayerTransitionCreate();
  return record.transition;
}

void AdvLayerTableReset(AdvContext& context) {
  for (LayerRecord& record : context.layers.layers) AdvLayerClear(context, record);
  // Every word of the face table reads -1 after a reset, as the save blocks expect.
  context.layers.faces.fill(FaceEntry{-1, {-1, -1, -1}});
}

void AdvLayerUpdate(AdvContext& context) {
  for (LayerRecord& record : context.layers.layers) {
    if (record.slot && record.flags & kLayerShake) StepShake(context, record);
    // A layer that lost its slot while its transition ran still ends it, so the transition's
    // outgoing sprite goes.
    if (record.transition && LayerTransitionState(record.transition) == kTransitionEnded) {
      EndTransition(context, record);
    }
  }
  AdvLayerInheritChildren(context);
}

void AdvLayerInheritChildren(AdvContext& context) {
  for (int32_t n = 0; n < kInheritingLayers; ++n) {
    LayerRecord& record = context.layers.layers[n];
    if (!record.slot) continue;
    ForEachChild(context, record, [&](LayerRecord& child) {
      if (child.slot && child.slot != record.slot) {
        AdvGraphicSlotInheritParent(*child.slot, *record.slot);
      }
    });
  }
}

bool AdvLayerIsChildSlot(const AdvContext& context, const GraphicSlot* slot) {
  for (int32_t n = 0; n < kInheritingLayers; ++n) {
    const LayerRecord& record = context.layers.layers[n];
    if (!record.slot || !(record.flags & kLayerComposition)) continue;
    for (const CompositionEntry& entry : record.compositions) {
      if (entry.kind & kCompositionChildLink && ValidChild(entry.target) &&
          context.layers.layers[entry.target].slot == slot) {
        return true;
      }
    }
  }
  return false;
}

bool AdvFaceHasLayer(const AdvContext& context, int32_t layer) {
  for (const FaceEntry& face : context.layers.faces) {
    if (face.layer == layer) return true;
  }
  return false;
}

void AdvFaceSetView(AdvContext& context, int32_t show) {
  for (const FaceEntry& face : context.layers.faces) {
    if (face.layer < 0 || face.layer >= kLayerCount) continue;
    const LayerRecord& record = context.layers.layers[face.layer];
    if (!record.slot) continue;
    if (record.transition_state != kTransitionNone) {
      yel::YelSpriteViewCtrl(record.previous_sprite, show);
    }
    yel::YelSpriteViewCtrl(record.slot->sprite, show);
  }
}

bool AdvLayerFileName(AdvContext& context, uint32_t image_number, uint8_t* name) {
  std::memset(name, 0, 32);
  const GraphicSlot* slot = AdvImageNoSlot(image_number);
  if (!slot || slot->image_word == 0) return false;
  if (slot->image_word & kStringVariableBit) {
    std::memcpy(name, slot->name.data(), slot->name.size());
  } else {
    AdvGetFileName(context, name, slot->image_word, false);
  }
  return true;
}

void AdvLayerSetRecordName(AdvContext& context, CompositionEntry& entry, uint32_t file) {
  entry.name.fill(0);
  if (!(file & kStringVariableBit)) return;
  const char* text = AdvGetVarString(context, file & ~kStringVariableBit);
  std::strncpy(entry.name.data(), text, entry.name.size() - 1);
}

void AdvLayerRecordName(AdvContext& context, const CompositionEntry& entry, uint8_t* name) {
  if (entry.target & kStringVariableBit) {
    std::memcpy(name, entry.name.data(), entry.name.size());
  } else {
    AdvGetFileName(context, name, entry.target, false);
  }
}

int32_t AdvLayerPriority(const AdvContext& context, int32_t layer, int32_t priority_step) {
  return context.skip.priority_base - layer + kLayerPriorityOffset + kPriorityStep * priority_step;
}

int32_t AdvGridX(int32_t p, int32_t width, int32_t screen_width, bool grid) {
  const int32_t half = width >> 1;
  if (grid) {
    if (p < 0) return -width;
    if (p > 20) return screen_width;
    return screen_width / 20 * p - half;
  }
  if (p <= 0) return -width;
  if (p >= 10) return screen_width;
  return screen_width / 8 * (p - 1) - half;
}

int32_t AdvGridY(int32_t v, int32_t height, int32_t screen_height) {
  if (v == 1) return screen_height - (height >> 1);
  if (v == 2) return screen_height - height;
  return 0;
}

void AdvLayerGridPos(YelSprite* sprite, int32_t p, int32_t v, int32_t* x, int32_t* y) {
  YelSpriteInfo info{};
  yel::YelSpriteGetInfo(sprite, &info);
  *x = AdvGridX(p, info.image_width, AdvWindowWidth, GrposEnabled != 0);
  *y = AdvGridY(v, info.image_height, AdvWindowHeight);
}

void AdvLayerGridPosFloat(YelSprite* sprite, int32_t p, int32_t v, float* x, float* y) {
  int32_t ix = 0, iy = 0;
  AdvLayerGridPos(sprite, p, v, &ix, &iy);
  *x = static_cast<float>(ix);
  *y = static_cast<float>(iy);
}

void AdvSlotTakeSprite(GraphicSlot& slot, YelSprite* sprite, const YelSpriteInfo& info,
                       const GraphicDatRecord& record, uint32_t file, const uint8_t* name) {
  slot.sprite = sprite;
  slot.rotation = {static_cast<int32_t>(info.rotation_x), static_cast<int32_t>(info.rotation_y),
                   static_cast<int32_t>(info.angle)};
  slot.float_rotation = {info.rotation_x, info.rotation_y, info.angle};
  if (record.flags & kGraphicScale) {
    const float scale = static_cast<float>(record.scale_percent) / 100.0f;
    slot.scale = {scale, scale};
  } else {
    slot.scale = {info.scale_x, info.scale_y};
  }
  slot.colour = record.flags & kGraphicColour ? record.colour : info.colour;
  slot.image_word = file;
  if (file & kStringVariableBit && name) std::memcpy(slot.name.data(), name, slot.name.size());
  AdvGraphicApplyAttributes(slot, record, 0xFFFFFFFF);
}

void AdvLayerSetOption(AdvContext& context, YelSprite* sprite, int32_t option) {
  if (!(AdvSkipState(context) & SKIP_MASK_FORCED)) yel::YelSpriteSetOption(sprite, option);
}

}  // namespace adv
