#include "YEL/core/render.h"
#include "YEL/core/system.h"

namespace yel {
namespace {

thread_local uint32_t t_last_error = 0;

}  // namespace

void SetLastError(uint32_t code) { t_last_error = code; }
uint32_t GetLastError() { return t_last_error; }

YelRender* RenderLockEnter() {
  YelSystem* system = System();
  YelRender* render = system ? system->active_render.load() : nullptr;
  if (!render) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  render->lock.lock();
  render->lock_word.fetch_add(1);
  return render;
}

void RenderLockLeave(YelRender* render) {
  if (!render) return;
  render->lock_word.fetch_sub(1);
  render->lock.unlock();
}

}  // namespace yel
