// Textures of the software back-end: images decoded into slots, empty textures, release.
#include "YEL/graphics/image_codecs.h"
#include "YEL/render/soft_renderer.h"
#include "os/debug_output.h"

namespace yel {

YelTexture* NewTextureRecord(TextureSlot* slot) {
  auto* texture = static_cast<YelTexture*>(YelMemoryAlloc(sizeof(YelTexture), 1));
  if (texture) *texture = YelTexture{slot->width, slot->height, slot};
  return texture;
}

YelTexture* NewEmptyTexture(TextureSlotTable& slots, const char* name, int32_t width,
                            int32_t height) {
  TextureSlot* slot = slots.Acquire(name);
  if (!slot) return nullptr;
  SoftImage* image = SoftImageAlloc(width, height);
  if (!image) {
    slots.Release(slot);
    return nullptr;
  }
  slot->image = image;
  slot->width = width;
  slot->height = height;
  YelTexture* texture = NewTextureRecord(slot);
  if (!texture) slots.Release(slot);
  return texture;
}

TextureSlot* YelImageDecode(TextureSlotTable& slots, const char* name, const uint8_t* bytes,
                            size_t size) {
  if (!bytes) return nullptr;
  ImageHeader header;
  if (!ImageReadHeader(bytes, size, header)) return nullptr;
  TextureSlot* slot = slots.Acquire(name);
  if (!slot) return nullptr;
  SoftImage* image = SoftImageAlloc(header.width, header.height);
  bool decoded = false;
  // ImageDecode serialises decodes itself (ImageDecodeLock).
  if (image) decoded = ImageDecode(bytes, size, image->pixels, header.width);
  if (!decoded) {
    SoftImageFree(image);
    slots.Release(slot);
    return nullptr;
  }
  slot->image = image;
  slot->width = image->width;
  slot->height = image->height;
  return slot;
}

YelTexture* SoftRenderer::TextureFromImage(const char* name, const uint8_t* bytes, size_t size) {
  TextureSlot* slot = YelImageDecode(slots_, name, bytes, size);
  if (!slot) {
    os::DebugOutputf("error LoadMemory [%s]\n", name ? name : "");
    return nullptr;
  }
  YelTexture* texture = NewTextureRecord(slot);
  if (!texture) {
    os::DebugOutputf("error LoadMemory : memory allocate [%s]\n", name ? name : "");
    slots_.Release(slot);
  }
  return texture;
}

YelTexture* SoftRenderer::TextureCreate(int32_t width, int32_t height) {
  return NewEmptyTexture(slots_, "", width, height);
}

bool SoftRenderer::TextureRelease(YelTexture* texture) {
  if (!texture) return false;
  const bool ours = slots_.Release(texture->slot);
  YelMemoryFree(texture);
  return ours;
}

}  // namespace yel
