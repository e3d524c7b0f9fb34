// Start, run and stop of the whole library: window, UI, main and work threads, frames.
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <thread>
#include <vector>

#include "YEL/core/system.h"
#include "YEL/files/file_paths.h"
#include "os/clock.h"
#include "os/encoding.h"
#include "os/message_box.h"
#include "os/paths.h"
#include "os/window.h"
#include "tests/yel/watchdog.h"

namespace {

// What the callbacks of one run saw.
struct RunLog {
  std::atomic<int> first_calls{0};
  std::atomic<int> end_calls{0};
  std::atomic<int> frames{0};
  std::atomic<void*> end_data{nullptr};
  std::vector<uint32_t> frame_times;
  std::vector<int> jobs;
  std::mutex jobs_mutex;
  std::thread::id main_thread, work_thread;
  std::atomic<std::thread::id> ui_call_thread{};
  std::vector<void*> leaked;  // freed by the test after the run
};
RunLog* g_run = nullptr;

class LifeCycleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_run = &log_;
    YelDefaultCreate(&param_);
    param_.option_bits |= YEL_OPTION_HIDDEN;
    param_.window_width = param_.game_width = 320;
    param_.window_height = param_.game_height = 240;
    param_.title = "test";
  }
  void TearDown() override {
    g_run = nullptr;
    os::SetMessageBoxHook(nullptr);
  }
  // Runs the library to its end; false when the watchdog had to end it.
  bool Run(int timeout_ms = 10000) {
    if (!YelInit(&param_)) return false;
    bool fired;
    {
      Watchdog watchdog(timeout_ms);
      exit_code_ = YelRun();
      fired = watchdog.Fired();
    }
    EXPECT_EQ(YelUninit(), 1);
    return !fired;
  }

  RunLog log_;
  YelInitParam param_{};
  int exit_code_ = -1;
};

int CountingStep(void*) {
  g_run->frame_times.push_back(YeltimeGetTime());
  if (++g_run->frames == 10) YelEnd();  // from the main thread, inside the task walk
  return 1;
}

int StartCountingTask() {
  ++g_run->first_calls;
  g_run->main_thread = std::this_thread::get_id();
  void* data = nullptr;
  YelTaskCreate(CountingStep, nullptr, 16, &data, 1, nullptr, "count");
  static_cast<int*>(data)[0] = 1234;
  return 1;
}

void RecordEnd(void* data) {
  ++g_run->end_calls;
  g_run->end_data = data;
}

TEST_F(LifeCycleTest, EndFromTheMainThreadStopsEverything) {
  param_.first_func = StartCountingTask;
  param_.end_func = RecordEnd;
  ASSERT_TRUE(Run());
  EXPECT_EQ(exit_code_, 0);
  EXPECT_EQ(log_.first_calls, 1);
  EXPECT_EQ(log_.end_calls, 1);
  EXPECT_GE(log_.frames, 10);
  ASSERT_NE(log_.end_data.load(), nullptr);
  EXPECT_NE(log_.main_thread, std::this_thread::get_id());
  EXPECT_EQ(yel::System(), nullptr);
  EXPECT_EQ(IsSystemEnd(), 1);
}

TEST_F(LifeCycleTest, FramesFollowTheFrameRate) {
  param_.first_func = StartCountingTask;
  param_.frame_rate = 50;
  ASSERT_TRUE(Run());
  ASSERT_GE(log_.frame_times.size(), 10u);
  // Nine frame periods at 20 ms each. Pacing never makes frames early; a loaded machine can
  // make them late, so the upper bound only catches a loop that is far too slow.
  const uint32_t span = log_.frame_times[9] - log_.frame_times[0];
  EXPECT_GE(span, 150u);
  EXPECT_LE(span, 1500u);
}

int FailingStart() {
  ++g_run->first_calls;
  return 0;
}

TEST_F(LifeCycleTest, FailedStartEndsWithoutFramesOrEndFunction) {
  param_.first_func = FailingStart;
  param_.end_func = RecordEnd;
  ASSERT_TRUE(Run());
  EXPECT_EQ(log_.first_calls, 1);
  EXPECT_EQ(log_.end_calls, 0);
}

void Job(uintptr_t value) {
  std::lock_guard lock(g_run->jobs_mutex);
  g_run->work_thread = std::this_thread::get_id();
  EXPECT_EQ(YelIsWorkThreadId(), 1);
  g_run->jobs.push_back(static_cast<int>(value));
}

void UiCall(uintptr_t) { g_run->ui_call_thread = std::this_thread::get_id(); }

void LastJob(uintptr_t) {
  EXPECT_EQ(YelAttachProcess(UiCall, 0), 0);
  // The call waits for the job: the UI thread has run it by the time it returns.
  EXPECT_NE(g_run->ui_call_thread.load(), std::thread::id());
  YelEnd();
}

int StartJobs() {
  EXPECT_EQ(YelIsWorkThreadId(), 0);
  for (uintptr_t i = 1; i <= 5; ++i) EXPECT_EQ(YelAttachWorkProcess(Job, i), 1);
  YelAttachWorkProcess(LastJob, 0);
  return 1;
}

TEST_F(LifeCycleTest, WorkJobsRunInOrderAndUiCallsRunOnTheUiThread) {
  param_.first_func = StartJobs;
  ASSERT_TRUE(Run());
  EXPECT_EQ(log_.jobs, (std::vector<int>{1, 2, 3, 4, 5}));
  EXPECT_NE(log_.work_thread, std::this_thread::get_id());
  EXPECT_EQ(log_.ui_call_thread.load(), std::this_thread::get_id());
}

int CloseWindowAfterStart() {
  SDL_Event event{};
  event.type = SDL_WINDOWEVENT;
  event.window.event = SDL_WINDOWEVENT_CLOSE;
  event.window.windowID = 1;
  for (Uint32 id = 1; id < 64; ++id) {  // the window's id is not known here; close them all
    event.window.windowID = id;
    SDL_PushEvent(&event);
  }
  return 1;
}

TEST_F(LifeCycleTest, ClosingTheWindowAsksAndYesEnds) {
  int questions = 0;
  os::SetMessageBoxHook([&](const std::string& text, const std::string& caption, os::BoxButtons) {
    ++questions;
    EXPECT_EQ(text, "真的要结束了吗？");
    EXPECT_EQ(caption, "test");
    return os::BoxAnswer::kYes;
  });
  param_.first_func = CloseWindowAfterStart;
  ASSERT_TRUE(Run());
  EXPECT_EQ(questions, 1);
}

TEST_F(LifeCycleTest, AnsweringNoKeepsRunning) {
  std::atomic<int> questions{0};
  os::SetMessageBoxHook([&](const std::string&, const std::string&, os::BoxButtons) {
    ++questions;
    return os::BoxAnswer::kNo;
  });
  param_.first_func = [] {
    CloseWindowAfterStart();
    return StartCountingTask();
  };
  ASSERT_TRUE(Run());
  EXPECT_EQ(questions, 1);
  EXPECT_GE(log_.frames, 10) << "the run went on until the task ended it";
}

// Messages each thread posted or sent to the UI thread, counted by the UI queue's wake-up.
thread_local int t_ui_messages = 0;

void CountUiMessagesOfThisRun() {
  yel::System()->ui_queue->SetWakeHook([] {
    ++t_ui_messages;
    os::WakeEventWait();
  });
}

TEST_F(LifeCycleTest, OnlyTheFirstEndRequestCounts) {
  param_.first_func = [] {
    const int before = t_ui_messages;
    YelEnd();
    YelEnd();
    EXPECT_EQ(t_ui_messages - before, 1) << "one end request reaches the window";
    return 1;
  };
  ASSERT_TRUE(YelInit(&param_));
  CountUiMessagesOfThisRun();
  {
    Watchdog watchdog(10000);
    EXPECT_EQ(YelRun(), 0);
    EXPECT_FALSE(watchdog.Fired());
  }
  EXPECT_EQ(YelUninit(), 1);
  YelEnd();  // after the end: nothing to do
  EXPECT_FALSE(os::MessageQueue::Current()->HasPosted());
}

TEST_F(LifeCycleTest, WindowOffTheScreenIsCentredAndReported) {
  param_.window_x = -100000;
  param_.window_y = 100000;
  param_.first_func = FailingStart;
  ASSERT_TRUE(YelInit(&param_));
  EXPECT_GT(param_.window_x, -100000);
  EXPECT_LT(param_.window_y, 100000);
  YelInitParam current;
  YelGetSystemParameters(&current);
  EXPECT_EQ(current.window_x, param_.window_x);
  EXPECT_EQ(YelUninit(), 1);
  EXPECT_EQ(YelUninit(), 0) << "nothing left to release";
}

TEST_F(LifeCycleTest, AWindowSizeNoWindowCanHaveFallsBackToTheGameSize) {
  param_.window_width = 100000;
  param_.window_height = 100000;
  param_.first_func = FailingStart;
  ASSERT_TRUE(YelInit(&param_));
  EXPECT_EQ(param_.window_width, param_.game_width);
  EXPECT_EQ(param_.window_height, param_.game_height);
  int32_t width = 0, height = 0;
  YelGetWindowSize(&width, &height);
  EXPECT_LT(width, 100000);
  EXPECT_LT(height, 100000);
  EXPECT_EQ(YelUninit(), 1);
}

TEST(LifeCycle, StartRecordsAreChecked) {
  EXPECT_EQ(YelInit(nullptr), 0);
  YelInitParam param;
  YelDefaultCreate(&param);
  EXPECT_EQ(param.frame_rate, 60);
  EXPECT_EQ(param.flags, 0x441Bu);
  EXPECT_STREQ(param.title, "WindowTitle");
  param.window_width = 0;
  EXPECT_EQ(YelInit(&param), 0);
  YelDefaultCreate(&param);
  param.option_bits |= YEL_OPTION_HIDDEN;
  EXPECT_EQ(YelInit(&param), 0) << "no first function";
  EXPECT_EQ(yel::System(), nullptr);
  EXPECT_EQ(YelUninit(), 0);
}

// Debug mode writes its report folder and error log with the library's own texts.
class DebugLogTest : public LifeCycleTest {
 protected:
  void SetUp() override {
    LifeCycleTest::SetUp();
    base_ = std::filesystem::temp_directory_path() /
            ("yel_debug_" + std::to_string(::getpid()) + "_" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(base_);
    std::filesystem::create_directories(base_);
    yel::SetBaseFolder(base_.string());
    param_.debug = 1;
  }
  void TearDown() override {
    yel::SetBaseFolder(os::ExecutableFolder());
    std::filesystem::remove_all(base_);
    LifeCycleTest::TearDown();
  }
  std::vector<std::string> LogLines() {
    std::ifstream in(base_ / "_YEL_DEBUG_REPORT_" / "log.txt", std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    std::vector<std::string> lines;
    std::string all = text.str();
    for (size_t pos = 0, next; (next = all.find("\r\n", pos)) != std::string::npos;
         pos = next + 2) {
      lines.push_back(all.substr(pos, next - pos));
    }
    return lines;
  }
  std::filesystem::path base_;
};

int LeakTwoBlocks() {
  g_run->leaked = {YelMemoryAlloc(8, 0), YelMemoryAlloc(8, 0)};
  YelErrorLogPrintf("line %d", 42);
  EXPECT_EQ(YelDebugPrintf(0, "", "to the system page"), 1);
  EXPECT_EQ(YelDebugPrintf(77, "", "no such page"), 0);
  return 0;
}

TEST_F(DebugLogTest, LogHoldsStartLinesOwnLinesAndTheLeakReport) {
  param_.first_func = LeakTwoBlocks;
  ASSERT_TRUE(Run());
  std::vector<std::string> lines = LogLines();
  // The renderer's lines come first: the hardware one started, or why not and the software one.
  const auto renderer_end = std::find_if(lines.begin(), lines.end(), [](const std::string& l) {
    return l == "Direct3D mode -> OK" || l == "DIB mode";
  });
  ASSERT_NE(renderer_end, lines.end());
  lines.erase(lines.begin(), renderer_end + 1);
  const std::vector<std::string> expected = {
      os::Utf8ToGbk("库初始化->OK"), os::Utf8ToGbk("库调试模式"), "line 42",
      os::Utf8ToCp932("メモリの解放忘れが 1 個あります")};
  EXPECT_EQ(lines, expected);
  for (void* block : log_.leaked) YelMemoryFree(block);
}

TEST_F(DebugLogTest, OutsideDebugModeNothingIsWritten) {
  param_.debug = 0;
  param_.first_func = [] {
    EXPECT_EQ(YelErrorLogPrintf("x"), 1);
    EXPECT_EQ(YelDebugPrintf(0, "", "x"), 1);
    return 0;
  };
  ASSERT_TRUE(Run());
  EXPECT_FALSE(std::filesystem::exists(base_ / "_YEL_DEBUG_REPORT_"));
}

}  // namespace
