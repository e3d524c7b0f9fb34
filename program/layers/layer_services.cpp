// Layers and motion as the game task drives them: the image index and the attributes it gives
// an image.
#include "program/layers/layer_services.h"

#include "program/layers/frame_animation.h"

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

// Pixel drawing on layers comes with the layer image operations: nothing is drawn yet.
bool AdvLayerDrawPixels(AdvContext&, int32_t, const uint8_t*, int32_t, int32_t, int32_t, int32_t) {
  return false;
}

}  // namespace adv
