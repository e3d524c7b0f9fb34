// The task tree: a fixed pool of 512 records, a walk that steps children before their parent,
// and end steps that run once before a task's data and record are released.
#include "YEL/core/task_tree.h"

#include "YEL/core/system.h"
#include "YEL/render/render.h"

namespace yel {
namespace {

TaskTree* Tree() {
  YelSystem* system = System();
  return system ? &system->tasks : nullptr;
}

// The task a null argument stands for. A current task whose record was released by a walk
// falls back to the root, so nothing is ever linked to a free record.
YelTask* CurrentOrRoot(TaskTree& tree) {
  if (!tree.current || tree.current->state == kTaskFree) tree.current = tree.root;
  return tree.current;
}

YelTask* Resolve(TaskTree& tree, YelTask* task) { return task ? task : CurrentOrRoot(tree); }

void Unlink(YelTask* task) {
  if (task->prev) task->prev->next = task->next;
  if (task->next) task->next->prev = task->prev;
  task->next = nullptr;
  task->prev = nullptr;
}

void InsertAfter(YelTask* anchor, YelTask* task) {
  task->prev = anchor;
  task->next = anchor->next;
  if (anchor->next) anchor->next->prev = task;
  anchor->next = task;
}

// Releases an unlinked task's data, child-list head and record.
void ReleaseRecord(TaskTree& tree, YelTask* task) {
  YelMemoryFree(task->data);
  if (task->children) *task->children = YelTask{};
  if (tree.current == task) tree.current = tree.root;
  if (tree.data_task == task) tree.data_task = nullptr;
  *task = YelTask{};
  --tree.count;
}

YelTask* EndStep(TaskTree& tree, YelTask* task);

// Ends every task of a list, each after the tasks below it.
void EndList(TaskTree& tree, YelTask* head) {
  while (head && head->next) EndStep(tree, head->next);
}

// The end step: tasks still below the task end first (none is left behind without its end
// step), then the end function runs once and the task is released. Returns the next sibling.
YelTask* EndStep(TaskTree& tree, YelTask* task) {
  EndList(tree, task->children);
  tree.current = task;
  task->state = kTaskEnding;  // the record stays taken while its end function runs
  if (task->fn) task->fn(task->data);
  YelTask* next = task->next;
  Unlink(task);
  ReleaseRecord(tree, task);
  return next;
}

// After a blocking task: later siblings only get their end steps.
void WalkBlocked(TaskTree& tree, YelTask* task) {
  while (task) {
    tree.current = task;
    task = task->state == kTaskEnding ? EndStep(tree, task) : task->next;
  }
}

// Walks the list from `task` onward.
void WalkFrom(TaskTree& tree, YelTask* task) {
  while (task) {
    if (task->children && task->children->next) WalkFrom(tree, task->children->next);
    tree.current = task;
    if (task->state == kTaskEnding) {
      task = EndStep(tree, task);
      continue;
    }
    if (task->state == kTaskRunning && task->fn) task->fn(task->data);
    if (task->prev && (task->link & kTaskBlocking)) {
      WalkBlocked(tree, task->next);
      return;
    }
    task = task->next;
  }
}

void MarkEnding(YelTask* task) {
  if (task->children) YelTaskListEnd(task->children);
  task->fn = task->end_fn;
  task->state = kTaskEnding;
}

// Releases the list from `task` onward without walking it: end functions run, children first.
void FreeFrom(TaskTree& tree, YelTask* task) {
  while (task) {
    if (task->children) YelTaskListFree(tree, task->children);
    if (task->end_fn) task->end_fn(task->data);
    YelTask* next = task->next;  // read after the call: it may have linked a task here
    Unlink(task);
    ReleaseRecord(tree, task);
    task = next;
  }
}

}  // namespace

bool TaskTreeInitialize(TaskTree& tree) {
  tree = TaskTree{};
  tree.root = static_cast<YelTask*>(YelMemoryAlloc(sizeof(YelTask), 1));
  tree.pool = static_cast<YelTask*>(YelMemoryAlloc(sizeof(YelTask) * kTaskPoolSize, 1));
  if (!tree.root || !tree.pool) {
    YelMemoryFree(tree.root);
    YelMemoryFree(tree.pool);
    tree = TaskTree{};
    return false;
  }
  tree.root->state = kTaskRunning;
  tree.root->link = kLinkAfterParent;
  tree.root->name = "Root";
  tree.current = tree.root;
  return true;
}

void TaskTreeRelease(TaskTree& tree) {
  if (!tree.root) return;
  if (tree.root->next) {
    YelTaskListEnd(tree.root);
    YelTaskWalk(tree, tree.root);
    YelTaskListFree(tree, tree.root);
  }
  YelMemoryFree(tree.root);
  YelMemoryFree(tree.pool);
  tree = TaskTree{};
}

YelTask* YelTaskAllocRecord(TaskTree& tree) {
  for (int probe = 0; probe < tree.pool_size; ++probe) {
    YelTask* record = &tree.pool[tree.search_index];
    tree.search_index = (tree.search_index + 1) % tree.pool_size;
    if (record->state == kTaskFree) return record;
  }
  return nullptr;
}

void YelTaskWalk(TaskTree& tree, YelTask* head) { WalkFrom(tree, head->next); }

void YelTaskRunFrame() {
  TaskTree* tree = Tree();
  if (!tree || !tree->root) return;
  RenderLockScope lock;
  YelTaskWalk(*tree, tree->root);
}

void YelTaskListEnd(YelTask* head) {
  for (YelTask* task = head->next; task; task = task->next) MarkEnding(task);
}

void YelTaskListFree(TaskTree& tree, YelTask* head) { FreeFrom(tree, head->next); }

YelTask* TaskCreateRecord(TaskTree& tree, YelTaskFunc fn, YelTaskEndFunc end_fn, void* data,
                          uint32_t data_size, uint32_t link, YelTask* parent, const char* name) {
  YelTask* task = YelTaskAllocRecord(tree);
  if (!task) return nullptr;
  task->state = kTaskRunning;  // taken, so the second probe finds another record
  YelTask* head = YelTaskAllocRecord(tree);
  if (!head) {
    task->state = kTaskFree;
    return nullptr;
  }
  *task = YelTask{data, data_size, fn, end_fn, 0, name, link, kTaskRunning, nullptr, nullptr, head};
  *head = YelTask{};
  head->state = kTaskHead;
  parent = Resolve(tree, parent);
  // The root's own list holds the top-level tasks, so both modes put a task first there.
  const bool first_child = (link & 0xFFFF) == kLinkFirstChild && parent != tree.root;
  InsertAfter(first_child ? parent->children : parent, task);
  ++tree.count;
  return task;
}

}  // namespace yel

using yel::kTaskEnding;
using yel::kTaskFree;

extern "C" {

YEL_API YelTask* YelTaskCreate(YelTaskFunc fn, YelTaskEndFunc end_fn, uint32_t data_size,
                               void** out_data, uint32_t link_word, YelTask* parent,
                               const char* name) {
  if (out_data) *out_data = nullptr;
  yel::TaskTree* tree = yel::Tree();
  if (!fn || !tree || !tree->root) return nullptr;
  void* data = YelMemoryAlloc(data_size, 1);
  if (!data) return nullptr;
  YelTask* task =
      yel::TaskCreateRecord(*tree, fn, end_fn, data, data_size, link_word, parent, name);
  if (!task) {
    YelMemoryFree(data);
    return nullptr;
  }
  if (out_data) *out_data = data;
  return task;
}

YEL_API int YelTaskFree(YelTask* task) {
  yel::TaskTree* tree = yel::Tree();
  if (!tree || !tree->root) return 0;
  task = yel::Resolve(*tree, task);
  if (!task || task == tree->root || task->state == kTaskFree) return 0;
  yel::MarkEnding(task);
  return 1;
}

YEL_API void YelTaskChangeNext(YelTaskFunc fn) {
  yel::TaskTree* tree = yel::Tree();
  if (tree && tree->root) yel::CurrentOrRoot(*tree)->fn = fn;
}

YEL_API int YelTaskChangeNextImm(YelTaskFunc fn) {
  yel::TaskTree* tree = yel::Tree();
  if (!tree || !tree->root) return 0;
  YelTask* task = yel::CurrentOrRoot(*tree);
  task->fn = fn;
  return fn ? fn(task->data) : 0;
}

YEL_API int YelTaskGetState(YelTask* task) {
  yel::TaskTree* tree = yel::Tree();
  if (!tree || !tree->root) return 0;
  task = yel::Resolve(*tree, task);
  if (task->state == kTaskFree) return kTaskFree;
  return task->fn == task->end_fn ? int{kTaskEnding} : int{task->state};
}

YEL_API void YelTaskChangeState(YelTask* task, int32_t state) {
  yel::TaskTree* tree = yel::Tree();
  if (tree && tree->root) yel::Resolve(*tree, task)->state = static_cast<uint8_t>(state);
}

YEL_API int32_t YelTaskGetMessage(YelTask* task) {
  yel::TaskTree* tree = yel::Tree();
  if (!tree || !tree->root) return 0;
  task = yel::Resolve(*tree, task);
  const int32_t message = task->message;
  task->message = 0;
  return message;
}

YEL_API int32_t YelTaskSetMessage(YelTask* task, int32_t value) {
  yel::TaskTree* tree = yel::Tree();
  if (!tree || !tree->root) return 0;
  yel::Resolve(*tree, task)->message = value;
  return value;
}

YEL_API void* YelTaskGetTaskData(YelTask* task) {
  yel::TaskTree* tree = yel::Tree();
  if (task) return task->data;
  return tree && tree->data_task ? tree->data_task->data : nullptr;
}

YEL_API void YelTaskSetTaskData(YelTask* task) {
  yel::TaskTree* tree = yel::Tree();
  if (tree && tree->root) tree->data_task = yel::Resolve(*tree, task);
}

YEL_API void YelTaskReProcess(YelTask* task) {
  yel::TaskTree* tree = yel::Tree();
  if (!tree || !tree->root) return;
  YelTask* saved = tree->current;
  yel::WalkFrom(*tree, yel::Resolve(*tree, task));
  tree->current = saved;
}

YEL_API void YelTaskReset(void) {
  yel::TaskTree* tree = yel::Tree();
  if (!tree || !tree->root || !tree->root->next) return;
  YelTask* first = tree->root->next;
  for (YelTask* task = first->next; task; task = task->next) yel::MarkEnding(task);
  yel::WalkFrom(*tree, first->next);
  yel::FreeFrom(*tree, first->next);
  tree->current = first;
}

}  // extern "C"
