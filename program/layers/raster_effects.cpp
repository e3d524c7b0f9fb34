// The entries of the raster effects on layers, their release with the layer, and the wait for
// an effect's end. An entry names its layer; the layer record points back at its entry.
#include "program/layers/raster_effects.h"

#include <algorithm>

#include "program/game/adv_context.h"
#include "program/layers/graphic_slots.h"
#include "program/layers/layer_services.h"
#include "program/script/engine_log.h"
#include "program/script/skip_state.h"
#include "program/startup/yel_import.h"

namespace adv {
namespace {

constexpr uint32_t kSpriteFx = 0;
constexpr uint32_t kAnySpriteFx = 0x0FFFFFFF;
constexpr int32_t kFxStart = 1;
constexpr int32_t kFxFadeOut = 2;

// Guarded by the render lock, which every caller holds (the commands, the layer release and the
// reset all run with it).
struct RasterState {
  uint32_t wait_latch = 0;
  int32_t waited_layer = 0;
  uint32_t next_order = 0;
  std::array<RasterEffectSlot, kRasterEffectSlots> slots{};
};

RasterState& Raster() {
  static RasterState state;
  return state;
}

RasterEffectSlot* EntryOf(const LayerRecord& record) {
  return static_cast<RasterEffectSlot*>(record.raster_effect);
}

// The word the platform's FX calls read: the slot's sprite handle.
void* SpriteWord(GraphicSlot* slot) {
  return slot ? &slot->sprite : nullptr;
}

// Frees an entry; its layer no longer points at it.
void FreeEntry(AdvContext& context, RasterEffectSlot& entry) {
  LayerRecord& record = context.layers.layers[entry.layer];
  if (EntryOf(record) == &entry) record.raster_effect = nullptr;
  entry = RasterEffectSlot{};
}

RasterEffectSlot* FreeSlot() {
  for (RasterEffectSlot& entry : Raster().slots) {
    if (entry.state == kRasterFree) return &entry;
  }
  return nullptr;
}

}  // namespace

void RasterEffectPrune(AdvContext& context) {
  for (RasterEffectSlot& entry : Raster().slots) {
    if (entry.state != kRasterStopping) continue;
    GraphicSlot* slot = context.layers.layers[entry.layer].slot;
    if (yel::YelSpriteGetFxEffectState(slot ? slot->sprite : nullptr) == 0) {
      FreeEntry(context, entry);
    }
  }
}

int RasterEffectStart(AdvContext& context, int32_t layer, int32_t a, int32_t b, int32_t c) {
  LayerRecord& record = context.layers.layers[layer];
  if (!record.slot) return 1;
  // A restart replaces the layer's running effect instead of taking a second entry.
  AdvFxRelease(record);
  RasterEffectPrune(context);
  RasterEffectSlot* entry = FreeSlot();
  if (!entry) {
    AdvDebugPrint(kLogError, "fx_raster_start : %d effects are running already",
                  kRasterEffectSlots);
    return 0;
  }
  entry->layer = layer;
  entry->reserved = 0;
  entry->state = kRasterRunning;
  entry->parameters = {a, b, c};
  entry->order = ++Raster().next_order;
  record.raster_effect = entry;
  const YelFxRasterParam param{static_cast<uint32_t>(c),
                               static_cast<float>(static_cast<uint32_t>(a)) * 0.01f,
                               static_cast<float>(static_cast<uint32_t>(b)) * 0.01f};
  yel::YelSetFxEffect(SpriteWord(record.slot), kSpriteFx, kFxStart, static_cast<uint32_t>(c),
                      &param);
  return 1;
}

void RasterEffectStop(AdvContext& context, int32_t layer, int32_t time) {
  LayerRecord& record = context.layers.layers[layer];
  RasterEffectSlot* entry = EntryOf(record);
  if (!entry) return;
  entry->state = kRasterStopping;
  yel::YelSetFxEffect(SpriteWord(record.slot), kSpriteFx, kFxFadeOut, static_cast<uint32_t>(time),
                      nullptr);
}

bool RasterEffectWaitBegun() {
  return Raster().wait_latch != 0;
}

void RasterEffectWaitBegin(int32_t layer) {
  Raster().wait_latch = 1;
  Raster().waited_layer = layer;
}

bool RasterEffectWaitOver(AdvContext& context) {
  RasterState& raster = Raster();
  GraphicSlot* slot = context.layers.layers[raster.waited_layer].slot;
  if (slot && AdvSkipState(context) == 0 &&
      yel::YelGetFxEffectState(SpriteWord(slot), kAnySpriteFx) != 0) {
    return false;
  }
  raster.wait_latch = 0;
  return true;
}

std::vector<RasterEffectSlot> RasterEffectList() {
  std::vector<RasterEffectSlot> listed;
  for (const RasterEffectSlot& entry : Raster().slots) {
    if (entry.state != kRasterFree) listed.push_back(entry);
  }
  std::sort(listed.begin(), listed.end(),
            [](const RasterEffectSlot& x, const RasterEffectSlot& y) { return x.order > y.order; });
  return listed;
}

void AdvFxRelease(LayerRecord& record) {
  RasterEffectSlot* entry = EntryOf(record);
  if (!entry) return;
  if (record.slot) yel::YelReleaseFxEffect(SpriteWord(record.slot), kAnySpriteFx);
  *entry = RasterEffectSlot{};
  record.raster_effect = nullptr;
}

void AdvFxFreeAll(AdvContext& context) {
  for (LayerRecord& record : context.layers.layers) record.raster_effect = nullptr;
  Raster() = RasterState{};
}

}  // namespace adv
