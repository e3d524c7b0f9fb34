// The slow paths of the render lock's mutex.
#include "YEL/render/render_mutex.h"

#include <chrono>

namespace yel {
namespace {

// A leave frees the lock and then reads the sleeper count without a fence between the two, so
// a thread that starts to sleep at that very moment may be missed by the leave's wake-up. Such a
// sleeper looks at the lock again after this long; every other waiter is woken at once.
constexpr auto kLookAgain = std::chrono::milliseconds(1);

}  // namespace

void RenderMutex::LockContended() {
  sleepers_.fetch_add(1, std::memory_order_seq_cst);
  std::unique_lock guard(wait_lock_);
  while (!TakeFree()) {
    wake_.wait_for(guard, kLookAgain,
                   [this] { return state_.load(std::memory_order_relaxed) == kFree; });
  }
  guard.unlock();
  sleepers_.fetch_sub(1, std::memory_order_relaxed);
}

// Taking wait_lock_ orders the notify after the sleeper's look at the lock and its sleep.
void RenderMutex::WakeOne() {
  std::lock_guard guard(wait_lock_);
  wake_.notify_one();
}

}  // namespace yel
