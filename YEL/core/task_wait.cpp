// Wait tasks: blocking tasks that hold back the tasks after them in their list for a number of
// frames or milliseconds, then end themselves.
#include "YEL/core/system.h"
#include "YEL/core/task_tree.h"

namespace yel {
namespace {

struct FrameWait {
  int32_t frames;  // -1 waits for ever
};

struct TimeWait {
  uint32_t duration;
  uint32_t start;
};

// The data of YelWaitTimeEx; its first word is not used.
struct TimeWaitEx {
  uint32_t unused;
  uint32_t duration;
  uint32_t start;
};

int EndCurrentTask() { return YelTaskFree(nullptr); }

int CountFrames(void* data) {
  auto* wait = static_cast<FrameWait*>(data);
  if (wait->frames == -1) return 1;
  if (wait->frames > 0) --wait->frames;
  // A count of 0 (or below) ends at the first counting step rather than never.
  if (wait->frames <= 0) EndCurrentTask();
  return 1;
}

int StartFrameWait(void*) {
  YelTaskChangeNext(CountFrames);
  return 1;
}

template <typename Wait>
int CheckTime(void* data) {
  auto* wait = static_cast<Wait*>(data);
  if (YeltimeGetTime() - wait->start >= wait->duration) EndCurrentTask();
  return 1;
}

template <typename Wait>
int StartTimeWait(void* data) {
  static_cast<Wait*>(data)->start = YeltimeGetTime();
  YelTaskChangeNext(CheckTime<Wait>);
  return 1;
}

// Wait tasks are linked after the current task with the blocking bit.
template <typename Wait>
YelTask* CreateWait(YelTaskFunc first_step, const char* name, YelTask* parent, const Wait& init) {
  YelSystem* system = System();
  if (!system || !system->tasks.root) return nullptr;
  void* data = YelMemoryAlloc(sizeof(Wait), 1);
  if (!data) return nullptr;
  *static_cast<Wait*>(data) = init;
  YelTask* task = TaskCreateRecord(system->tasks, first_step, nullptr, data, sizeof(Wait),
                                   kTaskBlocking | kLinkAfterParent, parent, name);
  if (!task) YelMemoryFree(data);
  return task;
}

}  // namespace
}  // namespace yel

extern "C" {

YEL_API YelTask* YelWait(int32_t frames) {
  return yel::CreateWait(yel::StartFrameWait, "YelWait", nullptr, yel::FrameWait{frames});
}

YEL_API YelTask* YelWaitTime(uint32_t ms) {
  return yel::CreateWait(yel::StartTimeWait<yel::TimeWait>, "YelWait", nullptr,
                         yel::TimeWait{ms, 0});
}

YEL_API YelTask* YelWaitTimeEx(uint32_t ms, YelTask* parent) {
  return yel::CreateWait(yel::StartTimeWait<yel::TimeWaitEx>, "YelWaitTimeEx", parent,
                         yel::TimeWaitEx{0, ms, 0});
}

}  // extern "C"
