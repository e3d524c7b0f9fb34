// The exports called from the work thread and from the main thread's tasks (where the game's
// script runs) while the UI thread changes the window: every change takes the documented route,
// and readers on other threads see whole values. Built with ThreadSanitizer, these runs also
// check that the state they touch is shared safely.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "YEL/core/system.h"
#include "tests/yel/watchdog.h"

namespace {

struct CrossLog {
  std::atomic<int> frames{0};
  std::atomic<int> work_rounds{0};
  std::atomic<int> torn_sizes{0};
  std::atomic<bool> moved{false};
  std::atomic<bool> resized{false};
  std::atomic<bool> rate_changed{false};
  std::atomic<bool> stop_work{false};
};
CrossLog* g_log = nullptr;

bool IsWholeSize(int32_t width, int32_t height) {
  return (width == 320 && height == 180) || (width == 640 && height == 360);
}

// Work thread: asks for the changes, then reads and draws on while the UI thread applies them.
void WorkRequestsAndReads(uintptr_t) {
  YelFrameRateSet(50);
  YelWindowSetPos(37, 41);
  EXPECT_EQ(YelChangeWindowSize(640, 360), 1);
  int marker = 0;
  while (!g_log->stop_work.load() && !IsSystemEnd()) {
    int32_t width = 0, height = 0;
    YelGetWindowSize(&width, &height);
    if (!IsWholeSize(width, height)) ++g_log->torn_sizes;
    YelInitParam param;
    YelGetSystemParameters(&param);
    if (!IsWholeSize(param.window_width, param.window_height)) ++g_log->torn_sizes;
    YelRandomEx();
    YelTargetRenderListAdd(&marker);
    YelTargetRenderListClear();
    YelWindowChangeEnable(1);
    YelCheckWindowMode();
    ++g_log->work_rounds;
    std::this_thread::yield();
  }
}

// Main thread, inside the task walk: waits to see every change, reading alongside the work thread.
int WatchChanges(void*) {
  ++g_log->frames;
  YelRandomEx();
  YelRandomReset();
  int32_t x = 0, y = 0;
  YelWindowGetPos(&x, &y);
  if (x == 37 && y == 41) g_log->moved = true;
  int32_t width = 0, height = 0;
  YelGetWindowSize(&width, &height);
  if (!IsWholeSize(width, height)) ++g_log->torn_sizes;
  if (width == 640 && height == 360) g_log->resized = true;
  YelInitParam param;
  YelGetSystemParameters(&param);
  if (param.frame_rate == 50) g_log->rate_changed = true;
  if (g_log->moved && g_log->resized && g_log->rate_changed && g_log->work_rounds > 100) {
    g_log->stop_work = true;
    YelEnd();
  }
  return 1;
}

class CrossThreadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_log = &log_;
    YelDefaultCreate(&param_);
    param_.option_bits |= YEL_OPTION_HIDDEN;
    param_.window_width = param_.game_width = 320;
    param_.window_height = param_.game_height = 180;
    param_.window_x = param_.window_y = 10;
  }
  void TearDown() override { g_log = nullptr; }

  CrossLog log_;
  YelInitParam param_{};
};

TEST_F(CrossThreadTest, ChangesAskedForOnTheWorkThreadReachEveryThreadWhole) {
  param_.first_func = [] {
    YelTaskCreate(WatchChanges, nullptr, 4, nullptr, 1, nullptr, "watch");
    return YelAttachWorkProcess(WorkRequestsAndReads, 0);
  };
  ASSERT_EQ(YelInit(&param_), 1);
  {
    Watchdog watchdog(10000);
    EXPECT_EQ(YelRun(), 0);
    EXPECT_FALSE(watchdog.Fired());
  }
  EXPECT_EQ(YelUninit(), 1);
  EXPECT_TRUE(log_.moved) << "the position asked for on the work thread reads back";
  EXPECT_TRUE(log_.resized);
  EXPECT_TRUE(log_.rate_changed);
  EXPECT_EQ(log_.torn_sizes, 0);
}

TEST_F(CrossThreadTest, BeforeTheRunOnlyTheUiThreadMovesTheWindow) {
  param_.first_func = [] { return 0; };
  ASSERT_EQ(YelInit(&param_), 1);
  std::thread([] { YelWindowSetPos(500, 500); }).join();
  int32_t x = 0, y = 0;
  YelWindowGetPos(&x, &y);
  EXPECT_NE(x, 500) << "another thread cannot touch the window";
  YelWindowSetPos(21, 22);
  YelWindowGetPos(&x, &y);
  EXPECT_EQ(x, 21);
  EXPECT_EQ(y, 22);
  EXPECT_EQ(YelUninit(), 1);
}

}  // namespace
