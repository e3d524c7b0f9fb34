// The single-instance guard: an exclusive lock on a file named after the product in the user's
// runtime folder (os::RuntimeFolder(), else /tmp). The lock goes with the process, so a crashed
// instance never blocks the next start.
#pragma once

#include <string>

namespace os {

class InstanceLock {
 public:
  InstanceLock() = default;
  ~InstanceLock();
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

  // False when another process holds the lock for `name` (UTF-8).
  bool Acquire(const std::string& name);
  void Release();

 private:
  int fd_ = -1;
};

}  // namespace os
