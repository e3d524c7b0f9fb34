// Waiting in a test for what another thread brings about. The condition is polled every
// millisecond, so the waiting test leaves the processor to the threads it waits for (a spin
// with yields keeps a core busy, and on a small machine starves them). The limit only catches
// what never comes: a loaded machine or a sanitizer build may take long.
#pragma once

#include <chrono>
#include <functional>
#include <thread>

namespace test {

// How long a test waits for another thread or a child process before it counts the wait as hung.
// Only what never ends should reach it.
inline constexpr int kHungMs = 300000;

inline bool Eventually(const std::function<bool()>& condition,
                       std::chrono::milliseconds limit = std::chrono::milliseconds(kHungMs)) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

}  // namespace test
