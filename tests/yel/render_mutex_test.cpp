// The render lock's mutex under contention: recursion per thread, exclusion between threads,
// and no waiter left asleep when the holder leaves.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "YEL/render/render_mutex.h"

namespace {

bool TryLockElsewhere(yel::RenderMutex& mutex) {
  bool taken = false;
  std::thread other([&] {
    taken = mutex.try_lock();
    if (taken) mutex.unlock();
  });
  other.join();
  return taken;
}

TEST(RenderMutexTest, OtherThreadsAreKeptOutUntilTheLastLeave) {
  yel::RenderMutex mutex;
  mutex.lock();
  EXPECT_TRUE(mutex.try_lock());  // the holder takes it again
  mutex.lock();
  mutex.unlock();
  mutex.unlock();
  EXPECT_FALSE(TryLockElsewhere(mutex));
  mutex.unlock();
  EXPECT_TRUE(TryLockElsewhere(mutex));
  EXPECT_TRUE(mutex.try_lock());
  mutex.unlock();
}

// Threads fight over the lock, taking it twice each time (one of them only by try_lock, as
// present does). A counter without any synchronisation of its own counts every round, and no
// two threads are ever inside at once.
TEST(RenderMutexTest, ContendingThreadsEachHoldItAlone) {
  constexpr int kThreads = 4;
  constexpr int kRounds = 20000;
  yel::RenderMutex mutex;
  std::atomic<int> inside{0};
  std::atomic<bool> overlap{false};
  int counter = 0;
  auto round = [&] {
    mutex.lock();
    if (inside.fetch_add(1, std::memory_order_relaxed) != 0) overlap = true;
    ++counter;
    inside.fetch_sub(1, std::memory_order_relaxed);
    mutex.unlock();
  };
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kRounds; ++i) {
        if (t == 0) {
          while (!mutex.try_lock()) std::this_thread::yield();
        } else {
          mutex.lock();
        }
        round();
        mutex.unlock();
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_FALSE(overlap.load());
  EXPECT_EQ(counter, kThreads * kRounds);
}

// Threads that queue up behind a holder all get the lock once it leaves.
TEST(RenderMutexTest, EveryWaiterGetsTheLockAfterTheHolderLeaves) {
  constexpr int kWaiters = 6;
  yel::RenderMutex mutex;
  std::atomic<int> ready{0};
  int served = 0;
  mutex.lock();
  std::vector<std::thread> waiters;
  for (int i = 0; i < kWaiters; ++i) {
    waiters.emplace_back([&] {
      ready.fetch_add(1);
      mutex.lock();
      ++served;
      mutex.unlock();
    });
  }
  while (ready.load() < kWaiters) std::this_thread::yield();
  EXPECT_EQ(served, 0);
  mutex.unlock();
  for (std::thread& waiter : waiters) waiter.join();
  EXPECT_EQ(served, kWaiters);
}

}  // namespace
