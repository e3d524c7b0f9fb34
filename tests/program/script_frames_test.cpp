// The script across frames, driven through the game task's AdvUpdate in-process: event messages
// and their handler, one script-thread turn per frame, and commands that wait.
#include <gtest/gtest.h>

#include "program/game/game_task.h"
#include "program/script/command_table.h"
#include "program/script/script_run.h"
#include "tests/program/script_machine.h"

namespace {

using test::ScriptMachine;

// A code whose slot never holds a command: tests stand their own handler in for it.
constexpr uint32_t kTestCode = 0x0000FF;

// Ends the pass, as a command that hands the frame back does.
int EndPass(adv::AdvContext& context) {
  context.script.stop = 1;
  return 1;
}

class ScriptFrames : public ::testing::Test {};

TEST_F(ScriptFrames, GetMessageTakesSlotsLowestFirst) {
  ScriptMachine machine(
      "cmd get_message -> v1\ncmd get_message -> v2\ncmd get_message -> v3\n"
      "cmd get_message_param(2) -> v4\ncmd get_message_param(9) -> v5\n"
      "cmd get_message_param(-1) -> v6\n");
  ASSERT_TRUE(machine.loaded());
  adv::EventMessage& events = machine.context().events;
  events.slots[0] = {1, 4};
  events.slots[2] = {1, 77};
  machine.Run();
  EXPECT_EQ(machine.V(1), 0);
  EXPECT_EQ(machine.V(2), 2);
  EXPECT_EQ(machine.V(3), -1);
  EXPECT_EQ(machine.V(4), 77);  // the parameter stays readable after get_message
  EXPECT_EQ(machine.V(5), 0);
  EXPECT_EQ(machine.V(6), 0);
  EXPECT_TRUE(machine.Logged("get_message_param: no slot 9", adv::kLogError));
}

TEST_F(ScriptFrames, CreateMessageClearsEverythingAndLabelZeroLeavesNoHandler) {
  ScriptMachine machine(
      "cmd create_message(@handler)\nmov v1, 1\ncmd create_message(0)\n"
      "handler:\n");
  ASSERT_TRUE(machine.loaded());
  adv::AdvContext& c = machine.context();
  c.events.pending = 1;
  c.events.slots[3] = {1, 5};
  machine.Steps(3);  // create_message(@handler): its push and its call
  EXPECT_EQ(c.events.handler, machine.LabelPc("handler") - adv::kCodeOrigin);
  EXPECT_EQ(c.events.pending, 0);
  EXPECT_EQ(c.events.slots[3].flag, 0);
  machine.Run();
  EXPECT_EQ(c.events.handler, 0u);
}

// A pending message runs the handler in place of everything else of that frame; the handler's
// ret brings the main script back, which goes on in the next frame.
TEST_F(ScriptFrames, EventHandlerRunsAloneInItsFrame) {
  ScriptMachine machine(
      "cmd create_message(@handler)\n"
      "loop:\nadd v1, 1\ncmd 0x0000FF\njmp loop\n"
      "handler:\ncmd get_message -> v2\ncmd get_message_param(v2) -> v3\nadd v4, 1\nret\n");
  ASSERT_TRUE(machine.loaded());
  machine.SetCommand(kTestCode, EndPass);
  adv::AdvContext& c = machine.context();
  adv::AdvUpdate(c);
  EXPECT_EQ(machine.V(1), 1);
  c.events.slots[1] = {1, 77};
  c.events.pending = 1;
  adv::AdvUpdate(c);
  EXPECT_EQ(machine.V(4), 1);
  EXPECT_EQ(machine.V(2), 1);
  EXPECT_EQ(machine.V(3), 77);
  EXPECT_EQ(machine.V(1), 1) << "the main script does not run in the handler's frame";
  EXPECT_EQ(c.events.pending, 0);
  EXPECT_EQ(test::ReturnRecordCount(c, adv::kListReturnPoint), 0);
  adv::AdvUpdate(c);
  EXPECT_EQ(machine.V(1), 2);
  EXPECT_EQ(machine.V(4), 1);
}

TEST_F(ScriptFrames, ScriptThreadGetsOneTurnPerFrameBeforeTheMainScript) {
  ScriptMachine machine(
      "cmd create_thread(@thread)\n"
      "loop:\nadd v1, 1\nmov v6, v2\ncmd get_script_thread_id -> v5\ncmd 0x0000FF\njmp loop\n"
      "thread:\nadd v2, 1\ncmd get_script_thread_id -> v3\ncmd get_thread -> v4\nret\n");
  ASSERT_TRUE(machine.loaded());
  machine.SetCommand(kTestCode, EndPass);
  adv::AdvContext& c = machine.context();
  for (int frame = 1; frame <= 5; ++frame) {
    adv::AdvUpdate(c);
    EXPECT_EQ(machine.V(1), frame);
    EXPECT_EQ(machine.V(2), frame - 1) << "one turn in every frame after the first";
    EXPECT_EQ(machine.V(6), frame - 1) << "the turn runs before the main script";
    EXPECT_EQ(c.thread.turn_count, 0);
  }
  EXPECT_EQ(machine.V(3), adv::kRunThread);
  EXPECT_EQ(machine.V(4), static_cast<int32_t>(machine.LabelNumber("thread")));
  EXPECT_EQ(machine.V(5), adv::kRunMain);
}

TEST_F(ScriptFrames, EnableAndExitThread) {
  ScriptMachine machine(
      "cmd create_thread(@thread)\ncmd 0x0000FF\n"
      "cmd enable_thread(0) -> v7\ncmd 0x0000FF\n"
      "cmd enable_thread(1)\ncmd 0x0000FF\n"
      "cmd exit_thread\nidle:\ncmd 0x0000FF\njmp idle\n"
      "thread:\nadd v2, 1\nret\n");
  ASSERT_TRUE(machine.loaded());
  machine.SetCommand(kTestCode, EndPass);
  adv::AdvContext& c = machine.context();
  const int32_t expected_turns[] = {0, 1, 1, 2, 2, 2};
  for (int32_t turns : expected_turns) {
    adv::AdvUpdate(c);
    EXPECT_EQ(machine.V(2), turns);
  }
  EXPECT_EQ(machine.V(7), 1);  // enable_thread hands back the old word
  EXPECT_EQ(c.thread.active, 0);
}

int g_wait_calls = 0;
int g_wait_until = 3;
int32_t g_wait_thread_id = -1;

// A command that waits: it asks to run again until it has been called g_wait_until times.
int WaitForCalls(adv::AdvContext& context) {
  g_wait_thread_id = adv::GetScriptThreadId();
  if (++g_wait_calls >= g_wait_until) return 1;
  context.script.stop = 1;
  adv::AdvRetryCommand(context);
  return 1;
}

TEST_F(ScriptFrames, AWaitingCommandRunsAgainInTheNextFrame) {
  g_wait_calls = 0;
  ScriptMachine machine("add v1, 1\ncmd 0x0000FF\nadd v2, 1\n");
  ASSERT_TRUE(machine.loaded());
  machine.SetCommand(kTestCode, WaitForCalls);
  adv::AdvContext& c = machine.context();
  const uint32_t call = machine.context().script.entry + 12;
  for (int frame = 1; frame <= 2; ++frame) {
    adv::AdvUpdate(c);
    EXPECT_EQ(g_wait_calls, frame) << "once per frame";
    EXPECT_EQ(c.script.pc, call);
    EXPECT_EQ(machine.V(2), 0);
  }
  adv::AdvUpdate(c);
  EXPECT_EQ(g_wait_calls, 3);
  EXPECT_EQ(machine.V(1), 1);
  EXPECT_EQ(machine.V(2), 1);
}

// During a scene or history skip a waiting command neither moves back nor stops the pass.
TEST_F(ScriptFrames, ASkipRunsThroughWaitingCommands) {
  for (bool scene : {true, false}) {
    g_wait_calls = 0;
    ScriptMachine machine("cmd 0x0000FF\nadd v2, 1\nend\nadd v3, 1\n");
    ASSERT_TRUE(machine.loaded());
    machine.SetCommand(kTestCode, WaitForCalls);
    adv::AdvContext& c = machine.context();
    (scene ? c.skip.scene_skip : c.skip.history_skip) = 1;
    c.skip.history_skip_target = 0xFFFFFF00;
    EXPECT_EQ(adv::ScriptPointPush(c), 0);
    EXPECT_EQ(c.script.point_count, 0);
    machine.Run();
    EXPECT_EQ(g_wait_calls, 1);
    EXPECT_EQ(machine.V(2), 1);
    EXPECT_EQ(machine.V(3), 1) << "the stop of end is ignored while skipping";
  }
}

TEST_F(ScriptFrames, AScriptPointHoldsEveryPassUntilPopped) {
  ScriptMachine machine("mov v1, 1\nheld:\nmov v2, 2\n");
  ASSERT_TRUE(machine.loaded());
  adv::AdvContext& c = machine.context();
  machine.Steps(1);
  EXPECT_EQ(adv::ScriptPointPush(c), static_cast<int64_t>(machine.LabelPc("held")));
  machine.Run();
  machine.Run();
  EXPECT_EQ(machine.V(2), 0);
  EXPECT_EQ(adv::ScriptPointPop(c), machine.LabelPc("held"));
  machine.Run();
  EXPECT_EQ(machine.V(2), 2);
}

TEST_F(ScriptFrames, EntryAtTheEndOfTheCodeRunsNothing) {
  ScriptMachine machine(".entry last\nmov v1, 1\nlast:\n");
  ASSERT_TRUE(machine.loaded());
  adv::AdvContext& c = machine.context();
  ASSERT_EQ(c.script.pc, c.script.code.size());
  EXPECT_EQ(machine.Run(), 1);
  EXPECT_EQ(machine.V(1), 0);
  EXPECT_EQ(c.script.running.load(), 0);
  EXPECT_TRUE(machine.Log().empty());
}

void PendingStep() {}

int SetAsync(adv::AdvContext&) {
  adv::AdvSetAsyncFunction(PendingStep);
  return 1;
}

// A step finishing off the loop: the pass returns at once with running left set; while it is
// pending no pass runs, and AdvScriptFrame calls it instead.
TEST_F(ScriptFrames, APendingAsyncFunctionEndsThePass) {
  ScriptMachine machine("cmd 0x0000FF\nmov v1, 1\n");
  ASSERT_TRUE(machine.loaded());
  machine.SetCommand(kTestCode, SetAsync);
  adv::AdvContext& c = machine.context();
  EXPECT_EQ(machine.Run(), 1);
  EXPECT_EQ(c.script.running.load(), 1);
  EXPECT_EQ(machine.V(1), 0);
  EXPECT_EQ(machine.Run(), 1);
  EXPECT_EQ(machine.V(1), 0);
  adv::AdvSetAsyncFunction(nullptr);
  machine.Run();
  EXPECT_EQ(machine.V(1), 1);
  EXPECT_EQ(c.script.running.load(), 0);
}

TEST_F(ScriptFrames, AnAsyncFunctionDuringASkipIsAnError) {
  ScriptMachine machine("cmd 0x0000FF\nmov v1, 1\n");
  ASSERT_TRUE(machine.loaded());
  machine.SetCommand(kTestCode, SetAsync);
  machine.context().skip.scene_skip = 1;
  EXPECT_EQ(machine.Run(), 1);
  EXPECT_TRUE(machine.Logged("★エラー スキップ中に非同期関数が動作しています!!!", adv::kLogError));
  EXPECT_EQ(machine.V(1), 0);
}

}  // namespace
