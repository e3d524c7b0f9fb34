// Debug-mode pages and control tasks. The pages collect their rows in memory (and their log
// files); the control tasks block the game's tasks while they live.
#include "YEL/debug/debug_window.h"

#include "YEL/core/system.h"
#include "YEL/debug/debug_pages.h"
#include "YEL/render/render.h"

namespace yel {
namespace {

YelTask* g_control_task = nullptr;  // UI thread only

int ControlStep(void*) { return 1; }

}  // namespace

void DebugWindowCreate(YelSystem&) { DebugPageCreate(0, "system", 1); }

void DebugWindowDestroy(YelSystem&) { DebugPagesRelease(); }

void DebugControlTaskToggle(YelSystem&, uintptr_t kind) {
  // The tree belongs to the main thread's walk: change it only under the render lock.
  RenderLockScope lock;
  if (g_control_task) {
    YelTaskFree(g_control_task);
    g_control_task = nullptr;
    return;
  }
  const char* name = kind == 1 ? "YelSpriteCtrlTask" : kind == 2 ? "YelCameraCtrlTask" : nullptr;
  if (!name) return;
  YelSystem* system = System();
  g_control_task = YelTaskCreate(ControlStep, nullptr, 0, nullptr, 0x10001,
                                 system ? system->tasks.root : nullptr, name);
}

}  // namespace yel
