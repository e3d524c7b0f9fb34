// Ends a run of the library from a thread of its own if it hangs, so that a failing test cannot
// block the suite.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "YEL/yel.h"

class Watchdog {
 public:
  explicit Watchdog(int ms)
      : thread_([this, ms] {
          std::unique_lock lock(mutex_);
          if (!cv_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return done_; })) {
            fired_ = true;
            YelEnd();
          }
        }) {}
  ~Watchdog() {
    {
      std::lock_guard lock(mutex_);
      done_ = true;
    }
    cv_.notify_all();
    thread_.join();
  }
  bool Fired() const { return fired_; }

 private:
  std::mutex mutex_;  // guards done_
  std::condition_variable cv_;
  bool done_ = false;
  std::atomic<bool> fired_{false};
  std::thread thread_;
};
