// Hit tests of sprites against a game point, the topmost sprite under a point, and the position
// change of aspect mode 3.
#include <mutex>

#include "YEL/core/system.h"
#include "YEL/graphics/sprite.h"
#include "YEL/render/render.h"

namespace yel {
namespace {

// The texture's alpha at a point: a point outside the texture counts as opaque; a texture whose
// pixels cannot be read counts as transparent, so nothing unreadable takes a click.
bool OpaqueAt(YelSprite& sprite, int32_t x, int32_t y) {
  int32_t width = 0, height = 0;
  const uint32_t* pixels = TextureLockPixels(sprite.texture, &width, &height);
  if (!pixels) return false;
  bool opaque = true;
  if (x >= 0 && y >= 0 && x < width && y < height) {
    opaque = (pixels[static_cast<size_t>(y) * width + x] >> 24) != 0;
  }
  TextureUnlockPixels(sprite.texture, false);
  return opaque;
}

}  // namespace
}  // namespace yel

extern "C" {

YEL_API int YelSpriteHit(YelSprite* sprite, int32_t x, int32_t y, int32_t alpha_test) {
  if (!yel::SpriteOrError(sprite) || !sprite->visible) return 0;
  const int64_t lx = int64_t{x} - (int64_t{yel::TruncateFloat(sprite->x)} + sprite->offset_x);
  const int64_t ly = int64_t{y} - (int64_t{yel::TruncateFloat(sprite->y)} + sprite->offset_y);
  const YelRect& r = sprite->rect;
  if (lx < 0 || ly < 0 || lx >= int64_t{r.right} - r.left || ly >= int64_t{r.bottom} - r.top) {
    return 0;
  }
  if (!alpha_test) return 1;
  return yel::OpaqueAt(*sprite, static_cast<int32_t>(lx + r.left), static_cast<int32_t>(ly + r.top))
             ? 1
             : 0;
}

YEL_API YelSprite* YelSpriteGetForeground(int32_t x, int32_t y, int32_t alpha_test) {
  YelRender* render = YelRenderGetActive();
  if (!render) return nullptr;
  YelSprite* found = nullptr;
  std::lock_guard list_lock(yel::RenderListLock());
  for (YelRenderNode* node = render->first; node; node = node->next) {
    if (node->draw != yel::YelSpriteDrawCallback) continue;
    auto* sprite = static_cast<YelSprite*>(node->object);
    if (!sprite || !YelSpriteHit(sprite, x, y, alpha_test)) continue;
    if (!found || sprite->priority <= found->priority) found = sprite;
  }
  return found;
}

YEL_API void YelSpriteConvertAspectPosition(YelSprite* sprite, int32_t type) {
  yel::YelSystem* system = yel::System();
  if (!sprite || !system || type == 0) return;
  // The UI thread's published copy: the window's own record may be changing under it.
  const yel::WindowState window = system->window_state.Get();
  if (!window.full_screen || window.aspect_mode != 3) return;
  const os::Rect monitor =
      os::DisplayRectAt(window.x + window.width / 2, window.y + window.height / 2, nullptr);
  const os::Rect view = window.view;
  if (view.Width() == 0 || view.Height() == 0) return;
  const float sx = static_cast<float>(monitor.Width()) / static_cast<float>(view.Width());
  const float sy = static_cast<float>(monitor.Height()) / static_cast<float>(view.Height());
  const int32_t cx = system->param.game_width / 2, cy = system->param.game_height / 2;
  if (type >= 1 && type <= 3) {
    const float dx = static_cast<float>(cx - yel::TruncateFloat(static_cast<float>(cx) * sx));
    const float dy = static_cast<float>(cy - yel::TruncateFloat(static_cast<float>(cy) * sy));
    if (type != 3) sprite->x = sprite->x > static_cast<float>(cx) ? sprite->x - dx : sprite->x + dx;
    if (type != 2) sprite->y -= dy;
  } else if (type == 4) {
    sprite->x = (sprite->x - static_cast<float>(cx)) * sx + static_cast<float>(cx);
    sprite->y = (sprite->y - static_cast<float>(cy)) * sy + static_cast<float>(cy);
  }
}

}  // extern "C"
