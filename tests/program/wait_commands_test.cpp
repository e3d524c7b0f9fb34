// The waits of group 0x07 on a clock and a skip word the test drives: timed waits end on their
// time, on a skip or on wait_clear; sync waits meet points on one time line; the click wait hands
// over to the text wait; a forced skip passes every wait.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "program/commands/wait_commands.h"
#include "program/game/adv_context.h"
#include "program/script/skip_state.h"
#include "program/text/text_services.h"
#include "program/text/text_window.h"
#include "tests/program/script_machine.h"

namespace {

using test::ScriptMachine;

uint32_t g_now = 0;
int32_t g_skip = 0;

int Wait(adv::AdvContext& c) {
  return adv::AdvWaitStep(c, g_now, g_skip);
}
int WaitClick(adv::AdvContext& c) {
  return adv::AdvWaitClickStep(c, g_now, g_skip);
}
int WaitSync(adv::AdvContext& c) {
  return adv::AdvWaitSyncStep(c, g_now, g_skip);
}
int WaitSyncBegin(adv::AdvContext& c) {
  adv::AdvWaitSyncBegin(c, g_now);
  return 1;
}
int WaitClickNoAnim(adv::AdvContext& c) {
  return adv::AdvWaitClickNoAnimStep(c, g_now, g_skip);
}

class Waits : public ::testing::Test {
 protected:
  void SetUp() override {
    g_now = 5000;
    g_skip = 0;
    adv::Advance() = adv::AdvanceLatch{};
    adv::TextRevealDone() = {};
  }
  void TearDown() override { adv::Advance() = adv::AdvanceLatch{}; }

  ScriptMachine& Load(const std::string& source) {
    machine_ = std::make_unique<ScriptMachine>(source);
    EXPECT_TRUE(machine_->loaded());
    machine_->SetCommand(0x070000, Wait);
    machine_->SetCommand(0x070001, WaitClick);
    machine_->SetCommand(0x070002, WaitSyncBegin);
    machine_->SetCommand(0x070003, WaitSync);
    machine_->SetCommand(0x070007, WaitClickNoAnim);
    return *machine_;
  }
  // Frames of 16 ms from the current clock until v1 is set; the clock when it was.
  uint32_t RunUntilV1(int frames = 1000) {
    for (int i = 0; i < frames && machine_->V(1) == 0; ++i) {
      machine_->Run();
      if (machine_->V(1) != 0) return g_now;
      g_now += 16;
    }
    return 0;
  }
  std::unique_ptr<ScriptMachine> machine_;
};

TEST_F(Waits, TimedWaitsEndOnTheirTimeOrTheirSkip) {
  struct Case {
    const char* name;
    uint32_t ms;
    int32_t skippable;
    int32_t skip_at_frame;  // -1 none
    int32_t skip;
    uint32_t ends_after;  // ms after the start; 0 = not within the frames run
  };
  const Case cases[] = {
      {"zero lasts one frame", 0, 0, -1, 0, 16},
      {"timed", 100, 0, -1, 0, 112},
      {"a click ends a skippable wait", 1000, 1, 3, adv::SKIP_BIT_ADVANCE, 48},
      {"Control ends a skippable wait", 1000, 1, 2, adv::SKIP_BIT_CTRL, 32},
      {"skip mode ends a skippable wait", 1000, 1, 1, adv::SKIP_BIT_SKIP, 16},
      {"a click does not end an unskippable wait", 100, 0, 1, adv::SKIP_BIT_ADVANCE, 112},
      {"for ever waits for ever", 0xFFFFFFFF, 1, -1, 0, 0},
      {"for ever ends on a skip", 0xFFFFFFFF, 1, 5, adv::SKIP_BIT_SKIP, 80},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Load("cmd wait(" + std::to_string(static_cast<int32_t>(c.ms)) + ", " +
         std::to_string(c.skippable) + ")\nmov v1, 1\n");
    const uint32_t start = g_now;
    uint32_t ended = 0;
    // The run that ends the wait still stops the frame: the script goes on in the next one.
    for (int frame = 0; frame < 200 && !ended; ++frame, g_now += 16) {
      g_skip = frame == c.skip_at_frame ? c.skip : 0;
      machine_->Run();
      if (frame > 0 && machine_->context().wait.duration == 0) ended = g_now - start;
    }
    machine_->Run();
    EXPECT_EQ(machine_->V(1), ended ? 1 : 0);
    EXPECT_EQ(ended, c.ends_after);
    EXPECT_EQ(machine_->context().values.value_count, 0);
    g_skip = 0;
  }
}

TEST_F(Waits, AForcedSkipPassesEveryWaitWithoutMovingBack) {
  ScriptMachine& m = Load(
      "cmd wait(0xFFFFFFF, 0)\n"
      "cmd wait_click_no_anim(1000)\n"
      "cmd wait_sync_begin()\n"
      "cmd wait_sync(800)\n"
      "mov v1, 1\n");
  g_skip = adv::SKIP_STATE_SCENE;
  m.context().skip.scene_skip = 1;
  // Each wait ends in its first run; the clock never moves.
  for (int i = 0; i < 4 && m.V(1) == 0; ++i) m.Run();
  EXPECT_EQ(m.V(1), 1);
  EXPECT_EQ(m.context().wait.duration, 0u);
  EXPECT_EQ(m.context().wait.sync_duration, 0u);
}

TEST_F(Waits, SyncWaitsMeetPointsFromTheirBegin) {
  ScriptMachine& m = Load(
      "cmd wait_sync_begin()\n"
      "cmd wait_sync(500)\n"
      "mov v2, 1\n"
      "cmd wait_sync(800)\n"
      "mov v1, 1\n");
  const uint32_t begin = g_now;
  uint32_t first = 0;
  for (int frame = 0; frame < 100 && m.V(1) == 0; ++frame, g_now += 10) {
    m.Run();
    if (m.V(2) && !first) first = g_now - begin;
    if (m.V(1)) break;
  }
  EXPECT_EQ(first, 500u);
  EXPECT_EQ(g_now - begin, 800u);
  EXPECT_EQ(m.context().values.value_count, 0) << "the releasing run took no argument";
  EXPECT_TRUE(m.Logged("wait_sync_release 800", adv::kLogTrace));
}

TEST_F(Waits, WaitClearEndsTheWaitAndIsConsumed) {
  ScriptMachine& m = Load(
      "cmd wait(1000, 0)\n"
      "cmd wait_is_clear() -> v2\n"
      "mov v1, 1\n");
  m.Run();
  ASSERT_EQ(m.context().wait.duration, 1000u);
  adv::AdvWaitClear(m.context());
  EXPECT_EQ(m.context().wait.cleared, 1);
  g_now += 16;
  m.Run();
  m.Run();
  EXPECT_EQ(m.V(1), 1);
  EXPECT_EQ(m.V(2), 0) << "the wait consumed the cleared flag";
  EXPECT_TRUE(m.Logged("wait is clear 0, 0", adv::kLogTrace));
  EXPECT_EQ(m.context().values.value_count, 0);
}

TEST_F(Waits, AClickWaitAfterAClickedThroughLineNeedsNoIcon) {
  ScriptMachine& m = Load("cmd wait_click(-1)\nmov v1, 1\n");
  adv::AdvContext& c = m.context();
  adv::Advance().click_through = 1;
  c.text_window.line_kind = adv::kLineHolds | adv::kLineNotHeld;
  g_skip = adv::SKIP_BIT_ADVANCE;
  m.Run();
  EXPECT_EQ(c.text_window.line_kind, adv::kLineClickWaitOnce);
  EXPECT_EQ(c.text_window.click_wait_time, 0u);
  EXPECT_EQ(c.script.point_count, 1);
  EXPECT_EQ(c.values.value_count, 0);
}

TEST_F(Waits, ATimedClickWaitHandsItsTimeToTheTextWait) {
  ScriptMachine& m = Load("cmd wait_click(0)\nmov v1, 1\n");
  adv::AdvContext& c = m.context();
  m.Run();
  EXPECT_EQ(c.text_window.line_kind & adv::kLineTimedClickWait, adv::kLineTimedClickWait);
  EXPECT_EQ(c.text_window.click_wait_time, 1u) << "0 becomes 1";
  EXPECT_EQ(c.text_window.click_wait_start, g_now);
  EXPECT_EQ(c.script.point_count, 1);
  EXPECT_EQ(c.wait.duration, 0u);
}

// The timed click wait ends through the text wait on its time, a click or a skip, whether the
// message window shows or not (a title screen waits with the window hidden, and a script that
// never set a window up has none).
TEST_F(Waits, ATimedClickWaitEndsOnItsTimeAClickOrASkipWithOrWithoutTheWindow) {
  struct Case {
    const char* name;
    int32_t visible;
    int32_t skip_at_frame;  // -1 none
    int32_t skip;
    uint32_t ends_after;  // ms after the start at which the text wait pops the point
  };
  const Case cases[] = {
      {"time, window shown", 1, -1, 0, 2000},
      {"time, window hidden", 0, -1, 0, 2000},
      {"click, window hidden", 0, 10, adv::SKIP_BIT_ADVANCE, 160},
      {"skip mode, window hidden", 0, 5, adv::SKIP_BIT_SKIP | adv::SKIP_BIT_CTRL, 80},
      {"click, window shown", 1, 3, adv::SKIP_BIT_ADVANCE, 48},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    ScriptMachine& m = Load("cmd wait_click(2000)\nmov v1, 1\n");
    adv::AdvContext& c = m.context();
    c.text_window.visible = k.visible;
    const uint32_t start = g_now;
    uint32_t ended = 0;
    for (int frame = 0; frame < 200 && !ended; ++frame, g_now += 16) {
      g_skip = frame == k.skip_at_frame ? k.skip : 0;
      m.Run();
      if (frame > 0 && adv::AdvTextWaitStep(c, g_skip, g_now) == 1) ended = g_now - start;
    }
    g_skip = 0;
    EXPECT_EQ(ended, k.ends_after);
    EXPECT_EQ(c.script.point_count, 0);
    EXPECT_EQ(c.text_window.line_kind, 0u);
    m.Run();
    EXPECT_EQ(m.V(1), 1) << "the script goes on after the wait";
  }
}

// A button label that runs wait_click while the main script's wait runs ends that wait: it takes
// its own argument, and the main wait goes on at its next run without taking its arguments again.
TEST_F(Waits, AButtonLabelsClickWaitDuringTheMainWaitLeavesTheStackAsBuilt) {
  ScriptMachine& m = Load(
      "cmd wait(1000, 1)\n"
      "mov v1, 1\n"
      "end\n"
      "label:\n"
      "cmd wait_click(-1)\n"
      "mov v2, 1\n"
      "end\n");
  adv::AdvContext& c = m.context();
  m.Run();
  ASSERT_EQ(c.wait.duration, 1000u);
  const uint32_t main_pc = c.script.pc;
  c.script.pc = m.LabelPc("label");
  g_skip = adv::SKIP_BIT_ADVANCE;
  m.Run();
  m.Run();
  EXPECT_EQ(m.V(2), 1);
  EXPECT_EQ(c.values.value_count, 0);
  EXPECT_EQ(c.wait.duration, 0u);
  g_skip = 0;
  c.script.pc = main_pc;
  g_now += 16;
  m.Run();
  m.Run();
  EXPECT_EQ(m.V(1), 1);
  EXPECT_EQ(c.values.value_count, 0) << "the main wait took nothing more";
}

TEST_F(Waits, PushedTimedWaitsComeBack) {
  ScriptMachine& m = Load(
      "cmd wait(300, 0)\n"
      "mov v1, 1\n"
      "end\n"
      "park:\n"
      "cmd wait_time_push()\n"
      "cmd wait_get_time() -> v3\n"
      "cmd wait_time_pop()\n"
      "cmd wait_get_time() -> v4\n"
      "end\n");
  adv::AdvContext& c = m.context();
  m.Run();
  const uint32_t main_pc = c.script.pc;
  c.script.pc = m.LabelPc("park");
  m.Run();
  EXPECT_EQ(m.V(3), 0);
  EXPECT_EQ(m.V(4), 300);
  c.script.pc = main_pc;
  // Over at the first frame 300 ms on (304); the script goes on in the frame after.
  EXPECT_EQ(RunUntilV1(), 5000u + 320u);
}

}  // namespace
