// A sprite's pixels from outside the renderer: painting a colour, reading one pixel, and moving
// the texture to and from image files (PNG with or without alpha, JPEG).
#include <algorithm>
#include <string>
#include <vector>

#include "YEL/core/system.h"
#include "YEL/graphics/sprite.h"
#include "YEL/render/render.h"
#include "os/ini_file.h"
#include "os/picture_codecs.h"
#include "os/plain_file.h"

namespace yel {
namespace {

constexpr int kJpegQuality = 90;
constexpr size_t kMaxImageFile = 64u << 20;

// The texture's pixels locked for this call; empty for a sprite without pixels.
class PixelAccess {
 public:
  PixelAccess(YelSprite* sprite, bool writes) : writes_(writes) {
    if (sprite && sprite->texture) {
      texture_ = sprite->texture;
      pixels_ = TextureLockPixels(texture_, &width_, &height_);
    }
  }
  ~PixelAccess() {
    if (pixels_) TextureUnlockPixels(texture_, writes_);
  }
  PixelAccess(const PixelAccess&) = delete;
  PixelAccess& operator=(const PixelAccess&) = delete;

  uint32_t* pixels() const { return pixels_; }
  int32_t width() const { return width_; }
  int32_t height() const { return height_; }

 private:
  YelTexture* texture_ = nullptr;
  uint32_t* pixels_ = nullptr;
  int32_t width_ = 0, height_ = 0;
  bool writes_;
};

enum class Format { kJpeg, kPng32, kPng24 };

int SaveTexture(YelSprite* sprite, const char* path, Format format) {
  if (!SpriteOrError(sprite) || !path) return 0;
  std::vector<uint8_t> file;
  {
    PixelAccess access(sprite, false);
    if (!access.pixels()) return 0;
    const uint32_t* p = access.pixels();
    const int32_t w = access.width(), h = access.height();
    const bool encoded = format == Format::kJpeg
                             ? os::JpegEncode(p, w, h, w, kJpegQuality, file)
                             : os::PngEncode(p, w, h, w, file, format == Format::kPng32);
    if (!encoded) return 0;
  }
  return os::WriteFileAtomically(path, std::string(file.begin(), file.end())) ? 1 : 0;
}

}  // namespace
}  // namespace yel

extern "C" {

YEL_API int YelSpritePaint(YelSprite* sprite, const YelRect* rect, uint32_t colour) {
  if (!yel::SpriteOrError(sprite)) return 0;
  yel::PixelAccess access(sprite, true);
  if (!access.pixels()) return 0;
  YelRect area{0, 0, access.width(), access.height()};
  if (rect) {
    area = YelRect{std::max(rect->left, 0), std::max(rect->top, 0),
                   std::min(rect->right, access.width()), std::min(rect->bottom, access.height())};
  }
  for (int32_t y = area.top; y < area.bottom; ++y) {
    uint32_t* row = access.pixels() + static_cast<size_t>(y) * access.width();
    std::fill(row + area.left, row + std::max(area.left, area.right), colour);
  }
  return 1;
}

YEL_API uint32_t YelGetPixel(YelSprite* sprite, int32_t x, int32_t y) {
  if (!yel::SpriteOrError(sprite)) return 0;
  yel::PixelAccess access(sprite, false);
  if (!access.pixels() || x < 0 || y < 0 || x >= access.width() || y >= access.height()) return 0;
  return access.pixels()[static_cast<size_t>(y) * access.width() + x];
}

YEL_API int YelSpriteSaveTextureToFile(YelSprite* sprite, const char* path) {
  return yel::SaveTexture(sprite, path, yel::Format::kJpeg);
}

YEL_API int YelSpriteSaveTextureToPngFile(YelSprite* sprite, const char* path) {
  return yel::SaveTexture(sprite, path, yel::Format::kPng32);
}

YEL_API int YelSpriteSaveTextureToPng24File(YelSprite* sprite, const char* path) {
  return yel::SaveTexture(sprite, path, yel::Format::kPng24);
}

YEL_API int YelSpriteBackBafferCopy(YelSprite* sprite) {
  if (!yel::SpriteOrError(sprite) || !sprite->texture) return 0;
  yel::YelSystem* system = yel::System();
  YelCore* core = system ? system->core.load() : nullptr;
  return core && core->CaptureFrame(sprite->texture) ? 1 : 0;
}

YEL_API int YelSpriteLoadTextureToFile(YelSprite* sprite, const char* path) {
  if (!yel::SpriteOrError(sprite) || !path || !sprite->texture) return 0;
  std::string data;
  if (os::ReadWholeFile(path, data, yel::kMaxImageFile) != os::FileReadStatus::kOk) return 0;
  yel::YelSystem* system = yel::System();
  YelCore* core = system ? system->core.load() : nullptr;
  if (!core) return 0;
  YelTexture* texture =
      core->TextureFromImage(path, reinterpret_cast<const uint8_t*>(data.data()), data.size());
  if (!texture) return 0;
  yel::SpriteReleaseTexture(sprite);
  sprite->texture = texture;
  sprite->image_width = sprite->cell_width = texture->width;
  sprite->image_height = sprite->cell_height = texture->height;
  sprite->rect = YelRect{0, 0, texture->width, texture->height};
  return 1;
}

}  // extern "C"
