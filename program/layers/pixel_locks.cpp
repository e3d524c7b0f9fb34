#include "program/layers/pixel_locks.h"

#include <atomic>

#include "program/game/adv_context.h"
#include "program/layers/graphic_slots.h"
#include "program/startup/yel_import.h"

namespace adv {
namespace {

// Layers take 7 bits of a token, the generation the 24 above them, so tokens stay positive.
constexpr int kLayerBits = 7;
constexpr uint32_t kGenerationMask = 0xFFFFFF;

// Shared by every lock, whichever thread runs the interpreter, so no two locks of a layer get
// the same token until 2^24 further locks have been taken.
std::atomic<uint32_t> g_generation{0};

int32_t NewToken(int32_t layer) {
  uint32_t generation = 0;
  while (generation == 0) generation = (g_generation.fetch_add(1) + 1) & kGenerationMask;
  return static_cast<int32_t>(generation << kLayerBits | static_cast<uint32_t>(layer));
}

YelSprite* LayerSprite(AdvContext& context, int32_t layer) {
  const GraphicSlot* slot = context.layers.layers[layer].slot;
  return slot ? slot->sprite : nullptr;
}

}  // namespace

int32_t AdvPixelLockTake(AdvContext& context, int32_t layer, int32_t* row_length) {
  LayerRecord& record = context.layers.layers[layer];
  record.pixel_lock = PixelLock{};
  YelSprite* sprite = LayerSprite(context, layer);
  if (!sprite) return 0;
  int32_t width = 0, height = 0;
  uint32_t* pixels = yel::YelSpriteLock(sprite, &width, &height);
  if (!pixels || width <= 0 || height <= 0) return 0;
  PixelLock& lock = record.pixel_lock;
  lock.sprite = sprite;
  lock.bytes = reinterpret_cast<uint8_t*>(pixels);
  lock.size = size_t{4} * static_cast<size_t>(width) * static_cast<size_t>(height);
  lock.row_length = width;
  lock.token = NewToken(layer);
  if (row_length) *row_length = width;
  return lock.token;
}

void AdvPixelLockEnd(AdvContext& context, int32_t layer) {
  context.layers.layers[layer].pixel_lock = PixelLock{};
  if (YelSprite* sprite = LayerSprite(context, layer)) yel::YelSpriteUnlock(sprite);
}

const PixelLock* AdvPixelLockFind(AdvContext& context, int32_t layer, int32_t token) {
  if (layer < 0 || layer >= kLayerCount || token == 0) return nullptr;
  const PixelLock& lock = context.layers.layers[layer].pixel_lock;
  if (lock.token != token || !lock.sprite || LayerSprite(context, layer) != lock.sprite) {
    return nullptr;
  }
  return &lock;
}

bool AdvPixelLockHolds(const PixelLock& lock, int64_t offset, int64_t count) {
  return offset >= 0 && count >= 0 && static_cast<uint64_t>(offset) <= lock.size &&
         static_cast<uint64_t>(count) <= lock.size - static_cast<uint64_t>(offset);
}

}  // namespace adv
