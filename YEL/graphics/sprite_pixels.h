// Pixel access to a sprite's texture for the exports that read or write it, and the release of
// the render lock while a filter computes on the work thread.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "YEL/graphics/sprite.h"

namespace yel {

// Holds a sprite's texture pixels for a scope: the sprite's lock flag is set (present skips the
// sprite meanwhile) and the texture locked; on the way out the texture is unlocked, marked
// changed when written, and the flag cleared. Empty (false) for a null sprite or a texture
// without pixels.
class SpritePixels {
 public:
  explicit SpritePixels(YelSprite* sprite, bool write = true);
  ~SpritePixels() { Release(); }
  SpritePixels(const SpritePixels&) = delete;
  SpritePixels& operator=(const SpritePixels&) = delete;

  explicit operator bool() const { return pixels_ != nullptr; }
  uint32_t* pixels() const { return pixels_; }
  // The texture's size; rows are width() pixels apart.
  int32_t width() const { return width_; }
  int32_t height() const { return height_; }
  uint32_t* Row(int32_t y) const { return pixels_ + static_cast<size_t>(y) * width_; }
  // Ends the hold early.
  void Release();

 private:
  YelSprite* sprite_;
  bool write_;
  uint32_t* pixels_ = nullptr;
  int32_t width_ = 0, height_ = 0;
};

// Holds a source sprite's pixels for reading and a target's for writing, taking the two pixel
// locks in one order (by the address of the texture slot that owns each lock) whatever the
// direction of the copy, so two threads copying between the same two sprites in opposite
// directions cannot deadlock.
class SpritePixelPair {
 public:
  SpritePixelPair(YelSprite* source, YelSprite* target);
  SpritePixelPair(const SpritePixelPair&) = delete;
  SpritePixelPair& operator=(const SpritePixelPair&) = delete;

  explicit operator bool() const { return *in_ && *out_; }
  const SpritePixels& in() const { return *in_; }
  const SpritePixels& out() const { return *out_; }

 private:
  std::optional<SpritePixels> in_, out_;
};

// Leaves the render lock for a scope when the calling thread is the work thread, so the main
// thread can present while a filter computes; takes it again before the scope ends.
class WorkThreadLockRelease {
 public:
  WorkThreadLockRelease();
  ~WorkThreadLockRelease();
  WorkThreadLockRelease(const WorkThreadLockRelease&) = delete;
  WorkThreadLockRelease& operator=(const WorkThreadLockRelease&) = delete;

 private:
  bool left_ = false;
};

// A rectangle of copy between two textures, cut so that neither is read or written outside.
struct CopyRect {
  int32_t x, y;                // in the target
  int32_t source_x, source_y;  // in the source
  int32_t width, height;
};
// Cuts `rect` to a target of target_width x target_height and a source of source_width x
// source_height (negative corners move the other corner along), computed in 64 bits so that no
// corner wraps; false (and an empty rectangle) when nothing is left.
bool ClipCopyRect(CopyRect& rect, int32_t target_width, int32_t target_height, int32_t source_width,
                  int32_t source_height);

}  // namespace yel
