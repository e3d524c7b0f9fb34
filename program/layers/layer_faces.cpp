// Faces: the entries of face_init, the image of face_set and face_cls.
#include "program/layers/layer_faces.h"

#include <cstring>

#include "program/data/graphic_dat.h"
#include "program/game/adv_context.h"
#include "program/layers/graphic_slots.h"
#include "program/layers/layer_images.h"
#include "program/layers/layer_services.h"
#include "program/layers/layer_table.h"
#include "program/layers/sprite_loader.h"
#include "program/script/engine_log.h"
#include "program/script/script_names.h"
#include "program/script/value_stores.h"
#include "program/startup/startup_names.h"
#include "program/startup/yel_import.h"

namespace adv {
namespace {

constexpr uint32_t kShowFace = 0x30014;
constexpr int32_t kNoAnchor = -1;

// The face's bottom centre stands on the anchors when both are set; otherwise the image stays
// where its file puts it. Then moved by (dx, dy).
void PlaceFace(GraphicSlot& slot, YelSprite* sprite, const YelSpriteInfo& info,
               const FaceEntry& entry, int32_t dx, int32_t dy) {
  const int32_t anchor_x = entry.words[kFaceAnchorX];
  const int32_t anchor_y = entry.words[kFaceAnchorY];
  int32_t x = static_cast<int32_t>(info.x);
  int32_t y = static_cast<int32_t>(info.y);
  if (anchor_x != kNoAnchor && anchor_y != kNoAnchor) {
    x = anchor_x - (yel::YelSpriteGetWidth(sprite) >> 1);
    y = anchor_y - yel::YelSpriteGetHeight(sprite);
  }
  slot.position = {x + dx, y + dy, 0};
  slot.float_position = {static_cast<float>(x + dx), static_cast<float>(y + dy), 0};
}

// The face entry of a face number, or null (logged) for a number out of range or a free entry.
FaceEntry* UsedFace(AdvContext& context, int32_t face) {
  if (!AdvFaceCheck(face)) return nullptr;
  FaceEntry& entry = context.layers.faces[face];
  return AdvCheckLayer(entry.layer) ? &entry : nullptr;
}

}  // namespace

bool AdvFaceCheck(int32_t face) {
  if (face >= 0 && face < kFaceCount) return true;
  AdvDebugPrint(kLogError, "graph error : 範囲外の値を指定しています。no = %d", face);
  return false;
}

int AdvFaceInit(AdvContext& context, int32_t face, int32_t layer, int32_t anchor_x,
                int32_t anchor_y, int32_t priority) {
  if (!AdvFaceCheck(face) || !AdvCheckLayer(layer)) return 0;
  FaceEntry& entry = context.layers.faces[face];
  entry.layer = layer;
  entry.words[kFacePriorityOffset] = -kPriorityStep * priority;
  entry.words[kFaceAnchorX] = anchor_x;
  entry.words[kFaceAnchorY] = anchor_y;
  AdvDebugPrint(kLogTrace, "face_init  %d, %d, %d, %d, %d", face, layer, anchor_x, anchor_y,
                priority);
  return 1;
}

int AdvFaceSet(AdvContext& context, uint32_t file, int32_t face, int32_t dx, int32_t dy) {
  const FaceEntry* entry = UsedFace(context, face);
  if (!entry) return 0;
  const int32_t layer = entry->layer;
  // The record points at a slot again only once the slot holds the new sprite.
  AdvLayerReleaseForNewImage(context, layer, false);
  if (file == kNoReference) return 1;
  uint8_t name[32] = {};
  AdvGetFileName(context, name, file, true);
  char load_name[33] = {};
  std::memcpy(load_name, name, sizeof name);
  AdvDebugPrint(kLogTrace, "face_set  %s, %d, %d, %d", load_name, face, dx, dy);
  GraphicDatRecord record;
  if (AdvGraphicDatFind(load_name, &record)) {
    std::memcpy(load_name, record.file_name.data(), kGraphicDatNameSize);
  }
  const int32_t priority =
      AdvLayerPriority(context, layer, record.priority_step) - entry->words[kFacePriorityOffset];
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
  PlaceFace(*slot, sprite, info, *entry, dx, dy);
  slot->offset_position = {record.x, record.y, 0};
  slot->offset_float_position = {static_cast<float>(record.x), static_cast<float>(record.y), 0};
  AdvSlotTakeSprite(*slot, sprite, info, record, file, name);
  context.layers.layers[layer].slot = slot;
  AdvGraphicSlotApply(context, *slot);
  DisplayOp show;
  show.code = kShowFace;
  show.words[0] = layer;
  DisplayQueueAppend(context, show);
  return 1;
}

int AdvFaceCls(AdvContext& context, int32_t face) {
  const FaceEntry* entry = UsedFace(context, face);
  if (!entry) return 0;
  AdvLayerClear(context, context.layers.layers[entry->layer]);
  AdvDebugPrint(kLogTrace, "face_cls  %d", face);
  return 1;
}

}  // namespace adv
