// The layer table: release and clearing of layers and the per-frame layer step.
#include "program/game/adv_context.h"
#include "program/layers/graphic_slots.h"
#include "program/layers/layer_services.h"
#include "program/startup/yel_import.h"

namespace adv {

void AdvLayerUpdate(AdvContext&) {}
void AdvLayerTableReset(AdvContext& context) { context.layers = LayerTable{}; }

void AdvLayerEmpty(AdvContext& context, int32_t layer) {
  if (layer >= 0 && layer < kLayerCount) context.layers.layers[layer] = LayerRecord{};
}

bool AdvLayerShowColourPlane(AdvContext&, int32_t, const char*, int32_t, int32_t) {
  return false;
}

void RunDisplayQueue(AdvContext& context) {
  while (void* op = reinterpret_cast<void*>(yel::YelListPop(context.display_queue, kListDisplayOp))) {
    yel::YelMemoryFree(op);
  }
}

}  // namespace adv
