// The sprite record behind a YelSprite handle, and what the sprite files share.
//
// The fields are guarded by the render lock: the exports are called by threads that hold it
// (the main thread in the task walk, the work thread around its loads) and present reads the
// fields under it. The lock flag alone is read by present without that hand-shake.
#pragma once

#include <atomic>
#include <cstdint>

#include "YEL/render/backend.h"
#include "YEL/yel.h"

struct YelSprite {
  YelTexture* texture = nullptr;  // owned; null only in size-query records
  struct {
    void* pixels = nullptr;  // owned, YelMemoryAlloc
    uint32_t size = 0;
    int32_t width = 0, height = 0;
  } filter_backup;
  void* movie = nullptr;
  std::atomic<int32_t> transition_mark{0};  // non-zero while a transition draws in its place
  void* fx_effect = nullptr;
  YelRenderNode* node = nullptr;
  std::atomic<int32_t> lock_flag{0};  // 1 while a thread writes the texture's pixels
  int32_t visible = 0;
  YelRect rect{};
  uint32_t colour = 0xFFFFFFFF;
  float x = 0, y = 0, z = 0;
  int32_t offset_x = 0, offset_y = 0;
  int32_t image_width = 0, image_height = 0;
  int32_t cell_width = 0, cell_height = 0;
  int32_t centre_x = 0, centre_y = 0;
  int32_t priority = 0;
  float scale_x = 1, scale_y = 1;
  float rotation_x = 0, rotation_y = 0, angle = 0;
  int32_t render_mode = 1;
  int32_t option_code = 0;
  int32_t address_mode = 0;
  float skew_x = 0, skew_y = 0;
  int32_t perspective = 0;
  uint32_t layer = 0;
  char file_name[260] = {};
};

namespace yel {

// A record with the defaults, from the counted allocator; null without memory.
YelSprite* SpriteAllocate(int32_t priority);
// Frees a record made by SpriteAllocate (its texture and node must be gone).
void SpriteFree(YelSprite* sprite);
// Links a made sprite hidden into the render list at its priority and returns it; without
// memory the sprite and its texture are freed, the last error is ERROR_INVALID_HANDLE and the
// result null.
YelSprite* SpriteLink(YelRender* render, YelSprite* sprite);
// Releases the texture with the back-end that made it.
void SpriteReleaseTexture(YelSprite* sprite);
// Copies a name into the record's file name (259 bytes and a zero).
void SpriteSetFileName(YelSprite* sprite, const char* name);

// Null with ERROR_INVALID_HANDLE for a null sprite.
YelSprite* SpriteOrError(YelSprite* sprite);

// The sprite's texture, place, shape and colour as a back-end draws them (no FX effect).
void FillSpriteQuad(const YelSprite& sprite, SpriteQuad& quad);

// The draw callback of every sprite node: draws through the active back-end and returns 1; a
// null sprite returns 0 (the node goes).
int YelSpriteDrawCallback(YelCore* core, void* object);

}  // namespace yel
