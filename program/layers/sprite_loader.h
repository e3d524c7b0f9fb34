// Sprite loading: an image name becomes a platform sprite, by trying a fixed list of extensions
// in order, or a plain colour plane for a name "#AARRGGBB" (of a size the platform keeps, else
// refused with a level-0 line). While the script fast-forwards (scene or history skip) the
// sprites carry size and position only.
#pragma once

#include <cstdint>

#include "YEL/yel.h"

namespace adv {

struct AdvContext;

// The sprite, hidden, at the draw priority, or null after the load-error line. Width and height
// are used for colour planes only. The caller holds the render lock; loads are taken one at a
// time, since the platform reads every image through one scratch pool.
YelSprite* AdvSpriteLoad(AdvContext& context, const char* name, int32_t width, int32_t height,
                         int32_t priority);
// AdvSpriteLoad with the render lock left around the load when called on the work thread.
YelSprite* AdvSpriteLoadUnlocked(AdvContext& context, const char* name, int32_t width,
                                 int32_t height, int32_t priority);
// The load of a thread that does not hold the render lock (the background loader). Whether
// information-only sprites are made is decided by the caller (`forced_skip`).
YelSprite* AdvSpriteLoadWithoutLock(const char* name, int32_t width, int32_t height,
                                    int32_t priority, bool forced_skip);

// The largest image the platform keeps (as YEL/render/texture.h has them): at most this many
// pixels on a side, and in all.
inline constexpr int32_t kTextureSideMax = 16384;
inline constexpr int64_t kTexturePixelsMax = int64_t{8192} * 8192;

// Whether the active renderer holds a texture of width x height: both sides positive and within
// its largest texture (YelGetTextureCaps; the image limits above without a renderer), and no more
// than kTexturePixelsMax pixels. Otherwise a level-0 line names `command` and the size, and the
// answer is false. Under the render lock.
bool AdvTextureFits(const char* command, int64_t width, int64_t height);

// True while a scene or history skip runs (bits 0x10 or 0x20 of the skip word).
bool AdvFastForwarding(AdvContext& context);

// Leaves the render lock for its lifetime (the caller holds it) and takes it again after.
class RenderLockLeft {
 public:
  RenderLockLeft();
  ~RenderLockLeft();
  RenderLockLeft(const RenderLockLeft&) = delete;
  RenderLockLeft& operator=(const RenderLockLeft&) = delete;
};

}  // namespace adv
