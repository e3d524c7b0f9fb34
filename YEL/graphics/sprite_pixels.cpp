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
  // In 64 bits throughout: a corner far left of its buffer moves the other corner by as much,
  // which in 32 bits could wrap past INT32_MAX into a negative offset.
  struct Axis {
    int64_t at, source_at, size;
  };
  // Each corner that lies left of or above its buffer moves both corners by the same amount;
  // what is left is cut to both buffers. False when nothing is left on the axis.
  const auto clip = [](Axis& a, int64_t target_size, int64_t source_size) {
    const int64_t under = std::max<int64_t>({0, -a.at, -a.source_at});
    a.at += under;
    a.source_at += under;
    a.size = std::min<int64_t>({a.size - under, target_size - a.at, source_size - a.source_at});
    return a.size > 0;
  };
  Axis x{rect.x, rect.source_x, rect.width};
  Axis y{rect.y, rect.source_y, rect.height};
  if (!clip(x, target_width, source_width) || !clip(y, target_height, source_height)) {
    rect.width = rect.height = 0;
    return false;
  }
  // Every value now lies inside one of the buffers, so it fits 32 bits again.
  rect = CopyRect{static_cast<int32_t>(x.at),        static_cast<int32_t>(y.at),
                  static_cast<int32_t>(x.source_at), static_cast<int32_t>(y.source_at),
                  static_cast<int32_t>(x.size),      static_cast<int32_t>(y.size)};
  return true;
}

}  // namespace yel
