// Render objects and the render lock. The render lock is the critical section of the active
// render object: the main thread holds it for the whole task walk, and any other thread that
// touches sprites or tasks must hold it too.
#pragma once

#include <atomic>
#include <mutex>

#include "YEL/yel.h"

struct YelRender {
  std::recursive_mutex lock;  // the render lock
  std::atomic<int> lock_word{0};
};

namespace yel {

// The thread's last error, as the null-handle exports report it.
inline constexpr uint32_t ERROR_INVALID_HANDLE = 6;
void SetLastError(uint32_t code);
uint32_t GetLastError();

// Takes the render lock of the active render object and returns that object; with none active
// the last error becomes ERROR_INVALID_HANDLE and null is returned.
YelRender* RenderLockEnter();
// Leaves a lock taken by RenderLockEnter; null does nothing.
void RenderLockLeave(YelRender* render);

// Holds the render lock of the active object, if any, for a scope.
class RenderLockScope {
 public:
  RenderLockScope() : render_(RenderLockEnter()) {}
  ~RenderLockScope() { RenderLockLeave(render_); }
  RenderLockScope(const RenderLockScope&) = delete;
  RenderLockScope& operator=(const RenderLockScope&) = delete;

 private:
  YelRender* render_;
};

}  // namespace yel
