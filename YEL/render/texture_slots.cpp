// Pixel buffers and the texture slot table shared by the back-ends.
#include <cstdlib>
#include <cstring>

#include "YEL/render/texture.h"

namespace yel {

SoftImage* SoftImageAlloc(int32_t width, int32_t height) {
  if (!ImageSizeFits(width, height)) return nullptr;
  const size_t bytes = size_t{4} * static_cast<size_t>(width) * static_cast<size_t>(height);
  auto* pixels = static_cast<uint32_t*>(std::calloc(bytes, 1));
  if (!pixels) return nullptr;
  auto* image = new SoftImage{width, height, pixels, static_cast<uint32_t>(bytes)};
  return image;
}

void SoftImageFree(SoftImage* image) {
  if (!image) return;
  std::free(image->pixels);
  delete image;
}

TextureSlotTable::TextureSlotTable(int32_t count) {
  slots_.reserve(count > 0 ? static_cast<size_t>(count) : 0);
  for (int32_t i = 0; i < count; ++i) slots_.push_back(std::make_unique<TextureSlot>());
}

TextureSlotTable::~TextureSlotTable() {
  for (auto& slot : slots_) SoftImageFree(slot->image);
}

TextureSlot* TextureSlotTable::Acquire(const char* name) {
  std::lock_guard guard(lock_);
  for (auto& slot : slots_) {
    if (slot->in_use != 0) continue;
    slot->in_use = 1;
    std::memset(slot->name, 0, sizeof slot->name);
    if (name) std::strncpy(slot->name, name, sizeof slot->name - 1);
    ++in_use_;
    return slot.get();
  }
  return nullptr;
}

bool TextureSlotTable::Release(TextureSlot* slot) {
  {
    std::lock_guard guard(lock_);
    bool ours = false;
    for (auto& own : slots_) ours = ours || own.get() == slot;
    if (!ours) return false;
    if (slot->in_use <= 0 || --slot->in_use != 0) return true;
    // Being emptied: Acquire passes it over until the image is gone.
    slot->in_use = kSlotReleasing;
    std::memset(slot->name, 0, sizeof slot->name);
  }
  {
    // The image goes under the pixel lock, which is the lock its readers hold; a writer that
    // still holds the pixels finishes first. The table's lock is not held here, so a thread
    // that holds pixels may still take or give back other slots.
    std::lock_guard pixels(slot->pixels_lock);
    SoftImageFree(slot->image);
    slot->image = nullptr;
    slot->width = slot->height = 0;
  }
  std::lock_guard guard(lock_);
  slot->in_use = 0;
  --in_use_;
  return true;
}

int32_t TextureSlotTable::InUse() const {
  std::lock_guard guard(lock_);
  return in_use_;
}

uint32_t* TextureLockPixels(YelTexture* texture, int32_t* width, int32_t* height) {
  if (!texture || !texture->slot) return nullptr;
  texture->slot->pixels_lock.lock();
  SoftImage* image = texture->slot->image;
  if (!image) {
    texture->slot->pixels_lock.unlock();
    return nullptr;
  }
  if (width) *width = image->width;
  if (height) *height = image->height;
  return image->pixels;
}

void TextureUnlockPixels(YelTexture* texture, bool changed) {
  if (!texture || !texture->slot) return;
  if (changed) texture->slot->generation.fetch_add(1);
  texture->slot->pixels_lock.unlock();
}

}  // namespace yel
