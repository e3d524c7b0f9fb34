// Sprite pixel holds, the work thread's lock release, and the clipping of copy rectangles.
#include "YEL/graphics/sprite_pixels.h"

#include <algorithm>

#include "YEL/render/texture.h"

namespace yel {

SpritePixels::SpritePixels(YelSprite* sprite, bool write) : sprite_(sprite), write_(write) {
  if (!sprite_ || !sprite_->texture) return;
  sprite_->lock_flag.store(1);
  pixels_ = TextureLockPixels(sprite_->texture, &width_, &height_);
  if (!pixels_) sprite_->lock_flag.store(0);
}

void SpritePixels::Release() {
  if (!pixels_) return;
  TextureUnlockPixels(sprite_->texture, write_);
  sprite_->lock_flag.store(0);
  pixels_ = nullptr;
}

namespace {

// The slot whose pixel lock a sprite's hold takes; null for none.
const TextureSlot* PixelLockOf(const YelSprite* sprite) {
  return sprite && sprite->texture ? sprite->texture->slot : nullptr;
}

}  // namespace

SpritePixelPair::SpritePixelPair(YelSprite* source, YelSprite* target) {
  if (std::less<const TextureSlot*>()(PixelLockOf(target), PixelLockOf(source))) {
    out_.emplace(target);
    in_.emplace(source, false);
  } else {
    in_.emplace(source, false);
    out_.emplace(target);
  }
}

WorkThreadLockRelease::WorkThreadLockRelease() {
  if (YelIsWorkThreadId()) left_ = YelRenderLockLeave() != 0;
}

WorkThreadLockRelease::~WorkThreadLockRelease() {
  if (left_) YelRenderLockEnter();
}

bool ClipCopyRect(CopyRect& rect, int32_t target_width, int32_t target_height, int32_t source_width,
                  int32_t source_height) {
  // Each corner that lies left of or above its buffer moves both corners by the same amount.
  const auto shift = [](int32_t& a, int32_t& b, int32_t& size) {
    const int64_t under = std::max<int64_t>({0, -int64_t{a}, -int64_t{b}});
    a = static_cast<int32_t>(a + under);
    b = static_cast<int32_t>(b + under);
    size = static_cast<int32_t>(std::max<int64_t>(0, size - under));
  };
  shift(rect.x, rect.source_x, rect.width);
  shift(rect.y, rect.source_y, rect.height);
  rect.width = static_cast<int32_t>(std::min<int64_t>(
      {rect.width, int64_t{target_width} - rect.x, int64_t{source_width} - rect.source_x}));
  rect.height = static_cast<int32_t>(std::min<int64_t>(
      {rect.height, int64_t{target_height} - rect.y, int64_t{source_height} - rect.source_y}));
  return rect.width > 0 && rect.height > 0;
}

}  // namespace yel
