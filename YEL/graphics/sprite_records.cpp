// Sprite records: making, linking, release, the info copy, and the draw callback.
#include <algorithm>
#include <cstring>
#include <mutex>
#include <new>

#include "YEL/core/system.h"
#include "YEL/graphics/fx_effects.h"
#include "YEL/graphics/sprite.h"
#include "YEL/graphics/sprite_transitions.h"
#include "YEL/media/movie.h"
#include "YEL/render/render.h"

namespace yel {
namespace {

YelCore* ActiveCore() {
  YelSystem* system = System();
  return system ? system->core.load() : nullptr;
}

// Fill patterns of freed or unset memory that a careless caller may pass as a handle.
bool IsFillPattern(const void* handle) {
  const auto value = reinterpret_cast<uintptr_t>(handle);
  for (uint32_t pattern : {0xCCCCCCCCu, 0xDDDDDDDDu, 0xEEEEEEEEu}) {
    const uint64_t wide = uint64_t{pattern} << 32 | pattern;
    if (value == pattern || value == wide) return true;
  }
  return false;
}

// Everything that may still point at a sprite lets go of it before it is freed: its node, the
// target render list and the transitions that draw it.
void ForgetSprite(YelSprite* sprite) {
  TransitionsForgetSprite(sprite);
  if (sprite->node) {
    YelRender* owner = sprite->node->owner;
    YelRenderRemove(owner, sprite);
    sprite->node = nullptr;
  }
  if (YelSystem* system = System()) {
    auto& list = system->target_list;
    list.erase(std::remove(list.begin(), list.end(), static_cast<void*>(sprite)), list.end());
  }
}

// The state a YelSpriteInfo carries, between a sprite and its copy (the fields share names).
template <typename From, typename To>
void CopySettable(const From& f, To& t) {
  t.visible = f.visible, t.colour = f.colour, t.x = f.x, t.y = f.y, t.z = f.z;
  t.offset_x = f.offset_x, t.offset_y = f.offset_y;
  t.image_width = f.image_width, t.image_height = f.image_height;
  t.cell_width = f.cell_width, t.cell_height = f.cell_height;
  t.centre_x = f.centre_x, t.centre_y = f.centre_y, t.priority = f.priority;
  t.scale_x = f.scale_x, t.scale_y = f.scale_y;
  t.rotation_x = f.rotation_x, t.rotation_y = f.rotation_y, t.angle = f.angle;
  t.render_mode = f.render_mode, t.layer = f.layer, t.address_mode = f.address_mode;
  t.skew_x = f.skew_x, t.skew_y = f.skew_y, t.perspective = f.perspective;
}

}  // namespace

YelSprite* SpriteAllocate(int32_t priority) {
  void* block = YelMemoryAlloc(sizeof(YelSprite), 1);
  if (!block) return nullptr;
  auto* sprite = new (block) YelSprite();
  sprite->priority = priority;
  return sprite;
}

void SpriteFree(YelSprite* sprite) {
  if (!sprite) return;
  sprite->~YelSprite();
  YelMemoryFree(sprite);
}

YelSprite* SpriteLink(YelRender* render, YelSprite* sprite) {
  sprite->node = YelRenderInsert(render, sprite, YelSpriteDrawCallback, sprite->priority);
  if (sprite->node) return sprite;
  SpriteReleaseTexture(sprite);
  SpriteFree(sprite);
  SetLastError(ERROR_INVALID_HANDLE);
  return nullptr;
}

void SpriteReleaseTexture(YelSprite* sprite) {
  if (!sprite->texture) return;
  if (YelCore* core = ActiveCore()) {
    core->TextureRelease(sprite->texture);
  } else {
    YelMemoryFree(sprite->texture);  // the back-end and its slots are already gone
  }
  sprite->texture = nullptr;
}

void SpriteSetFileName(YelSprite* sprite, const char* name) {
  std::memset(sprite->file_name, 0, sizeof sprite->file_name);
  if (name) std::strncpy(sprite->file_name, name, sizeof sprite->file_name - 1);
}

YelSprite* SpriteOrError(YelSprite* sprite) {
  if (!sprite) SetLastError(ERROR_INVALID_HANDLE);
  return sprite;
}

void FillSpriteQuad(const YelSprite& sprite, SpriteQuad& quad) {
  quad.texture = sprite.texture;
  quad.x = sprite.x;
  quad.y = sprite.y;
  quad.z = sprite.z;
  quad.offset_x = sprite.offset_x;
  quad.offset_y = sprite.offset_y;
  quad.rotation_x = sprite.rotation_x;
  quad.rotation_y = sprite.rotation_y;
  quad.angle = sprite.angle;
  quad.scale_x = sprite.scale_x;
  quad.scale_y = sprite.scale_y;
  quad.rect = sprite.rect;
  quad.colour = sprite.colour;
  quad.render_mode = sprite.render_mode;
  quad.centre_x = sprite.centre_x;
  quad.centre_y = sprite.centre_y;
  quad.address_mode = sprite.address_mode;
  quad.skew_x = sprite.skew_x;
  quad.skew_y = sprite.skew_y;
  quad.perspective = sprite.perspective;
  quad.fx = nullptr;
}

int YelSpriteDrawCallback(YelCore* core, void* object) {
  auto* sprite = static_cast<YelSprite*>(object);
  if (!sprite) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  // The effect is stepped even in frames the sprite is not drawn, so that a fade-out of a
  // hidden sprite still ends.
  FxEffect fx;
  const bool has_fx = FxDrawInformation(static_cast<FxRecord*>(sprite->fx_effect), fx);
  // A sprite whose pixels are being written is drawn in a later frame: present holds the
  // render-list lock and must not wait for the writer.
  if (sprite->transition_mark.load() != 0 || !sprite->visible || sprite->lock_flag.load() != 0 ||
      !core) {
    return 1;
  }
  SpriteQuad quad;
  FillSpriteQuad(*sprite, quad);
  if (has_fx) quad.fx = &fx;
  core->DrawSprite(quad);
  return 1;
}

}  // namespace yel

using yel::SpriteOrError;

extern "C" {

YEL_API YelSprite* YelSpriteCreate(YelRender* render, int32_t width, int32_t height,
                                   int32_t priority) {
  YelSprite* sprite = render ? yel::SpriteAllocate(priority) : nullptr;
  if (!sprite) {
    yel::SetLastError(yel::ERROR_INVALID_HANDLE);
    return nullptr;
  }
  YelCore* core = yel::ActiveCore();
  sprite->texture = core ? core->TextureCreate(width, height) : nullptr;
  if (!sprite->texture) {
    yel::SpriteFree(sprite);
    return nullptr;
  }
  sprite->image_width = sprite->cell_width = width;
  sprite->image_height = sprite->cell_height = height;
  sprite->rect = YelRect{0, 0, width, height};
  return yel::SpriteLink(render, sprite);
}

YEL_API int YelSpriteRelease(YelRender* render, YelSprite* sprite) {
  (void)render;  // the node is unlinked from the list that holds it, whichever was named
  if (!SpriteOrError(sprite)) return 0;
  // A movie's decode thread writes the texture: it ends before the texture goes.
  yel::MovieRelease(static_cast<YelMovie*>(sprite->movie));
  sprite->movie = nullptr;
  std::lock_guard list_lock(yel::RenderListLock());
  yel::ForgetSprite(sprite);
  yel::FxRecordFree(static_cast<yel::FxRecord*>(sprite->fx_effect));
  sprite->fx_effect = nullptr;
  YelMemoryFree(sprite->filter_backup.pixels);
  sprite->filter_backup.pixels = nullptr;
  yel::SpriteReleaseTexture(sprite);
  yel::SpriteFree(sprite);
  return 1;
}

YEL_API int YelSpriteReleaseArray(YelRender* render, YelSprite** sprites, int32_t count) {
  if (!sprites) {
    yel::SetLastError(yel::ERROR_INVALID_HANDLE);
    return 0;
  }
  bool all_released = true;
  for (int32_t i = count - 1; i >= 0; --i) {
    if (sprites[i] && YelSpriteRelease(render, sprites[i]) == 0) all_released = false;
    sprites[i] = nullptr;
  }
  return all_released ? 1 : 0;
}

YEL_API int YelSpriteGetInfo(YelSprite* sprite, YelSpriteInfo* info) {
  if (yel::IsFillPattern(sprite)) {
    YelDebugPrintf(0, "", "error YelSpriteGetInfo hSprite is Bad Pointer");
    return 0;
  }
  if (!SpriteOrError(info ? sprite : nullptr)) return 0;
  *info = YelSpriteInfo{};
  yel::CopySettable(*sprite, *info);
  std::memcpy(info->file_name, sprite->file_name, sizeof info->file_name);
  if (sprite->texture) {
    info->texture_width = sprite->texture->width;
    info->texture_height = sprite->texture->height;
  }
  return 1;
}

YEL_API int YelSpriteSetInfo(YelSprite* sprite, const YelSpriteInfo* info) {
  if (!SpriteOrError(info ? sprite : nullptr)) return 0;
  yel::CopySettable(*info, *sprite);
  char name[260];
  std::memcpy(name, info->file_name, sizeof name);
  name[259] = '\0';
  yel::SpriteSetFileName(sprite, name);
  return 1;
}

}  // extern "C"
