// The work-thread mode and the arrival of a history skip.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "program/game/game_task.h"
#include "program/script/command_table.h"
#include "program/script/script_run.h"
#include "program/startup/yel_import.h"
#include "tests/program/script_machine.h"
#include "tests/program/started_library.h"

namespace {

using test::ScriptMachine;

constexpr uint32_t kTestCode = 0x0000FF;

// The work-thread loop sets the process-wide script thread id; every test leaves it as the main
// thread's, however the test ends.
class ScriptRun : public ::testing::Test {
 protected:
  void TearDown() override { adv::SetScriptThreadId(adv::kRunMain); }
};

// What work_process_begin does: the mode starts and the main pass stops.
int BeginWorkThreadMode(adv::AdvContext& context) {
  context.script.threaded = 1;
  context.script.stop = 1;
  return 1;
}

TEST_F(ScriptRun, APassThatEntersTheWorkThreadModeReturnsZero) {
  ScriptMachine machine("cmd 0x0000FF\nmov v1, 1\n");
  ASSERT_TRUE(machine.loaded());
  machine.SetCommand(kTestCode, BeginWorkThreadMode);
  adv::AdvContext& c = machine.context();
  EXPECT_EQ(machine.Run(), 0);
  EXPECT_EQ(c.script.running.load(), 0);
  EXPECT_EQ(machine.Run(), 1) << "no pass runs while threaded";
  EXPECT_EQ(machine.V(1), 0);
}

int g_calls = 0;
int32_t g_thread_id = -1;

int WaitThreeCalls(adv::AdvContext& context) {
  g_thread_id = adv::GetScriptThreadId();
  if (++g_calls >= 3) return 1;
  context.script.stop = 1;
  adv::AdvRetryCommand(context);
  return 1;
}

// The loop runs the script on its own thread: a waiting command is tried again (once a frame, not
// in a busy loop) without leaving the mode, and the mode ends when the code runs out.
TEST_F(ScriptRun, WorkThreadLoopRetriesWaitsAndLeavesAtTheEndOfTheCode) {
  g_calls = 0;
  ScriptMachine machine("add v1, 1\ncmd 0x0000FF\nadd v2, 1\n");
  ASSERT_TRUE(machine.loaded());
  machine.SetCommand(kTestCode, WaitThreeCalls);
  adv::AdvContext& c = machine.context();
  c.script.threaded = 1;
  std::thread worker(adv::ScriptWorkThreadLoop, reinterpret_cast<uintptr_t>(&c));
  worker.join();
  EXPECT_EQ(g_calls, 3);
  EXPECT_EQ(g_thread_id, adv::kRunWorkThread);
  EXPECT_EQ(machine.V(1), 1);
  EXPECT_EQ(machine.V(2), 1);
  EXPECT_EQ(c.script.threaded.load(), 0);
  EXPECT_EQ(c.script.running.load(), 0);
  EXPECT_TRUE(machine.Logged("script ended in the work-thread mode", adv::kLogErrorFile));
}

// Signals when the work-thread loop runs its first command.
struct FirstCommand {
  std::mutex mutex;
  std::condition_variable ran_changed;
  bool ran = false;

  bool WaitFor(std::chrono::milliseconds time) {
    std::unique_lock lock(mutex);
    return ran_changed.wait_for(lock, time, [this] { return ran; });
  }
};
FirstCommand* g_first_command = nullptr;

int NoteFirstCommand(adv::AdvContext&) {
  std::lock_guard lock(g_first_command->mutex);
  g_first_command->ran = true;
  g_first_command->ran_changed.notify_all();
  return 1;
}

TEST_F(ScriptRun, WorkThreadLoopWaitsForTheMainPassToFinish) {
  FirstCommand first;
  g_first_command = &first;
  ScriptMachine machine("cmd 0x0000FF\n");
  ASSERT_TRUE(machine.loaded());
  machine.SetCommand(kTestCode, NoteFirstCommand);
  adv::AdvContext& c = machine.context();
  c.script.threaded = 1;
  c.script.running = 1;  // the main thread's pass has not ended yet
  std::thread worker(adv::ScriptWorkThreadLoop, reinterpret_cast<uintptr_t>(&c));
  EXPECT_FALSE(first.WaitFor(std::chrono::milliseconds(100))) << "ran beside the main pass";
  c.script.running = 0;
  EXPECT_TRUE(first.WaitFor(std::chrono::seconds(10)));
  worker.join();
  g_first_command = nullptr;
}

int EndModeAfterRounds(adv::AdvContext& context) {
  const auto& v = context.values.variables;
  if (v[1] >= 2000 && v[2] >= 3) context.script.threaded = 0;
  return 1;
}

// The main thread's frames and the work-thread loop share the script state under the render
// lock: a frame moves the program counter to the event handler between two instructions of the
// loop, which then runs the handler and comes back.
TEST_F(ScriptRun, FramesEnterTheEventHandlerWhileTheWorkThreadRuns) {
  ScriptMachine machine(
      "loop:\nadd v1, 1\ncmd 0x0000FF\njmp loop\n"
      "handler:\nadd v2, 1\nret\n");
  ASSERT_TRUE(machine.loaded());
  machine.SetCommand(kTestCode, EndModeAfterRounds);
  YelRender* render = test::StartLibraryHidden();
  ASSERT_NE(render, nullptr);

  adv::AdvContext& c = machine.context();
  c.events.handler = machine.LabelPc("handler") - adv::kCodeOrigin;
  c.script.threaded = 1;
  std::thread worker(adv::ScriptWorkThreadLoop, reinterpret_cast<uintptr_t>(&c));
  while (c.script.threaded.load()) {
    yel::YelRenderLockEnter();
    if (machine.V(2) < 3) c.events.pending = 1;
    adv::AdvUpdate(c);
    yel::YelRenderLockLeave();
    // Pacing, as the frame loop sleeps out its frame between two task walks (the lock is not
    // fair: without it the loop could hardly take the lock).
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  worker.join();
  EXPECT_GE(machine.V(1), 2000);
  EXPECT_GE(machine.V(2), 3);
  EXPECT_EQ(test::ReturnRecordCount(c, adv::kListReturnPoint), 0) << "every handler returned";

  yel::YelRenderSetActive(nullptr);
  yel::YelRenderUninit(render);
  EXPECT_EQ(yel::YelUninit(), 1);
}

TEST_F(ScriptRun, WorkThreadLoopReportsWordsOfOtherGroups) {
  ScriptMachine machine(".word 0x00050001\nmov v1, 1\n");
  ASSERT_TRUE(machine.loaded());
  adv::AdvContext& c = machine.context();
  c.script.threaded = 1;
  std::thread worker(adv::ScriptWorkThreadLoop, reinterpret_cast<uintptr_t>(&c));
  worker.join();
  EXPECT_TRUE(machine.Logged("[16]内部コマンドエラー2 code = [0x00050001]", adv::kLogError));
  EXPECT_TRUE(machine.Logged("[16]内部コマンドエラー2 code = [0x00050001]", adv::kLogTrace));
  EXPECT_EQ(machine.V(1), 1);
}

// The skip arrives at the first instruction that starts within 12 bytes from its target: a
// target on the second or third word of an instruction arrives at the next one. There the save
// point is taken and the pass stops (no load-after label is set).
TEST_F(ScriptRun, HistorySkipEndsAtItsTarget) {
  for (uint32_t back : {0u, 4u, 8u, 12u}) {
    ScriptMachine machine("mov v1, 1\ntarget:\nmov v2, 2\nmov v3, 3\n");
    ASSERT_TRUE(machine.loaded());
    adv::AdvContext& c = machine.context();
    const uint32_t target = machine.LabelPc("target");
    const uint32_t arrival = back == 12 ? c.script.entry : target;
    c.skip.history_skip = 1;
    c.skip.history_skip_target = target - back;
    c.save.previous_raw_length = 100;
    machine.Run();
    EXPECT_EQ(c.script.pc, arrival) << back;
    EXPECT_EQ(machine.V(1), back == 12 ? 0 : 1) << back;
    EXPECT_EQ(machine.V(2), 0) << back;
    EXPECT_EQ(c.skip.history_skip, 0);
    EXPECT_EQ(c.save.previous_raw_length, 0u);
    EXPECT_EQ(c.save.resume_offset, arrival);
    EXPECT_EQ(c.save.snapshot_ready, 1);
    EXPECT_EQ(c.buttons.input_block.duration, 100u);
    EXPECT_TRUE(machine.Logged("history_skip end", adv::kLogTrace));
    machine.Run();
    EXPECT_EQ(machine.V(2), 2);
    EXPECT_EQ(machine.V(3), 3);
  }
}

TEST_F(ScriptRun, HistorySkipArrivalCallsTheRestartAndLoadAfterLabels) {
  ScriptMachine machine(
      "mov v1, 1\ntarget:\nmov v2, 2\njmp done\n"
      "restart:\nmov v5, 5\nret\n"
      "after_load:\nmov v6, v5\nret\n"
      "done:\n");
  ASSERT_TRUE(machine.loaded());
  adv::AdvContext& c = machine.context();
  c.skip.history_skip = 1;
  c.skip.history_skip_target = machine.LabelPc("target");
  c.history.restart_label = machine.LabelPc("restart") - adv::kCodeOrigin;
  machine.Run();
  // The scene was rebuilt from the save point at the target: the variables are cleared, and the
  // restart label runs as a subroutine returning there.
  EXPECT_EQ(machine.V(1), 0);
  EXPECT_EQ(c.script.pc, machine.LabelPc("restart"));
  machine.Run();
  EXPECT_EQ(machine.V(5), 5);
  EXPECT_EQ(machine.V(2), 2);
  EXPECT_EQ(machine.V(6), 0);
}

TEST_F(ScriptRun, HistorySkipArrivalCallsTheLoadAfterLabel) {
  ScriptMachine machine(
      "mov v1, 1\ntarget:\nmov v2, 2\njmp done\n"
      "after_load:\nmov v6, 6\nret\ndone:\n");
  ASSERT_TRUE(machine.loaded());
  adv::AdvContext& c = machine.context();
  c.skip.history_skip = 1;
  c.skip.history_skip_target = machine.LabelPc("target");
  c.save.load_after = machine.LabelPc("after_load") - adv::kCodeOrigin;
  machine.Run();
  EXPECT_EQ(c.script.pc, machine.LabelPc("after_load"));
  EXPECT_EQ(test::ReturnRecordCount(c, adv::kListReturnPoint), 1);
  machine.Run();  // the label runs as a subroutine that returns to the target
  EXPECT_EQ(machine.V(6), 6);
  EXPECT_EQ(machine.V(2), 2);
  EXPECT_EQ(test::ReturnRecordCount(c, adv::kListReturnPoint), 0);
}

}  // namespace
