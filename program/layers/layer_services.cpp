// Layers and motion as the game task drives them: the image index and the attributes it gives
// an image.
#include "program/layers/layer_services.h"

#include "program/layers/frame_animation.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "program/data/graphic_dat.h"
#include "program/game/adv_context.h"
#include "program/game/game_file_access.h"
#include "program/layers/graphic_slots.h"
#include "program/script/engine_log.h"
#include "program/startup/yel_import.h"

namespace adv {
namespace {

// Loaded once at start, read-only afterwards, freed at the end.
GraphicDatIndex& GraphicIndex() {
  static GraphicDatIndex index;
  return index;
}

// What the save-slot drawing commands make stands in front of every layer.
constexpr int32_t kSaveDrawPriority = 4866;

// Copies width x height pixels (rows of 4-byte pixels) into the sprite with their top-left corner
// at (x, y), cut to the sprite.
bool CopyPixels(YelSprite* sprite, const uint8_t* pixels, int32_t width, int32_t height, int32_t x,
                int32_t y) {
  if (!sprite) return false;
  int32_t sprite_width = 0;
  int32_t sprite_height = 0;
  uint32_t* target = yel::YelSpriteLock(sprite, &sprite_width, &sprite_height);
  if (!target) return false;
  const int64_t left = std::max<int64_t>(0, x);
  const int64_t right = std::min<int64_t>(sprite_width, int64_t{x} + width);
  const int64_t top = std::max<int64_t>(0, y);
  const int64_t bottom = std::min<int64_t>(sprite_height, int64_t{y} + height);
  for (int64_t row = top; row < bottom && left < right; ++row) {
    const uint8_t* from = pixels + ((row - y) * width + (left - x)) * 4;
    std::memcpy(target + row * sprite_width + left, from, static_cast<size_t>(right - left) * 4);
  }
  yel::YelSpriteUnlock(sprite);
  return true;
}

}  // namespace

void AdvGraphicDatLoad(AdvContext&) {
  std::optional<std::vector<uint8_t>> bytes = ReadGameFileBytes("graphic.dat");
  if (!bytes) return;
  std::string error;
  if (!GraphicIndex().Load(std::move(*bytes), &error)) {
    AdvDebugPrint(kLogError, "graphic.dat is damaged and is not used: %s", error.c_str());
    AdvErrorLog("graphic.dat is damaged and is not used: %s", error.c_str());
  }
}

void AdvGraphicDatRelease(AdvContext&) {
  GraphicIndex().Clear();
}

bool AdvGraphicDatFind(const char* name, GraphicDatRecord* out) {
  return GraphicIndex().Find(std::string_view(name, strnlen(name, kGraphicDatNameSize)), out);
}

void AdvGraphicApplyAttributes(GraphicSlot& slot, const GraphicDatRecord& record, uint32_t mask) {
  if (record.flags == 0) return;
  slot.record = record;
  YelSprite* sprite = slot.sprite;
  const uint32_t f = mask & record.flags;
  if (f & kGraphicBlendMode) yel::YelSpriteSetRenderMode(sprite, record.blend_mode + 1);
  if (f & kGraphicAnimation) {
    char name[kGraphicDatNameSize + 1] = {};
    std::memcpy(name, record.animation.data(), kGraphicDatNameSize);
    AdvAnimLoad(name, slot);
  }
  if (f & kGraphicColour) yel::YelSpriteSetColor(sprite, record.colour);
  if (f & kGraphicScale) {
    const float scale = static_cast<float>(record.scale_percent) / 100.0f;
    yel::YelSpriteSetScale(sprite, scale, scale);
  }
  if (f & kGraphicPosition) {
    yel::YelSpriteMovePos(sprite, static_cast<float>(record.x), static_cast<float>(record.y), 0);
  }
  if (f & kGraphicCentreOffset)
    yel::YelSpriteSetCenterOffset(sprite, record.centre_x, record.centre_y);
}

bool AdvAspectPositionSwitch(const AdvContext& context) {
  const AdvTaskData* data = context.task_data;
  return data && data->system.settings.aspect_position != 0;
}

bool AdvLayerDrawPixels(AdvContext& context, int32_t layer, const uint8_t* pixels, int32_t width,
                        int32_t height, int32_t x, int32_t y) {
  if (layer < 0 || layer >= kLayerCount || !pixels || width <= 0 || height <= 0) return false;
  LayerRecord& record = context.layers.layers[layer];
  if (record.slot) return CopyPixels(record.slot->sprite, pixels, width, height, x, y);
  GraphicSlot* slot = AdvGraphicSlotAlloc(kSlotBankLayer, layer);
  if (!slot) return false;
  YelSprite* sprite = yel::YelSpriteCreate(yel::YelRenderGetActive(), width, height,
                                           context.skip.priority_base + kSaveDrawPriority);
  if (!sprite || !CopyPixels(sprite, pixels, width, height, 0, 0)) {
    if (sprite) yel::YelSpriteRelease(yel::YelRenderGetActive(), sprite);
    AdvGraphicSlotFreeNow(slot);
    return false;
  }
  yel::YelSpriteSetPos(sprite, static_cast<float>(x), static_cast<float>(y), 0);
  AdvLayerPlaceNewSlot(context, record, slot, sprite, x, y);
  return true;
}

void AdvLayerPlaceNewSlot(AdvContext& context, LayerRecord& record, GraphicSlot* slot,
                          YelSprite* sprite, int32_t x, int32_t y) {
  slot->sprite = sprite;
  slot->position = {x, y, 0};
  slot->float_position = {static_cast<float>(x), static_cast<float>(y), 0};
  record.slot = slot;
  AdvGraphicSlotApply(context, *slot);
}

}  // namespace adv
