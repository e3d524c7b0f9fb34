// Render objects and the render lock.
//
// What is on screen is the render list of the active render object: (object, draw callback)
// nodes in descending priority, drawn first to last once per frame by present. The render lock
// is the active object's critical section: the main thread holds it for the whole task walk and
// for present, and any other thread holds it while it changes what is drawn. Lock order: the
// render lock first, then the process-wide render-list lock.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

#include "YEL/render/render_mutex.h"
#include "YEL/yel.h"

struct YelRenderNode {
  void* object;
  YelDrawFunc draw;
  int32_t priority;
  YelRenderNode* next;
  YelRenderNode* prev;  // null for the first node
  YelRender* owner;     // the render object whose list holds the node
};

struct YelRender {
  std::atomic<int32_t> lock_word{0};  // advisory: someone announced the lock
  yel::RenderMutex lock;              // the render lock
  YelRenderNode* first = nullptr;     // guarded by RenderListLock()
};

namespace yel {

// The thread's last error, as the null-handle exports report it.
inline constexpr uint32_t ERROR_ACCESS_DENIED = 5;
inline constexpr uint32_t ERROR_INVALID_HANDLE = 6;
void SetLastError(uint32_t code);
uint32_t GetLastError();

// Guards walks and changes of every render list; lives as long as the process.
std::recursive_mutex& RenderListLock();

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

// Draws the active render list and presents the frame (main thread, once per frame). A frame
// whose render lock another thread holds at this moment is skipped.
int YelRenderPresent();

}  // namespace yel
