#include "os/sync.h"

#include <chrono>
#include <system_error>

namespace os {

void Event::Set() {
  std::lock_guard lock(mutex_);
  set_ = true;
  cv_.notify_all();
}

void Event::Reset() {
  std::lock_guard lock(mutex_);
  set_ = false;
}

bool Event::IsSet() const {
  std::lock_guard lock(mutex_);
  return set_;
}

bool Event::Wait(uint32_t ms) const {
  std::unique_lock lock(mutex_);
  return cv_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return set_; });
}

Thread::~Thread() {
  if (thread_.joinable()) thread_.join();
}

bool Thread::Start(std::function<void()> body) {
  finished_.Reset();
  try {
    thread_ = std::thread([this, body = std::move(body)] {
      body();
      finished_.Set();
    });
  } catch (const std::system_error&) {
    return false;
  }
  id_ = thread_.get_id();
  return true;
}

bool Thread::Join(uint32_t ms) {
  if (!thread_.joinable()) return true;
  if (!finished_.Wait(ms)) return false;
  thread_.join();
  return true;
}

void Thread::Abandon() {
  if (thread_.joinable()) thread_.detach();
}

uint32_t CurrentThreadNumber() {
  static std::atomic<uint32_t> next{1};
  thread_local uint32_t number = next.fetch_add(1);
  return number;
}

}  // namespace os
