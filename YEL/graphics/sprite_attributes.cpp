// The sprite attribute exports: each stores what it is given; the next present shows it.
#include "YEL/graphics/sprite.h"
#include "YEL/render/render.h"

namespace yel {
namespace {

// Runs `store` on a valid sprite: 1, or 0 with ERROR_INVALID_HANDLE for a null one.
template <typename Store>
int Set(YelSprite* sprite, Store store) {
  if (!SpriteOrError(sprite)) return 0;
  store(*sprite);
  return 1;
}

// The node sorts by z (truncated) added to the priority.
void SortByDepth(YelSprite& sprite) {
  const int32_t key = static_cast<int32_t>(static_cast<uint32_t>(TruncateFloat(sprite.z)) +
                                           static_cast<uint32_t>(sprite.priority));
  YelRenderNodeSetPriority(sprite.node, key);
}

// Left (or top) of cell `index`: beyond the image, the last whole cell.
int32_t CellStart(int32_t index, int32_t cell, int32_t image) {
  const uint32_t start = static_cast<uint32_t>(index) * static_cast<uint32_t>(cell);
  return start < static_cast<uint32_t>(image) ? static_cast<int32_t>(start) : image - cell;
}

}  // namespace
}  // namespace yel

using yel::Set;
using yel::SpriteOrError;

extern "C" {

YEL_API int32_t YelSpriteGetWidth(YelSprite* sprite) {
  return SpriteOrError(sprite) ? sprite->cell_width : 0;
}

YEL_API int32_t YelSpriteGetHeight(YelSprite* sprite) {
  return SpriteOrError(sprite) ? sprite->cell_height : 0;
}

YEL_API int YelSpriteViewCtrl(YelSprite* sprite, int32_t visible) {
  return Set(sprite, [&](YelSprite& s) { s.visible = visible; });
}

YEL_API int YelSpriteViewIs(YelSprite* sprite) {
  return SpriteOrError(sprite) ? sprite->visible : 0;
}

YEL_API int YelSpriteSetColor(YelSprite* sprite, uint32_t colour) {
  return Set(sprite, [&](YelSprite& s) { s.colour = colour; });
}

YEL_API int YelSpriteSetPos(YelSprite* sprite, float x, float y, float z) {
  return Set(sprite, [&](YelSprite& s) {
    s.x = x, s.y = y, s.z = z;
    yel::SortByDepth(s);
  });
}

YEL_API int YelSpriteMovePos(YelSprite* sprite, float dx, float dy, float dz) {
  return Set(sprite, [&](YelSprite& s) {
    s.x += dx, s.y += dy, s.z += dz;
    yel::SortByDepth(s);
  });
}

YEL_API int YelSpriteSetOffsetPos(YelSprite* sprite, int32_t x, int32_t y) {
  return Set(sprite, [&](YelSprite& s) { s.offset_x = x, s.offset_y = y; });
}

YEL_API int YelSpriteMoveOffsetPos(YelSprite* sprite, int32_t dx, int32_t dy) {
  return Set(sprite, [&](YelSprite& s) {
    s.offset_x =
        static_cast<int32_t>(static_cast<uint32_t>(s.offset_x) + static_cast<uint32_t>(dx));
    s.offset_y =
        static_cast<int32_t>(static_cast<uint32_t>(s.offset_y) + static_cast<uint32_t>(dy));
  });
}

YEL_API int YelSpriteChangePriority(YelSprite* sprite, int32_t priority) {
  return Set(sprite, [&](YelSprite& s) {
    s.priority = priority;
    YelRenderNodeSetPriority(s.node, priority);
  });
}

YEL_API int YelSpriteSetScale(YelSprite* sprite, float scale_x, float scale_y) {
  return Set(sprite, [&](YelSprite& s) { s.scale_x = scale_x, s.scale_y = scale_y; });
}

YEL_API int YelSpriteSetRotate(YelSprite* sprite, int32_t angle) {
  return Set(sprite, [&](YelSprite& s) { s.angle = static_cast<float>(angle); });
}

YEL_API int YelSpriteSetRotateFloat(YelSprite* sprite, float angle) {
  return Set(sprite, [&](YelSprite& s) { s.angle = angle; });
}

YEL_API int YelSpriteSetRotateEx(YelSprite* sprite, int32_t rotation_x, int32_t rotation_y,
                                 int32_t angle) {
  return YelSpriteSetRotateExFloat(sprite, static_cast<float>(rotation_x),
                                   static_cast<float>(rotation_y), static_cast<float>(angle));
}

YEL_API int YelSpriteSetRotateExFloat(YelSprite* sprite, float rotation_x, float rotation_y,
                                      float angle) {
  return Set(sprite, [&](YelSprite& s) {
    s.rotation_x = rotation_x, s.rotation_y = rotation_y, s.angle = angle;
  });
}

YEL_API void YelSpriteSetCenterOffset(YelSprite* sprite, int32_t x, int32_t y) {
  if (!sprite) return;
  sprite->centre_x = static_cast<int32_t>(0u - static_cast<uint32_t>(x));
  sprite->centre_y = static_cast<int32_t>(0u - static_cast<uint32_t>(y));
}

YEL_API int YelSpriteSetRect(YelSprite* sprite, const YelRect* rect) {
  return Set(sprite, [&](YelSprite& s) {
    s.rect = rect ? *rect : YelRect{0, 0, s.image_width, s.image_height};
  });
}

YEL_API int YelSpriteGetRect(YelSprite* sprite, YelRect* rect) {
  return Set(rect ? sprite : nullptr, [&](YelSprite& s) { *rect = s.rect; });
}

YEL_API int YelSpriteSetOffsetRect(YelSprite* sprite, int32_t cell_width, int32_t cell_height) {
  return Set(sprite, [&](YelSprite& s) { s.cell_width = cell_width, s.cell_height = cell_height; });
}

YEL_API int YelSpriteRectSetPos(YelSprite* sprite, int32_t column, int32_t row) {
  return Set(sprite, [&](YelSprite& s) {
    const int32_t left = yel::CellStart(column, s.cell_width, s.image_width);
    const int32_t top = yel::CellStart(row, s.cell_height, s.image_height);
    s.rect = YelRect{left, top, left + s.cell_width, top + s.cell_height};
  });
}

YEL_API int YelSpriteSetRenderMode(YelSprite* sprite, int32_t mode) {
  return Set(sprite, [&](YelSprite& s) { s.render_mode = mode; });
}

YEL_API int YelSpriteSetLayer(YelSprite* sprite, uint32_t layer) {
  return Set(sprite, [&](YelSprite& s) { s.layer = layer; });
}

YEL_API void YelSpriteSetAddressUV(YelSprite* sprite, int32_t mode) {
  if (sprite) sprite->address_mode = mode;
}

}  // extern "C"
