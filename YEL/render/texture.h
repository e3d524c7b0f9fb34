// Textures as every back-end keeps them: a CPU pixel buffer per named slot of a fixed table.
// Any thread may lock a texture's pixels and write them; the back-end draws (or uploads) from the
// buffer only while it can take the same lock, so a half-written image is never shown.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace yel {

// A 32-bit pixel buffer, 0xAARRGGBB, rows top-down, `width` pixels apart.
struct SoftImage {
  int32_t width = 0;
  int32_t height = 0;
  uint32_t* pixels = nullptr;
  uint32_t byte_size = 0;
};

// The longest side of an image any back-end keeps (the software renderer's largest texture; the
// hardware one may take less, see YelTextureCaps).
inline constexpr int32_t kMaxImageSide = 16384;
// The most pixels one image holds (8192 x 8192, 256 MiB): a long strip may use the whole side,
// but no single picture may cost more than this, whatever a file or a script asks for. The main
// program keeps the same two limits (program/layers/sprite_loader.h).
inline constexpr int64_t kMaxImagePixels = int64_t{8192} * 8192;

// Width and height positive, neither side over kMaxImageSide, and at most kMaxImagePixels.
inline bool ImageSizeFits(int64_t width, int64_t height) {
  return width > 0 && height > 0 && width <= kMaxImageSide && height <= kMaxImageSide &&
         width * height <= kMaxImagePixels;
}

// A zero-filled image, or null when the size does not fit ImageSizeFits or the memory is not
// there.
SoftImage* SoftImageAlloc(int32_t width, int32_t height);
void SoftImageFree(SoftImage* image);

// The in_use mark of a slot whose image Release is freeing: neither free nor taken.
constexpr int32_t kSlotReleasing = -1;

struct TextureSlot {
  // Owned. Set by the slot's taker before the texture is shared; cleared by Release under
  // pixels_lock, the lock every reader of the pixels holds.
  SoftImage* image = nullptr;
  int32_t width = 0;
  int32_t height = 0;
  int32_t in_use = 0;  // guarded by the table's lock; kSlotReleasing while Release empties it
  char name[32] = {};  // guarded by the table's lock
  // Guards the pixels between a writer and the back-end's draw or upload. Re-entrant so that a
  // thread that holds it may still draw.
  std::recursive_mutex pixels_lock;
  // Bumped on every unlock after a write: a back-end that keeps its own copy uploads again when
  // the number differs from the one it last uploaded.
  std::atomic<uint32_t> generation{0};
};

// The fixed table of texture slots. Slots are taken and given back by any thread.
class TextureSlotTable {
 public:
  explicit TextureSlotTable(int32_t count);
  ~TextureSlotTable();
  TextureSlotTable(const TextureSlotTable&) = delete;
  TextureSlotTable& operator=(const TextureSlotTable&) = delete;

  // The first free slot, named after the first 31 bytes of `name`; null when all are in use.
  TextureSlot* Acquire(const char* name);
  // Lowers the slot's count; at zero the name is cleared and the image freed. False when the
  // slot is not one of this table's.
  bool Release(TextureSlot* slot);
  int32_t Count() const { return static_cast<int32_t>(slots_.size()); }
  int32_t InUse() const;

 private:
  mutable std::mutex lock_;  // guards in_use and name of every slot, and in_use_
  std::vector<std::unique_ptr<TextureSlot>> slots_;
  int32_t in_use_ = 0;
};

}  // namespace yel

// A sprite's texture: the image size and the back-end's slot.
struct YelTexture {
  int32_t width;
  int32_t height;
  yel::TextureSlot* slot;
};

namespace yel {

// Decodes an image file in memory into a slot of `slots` named after the image: the slot with
// its image, or null (the slot is given back) when the image is not one the decoders take, is
// damaged, or memory or slots run out.
TextureSlot* YelImageDecode(TextureSlotTable& slots, const char* name, const uint8_t* bytes,
                            size_t size);
// A texture record for a slot that holds its image; null when memory runs out.
YelTexture* NewTextureRecord(TextureSlot* slot);
// A texture of a zero-filled image of the size in a free slot named `name`; null when no slot is
// free or memory runs out.
YelTexture* NewEmptyTexture(TextureSlotTable& slots, const char* name, int32_t width,
                            int32_t height);

// Locks the texture's pixels for reading or writing by this thread and returns them with the
// image's width and height (its row length); null for a texture without pixels.
uint32_t* TextureLockPixels(YelTexture* texture, int32_t* width, int32_t* height);
// Ends a lock; `changed` tells the back-end that the pixels must be shown anew.
void TextureUnlockPixels(YelTexture* texture, bool changed);

}  // namespace yel
