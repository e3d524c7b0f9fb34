// Render objects and their priority-ordered node lists.
#include <vector>

#include "YEL/core/system.h"
#include "YEL/render/render.h"

namespace yel {
namespace {

void LinkBefore(YelRender* render, YelRenderNode* node, YelRenderNode* before) {
  // `before` null: append at the end.
  YelRenderNode* prev = before ? before->prev : nullptr;
  if (!before) {
    for (prev = render->first; prev && prev->next; prev = prev->next) {
    }
  }
  node->prev = prev;
  node->next = before;
  if (before) before->prev = node;
  if (prev) {
    prev->next = node;
  } else {
    render->first = node;
  }
}

// The first node whose priority is lower than `priority`, searching from `from`.
YelRenderNode* FirstLower(YelRenderNode* from, int32_t priority) {
  while (from && from->priority >= priority) from = from->next;
  return from;
}

YelRenderNode* NewNode(YelRender* render, void* object, YelDrawFunc draw, int32_t priority) {
  auto* node = static_cast<YelRenderNode*>(YelMemoryAlloc(sizeof(YelRenderNode), 1));
  if (node) *node = YelRenderNode{object, draw, priority, nullptr, nullptr, render};
  return node;
}

}  // namespace

void UnlinkNode(YelRender* render, YelRenderNode* node) {
  if (node->prev) {
    node->prev->next = node->next;
  } else {
    render->first = node->next;
  }
  if (node->next) node->next->prev = node->prev;
  node->next = node->prev = nullptr;
}

std::recursive_mutex& RenderListLock() {
  static std::recursive_mutex lock;
  return lock;
}

}  // namespace yel

extern "C" {

YEL_API YelRender* YelRenderInit(void) {
  void* block = YelMemoryAlloc(sizeof(YelRender), 1);
  return block ? new (block) YelRender() : nullptr;
}

YEL_API void YelRenderUninit(YelRender* render) {
  if (!render) return;
  yel::YelSystem* system = yel::System();
  // A freed object must not stay active: present would draw from freed memory.
  if (system) {
    YelRender* expected = render;
    system->active_render.compare_exchange_strong(expected, nullptr);
  }
  {
    std::lock_guard list_lock(yel::RenderListLock());
    while (render->first) {
      YelRenderNode* node = render->first;
      yel::UnlinkNode(render, node);
      YelMemoryFree(node);
    }
  }
  render->~YelRender();
  YelMemoryFree(render);
}

YEL_API void YelRenderSetActive(YelRender* render) {
  if (yel::System()) yel::System()->active_render = render;
}

YEL_API YelRender* YelRenderGetActive(void) {
  return yel::System() ? yel::System()->active_render.load() : nullptr;
}

YEL_API YelRenderNode* YelRenderInsert(YelRender* render, void* object, YelDrawFunc draw,
                                       int32_t priority) {
  if (!render) return nullptr;
  YelRenderNode* node = yel::NewNode(render, object, draw, priority);
  if (!node) return nullptr;
  std::lock_guard list_lock(yel::RenderListLock());
  yel::LinkBefore(render, node, yel::FirstLower(render->first, priority));
  return node;
}

YEL_API YelRenderNode* YelRenderInsertNext(YelRender* render, void* object, YelDrawFunc draw,
                                           int32_t priority, void* other_object) {
  if (!render) return nullptr;
  YelRenderNode* node = yel::NewNode(render, object, draw, priority);
  if (!node) return nullptr;
  std::lock_guard list_lock(yel::RenderListLock());
  YelRenderNode* before = render->first;
  while (before && before->object != other_object) before = before->next;
  yel::LinkBefore(render, node, before);
  return node;
}

YEL_API void YelRenderNodeSetPriority(YelRenderNode* node, int32_t priority) {
  if (!node || node->priority == priority) return;
  YelRender* render = node->owner;
  std::lock_guard list_lock(yel::RenderListLock());
  const bool lower = priority < node->priority;
  YelRenderNode* neighbour = lower ? node->next : node->prev;
  yel::UnlinkNode(render, node);
  node->priority = priority;
  if (lower) {
    // Behind the following nodes of equal or higher priority.
    yel::LinkBefore(render, node, yel::FirstLower(neighbour, priority));
    return;
  }
  // In front of the preceding nodes of equal or lower priority.
  while (neighbour && neighbour->priority <= priority) neighbour = neighbour->prev;
  yel::LinkBefore(render, node, neighbour ? neighbour->next : render->first);
}

YEL_API int YelRenderRemove(YelRender* render, void* object) {
  if (!render) return 0;
  for (YelRenderNode* node = render->first; node; node = node->next) {
    if (node->object != object) continue;
    yel::UnlinkNode(render, node);
    YelMemoryFree(node);
    return 1;
  }
  return 0;
}

YEL_API int YelRenderRemoveLocked(YelRender* render, void* object) {
  std::lock_guard list_lock(yel::RenderListLock());
  return YelRenderRemove(render, object);
}

}  // extern "C"
