// The render lock's mutex: recursive per thread, and cheap when nobody else wants it. The
// work-thread interpreter takes and leaves the render lock around every instruction, so taking
// it uncontended is one compare-and-swap and leaving it is two plain stores and a load, with no
// locked instruction or fence. A thread that finds the lock held sleeps on a condition variable.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace yel {

class RenderMutex {
 public:
  RenderMutex() = default;
  RenderMutex(const RenderMutex&) = delete;
  RenderMutex& operator=(const RenderMutex&) = delete;

  void lock() {
    if (TakeAgain()) return;
    if (!TakeFree()) LockContended();
    Own();
  }

  bool try_lock() {
    if (TakeAgain()) return true;
    if (!TakeFree()) return false;
    Own();
    return true;
  }

  // Only the holding thread calls it, once for each lock or successful try_lock.
  void unlock() {
    if (--depth_ != 0) return;
    owner_.store(0, std::memory_order_relaxed);
    state_.store(kFree, std::memory_order_release);
    if (sleepers_.load(std::memory_order_relaxed) != 0) WakeOne();
  }

 private:
  enum : uint32_t { kFree = 0, kHeld = 1 };

  // A word unique to each living thread: the address of one of its thread-locals, read at a
  // fixed offset from the thread pointer rather than through the dynamic loader (the library is
  // loaded at start, where static TLS space is reserved).
  static uintptr_t ThisThread() { return reinterpret_cast<uintptr_t>(&thread_token_); }

  // Only this thread ever stores its own token, so seeing it means this thread holds the lock.
  bool TakeAgain() {
    if (owner_.load(std::memory_order_relaxed) != ThisThread()) return false;
    ++depth_;
    return true;
  }
  bool TakeFree() {
    uint32_t expected = kFree;
    return state_.compare_exchange_strong(expected, kHeld, std::memory_order_acquire,
                                          std::memory_order_relaxed);
  }
  void Own() {
    owner_.store(ThisThread(), std::memory_order_relaxed);
    depth_ = 1;
  }
  void LockContended();
  void WakeOne();

  static constinit inline thread_local char thread_token_
      __attribute__((tls_model("initial-exec"))) = 0;

  std::atomic<uint32_t> state_{kFree};  // the lock itself: taken by compare-and-swap only
  // The holding thread's token, 0 when free; compared only by a thread against its own token.
  std::atomic<uintptr_t> owner_{0};
  uint32_t depth_ = 0;  // times the holder took the lock; only the holder touches it
  // The slow path: threads asleep (or about to sleep) on wake_, under wait_lock_.
  std::atomic<uint32_t> sleepers_{0};
  std::mutex wait_lock_;
  std::condition_variable wake_;
};

}  // namespace yel
