// The render lock exports. The lock word is advisory; only the critical section excludes.
#include "YEL/core/system.h"
#include "YEL/render/render.h"
#include "os/clock.h"

namespace yel {
namespace {

// The work-thread interpreter takes the lock around every instruction, so these are reached on a
// hot path: the initial-exec model reads them at a fixed offset instead of through a call into
// the dynamic loader (the library is loaded at start, where static TLS space is reserved).
#define YEL_FAST_TLS __attribute__((tls_model("initial-exec")))

thread_local uint32_t t_last_error YEL_FAST_TLS = 0;
// The active object as this thread saw it when it last took the render lock. Each thread keeps
// its own, so one thread's enter cannot change what another thread's leave releases.
thread_local YelRender* t_remembered YEL_FAST_TLS = nullptr;

YelRender* ActiveOrError() {
  YelSystem* system = System();
  YelRender* render = system ? system->active_render.load() : nullptr;
  if (!render) SetLastError(ERROR_INVALID_HANDLE);
  return render;
}

}  // namespace

void SetLastError(uint32_t code) { t_last_error = code; }
uint32_t GetLastError() { return t_last_error; }

YelRender* RenderLockEnter() {
  YelRender* render = ActiveOrError();
  if (!render) return nullptr;
  render->lock.lock();
  // The word is only announced: the mutex orders what it guards, so a plain release store does.
  render->lock_word.store(1, std::memory_order_release);
  // Remembered for YelRenderLockLeave also when the library itself took the lock (the task
  // walk), so that code run inside the walk can leave the lock while it waits for another
  // thread.
  t_remembered = render;
  return render;
}

void RenderLockLeave(YelRender* render) {
  if (!render) return;
  render->lock_word.store(0, std::memory_order_release);
  render->lock.unlock();
}

}  // namespace yel

extern "C" {

YEL_API int YelRenderLockEnter(void) {
  yel::t_remembered = yel::RenderLockEnter();
  return yel::t_remembered ? 1 : 0;
}

YEL_API int YelRenderLockLeave(void) {
  if (!yel::ActiveOrError()) return 0;
  yel::RenderLockLeave(yel::t_remembered);
  return 1;
}

YEL_API int YelRenderLock(void) { return YelRenderMainLock(1); }
YEL_API int YelRenderUnlock(void) { return YelRenderMainLock(0); }

YEL_API int YelRenderMainLock(int32_t value) {
  YelRender* render = yel::ActiveOrError();
  if (!render) return 0;
  render->lock_word = value;
  return 1;
}

YEL_API int YelRenderLockWait(void) {
  YelRender* render = yel::ActiveOrError();
  if (!render) return 0;
  while (render->lock_word.load() != 0) os::SleepMs(1);
  return 1;
}

YEL_API int YelRenderLockIsBusy(void) {
  YelRender* render = yel::ActiveOrError();
  if (!render) return 1;
  if (!render->lock.try_lock()) return 1;
  render->lock.unlock();
  return 0;
}

YEL_API int32_t YelRenderGetState(void) {
  YelRender* render = yel::ActiveOrError();
  return render ? render->lock_word.load() : -1;
}

}  // extern "C"
