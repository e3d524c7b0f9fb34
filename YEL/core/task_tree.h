// The task tree: every per-frame step of the system runs as a task, linked under the root task
// "Root" and walked once per frame on the main thread (children before their parent).
#pragma once

#include <cstdint>

#include "YEL/yel.h"

// A record of the fixed task pool. A task handle is a pointer to its record, so the first word
// of a handle is the task's data pointer.
struct YelTask {
  void* data;
  uint32_t data_size;
  YelTaskFunc fn;
  YelTaskEndFunc end_fn;
  int32_t message;
  const char* name;
  uint32_t link;  // low 16 bits the link mode, kTaskBlocking the blocking bit
  uint8_t state;
  YelTask* next;
  YelTask* prev;      // for the first element: the list head
  YelTask* children;  // a pool record in state kTaskHead, whose next is the first child
};

namespace yel {

enum TaskState : uint8_t { kTaskFree = 0, kTaskRunning = 1, kTaskEnding = 2, kTaskHead = 3 };
inline constexpr uint32_t kTaskBlocking = 0x10000;
inline constexpr uint32_t kLinkAfterParent = 1;
inline constexpr uint32_t kLinkFirstChild = 2;
inline constexpr int kTaskPoolSize = 512;

struct TaskTree {
  YelTask* root = nullptr;
  YelTask* current = nullptr;
  YelTask* data_task = nullptr;
  int32_t count = 0;
  int32_t pool_size = kTaskPoolSize;
  int32_t search_index = 0;
  YelTask* pool = nullptr;
};

// Allocates the root and the pool; false when memory fails.
bool TaskTreeInitialize(TaskTree& tree);
// Ends every task (end steps run, children first) and frees the root and the pool.
void TaskTreeRelease(TaskTree& tree);

YelTask* YelTaskAllocRecord(TaskTree& tree);
void YelTaskWalk(TaskTree& tree, YelTask* head);
// The per-frame walk of the root list under the render lock.
void YelTaskRunFrame();
void YelTaskListEnd(YelTask* head);
void YelTaskListFree(TaskTree& tree, YelTask* head);

// Links a fresh task record (shared by YelTaskCreate and the wait tasks).
YelTask* TaskCreateRecord(TaskTree& tree, YelTaskFunc fn, YelTaskEndFunc end_fn, void* data,
                          uint32_t data_size, uint32_t link, YelTask* parent, const char* name);

}  // namespace yel
