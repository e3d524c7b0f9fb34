// Action sets built and started by assembled scripts, stepped with a frame clock the test moves:
// the platform library is started headless for the sprites the slots show, and every frame the
// test clears the slots' per-frame parts and steps the sets at a time it chooses, measured from
// the set's own start.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "program/game/adv_context.h"
#include "program/layers/action_kinds.h"
#include "program/layers/action_manager.h"
#include "program/layers/action_snapshot.h"
#include "program/layers/graphic_slots.h"
#include "program/savedata/snapshot_image.h"
#include "program/startup/startup_names.h"
#include "program/startup/yel_import.h"
#include "tests/program/action_fixture.h"
#include "tests/program/script_machine.h"

namespace {

using test::ScriptMachine;

class ActionSets : public test::ActionFixture {
 protected:
  // A new machine on the script, with layers 0 and 1 shown by sprites of the given width.
  ScriptMachine& Load(const std::string& source, int32_t width = 8) {
    return LoadWithLayers(
        source, [&] { return yel::YelSpriteCreate(render_, width, 8, 0); }, false);
  }
  int32_t X(int layer = 0) { return adv::AdvGraphicSlotSums(Layer(layer)).position[0]; }
};

struct FrameCase {
  const char* name;
  const char* script;
  std::vector<uint32_t> frames;
  std::vector<int32_t> x;  // layer 0's x shown after each frame
  int32_t base_x;          // layer 0's base once the set ended
};

TEST_F(ActionSets, LinesAdvanceAgainstTheFrameClock) {
  const FrameCase cases[] = {
      {"a zero-length section chains in the frame its neighbour ends",
       "cmd action_straight(0, 0, 10, 0, 0, 100)\n"
       "cmd action_straight(0, 0, 20, 0, 0, 0)\n"
       "cmd action_straight(0, 0, 30, 0, 0, 100)\n"
       "cmd action_run(0, 300)\n",
       {0, 100, 150, 200, 300},
       {0, 30, 45, 60, 60},
       60},
      {"a long frame ends one section per frame",
       "cmd action_straight(0, 0, 10, 0, 0, 100)\n"
       "cmd action_straight(0, 0, 10, 0, 0, 100)\n"
       "cmd action_straight(0, 0, 10, 0, 0, 100)\n"
       "cmd action_run(0, 5000)\n",
       {0, 250, 500, 750},
       {0, 10, 20, 30},
       0},
      {"ticks show the progress, the end adds the whole change once",
       "cmd action_straight(0, 0, 100, 0, 0, 1000)\n"
       "cmd action_run(0, 1000)\n",
       {0, 250, 500, 750, 1000},
       {0, 25, 50, 75, 100},
       100},
      {"a negative change rounds away from zero before truncating",
       "cmd action_straight(0, 0, -3, 0, 0, 1000)\n"
       "cmd action_run(0, 2000)\n",
       {0, 500},
       {0, -1},
       0},
      {"decelerate is at 0 at the start and ends whole",
       "cmd action_decele(0, 0, 100, 0, 0, 1000)\n"
       "cmd action_run(0, 1000)\n",
       {0, 1, 1000},
       {0, 0, 100},
       100},
      {"a movepos to grid point 10 centres a 400-wide sprite",
       "cmd action_movepos(0, 0, 10, 0, 1000)\n"
       "cmd action_run(0, 1000)\n",
       {0, 500, 1000},
       {0, 220, 440},
       440},
  };
  for (const FrameCase& c : cases) {
    SCOPED_TRACE(c.name);
    Load(c.script, 400);
    Start();
    std::vector<int32_t> shown;
    for (uint32_t ms : c.frames) {
      Frame(ms);
      shown.push_back(X());
    }
    EXPECT_EQ(shown, c.x);
    EXPECT_EQ(Layer(0).position[0], c.base_x);
  }
  // The end times of the long-frame case stay on the set's time line.
  Load(
      "cmd action_wait(0, 100)\ncmd action_wait(0, 100)\ncmd action_wait(0, 100)\n"
      "cmd action_run(0, 5000)\n");
  Start();
  std::vector<uint32_t> ends;
  for (uint32_t ms : {0u, 250u, 500u}) {
    Frame(ms);
    ends.push_back(Set(0).states[0].end_time);
  }
  EXPECT_EQ(ends, (std::vector<uint32_t>{100, 200, 300}));
}

// A set whose length passes first: its sections end where the score would have put them, or
// with the stop flag where they stand.
TEST_F(ActionSets, ARunShorterThanItsScoreSettlesOrStops) {
  struct Case {
    const char* sections;
    int32_t stop;
    int32_t x;
    float scale;
  };
  const Case cases[] = {
      {"cmd action_straight(0, 0, 100, 0, 0, 1000)\ncmd action_straight(0, 0, 50, 0, 0, 1000)\n", 0,
       150, 1.0f},
      {"cmd action_straight(0, 0, 100, 0, 0, 1000)\ncmd action_straight(0, 0, 50, 0, 0, 1000)\n", 1,
       40, 1.0f},
      {"cmd action_scale(0, 0, 50, 1000)\n", 1, 0, 1.2f},
      {"cmd action_scale(0, 0, 50, 1000)\n", 0, 0, 1.5f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sections);
    Load(std::string(c.sections) + "cmd set_action_stop(0, " + std::to_string(c.stop) +
         ")\ncmd action_run(0, 400)\n");
    Start();
    Frame(0);
    Frame(400);
    EXPECT_EQ(Set(0).running, 0u);
    EXPECT_EQ(Layer(0).position[0], c.x);
    EXPECT_FLOAT_EQ(Layer(0).scale[0], c.scale);
    EXPECT_EQ(context().actions.stop_flags[0], 0u);
  }
}

TEST_F(ActionSets, LoopCountsEndOrRepeat) {
  struct Case {
    uint32_t count;
    uint32_t running;  // after two cycles
    uint32_t cycle;    // in the frame of the second cycle
  };
  const Case cases[] = {{2, 0, 0}, {0, 1, 1}, {0xFFFFFFFF, 1, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.count);
    Load("cmd action_straight(0, 0, 10, 0, 0, 100)\ncmd action_loop_run(0, " +
         std::to_string(static_cast<int32_t>(c.count)) + ")\n");
    Start();
    for (uint32_t ms : {0u, 100u, 101u, 201u}) Frame(ms);
    EXPECT_EQ(Set(0).running, c.running);
    EXPECT_EQ(Set(0).cycle, c.cycle);
    EXPECT_EQ(X(), 20);
  }
}

TEST_F(ActionSets, ASyncRunHoldsTheScriptUntilAClick) {
  struct Case {
    const char* name;
    int32_t duration;
    bool waits;
  };
  const Case cases[] = {{"clicked in the middle", 1000, true}, {"duration 0", 0, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptMachine& m = Load(
        "cmd action_straight(0, 0, 100, 0, 0, 1000)\n"
        "cmd action_alpha(0, 0, -255, 1000)\n"
        "cmd action_sync_run(0, " +
        std::to_string(c.duration) + ")\nmov v1, 1\n");
    Start();
    EXPECT_EQ(m.V(1), 0);  // the script yields in any case
    EXPECT_EQ(adv::AdvActionSyncWaiting(context()), c.waits);
    if (c.waits) {
      EXPECT_EQ(context().script.point_count, 1);
      Frame(0);
      Frame(500);
      EXPECT_EQ(X(), 50);
      context().skip.skip_latch_on = 1;  // the reader clicks
      context().skip.skip_latch_bits = 8;
      Frame(600);
      context().skip.skip_latch_on = 0;
      EXPECT_FALSE(adv::AdvActionSyncWaiting(context()));
    }
    EXPECT_EQ(context().script.point_count, 0);
    EXPECT_EQ(Layer(0).position[0], 100);
    EXPECT_EQ(Layer(0).colour >> 24, 0u);
    m.Run();
    EXPECT_EQ(m.V(1), 1);
  }
}

TEST_F(ActionSets, APushedSetCatchesUpWhenPoppedBack) {
  Load(
      "cmd action_straight(0, 0, 10, 0, 0, 100)\n"
      "cmd action_straight(0, 0, 10, 0, 0, 100)\n"
      "cmd action_straight(0, 0, 10, 0, 0, 100)\n"
      "cmd action_run(0, 100000)\n");
  Start();
  Frame(0);
  ASSERT_TRUE(adv::ActionPush(context(), t0_));
  EXPECT_EQ(Set(0).running, 0u);
  Frame(1000);
  EXPECT_EQ(X(), 0);  // a stored set is frozen
  adv::ActionPop(context(), t0_ + 1000);
  EXPECT_EQ(context().actions.pushed, nullptr);
  std::vector<int32_t> shown;
  for (int frame = 0; frame < 3; ++frame) {
    Frame(1000);
    shown.push_back(X());
  }
  EXPECT_EQ(shown, (std::vector<int32_t>{10, 20, 30}));
}

// A second push settles the copy stored before it: its running section whole, the rest skipped.
TEST_F(ActionSets, ASecondPushSettlesTheStoredCopy) {
  Load(
      "cmd action_straight(0, 0, 10, 0, 0, 100)\n"
      "cmd action_straight(0, 0, 10, 0, 0, 100)\n"
      "cmd action_run(0, 100000)\n");
  Start();
  Frame(0);
  ASSERT_TRUE(adv::ActionPush(context(), t0_));
  machine_->context().script.pc = machine_->context().script.entry;
  machine_->Run();
  ASSERT_TRUE(adv::ActionPush(context(), t0_));
  EXPECT_EQ(Layer(0).position[0], 20);
  EXPECT_NE(context().actions.pushed, nullptr);
}

TEST_F(ActionSets, CommandsRefuseWhatLiesOutsideTheirTables) {
  struct Case {
    const char* script;
    const char* message;
    int32_t left_on_stack;
  };
  const Case cases[] = {
      {"cmd action_straight(60, 0, 1, 2, 3, 4)\n", "action line over [60]", 5},
      {"cmd action_straight(-1, 0, 1, 2, 3, 4)\n", "action line over [-1]", 5},
      {"cmd action_wait(0, 5)\n", "action section over [120]", 1},
      {"cmd action_run(16, 100)\n", "action_run count over [16]", 0},
      {"cmd set_active_action(16) -> v1\n", "action count over [16][old=0]", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    ScriptMachine& m = Load(c.script);
    context().actions.sets[0].lines[0].count = 120;
    context().values.variables[1] = -7;
    m.Run();
    EXPECT_TRUE(m.Logged(c.message, adv::kLogError));
    EXPECT_EQ(context().values.value_count, c.left_on_stack);
    EXPECT_EQ(context().actions.sets[0].lines[0].count, 120u);
    EXPECT_EQ(context().actions.sets[0].running, 0u);
    EXPECT_EQ(m.V(1), -7);
    context().actions.sets[0].lines[0].count = 0;
  }
}

// What the section commands store: the slot of an image, durations derived from parameters, and
// the queries over the sets.
TEST_F(ActionSets, SectionsAndQueriesReadTheirArguments) {
  ScriptMachine& m = Load(
      "cmd action_straight_decele(0, 1, 0, 0, 0, 300, 0, 0, 0, 200)\n"
      "cmd action_wait_random(1, 100, 50)\n"
      "cmd action_wait_random(2, 7, 7)\n"
      "cmd action_wait_random(3, -5, 10)\n"
      "cmd action_straight(4, 0x2000000, 1, 2, 3, 4)\n"
      "cmd is_action_layer_move(1) -> v1\n"
      "cmd action_run(0xFFFFFFFF, 1000)\n"
      "cmd is_action_layer_move(0x2000000) -> v2\n"
      "cmd is_action_layer_move(0) -> v3\n"
      "cmd is_action_run(0xFFFFFFFF) -> v4\n"
      "cmd set_active_action(5) -> v5\n"
      "cmd get_active_action() -> v6\n"
      "cmd is_action_run(16) -> v7\n");
  m.Run();
  const adv::ActionSet& set = Set(0);
  EXPECT_EQ(set.lines[0].sections[0].duration, 500u);
  EXPECT_EQ(set.lines[0].sections[0].parameters[0], 17u);  // layer 1's slot
  EXPECT_GE(set.lines[1].sections[0].duration, 50u);
  EXPECT_LT(set.lines[1].sections[0].duration, 100u);
  EXPECT_EQ(set.lines[2].sections[0].duration, 0u);
  EXPECT_EQ(set.lines[3].sections[0].duration, 0u);
  EXPECT_EQ(set.lines[4].sections[0].parameters[0], 144u);  // bank slot 0 of bank 0
  EXPECT_EQ(set.line_mark, 1u);  // the last line whose count exceeded the mark so far
  std::vector<int32_t> results;
  for (int v = 1; v <= 7; ++v) results.push_back(m.V(v));
  EXPECT_EQ(results, (std::vector<int32_t>{0, 1, 0, 1, 0, 5, 0}));
  EXPECT_TRUE(m.Logged("is_action_run [16]", adv::kLogError));
}

// The end of a set folds every slot's settled changes into its base, except those of sets that
// go on, whose changes a restored set settles again; and a change settled for one image never
// moves the next image the slot holds. Steps: a number is a frame at that time, "run" runs the
// script on past its wait_frame, "save" keeps the actions and layer 0's base as a save would,
// "load" restores them, "=N" checks layer 0's base.
TEST_F(ActionSets, EndsFoldSettledChangesOnceIntoTheImageThatMadeThem) {
  struct Case {
    const char* name;
    const char* script;
    std::vector<std::string> steps;
  };
  const Case kCases[] = {
      {"a save after another set ended loads to the same end",
       "cmd action_straight(0, 0, 50, 0, 0, 100)\n"
       "cmd action_straight(0, 0, 50, 0, 0, 100)\n"
       "cmd action_run(0, 1000)\n"
       "cmd set_active_action(1) -> v1\n"
       "cmd action_straight(0, 1, 10, 0, 0, 50)\n"
       "cmd action_run(1, 50)\n",
       // set 1 has ended at 100, set 0 has settled its first +50
       {"0", "100", "=0", "save", "200", "1000", "=100", "load", "0", "100", "200", "1000",
        "=100"}},
      {"a new image on the slot keeps its own position",
       "cmd action_straight(0, 0, 100, 0, 0, 50)\n"
       "cmd action_run(0, 1000)\n"
       "cmd wait_frame()\n"
       "cmd sp_set_ex(f\"#FF00FF00\", 0, 0, 0, 0)\n"
       "cmd action_clear(0)\n",
       {"0", "100", "=0", "run", "=0"}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    ScriptMachine& m = LoadWithLayers(
        c.script, [&] { return yel::YelSpriteCreate(render_, 8, 8, 0); }, true);
    m.SetCommand(0x070005, [](adv::AdvContext& context) {
      context.script.stop = 1;  // wait_frame: the pass ends until the step "run"
      return 1;
    });
    Start();
    for (adv::ActionSet& set : context().actions.sets) {
      if (set.running) set.start_time = t0_;
    }
    std::vector<uint8_t> buffer(1 << 20);
    adv::SnapshotWriter out(buffer.data(), static_cast<uint32_t>(buffer.size()), 0);
    int32_t saved_base = 0;
    for (const std::string& step : c.steps) {
      SCOPED_TRACE(step);
      if (step == "run") {
        m.Run();
      } else if (step == "save") {
        adv::AdvActionSave(context().actions, out);
        saved_base = Layer(0).position[0];
      } else if (step == "load") {
        adv::AdvActionReset(context());
        Layer(0).position[0] = saved_base;  // what the layer block restores
        adv::SnapshotReader in(
            std::string_view(reinterpret_cast<const char*>(buffer.data()), out.cursor()));
        adv::SavedActions saved;
        ASSERT_TRUE(adv::AdvActionRead(in, saved)) << in.error();
        adv::AdvActionLoad(context(), saved, t0_);
      } else if (step[0] == '=') {
        EXPECT_EQ(Layer(0).position[0], std::stoi(step.substr(1)));
      } else {
        Frame(static_cast<uint32_t>(std::stoul(step)));
      }
    }
  }
}

TEST_F(ActionSets, TheReaderRefusesIndexesOutsideTheSet) {
  Load("cmd action_straight(3, 0, 50, 0, 0, 100)\ncmd action_run(0, 1000)\n");
  Start();
  std::vector<uint8_t> buffer(1 << 20);
  adv::SnapshotWriter out(buffer.data(), static_cast<uint32_t>(buffer.size()), 0);
  adv::AdvActionSave(context().actions, out);
  // Words: active, 16 requests, 16 stops, running, 6 set words, line index, section count,
  // kind-state word, then section 0's 16 parameters and kind.
  constexpr size_t kLineWord = 1 + 16 + 16 + 1 + 6;
  struct Case {
    const char* what;
    size_t word;
    uint32_t value;
    bool loads;
  };
  const Case cases[] = {
      {"as written", 0, 0, true},
      {"line 60", kLineWord, 60, false},
      {"count 121", kLineWord + 1, 121, false},
      {"kind 28", kLineWord + 3 + 16, 28, false},
      {"active set 16", 0, 16, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<uint8_t> image(buffer.begin(), buffer.begin() + out.cursor());
    if (!c.loads || c.word != 0) {
      for (int b = 0; b < 4; ++b) image[c.word * 4 + b] = static_cast<uint8_t>(c.value >> (8 * b));
    }
    adv::SnapshotReader in(
        std::string_view(reinterpret_cast<const char*>(image.data()), image.size()));
    adv::SavedActions saved;
    EXPECT_EQ(adv::AdvActionRead(in, saved) && in.remaining() == 0, c.loads);
  }
}

}  // namespace
