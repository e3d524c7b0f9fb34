// Threads, events and timed joins: the small set of synchronisation tools the engine uses.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

namespace os {

// A manual-reset event: once set it stays set until reset, and every waiter wakes.
class Event {
 public:
  void Set();
  void Reset();
  bool IsSet() const;
  // Waits up to `ms` milliseconds; true when the event is set.
  bool Wait(uint32_t ms) const;

 private:
  mutable std::mutex mutex_;
  mutable std::condition_variable cv_;
  bool set_ = false;
};

// A thread that can be joined with a time limit. The engine never kills a thread: a thread
// that does not end in time is reported to the caller, who decides whether to keep waiting.
class Thread {
 public:
  Thread() = default;
  ~Thread();
  Thread(const Thread&) = delete;
  Thread& operator=(const Thread&) = delete;

  // Starts `body` on a new thread; false when the thread cannot be created.
  bool Start(std::function<void()> body);
  bool Started() const { return thread_.joinable(); }
  bool Finished() const { return finished_.IsSet(); }
  // Waits up to `ms` for the thread to end and joins it; true when it has ended.
  bool Join(uint32_t ms);
  // Gives up on a thread that would not end: it keeps running, detached.
  void Abandon();
  std::thread::id Id() const { return id_; }

 private:
  std::thread thread_;
  std::thread::id id_;
  Event finished_;
};

// Identifies the calling thread as a small stable number, usable across the exported interface.
uint32_t CurrentThreadNumber();

}  // namespace os
