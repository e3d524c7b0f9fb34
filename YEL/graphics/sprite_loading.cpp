// Sprites from image files and from memory, the delta images applied onto their base, and the
// size-query records.
#include <cstring>
#include <vector>

#include "YEL/core/system.h"
#include "YEL/files/files.h"
#include "YEL/graphics/image_codecs.h"
#include "YEL/graphics/sprite.h"
#include "YEL/render/render.h"
#include "YEL/render/texture.h"
#include "os/byte_order.h"

namespace yel {
namespace {

// A delta image's base goes to the start of the scratch pool, the delta itself above this mark.
constexpr uint32_t kPoolHalf = 0x4000000;
// Enough of any image file's start to read its size.
constexpr size_t kHeadSize = 64;

YelCore* ActiveCore() {
  YelSystem* system = System();
  return system ? system->core.load() : nullptr;
}

bool StartsWith(const uint8_t* data, size_t size, const char* magic) {
  const size_t length = std::strlen(magic);
  return size >= length && std::memcmp(data, magic, length) == 0;
}

uint32_t Be32(const uint8_t* b) {
  return uint32_t{b[0]} << 24 | uint32_t{b[1]} << 16 | uint32_t{b[2]} << 8 | b[3];
}

int32_t Le32(const uint8_t* b) {
  return static_cast<int32_t>(os::LoadLe32(b));
}

// Sets the image and cell size (and a "GE" image's position) from a header; x = y = 0 and the
// cell is the whole image for every other format.
void ApplyHeader(YelSprite& sprite, const ImageHeader& header) {
  sprite.image_width = header.width;
  sprite.image_height = header.height;
  const bool ge = header.format == ImageFormat::kGe;
  sprite.x = ge ? static_cast<float>(header.x) : 0.0f;
  sprite.y = ge ? static_cast<float>(header.y) : 0.0f;
  sprite.cell_width = ge ? header.cell_width : header.width;
  sprite.cell_height = ge ? header.cell_height : header.height;
}

// The first bytes of a file (up to kHeadSize); false when it cannot be opened or read.
bool ReadHead(const char* name, std::vector<uint8_t>& head) {
  head.assign(kHeadSize, 0);
  YelFile* file = YelFileCreateEx(name, YEL_GENERIC_READ, YEL_FILE_SHARE_READ, YEL_OPEN_EXISTING,
                                  YEL_FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (!file) return false;
  uint32_t got = 0;
  const bool read = YelFileRead(file, head.data(), kHeadSize, &got) != 0;
  YelFileClose(file);
  head.resize(got);
  return read;
}

// The size an image file's header gives, read by the fixed offsets of each format; false for a
// size the decoders would refuse.
bool HeadSize(const std::vector<uint8_t>& head, ImageHeader& out) {
  const uint8_t* b = head.data();
  const size_t n = head.size();
  out = ImageHeader{};
  if (StartsWith(b, n, "GE")) {
    if (n < 28) return false;
    out = ImageHeader{ImageFormat::kGe, Le32(b + 12), Le32(b + 16), Le32(b + 4),
                      Le32(b + 8),      Le32(b + 20), Le32(b + 24)};
  } else if (StartsWith(b, n, "\x89PNG")) {
    if (n < 24) return false;
    out.format = ImageFormat::kPng;
    out.width = static_cast<int32_t>(Be32(b + 16));
    out.height = static_cast<int32_t>(Be32(b + 20));
  } else if (StartsWith(b, n, "BM")) {
    if (n < 26) return false;
    out.format = ImageFormat::kBmp;
    out.width = Le32(b + 18);
    out.height = Le32(b + 22);
  } else {
    if (n < 16) return false;
    out.format = ImageFormat::kTga;
    out.width = os::LoadLe16(b + 12);
    out.height = os::LoadLe16(b + 14);
  }
  // As the decoders would: an empty image, or one larger than a texture may be, is no image.
  return ImageSizeFits(out.width, out.height);
}

// The size of any image file; a JPEG is read whole, its size lies behind its markers.
bool FileImageSize(const char* name, ImageHeader& header, bool delta_allowed = true) {
  std::vector<uint8_t> head;
  if (!ReadHead(name, head)) return false;
  if (StartsWith(head.data(), head.size(), "\xFF\xD8\xFF")) {
    std::vector<uint8_t> whole;
    return ReadWholeFile(name, whole) && ImageReadHeader(whole.data(), whole.size(), header);
  }
  if (IsDeltaImage(head.data(), head.size())) {
    // A delta image has the size of the base it names, whatever the base's format; a base is
    // never a delta image itself.
    DeltaHeader delta;
    return delta_allowed && DeltaReadHeader(head.data(), head.size(), delta) &&
           !delta.base_name.empty() && FileImageSize(delta.base_name.c_str(), header, false);
  }
  return HeadSize(head, header);
}

// XORs the delta onto the sprite's pixels; false when the delta does not apply.
bool ApplyDelta(YelSprite* sprite, const uint8_t* delta, size_t size) {
  sprite->lock_flag = 1;
  int32_t width = 0, height = 0;
  uint32_t* pixels = TextureLockPixels(sprite->texture, &width, &height);
  const bool applied = pixels && DeltaApply(delta, size, pixels, width, height, width);
  if (pixels) TextureUnlockPixels(sprite->texture, applied);
  sprite->lock_flag = 0;
  return applied;
}

// A delta image in the pool: the base it names is read to the pool's start and made into the
// sprite, then the delta is applied. The delta moves above the half mark first.
YelSprite* LoadDelta(YelRender* render, uint8_t* pool, uint32_t pool_size, uint32_t size,
                     int32_t priority) {
  DeltaHeader header;
  if (pool_size < kPoolHalf || size > pool_size - kPoolHalf ||
      !DeltaReadHeader(pool, size, header) || header.base_name.empty()) {
    return nullptr;
  }
  uint8_t* delta = pool + kPoolHalf;
  std::memmove(delta, pool, size);
  uint32_t base_size = 0;
  if (!ReadFileInto(header.base_name.c_str(), pool, kPoolHalf, &base_size) ||
      IsDeltaImage(pool, base_size)) {
    return nullptr;
  }
  YelSprite* sprite = YelSpriteLoadMemory(render, "", pool, base_size, priority);
  if (sprite && !ApplyDelta(sprite, delta, size)) {
    YelSpriteRelease(render, sprite);
    return nullptr;
  }
  return sprite;
}

}  // namespace
}  // namespace yel

extern "C" {

YEL_API YelSprite* YelSpriteLoadMemory(YelRender* render, const char* name, const void* bytes,
                                       uint32_t size, int32_t priority) {
  YelSprite* sprite = render ? yel::SpriteAllocate(priority) : nullptr;
  if (!sprite) {
    yel::SetLastError(yel::ERROR_INVALID_HANDLE);
    return nullptr;
  }
  const auto* data = static_cast<const uint8_t*>(bytes);
  YelCore* core = yel::ActiveCore();
  sprite->texture = core && data ? core->TextureFromImage(name, data, size) : nullptr;
  if (!sprite->texture) {
    yel::SpriteFree(sprite);
    return nullptr;
  }
  yel::ImageHeader header;
  header.width = sprite->texture->width;
  header.height = sprite->texture->height;
  yel::ImageHeader read;
  if (yel::StartsWith(data, size, "GE") && yel::ImageReadHeader(data, size, read)) {
    header = read;
    header.width = sprite->texture->width;
    header.height = sprite->texture->height;
  }
  yel::ApplyHeader(*sprite, header);
  sprite->rect = YelRect{0, 0, sprite->cell_width, sprite->cell_height};
  return yel::SpriteLink(render, sprite);
}

YEL_API YelSprite* YelSpriteLoad(YelRender* render, const char* name, int32_t priority) {
  if (!render) {
    yel::SetLastError(yel::ERROR_INVALID_HANDLE);
    return nullptr;
  }
  uint32_t pool_size = 0;
  auto* pool = static_cast<uint8_t*>(GetMemoryPool(&pool_size));
  if (!pool || !name || pool_size < 4) return nullptr;
  std::memset(pool, 0, 4);
  uint32_t size = 0;
  if (!yel::ReadFileInto(name, pool, pool_size, &size)) return nullptr;
  if (!yel::StartsWith(pool, size, "GE") && yel::IsDeltaImage(pool, size)) {
    return yel::LoadDelta(render, pool, pool_size, size, priority);
  }
  return YelSpriteLoadMemory(render, name, pool, size, priority);
}

YEL_API YelSprite* YelSpriteInfoCreate(const char* name, int32_t width, int32_t height,
                                       int32_t priority) {
  YelSprite* sprite = yel::SpriteAllocate(priority);
  if (!sprite) {
    yel::SetLastError(yel::ERROR_INVALID_HANDLE);
    return nullptr;
  }
  yel::ImageHeader header;
  header.width = width;
  header.height = height;
  if (name) {
    yel::SpriteSetFileName(sprite, name);
    if (!yel::FileImageSize(name, header)) {
      yel::SpriteFree(sprite);
      return nullptr;
    }
  }
  yel::ApplyHeader(*sprite, header);
  if (!name) sprite->x = sprite->y = 0;
  sprite->rect = YelRect{0, 0, sprite->cell_width, sprite->cell_height};
  return sprite;
}

}  // extern "C"
