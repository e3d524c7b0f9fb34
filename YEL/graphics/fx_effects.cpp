// FX effects: the raster wave on one sprite (its record lives with the sprite) or on the whole
// screen (one record, drawn by a node of the active render list). An effect grows in over its
// duration, cycles at full amplitude, and fades out on request.
#include "YEL/graphics/fx_effects.h"

#include <cstring>
#include <new>

#include "YEL/graphics/sprite.h"
#include "YEL/render/render.h"

namespace yel {

struct FxRecord {
  int32_t direction = 0;  // 0 growing in, 1 fading out
  uint32_t start = 0;
  uint32_t duration = 0;
  int32_t state = 0;  // 0 none, 1 running, 2 fading out
  int32_t type = 0;
  bool has_blocks = false;  // the parameters and the work values are set
  YelFxRasterParam param{};
  float work[3] = {0, 0, 0};  // this frame's phase, amplitude x and amplitude y
  // Each record runs its own cycle, so effects started at different times keep their phases.
  uint32_t cycle_start = 0;
};

namespace {

constexpr uint32_t kScreenFlag = 0x10000000;
constexpr uint32_t kTypeBits = 0x0FFFFFFF;
constexpr int32_t kRasterType = 0;
constexpr int32_t kRasterKind = 1;  // the raster wave as the back-ends number it

enum Operation : int32_t { kStop = 0, kStart = 1, kFadeOut = 2 };

// The screen's effect and the render object whose list holds its node (null while it has
// none). Guarded by the render lock: the exports run in the task walk, the node's draw in
// present.
FxRecord g_screen;
YelRender* g_screen_render = nullptr;

uint32_t Now() {
  return YeltimeGetTime();
}

// The fraction of `duration` gone since `start`: 1 once all of it has (at once for 0).
float Progress(uint32_t start, uint32_t duration, uint32_t now, bool* ended) {
  const uint32_t elapsed = now - start;
  *ended = elapsed >= duration;
  if (*ended) return 1.0f;
  return static_cast<float>(elapsed) / static_cast<float>(duration);
}

// 0 to 1 through the record's cycle. The frame that completes a cycle shows phase 1 and starts
// the next one; a period of 0 completes one every frame, which holds the wave still.
float Phase(FxRecord& record, uint32_t now) {
  const uint32_t since = now - record.cycle_start;
  if (since >= record.param.period) {
    record.cycle_start = now;
    return 1.0f;
  }
  return static_cast<float>(since) / static_cast<float>(record.param.period);
}

bool CanStart(const FxRecord& record, int32_t type, const void* params) {
  return record.state == 0 && type == kRasterType && params;
}

void Start(FxRecord& record, int32_t type, uint32_t duration, const void* params) {
  std::memcpy(&record.param, params, sizeof record.param);
  record.has_blocks = true;
  record.work[0] = record.work[1] = record.work[2] = 0;
  record.direction = 0;
  record.type = type;
  record.state = 1;
  record.duration = duration;
  record.start = record.cycle_start = Now();
}

int Operate(FxRecord& record, int32_t type, int32_t operation, uint32_t duration,
            const void* params) {
  switch (operation) {
    case kStart:
      if (!CanStart(record, type, params)) return 0;
      Start(record, type, duration, params);
      return 1;
    case kFadeOut:
      // Only a running effect fades; one that never started has no wave to fade.
      if (record.state == 0 || !record.has_blocks) return 1;
      record.duration = duration;
      record.state = 2;
      record.start = Now();
      record.direction = 1;
      return 1;
    case kStop:
      record.has_blocks = false;
      record.state = 0;
      return 1;
    default:
      return 1;
  }
}

// The screen node's draw: the frame drawn so far through the wave. The node stays until
// YelReleaseFxEffect takes it out, so the record never points at a freed node; once the effect
// has ended it draws nothing.
int ScreenFxDraw(YelCore* core, void* object) {
  FxEffect effect;
  if (FxDrawInformation(static_cast<FxRecord*>(object), effect) && core) {
    core->DrawScreenFx(effect);
  }
  return 1;
}

int SetScreenEffect(const int32_t* priority, int32_t type, int32_t operation, uint32_t duration,
                    const void* params) {
  if (operation != kStart) return Operate(g_screen, type, operation, duration, params);
  if (g_screen_render || !CanStart(g_screen, type, params)) return 0;
  YelRender* render = YelRenderGetActive();
  if (!render || !YelRenderInsert(render, &g_screen, ScreenFxDraw, *priority)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  g_screen_render = render;
  Start(g_screen, type, duration, params);
  return 1;
}

FxRecord* SpriteRecord(YelSprite* sprite) {
  if (!sprite->fx_effect) {
    void* block = YelMemoryAlloc(sizeof(FxRecord), 1);
    if (!block) return nullptr;
    sprite->fx_effect = new (block) FxRecord();
  }
  return static_cast<FxRecord*>(sprite->fx_effect);
}

int SetSpriteEffect(YelSprite* sprite, int32_t type, int32_t operation, uint32_t duration,
                    const void* params) {
  FxRecord* record = sprite ? SpriteRecord(sprite) : nullptr;
  if (!record) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  return Operate(*record, type, operation, duration, params);
}

// The sprite a target word names; null (ERROR_INVALID_HANDLE) for a missing target.
YelSprite* TargetSprite(const void* target) {
  YelSprite* sprite = target ? *static_cast<YelSprite* const*>(target) : nullptr;
  return SpriteOrError(sprite);
}

}  // namespace

bool FxDrawInformation(FxRecord* record, FxEffect& out) {
  if (!record || record->state == 0 || !record->has_blocks) return false;
  const uint32_t now = Now();
  bool ended = false;
  float progress = Progress(record->start, record->duration, now, &ended);
  if (record->direction == 1) progress = 1.0f - progress;
  record->work[0] = Phase(*record, now);
  record->work[1] = record->param.amplitude_x * progress;
  record->work[2] = record->param.amplitude_y * progress;
  if (record->direction == 1 && ended) record->state = 0;
  if (YelEffectEnableIs() == 0) return false;
  out.type = kRasterKind;
  for (int i = 0; i < 3; ++i) out.params[i] = record->work[i];
  return true;
}

void FxRecordFree(FxRecord* record) {
  if (!record) return;
  record->~FxRecord();
  YelMemoryFree(record);
}

}  // namespace yel

extern "C" {

YEL_API int YelSetFxEffect(void* target, uint32_t flags, int32_t operation, uint32_t duration,
                           const void* params) {
  const auto type = static_cast<int32_t>(flags & yel::kTypeBits);
  if (flags & yel::kScreenFlag) {
    // Only a start reads the target word: the priority of the node it links.
    if (!target && operation == yel::kStart) {
      yel::SetLastError(yel::ERROR_INVALID_HANDLE);
      return 0;
    }
    return yel::SetScreenEffect(static_cast<const int32_t*>(target), type, operation, duration,
                                params);
  }
  YelSprite* sprite = yel::TargetSprite(target);
  return sprite ? yel::SetSpriteEffect(sprite, type, operation, duration, params) : 0;
}

YEL_API int YelSpriteSetFxEffect(YelSprite* sprite, int32_t type, int32_t operation,
                                 uint32_t duration, const void* params) {
  return yel::SetSpriteEffect(sprite, type, operation, duration, params);
}

YEL_API int32_t YelGetFxEffectState(const void* target, uint32_t flags) {
  if (flags & yel::kScreenFlag) return yel::g_screen.state;
  YelSprite* sprite = target ? *static_cast<YelSprite* const*>(target) : nullptr;
  return YelSpriteGetFxEffectState(sprite);
}

YEL_API int32_t YelSpriteGetFxEffectState(YelSprite* sprite) {
  const auto* record = sprite ? static_cast<const yel::FxRecord*>(sprite->fx_effect) : nullptr;
  return record ? record->state : 0;
}

YEL_API int YelReleaseFxEffect(void* target, uint32_t flags) {
  if (flags & yel::kScreenFlag) {
    if (yel::g_screen_render) YelRenderRemoveLocked(yel::g_screen_render, &yel::g_screen);
    yel::g_screen_render = nullptr;
    yel::g_screen = yel::FxRecord{};
    return 1;
  }
  YelSprite* sprite = yel::TargetSprite(target);
  if (!sprite || !sprite->fx_effect) return 0;
  yel::FxRecordFree(static_cast<yel::FxRecord*>(sprite->fx_effect));
  sprite->fx_effect = nullptr;
  return 1;
}

}  // extern "C"
