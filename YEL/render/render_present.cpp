// Present: the active render list drawn front to back once per frame, then the running screen
// transition over it; and the drawing of chosen objects into the current target.
#include "YEL/core/system.h"
#include "YEL/graphics/screen_effects.h"
#include "YEL/render/render.h"
#include "YEL/render/renderer.h"

namespace yel {

void UnlinkNode(YelRender* render, YelRenderNode* node);

namespace {

// Calls a node's draw callback; a result of 0 removes the node. True when the node stays.
bool DrawNode(YelRender* render, YelRenderNode* node, YelCore* core) {
  if (!node->draw || node->draw(core, node->object) != 0) return true;
  UnlinkNode(render, node);
  YelMemoryFree(node);
  return false;
}

void DrawList(YelRender* render, YelCore* core) {
  std::lock_guard list_lock(RenderListLock());
  for (YelRenderNode* node = render->first; node;) {
    YelRenderNode* next = node->next;
    if (DrawNode(render, node, core)) next = node->next;
    node = next;
  }
}

}  // namespace

int YelRenderPresent() {
  YelSystem* system = System();
  if (!system) return 0;
  if (system->movie.load()) return 1;
  YelRender* render = system->active_render.load();
  if (!render) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  // Never wait for another thread's lock: skip the frame and keep the previous image.
  if (!render->lock.try_lock()) return 0;
  render->lock_word = 1;
  if (RendererBeginFrame(*system, system->clear_colour)) {
    DrawList(render, RendererCore(*system));
    ScreenEffectDrawOver(*system);
    RendererEndFrame(*system);
  }
  RenderLockLeave(render);
  return 1;
}

}  // namespace yel

extern "C" {

YEL_API void YelTargetRenderListClear(void) {
  if (!yel::System()) return;
  std::lock_guard list_lock(yel::RenderListLock());
  yel::System()->target_list.clear();
}

YEL_API void YelTargetRenderListAdd(void* object) {
  if (!yel::System()) return;
  std::lock_guard list_lock(yel::RenderListLock());
  yel::System()->target_list.push_back(object);
}

YEL_API int YelTargetRenderListDraw(void) {
  yel::YelSystem* system = yel::System();
  if (!system) return 0;
  if (system->movie.load()) return 1;
  YelRender* render = system->active_render.load();
  if (!render) {
    yel::SetLastError(yel::ERROR_INVALID_HANDLE);
    return 0;
  }
  if (!yel::RendererBeginTarget(*system, system->clear_colour)) return 1;
  YelCore* core = yel::RendererCore(*system);
  {
    std::lock_guard list_lock(yel::RenderListLock());
    for (void* object : system->target_list) {
      // Every node of the object is drawn; a one-shot node ends the scan for this object.
      for (YelRenderNode* node = render->first; node;) {
        if (node->object != object) {
          node = node->next;
          continue;
        }
        if (!yel::DrawNode(render, node, core)) break;
        node = node->next;
      }
    }
  }
  yel::RendererEndTarget(*system);
  return 1;
}

}  // extern "C"
