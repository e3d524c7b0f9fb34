// Frame animations of a sprite's source rectangle, each a task under the task that made it:
// either through the equal cells of a strip (YelAnimation) or through a caller's frame table
// with durations and jumps (YelAnimationEx). They run on the main thread in the task walk.
#include "YEL/core/task_tree.h"
#include "YEL/graphics/sprite.h"

namespace yel {
namespace {

enum CellDirection : uint8_t { kCellsAcross = 1, kCellsDown = 2 };
// Created animations are first children of the task that makes them.
constexpr uint32_t kLinkFirstChildOfCurrent = 2;

struct CellAnimationData {
  YelSprite* sprite;
  uint32_t interval;
  uint32_t start;
  uint16_t cell;
  uint16_t cell_count;
  uint8_t direction;
  uint32_t run;
  uint32_t looped;
};

struct FrameAnimationData {
  YelSprite* sprite;
  const YelAnimationFrame* frames;
  uint32_t duration;
  uint32_t start;
  int32_t index;  // -1 once stopped
  uint32_t run;
};

void ShowCell(CellAnimationData& data) {
  if (data.direction & kCellsAcross) {
    YelSpriteRectSetPos(data.sprite, data.cell, 0);
  } else {
    YelSpriteRectSetPos(data.sprite, 0, data.cell);
  }
}

// One cell at most a frame, once the interval has passed.
int CellStep(void* raw) {
  auto& data = *static_cast<CellAnimationData*>(raw);
  if (!data.run || YeltimeGetTime() - data.start < data.interval) return 1;
  if (++data.cell >= data.cell_count) {
    data.looped = 1;
    data.cell = 0;
  }
  ShowCell(data);
  data.start = YeltimeGetTime();
  return 1;
}

int CellStart(void* raw) {
  auto& data = *static_cast<CellAnimationData*>(raw);
  YelSpriteInfo info{};
  YelSpriteGetInfo(data.sprite, &info);
  const int32_t cells = data.direction & kCellsAcross
                            ? (info.cell_width > 0 ? info.image_width / info.cell_width : 0)
                            : (info.cell_height > 0 ? info.image_height / info.cell_height : 0);
  data.cell_count = static_cast<uint16_t>(cells);
  data.cell = 0;
  data.looped = 0;
  data.start = YeltimeGetTime();
  YelTaskChangeNext(CellStep);
  return 1;
}

void ShowFrame(FrameAnimationData& data, int32_t index) {
  const YelAnimationFrame& frame = data.frames[index];
  YelSpriteSetRect(data.sprite, &frame.rect);
  data.duration = frame.duration;
  data.start = YeltimeGetTime();
}

int FrameStep(void* raw) {
  auto& data = *static_cast<FrameAnimationData*>(raw);
  if (!data.run || data.index < 0 || YeltimeGetTime() - data.start < data.duration) return 1;
  data.index = data.frames[data.index].next;
  if (data.index >= 0) ShowFrame(data, data.index);
  return 1;
}

int FrameStart(void* raw) {
  auto& data = *static_cast<FrameAnimationData*>(raw);
  data.duration = data.frames[0].duration;
  data.start = YeltimeGetTime();
  YelTaskChangeNext(FrameStep);
  return 1;
}

template <typename Data>
YelTask* CreateAnimation(YelTaskFunc start, const char* name, const Data& init) {
  void* data = nullptr;
  YelTask* task =
      YelTaskCreate(start, nullptr, sizeof(Data), &data, kLinkFirstChildOfCurrent, nullptr, name);
  if (task) *static_cast<Data*>(data) = init;
  return task;
}

// The task's data, or null for a null handle or a task without data.
template <typename Data>
Data* AnimationData(YelTask* handle) {
  return handle ? static_cast<Data*>(handle->data) : nullptr;
}

}  // namespace
}  // namespace yel

using yel::AnimationData;
using yel::CellAnimationData;
using yel::FrameAnimationData;

extern "C" {

YEL_API YelTask* YelAnimation(YelSprite* sprite, int32_t direction, uint32_t interval) {
  if (!sprite) return nullptr;
  CellAnimationData init{};
  init.sprite = sprite;
  init.interval = interval;
  init.run = 1;
  init.direction = (direction & 3) != 0 ? static_cast<uint8_t>(direction & 3) : 1;
  return yel::CreateAnimation(yel::CellStart, "Animation", init);
}

YEL_API YelTask* YelAnimationEx(YelSprite* sprite, const YelAnimationFrame* frames) {
  if (!sprite || !frames) return nullptr;
  FrameAnimationData init{};
  init.sprite = sprite;
  init.frames = frames;
  init.run = 1;
  YelSpriteSetRect(sprite, &frames[0].rect);
  return yel::CreateAnimation(yel::FrameStart, "YelAnimationEx", init);
}

YEL_API int32_t YelAnimationGetTime(YelTask* handle) {
  const CellAnimationData* data = AnimationData<CellAnimationData>(handle);
  return data ? static_cast<int32_t>(data->interval) : -1;
}

YEL_API int YelAnimationSetTime(YelTask* handle, uint32_t interval) {
  CellAnimationData* data = AnimationData<CellAnimationData>(handle);
  if (!data) return 0;
  data->interval = interval;
  data->start = YeltimeGetTime();
  return 1;
}

YEL_API int YelAnimationReset(YelTask* handle) {
  CellAnimationData* data = AnimationData<CellAnimationData>(handle);
  if (!data) return 0;
  YelSpriteRectSetPos(data->sprite, 0, 0);
  // The cell count stays: without it the strip would never wrap again.
  data->cell = 0;
  data->looped = 0;
  data->start = YeltimeGetTime();
  return 1;
}

YEL_API int YelAnimationStart(YelTask* handle) {
  CellAnimationData* data = AnimationData<CellAnimationData>(handle);
  if (!data) return 0;
  data->run = 1;
  return 1;
}

YEL_API int YelAnimationStop(YelTask* handle) {
  CellAnimationData* data = AnimationData<CellAnimationData>(handle);
  if (!data) return 0;
  data->run = 0;
  return 1;
}

YEL_API int YelAnimationStartEx(YelTask* handle) {
  FrameAnimationData* data = AnimationData<FrameAnimationData>(handle);
  if (!data) return 0;
  data->run = 1;
  return 1;
}

YEL_API int YelAnimationStopEx(YelTask* handle) {
  FrameAnimationData* data = AnimationData<FrameAnimationData>(handle);
  if (!data) return 0;
  data->run = 0;
  return 1;
}

YEL_API int YelAnimationLoopIs(YelTask* handle) {
  CellAnimationData* data = AnimationData<CellAnimationData>(handle);
  if (!data || !data->looped) return 0;
  data->looped = 0;
  return 1;
}

YEL_API int32_t YelAnimationGetAnimationPoint(YelTask* handle) {
  const FrameAnimationData* data = AnimationData<FrameAnimationData>(handle);
  return data ? data->index : -1;
}

YEL_API int YelAnimationResetEx(YelTask* handle, const YelAnimationFrame* frames) {
  FrameAnimationData* data = AnimationData<FrameAnimationData>(handle);
  if (!data || !frames) return 0;
  data->frames = frames;
  data->index = 0;
  data->run = 1;
  yel::ShowFrame(*data, 0);
  return 1;
}

YEL_API int YelAnimationRelease(YelTask* handle) {
  if (!handle) return 0;
  if (handle->state == yel::kTaskRunning) YelTaskFree(handle);
  return 1;
}

}  // extern "C"
