#include "program/layers/layer_images.h"

#include <cstring>

#include "program/game/adv_context.h"
#include "program/layers/graphic_slots.h"
#include "program/layers/layer_loads.h"
#include "program/layers/layer_services.h"
#include "program/layers/layer_table.h"
#include "program/layers/sprite_loader.h"
#include "program/script/script_names.h"
#include "program/script/value_stores.h"
#include "program/startup/startup_names.h"
#include "program/startup/yel_import.h"

namespace adv {
namespace {

constexpr uint32_t kShowCreated = 0x3002E;

void Place(GraphicSlot& slot, YelSprite* sprite, const YelSpriteInfo& info,
           const LayerPlacement& place, const GraphicDatRecord& record) {
  if (place.grid) {
    int32_t x = 0, y = 0;
    AdvLayerGridPos(sprite, place.p, place.v, &x, &y);
    slot.position = {x + record.x, y + record.y, 0};
    slot.float_position = {static_cast<float>(x + record.x), static_cast<float>(y + record.y), 0};
    return;
  }
  if (place.x == kOwnPosition && place.y == kOwnPosition) {
    slot.position = {static_cast<int32_t>(info.x) + record.x,
                     static_cast<int32_t>(info.y) + record.y, 0};
    slot.float_position = {info.x + record.x, info.y + record.y, 0};
    return;
  }
  slot.position = {place.x + record.x, place.y + record.y, place.z};
  slot.float_position = {static_cast<float>(place.x + record.x),
                         static_cast<float>(place.y + record.y), static_cast<float>(place.z)};
}

}  // namespace

void AdvLayerReleaseForNewImage(AdvContext& context, int32_t layer, bool drop_operations) {
  LayerRecord& record = context.layers.layers[layer];
  if (!record.keep_previous) {
    if (record.slot) AdvLayerRelease(context, record);
    return;
  }
  LayerLoadForget(layer);
  if (record.slot) DisplayQueueForgetSprite(context, record.slot->sprite);
  AdvGraphicSlotFreeNow(record.slot);
  record.slot = nullptr;
  record.pixel_lock = PixelLock{};  // its sprite is gone
  if (drop_operations && record.flags & kLayerComposition) {
    for (CompositionEntry& entry : record.compositions) {
      if (entry.kind & ~kCompositionChildLink) entry = CompositionEntry{};
    }
  }
}

int AdvLayerSetImage(AdvContext& context, uint32_t code, uint32_t file, int32_t layer,
                     const LayerPlacement& place, char* loaded) {
  AdvLayerReleaseForNewImage(context, layer, !place.grid);
  if (file == kNoReference) return 1;
  uint8_t name[32] = {};
  AdvGetFileName(context, name, file, true);
  char load_name[33] = {};
  std::memcpy(load_name, name, sizeof(name));
  GraphicDatRecord record;
  if (AdvGraphicDatFind(load_name, &record)) {
    std::memcpy(load_name, record.file_name.data(), kGraphicDatNameSize);
  }
  if (loaded) std::memcpy(loaded, load_name, sizeof(load_name));
  const int32_t priority = AdvLayerPriority(context, layer, record.priority_step);
  GraphicSlot* slot = AdvGraphicSlotAlloc(kSlotBankLayer, layer);
  if (!slot) return 0;
  YelSprite* sprite =
      AdvSpriteLoadUnlocked(context, load_name, AdvWindowWidth, AdvWindowHeight, priority);
  if (!sprite) {
    AdvGraphicSlotFreeNow(slot);
    return 0;
  }
  YelSpriteInfo info{};
  yel::YelSpriteGetInfo(sprite, &info);
  Place(*slot, sprite, info, place, record);
  AdvSlotTakeSprite(*slot, sprite, info, record, file, name);
  context.layers.layers[layer].slot = slot;
  AdvGraphicSlotApply(context, *slot);
  DisplayOp show;
  show.code = code;
  show.words[0] = layer;
  DisplayQueueAppend(context, show);
  return 1;
}

int AdvLayerCreateImage(AdvContext& context, int32_t layer, uint32_t file, int32_t x, int32_t y,
                        int32_t width, int32_t height, char* loaded) {
  LayerRecord& record = context.layers.layers[layer];
  uint8_t name[33] = {};
  if (file != kNoReference) {
    AdvGetFileName(context, name, file, true);
    // A colour plane the renderer cannot hold is refused before anything changes.
    if (name[0] == '#' && !AdvTextureFits("sp_create", width, height)) return 1;
  }
  if (record.slot) AdvLayerRelease(context, record);
  if (file == kNoReference) return 1;
  if (loaded) std::memcpy(loaded, name, 33);
  GraphicSlot* slot = AdvGraphicSlotAlloc(kSlotBankLayer, layer);
  if (!slot) return 0;
  YelSprite* sprite = AdvSpriteLoadUnlocked(context, reinterpret_cast<const char*>(name), width,
                                            height, AdvLayerPriority(context, layer, 0));
  if (!sprite) {
    AdvGraphicSlotFreeNow(slot);
    return 0;
  }
  slot->sprite = sprite;
  slot->image_word = file;
  if (file & kStringVariableBit) std::memcpy(slot->name.data(), name, slot->name.size());
  slot->position = {x, y, 0};
  slot->float_position = {static_cast<float>(x), static_cast<float>(y), 0};
  record.slot = slot;
  AdvGraphicSlotApply(context, *slot);
  DisplayOp show;
  show.code = kShowCreated;
  show.sprite = sprite;
  show.words[1] = 1;
  DisplayQueueAppend(context, show);
  return 1;
}

bool AdvLayerShowColourPlane(AdvContext& context, int32_t layer, const char* colour, int32_t width,
                             int32_t height) {
  if (layer < 0 || layer >= kLayerCount) return false;
  AdvLayerReleaseForNewImage(context, layer, false);
  GraphicSlot* slot = AdvGraphicSlotAlloc(kSlotBankLayer, layer);
  if (!slot) return false;
  const int32_t priority = AdvLayerPriority(context, layer, 0);
  YelSprite* sprite = AdvSpriteLoadUnlocked(context, colour, width, height, priority);
  if (!sprite) {
    AdvGraphicSlotFreeNow(slot);
    return false;
  }
  YelSpriteInfo info{};
  yel::YelSpriteGetInfo(sprite, &info);
  AdvSlotTakeSprite(*slot, sprite, info, GraphicDatRecord{}, 0, nullptr);
  context.layers.layers[layer].slot = slot;
  AdvGraphicSlotApply(context, *slot);
  return true;
}

}  // namespace adv
