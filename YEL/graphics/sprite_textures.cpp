// Pixel access to sprite textures: the lock pair, paint, buffer and back-buffer copies, saving a
// texture as JPEG or PNG and replacing it from an image file.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "YEL/core/system.h"
#include "YEL/graphics/sprite_pixels.h"
#include "YEL/render/render.h"
#include "os/file_system.h"
#include "os/ini_file.h"
#include "os/picture_codecs.h"
#include "os/plain_file.h"

namespace yel {
namespace {

// The quality of saved JPEG files.
constexpr int kJpegQuality = 75;
// The largest image file a texture is replaced from.
constexpr size_t kPictureFileLimit = size_t{64} << 20;

YelCore* ActiveCore() {
  YelSystem* system = System();
  return system ? system->core.load() : nullptr;
}

// A pixel as a 24-bit image keeps it: opaque as it is, transparent black, the rest darkened by
// its alpha.
uint32_t Flattened(uint32_t pixel) {
  const uint32_t a = pixel >> 24;
  if (a == 255) return pixel;
  uint32_t out = 0xFF000000u;
  for (int shift = 0; shift < 24; shift += 8) out |= ((pixel >> shift & 0xFF) * a / 255) << shift;
  return out;
}

enum class SaveFormat { kJpeg, kPng32, kPng24 };

// Encodes the texture and writes the file whole; false when any step fails.
bool SaveTexture(YelSprite* sprite, const char* name, SaveFormat format) {
  if (!SpriteOrError(sprite) || !name || !*name) return false;
  std::vector<uint8_t> file;
  {
    SpritePixels texture(sprite, false);
    if (!texture) return false;
    const int32_t w = texture.width(), h = texture.height();
    if (format == SaveFormat::kJpeg) {
      if (!os::JpegEncode(texture.pixels(), w, h, w, kJpegQuality, file)) return false;
    } else if (format == SaveFormat::kPng32) {
      if (!os::PngEncode(texture.pixels(), w, h, w, file)) return false;
    } else {
      std::vector<uint32_t> flat(texture.pixels(), texture.pixels() + size_t(w) * h);
      std::transform(flat.begin(), flat.end(), flat.begin(), Flattened);
      if (!os::PngEncode(flat.data(), w, h, w, file, false)) return false;
    }
  }
  return os::WriteFileAtomically(os::DiskPath(name), std::string(file.begin(), file.end()));
}

}  // namespace
}  // namespace yel

using yel::SpriteOrError;

extern "C" {

YEL_API uint32_t* YelTextureLock(YelTexture* texture, int32_t* width, int32_t* height) {
  int32_t w = 0, h = 0;
  uint32_t* pixels = texture ? yel::TextureLockPixels(texture, &w, &h) : nullptr;
  if (!texture) yel::SetLastError(yel::ERROR_INVALID_HANDLE);
  if (!pixels) return nullptr;
  // The buffer stays where it is while the texture lives; the writer is kept from present by
  // the render lock or the sprite's lock flag, so the pixel lock is not held past this call.
  yel::TextureUnlockPixels(texture, true);
  if (width) *width = w;
  if (height) *height = h;
  return pixels;
}

YEL_API uint32_t* YelSpriteLock(YelSprite* sprite, int32_t* width, int32_t* height) {
  if (!SpriteOrError(sprite)) return nullptr;
  sprite->lock_flag.store(1);
  return YelTextureLock(sprite->texture, width, height);
}

YEL_API int YelSpriteUnlock(YelSprite* sprite) {
  if (!sprite) return 0;
  if (sprite->texture) {
    // Marks what was written as changed, so a back-end that keeps a copy takes it again.
    yel::TextureLockPixels(sprite->texture, nullptr, nullptr);
    yel::TextureUnlockPixels(sprite->texture, true);
  }
  sprite->lock_flag.store(0);
  return 1;
}

YEL_API int YelSpritePaint(YelSprite* sprite, const YelRect* rect, uint32_t colour) {
  if (!SpriteOrError(sprite)) return 0;
  yel::SpritePixels texture(sprite);
  if (!texture) return 0;
  YelRect area{0, 0, texture.width(), texture.height()};
  if (rect) {
    // Cut to the texture: a rectangle partly outside paints what lies inside.
    area =
        YelRect{std::max(rect->left, 0), std::max(rect->top, 0),
                std::min(rect->right, texture.width()), std::min(rect->bottom, texture.height())};
  }
  for (int32_t y = area.top; y < area.bottom; ++y) {
    uint32_t* row = texture.Row(y);
    if (area.left < area.right) std::fill(row + area.left, row + area.right, colour);
  }
  return 1;
}

YEL_API int YelSpriteSetBuffer(YelSprite* sprite, const uint32_t* pixels, int32_t width,
                               int32_t height) {
  if (!SpriteOrError(sprite)) return 0;
  yel::SpritePixels texture(sprite);
  if (!texture || !pixels || width <= 0 || height <= 0) return 0;
  const int32_t w = std::min(width, texture.width()), h = std::min(height, texture.height());
  for (int32_t y = 0; y < h; ++y) {
    std::memcpy(texture.Row(y), pixels + static_cast<size_t>(y) * width, size_t{4} * w);
  }
  return 1;
}

YEL_API int YelSpriteBackBafferCopy(YelSprite* sprite) {
  if (!SpriteOrError(sprite)) return 0;
  YelCore* core = yel::ActiveCore();
  if (!core || !sprite->texture) return 0;
  sprite->lock_flag.store(1);
  const bool copied = core->CaptureFrame(sprite->texture);
  sprite->lock_flag.store(0);
  return copied ? 1 : 0;
}

YEL_API int YelSpriteSaveTextureToFile(YelSprite* sprite, const char* name) {
  return yel::SaveTexture(sprite, name, yel::SaveFormat::kJpeg) ? 1 : 0;
}

YEL_API int YelSpriteSaveTextureToPngFile(YelSprite* sprite, const char* name) {
  return yel::SaveTexture(sprite, name, yel::SaveFormat::kPng32) ? 1 : 0;
}

YEL_API int YelSpriteSaveTextureToPng24File(YelSprite* sprite, const char* name) {
  return yel::SaveTexture(sprite, name, yel::SaveFormat::kPng24) ? 1 : 0;
}

YEL_API int YelSpriteLoadTextureToFile(YelSprite* sprite, const char* path) {
  if (!SpriteOrError(sprite) || !path) return 0;
  YelCore* core = yel::ActiveCore();
  std::string bytes;
  if (!core || os::ReadWholeFile(os::DiskPath(path), bytes, yel::kPictureFileLimit) !=
                   os::FileReadStatus::kOk) {
    return 0;
  }
  YelTexture* texture =
      core->TextureFromImage(path, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  if (!texture) return 0;
  sprite->lock_flag.store(1);
  yel::SpriteReleaseTexture(sprite);
  sprite->texture = texture;
  sprite->lock_flag.store(0);
  return 1;
}

}  // extern "C"
