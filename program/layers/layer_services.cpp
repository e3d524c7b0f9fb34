// Layers and motion as the game task drives them. The program has no layers, actions,
// animations or effects, so the steps have nothing to do; the display queue is drained so that
// nothing piles up.
#include "program/layers/layer_services.h"

#include "program/game/adv_context.h"
#include "program/startup/yel_import.h"

namespace adv {

void AdvGraphicDatLoad(AdvContext&) {}
void AdvGraphicDatRelease(AdvContext&) {}
void AdvGraphicSlotClearFrameParts(AdvContext&) {}
bool AdvEffectUpdate(AdvContext&) { return false; }
void AdvEffectRelease(AdvContext& context) { context.effects = ScreenEffectState{}; }
void AdvActionUpdate(AdvContext&) {}
void AdvActionReset(AdvContext& context) { context.actions = ActionManager{}; }
void AdvAnimUpdateAll(AdvContext&) {}
void AdvAnimReleaseAll(AdvContext&) {}
void AdvFxFreeAll(AdvContext&) {}
void AdvLayerUpdate(AdvContext&) {}
void AdvLayerTableReset(AdvContext& context) { context.layers = LayerTable{}; }
void AdvGraphicSlotApplyAll(AdvContext&) {}

void AdvLayerEmpty(AdvContext& context, int32_t layer) {
  if (layer >= 0 && layer < kLayerCount) context.layers.layers[layer] = LayerRecord{};
}

// No sprite can be made before the sprite layer exists.
bool AdvLayerShowColourPlane(AdvContext&, int32_t, const char*, int32_t, int32_t) {
  return false;
}

// The program has no layers yet: nothing is drawn.
bool AdvLayerDrawText(AdvContext&, int32_t, const char*, int32_t, int32_t) { return false; }
bool AdvLayerDrawPixels(AdvContext&, int32_t, const uint8_t*, int32_t, int32_t, int32_t, int32_t) {
  return false;
}

void RunDisplayQueue(AdvContext& context) {
  while (void* op = reinterpret_cast<void*>(yel::YelListPop(context.display_queue, kListDisplayOp))) {
    yel::YelMemoryFree(op);
  }
}

bool AdvActionSyncWaiting(const AdvContext& context) {
  for (const ActionSet& set : context.actions.sets) {
    if (set.in_use && set.mode == kActionModeSync) return true;
  }
  return false;
}

}  // namespace adv
