// Frame animations on a graphic slot, with files made by the ".ani" assembler and a frame clock
// the test moves.
#include "program/layers/frame_animation.h"

#include <gtest/gtest.h>

#include <string>

#include "program/layers/graphic_slots.h"
#include "tests/program/script_machine.h"
#include "tests/program/temp_folder.h"
#include "tools/ani_assembler/ani_assembler.h"

namespace {

class FrameAnimation : public ::testing::Test {
 protected:
  void TearDown() override { adv::Animations().ReleaseAll(nullptr); }

  // Assembles the source into "<name>.ani"; the name to load it by.
  std::string Write(const std::string& name, const std::string& source) {
    const aniasm::AssembleResult result = aniasm::Assemble(source);
    EXPECT_TRUE(result.ok) << result.ErrorText();
    folder_.Write(name + ".ani", std::string(result.file.begin(), result.file.end()));
    return folder_ / name;
  }
  uint32_t Load(const std::string& source, adv::GraphicSlot& slot, uint32_t now = 0) {
    EXPECT_EQ(adv::Animations().Load(nullptr, Write("a", source).c_str(), slot, now), 1);
    return slot.animation_id;
  }
  // One frame: the per-frame parts cleared, then every animation stepped.
  void Frame(uint32_t now, adv::AdvContext* context = nullptr) {
    for (adv::GraphicSlot* slot : {&slot_, &other_}) slot->frame = adv::SlotFrameGroup{};
    adv::Animations().UpdateAll(context, now);
  }
  int32_t GroupX() const { return slot_.animation_group.position[0]; }
  int32_t PartX() const { return slot_.frame.animation.position[0]; }

  // Binds the platform library (the files are read through its file layer) and collects the
  // engine's lines.
  test::ScriptMachine machine_{"nop\n"};
  test::TempFolder folder_;
  adv::GraphicSlot slot_;
  adv::GraphicSlot other_;
};

constexpr char kLoop[] =
    "top:\n"
    "  move 100, 0, 0, 1000\n"
    "  wait 1000\n"
    "  jump top\n";

TEST_F(FrameAnimation, AMoveShowsItsProgressAndEndsInTheGroup) {
  const uint32_t id = Load(kLoop, slot_);
  EXPECT_EQ(adv::Animations().Status(id), adv::kAnimLoaded);
  EXPECT_EQ(adv::Animations().Start(nullptr, id, 0), 1);
  EXPECT_EQ(adv::Animations().Status(id), adv::kAnimWaiting);
  std::vector<int32_t> shown;
  for (uint32_t t : {0u, 250u, 500u}) {
    Frame(t);
    shown.push_back(PartX());
  }
  EXPECT_EQ(shown, (std::vector<int32_t>{0, 25, 50}));
  Frame(1000);  // the move and the wait end; the next pass starts with the next frame
  EXPECT_EQ(GroupX(), 100);
  Frame(1001);
  Frame(2001);
  EXPECT_EQ(GroupX(), 200);
  adv::Animations().Unload(nullptr, id);  // not kept: the slot goes back where it was
  EXPECT_EQ(slot_.animation_id, 0u);
  EXPECT_EQ(GroupX(), 0);
  EXPECT_EQ(slot_.offset_position[0], 0);
  EXPECT_EQ(adv::Animations().Status(id), 0u);
}

TEST_F(FrameAnimation, AKeptAnimationEndsAtItsEndValuesWhereverItsStepsHadCome) {
  const uint32_t id = Load(
      "keep\n"
      "move 100, 0, 0, 1000\n"
      "alpha -255, 1000\n"
      "scale 50, 400\n"
      "wait -1\n",
      slot_);
  adv::Animations().Start(nullptr, id, 0);
  Frame(100);
  EXPECT_EQ(slot_.frame.animation.scale[0], 0.125f);
  Frame(500);
  EXPECT_EQ(PartX(), 50);
  EXPECT_EQ(slot_.frame.animation.colour[0], -127);
  EXPECT_EQ(adv::Animations().Status(id), adv::kAnimWaiting);  // the wait of -1 holds
  slot_.colour = 0xFFFFFFFF;
  adv::Animations().Unload(nullptr, id);
  EXPECT_EQ(slot_.offset_position[0], 100);
  EXPECT_EQ(slot_.offset_scale[0], 0.5f);
  EXPECT_EQ(slot_.colour >> 24, 0u);  // alpha 255 - 255, folded into the colour word
}

TEST_F(FrameAnimation, MoveCurvesFollowTheirModes) {
  struct Case {
    const char* source;
    uint32_t at;
    int32_t x;
  };
  const Case cases[] = {
      {"move_decel 100, 0, 0, 1000\nwait -1\n", 100, 20},
      {"move_accel 100, 0, 0, 1000\nwait -1\n", 500, 16},
      {"move_sine 100, 0, 0, 1000\nwait -1\n", 500, 70},
      {"move_to 0, 40, 0, 0, 1000\nwait -1\n", 500, 15},  // from 10 towards 40
  };
  for (const Case& c : cases) {
    adv::GraphicSlot slot;
    slot.position[0] = 10;
    const uint32_t id = Load(c.source, slot);
    adv::Animations().Start(nullptr, id, 0);
    slot.frame = adv::SlotFrameGroup{};
    adv::Animations().UpdateAll(nullptr, c.at);
    EXPECT_EQ(slot.frame.animation.position[0], c.x) << c.source;
    adv::Animations().Finish(nullptr, id);
  }
}

TEST_F(FrameAnimation, CirclesAndWalks) {
  // A quarter turn of radius 100 from angle 0: kept at (100, 0) when asked, else nothing left.
  const uint32_t kept = Load("circle_kept 0, 0, 100, 100, 128, 128, 0, 0, 100\nwait -1\n", slot_);
  adv::Animations().Start(nullptr, kept, 0);
  Frame(100);
  EXPECT_EQ(slot_.animation_group.position[0], 100);
  EXPECT_EQ(slot_.animation_group.position[1], 0);
  adv::Animations().Finish(nullptr, kept);
  const uint32_t free = Load("circle 0, 0, 100, 100, 512, 512, 0, 0, 100\nwait -1\n", slot_);
  adv::Animations().Start(nullptr, free, 0);
  Frame(50);
  Frame(100);
  EXPECT_EQ(slot_.animation_group.position, (std::array<int32_t, 3>{0, 0, 0}));
  adv::Animations().Finish(nullptr, free);

  for (const auto& [x, y] : {std::pair{3, 1}, std::pair{-3, 0}}) {
    const uint32_t id =
        Load("walk " + std::to_string(x) + ", " + std::to_string(y) + ", 100\nwait -1\n", slot_);
    adv::Animations().Start(nullptr, id, 0);
    Frame(100);
    Frame(200);
    EXPECT_EQ(slot_.animation_group.position[0], 0) << x;
    Frame(300);  // the third step arrives and the wait after the walk begins
    EXPECT_EQ(slot_.animation_group.position[0], x);
    EXPECT_EQ(slot_.animation_group.position[1], y);
    adv::Animations().Finish(nullptr, id);
  }
}

TEST_F(FrameAnimation, APrologueRunsAtLoadOnlyAndChildrenStopWithTheirParent) {
  const uint32_t id = Load(
      ".start intro\n"
      "body:\n"
      "  child 0, side\n"
      "  wait -1\n"
      "side@2:\n"
      "  shift 0, 5, 0\n"
      "  wait -1\n"
      "intro:\n"
      "  prologue\n"
      "  shift 7, 0, 0\n"
      "  prologue_end\n"
      "  jump body\n",
      slot_);
  EXPECT_EQ(GroupX(), 7);  // the prologue ran at load
  EXPECT_EQ(adv::Animations().Status(id), adv::kAnimLoaded);
  adv::Animations().Start(nullptr, id, 0);
  Frame(10);  // the child runs from label 2 on the same slot
  EXPECT_EQ(slot_.animation_group.position[1], 5);
  EXPECT_EQ(GroupX(), 7);
  adv::Animations().Unload(nullptr, id);
  EXPECT_EQ(slot_.animation_group.position[1], 0);
}

TEST_F(FrameAnimation, UnderASceneSkipALoopRunsOnePassAFrame) {
  adv::AdvContext& context = machine_.context();
  context.skip.scene_skip = 1;
  const uint32_t id = Load(kLoop, slot_);
  adv::Animations().Start(&context, id, 0);
  EXPECT_EQ(GroupX(), 100);
  Frame(0, &context);
  Frame(0, &context);
  EXPECT_EQ(GroupX(), 300);
}

TEST_F(FrameAnimation, IdsAndBrokenFilesAreRefusedWithoutHarm) {
  test::ScriptMachine& machine = machine_;
  EXPECT_EQ(adv::Animations().Start(nullptr, 129, 0), 0);
  EXPECT_TRUE(machine.Logged("*** ERROR AdvAnimStart 129 (1-128)", adv::kLogError));
  EXPECT_EQ(adv::Animations().Start(nullptr, 0, 0), 1);
  // Another slot's running animation is not touched by a failed load that follows.
  const uint32_t running = Load(kLoop, other_);
  adv::Animations().Start(nullptr, running, 0);
  slot_.animation_id = 77;
  EXPECT_EQ(adv::Animations().Load(nullptr, (folder_ / "missing").c_str(), slot_, 0), 0);
  EXPECT_EQ(slot_.animation_id, 0u);
  EXPECT_TRUE(machine.Logged("[" + (folder_ / "missing") + ".ani] の読み込みに失敗", 0));
  folder_.Write("short.ani", std::string(11, '\0'));
  EXPECT_EQ(adv::Animations().Load(nullptr, (folder_ / "short").c_str(), slot_, 0), 0);
  EXPECT_EQ(adv::Animations().Status(running), adv::kAnimWaiting);

  // Reads that would leave the file, labels and starts outside it, a loop without a wait: each
  // ends the script or the frame, never more.
  const std::string broken[] = {
      ".byte 0\n.byte 1\n",               // a move whose operands run past the code
      "jump 99\n",                        // a label beyond the table
      "top:\nshift 1, 0, 0\njump top\n",  // no waiting opcode
      "child 0, 40\nwait -1\n",           // a child at a label beyond the table
  };
  for (const std::string& source : broken) {
    adv::GraphicSlot slot;
    const uint32_t id = Load(source, slot);
    adv::Animations().Start(nullptr, id, 0);
    slot.frame = adv::SlotFrameGroup{};
    adv::Animations().UpdateAll(nullptr, 0);
    adv::Animations().Unload(nullptr, id);
  }
  std::string start_outside(16, '\0');
  start_outside[12] = 0x7F;  // start offset 127 in a 16-byte file
  folder_.Write("far.ani", start_outside);
  adv::GraphicSlot slot;
  EXPECT_EQ(adv::Animations().Load(nullptr, (folder_ / "far").c_str(), slot, 0), 1);
  adv::Animations().Start(nullptr, slot.animation_id, 0);
  Frame(0);  // the ended script is released
  EXPECT_EQ(slot.animation_id, 0u);
}

// The sample game's animations, as its build assembled them: the bow stays where it ends, the
// float comes back where it began after each pass.
TEST_F(FrameAnimation, TheSampleGamesAnimationsBowAndFloat) {
  const std::string pack = SAMPLE_PACK_DIR;
  ASSERT_EQ(adv::Animations().Load(nullptr, (pack + "/BOW").c_str(), slot_, 0), 1);
  const auto group_y = [this] { return slot_.animation_group.position[1]; };
  adv::Animations().Start(nullptr, slot_.animation_id, 0);
  for (uint32_t t : {0u, 300u, 301u, 501u, 502u}) Frame(t);
  EXPECT_EQ(slot_.animation_id, 0u) << "the one-shot ends and is released";
  EXPECT_EQ(slot_.offset_position[1] + group_y(), 8) << "kept: down 16, back up 8";

  adv::GraphicSlot& floating = other_;
  ASSERT_EQ(adv::Animations().Load(nullptr, (pack + "/FLOAT").c_str(), floating, 0), 1);
  adv::Animations().Start(nullptr, floating.animation_id, 0);
  std::vector<int32_t> lifted;
  for (uint32_t t : {0u, 900u, 901u, 1801u, 1802u, 2702u}) {
    Frame(t);
    lifted.push_back(floating.animation_group.position[1]);
  }
  EXPECT_EQ(lifted, (std::vector<int32_t>{0, -12, -12, 0, 0, -12}));
  EXPECT_NE(floating.animation_id, 0u) << "the loop runs until its image goes";
}

}  // namespace
