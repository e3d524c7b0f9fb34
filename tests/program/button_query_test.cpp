// What scripts ask of their buttons, and the buttons that follow the pointer or a parent: the
// platform library started in-process, the pointer and the primary mouse button set through its
// input words, and the script run a pass per frame.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "program/buttons/button_children.h"
#include "program/buttons/button_manager.h"
#include "program/game/adv_context.h"
#include "program/layers/frame_animation.h"
#include "program/layers/graphic_slots.h"
#include "program/layers/layer_services.h"
#include "program/startup/yel_import.h"
#include "program/text/text_services.h"
#include "tests/program/script_machine.h"

namespace {

using test::ScriptMachine;

constexpr uint32_t kMouseLeft = 0x800000;
constexpr int32_t kUntouched = 777;

// Buttons 1 and 2 of group 0 (button 2 at 400, 200, with labels that count their calls); each
// test's own lines follow from `then`, and a pass ends at `finish`, the end of the code.
constexpr const char* kTwoButtons =
    "  cmd btn_init(0, NONE, NONE)\n"
    "  cmd btn_set(0, 1, f\"CHOICE\", 0, 0, 0, 1)\n"
    "  cmd btn_set(0, 2, f\"CHOICE\", click, on, off, 1)\n"
    "  cmd btn_set_pos(0, 2, 400, 200)\n"
    "  jmp finish\n"
    "on:\n  add v50, 1\n  ret\n"
    "off:\n  add v51, 1\n  ret\n"
    "click:\n  add v52, 1\n  ret\n"
    "then:\n";

// The library at the sample's game size, its search folder the sample's built images and
// animations, the render lock held as in a frame.
class ButtonQueries : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(yel::LoadLibraryFrom(YEL_LIBRARY));
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    YelInitParam param{};
    yel::YelDefaultCreate(&param);
    param.option_bits |= YEL_OPTION_HIDDEN;
    param.window_width = param.game_width = 1280;
    param.window_height = param.game_height = 720;
    param.first_func = [] { return 1; };
    ASSERT_TRUE(yel::YelInit(&param));
    render_ = yel::YelRenderInit();
    yel::YelRenderSetActive(render_);
    yel::YelSystemPathInit();
    yel::YelSystemPathSet(SAMPLE_PACK_DIR);
    yel::YelRenderLockEnter();
  }
  void TearDown() override {
    Unload();
    adv::AdvButtonChildLinkClear();
    yel::YelInputClear();
    yel::YelRenderLockLeave();
    yel::YelRenderSetActive(nullptr);
    yel::YelRenderUninit(render_);
    yel::YelSystemPathUninit();
    yel::YelUninit();
  }
  // The buttons' slots are process-wide: they go with the machine that made them.
  void Unload() {
    if (!machine_) return;
    adv::AdvButtonUnloadAll(machine_->context());
    adv::AdvLayerTableReset(machine_->context());
    adv::AdvAnimReleaseAll(machine_->context());
    machine_.reset();
  }

  // Loads kTwoButtons with `then` and runs the set-up.
  adv::AdvContext& Load(const std::string& then = "") {
    Unload();
    machine_ = std::make_unique<ScriptMachine>(std::string(kTwoButtons) + then + "finish:\n");
    EXPECT_TRUE(machine_->loaded());
    machine_->Run();
    EXPECT_NE(machine_->context().buttons.groups[0].buttons[2].slot, nullptr);
    // The buttons show and take their places, without the input pause a `run` would start.
    adv::RunDisplayQueue(machine_->context());
    adv::AdvGraphicSlotApplyAll(machine_->context());
    return machine_->context();
  }
  // A pass of the script from `label`.
  void RunFrom(const std::string& label) {
    machine_->context().script.pc = machine_->LabelPc(label);
    machine_->Run();
  }
  int32_t V(int n) { return machine_->V(n); }
  int32_t& Temp(int cell) { return machine_->context().values.temp_memory[cell]; }
  YelSpriteInfo Info(int32_t group, int32_t index) {
    YelSpriteInfo info{};
    yel::YelSpriteGetInfo(machine_->context().buttons.groups[group].buttons[index].slot->sprite,
                          &info);
    return info;
  }

  YelRender* render_ = nullptr;
  std::unique_ptr<ScriptMachine> machine_;
};

// The pointer at (x, y) with the primary button pushed when `press`.
void Pointer(int32_t x, int32_t y, bool press) {
  yel::YelCursorSetPos(x, y);
  yel::YelInputClear();
  if (press) yel::YelInputSetKeyPush(kMouseLeft);
}

TEST_F(ButtonQueries, ClickedEnteredAndLeftIndexesStayUntilTheNextOne) {
  adv::AdvContext& c = Load(
      "  cmd btn_get_push(0) -> v1\n"
      "  cmd btn_get_onmouse(0) -> v2\n"
      "  cmd btn_get_offmouse(0) -> v3\n"
      "  cmd btn_get_push(0) -> v4\n"
      "  cmd btn_get_onmouse(0) -> v5\n"
      "  cmd btn_get_offmouse(0) -> v6\n"
      "  cmd btn_get_push(16) -> v7\n"
      "  cmd btn_get_onmouse(-1) -> v8\n"
      "  cmd btn_get_offmouse(16) -> v9\n"
      "  jmp finish\n");
  Pointer(410, 210, false);
  EXPECT_FALSE(adv::AdvButtonUpdate(c));  // entered: the on label is called
  machine_->Run();
  c.buttons.input_block.duration = 0;
  Pointer(410, 210, true);
  for (int frame = 0; frame < 5 && c.buttons.groups[0].clicked != 2; ++frame) {
    adv::AdvButtonUpdate(c);
  }
  Pointer(410, 210, false);
  machine_->Run();
  ASSERT_EQ(V(50) * 100 + V(51) * 10 + V(52), 111) << "on, off and click ran once each";

  RunFrom("then");
  EXPECT_EQ(V(1), 2);
  EXPECT_EQ(V(2), 2);
  EXPECT_EQ(V(3), 2);
  EXPECT_EQ(V(4), 2) << "a query does not clear what it read";
  EXPECT_EQ(V(5), 2);
  EXPECT_EQ(V(6), 2);
  EXPECT_EQ(V(7), -1);
  EXPECT_EQ(V(8), -1);
  EXPECT_EQ(V(9), -1);
  EXPECT_TRUE(machine_->Logged("btn_get_push 16", adv::kLogError));
  EXPECT_TRUE(machine_->Logged("***btn_get_onmouse -1 over ID", adv::kLogError));
}

TEST_F(ButtonQueries, StatusBitsOfGroupsAndButtons) {
  struct Case {
    const char* setup;
    int32_t group, index, status;
  } cases[] = {
      {"", 0, 2, 0},
      {"", 0, 3, 16},                                  // no button at 3
      {"", 5, 0, 2 | 16},                              // a free group has no buttons
      {"  cmd btn_lock(0, 0)\n", 0, 2, 4},             // locked group
      {"  cmd btn_enable(0, 2, 0)\n", 0, 2, 8},        // locked button
      {"  cmd btn_set_invalid_time(500)\n", 0, 2, 1},  // the input pause runs
      {"  cmd btn_set_invalid_time(500)\n", 5, 0, 1 | 2 | 16},
      {"", 15, 119, -1},  // group 15 ends at 118
      {"", 0, 128, -1},
      {"", 0, -1, -1},
      {"", 16, 0, -1},
      {"", -1, 0, -1},
  };
  for (const Case& k : cases) {
    Load(std::string(k.setup) + "  cmd btn_get_status(" + std::to_string(k.group) + ", " +
         std::to_string(k.index) + ") -> v1\n  jmp finish\n");
    RunFrom("then");
    EXPECT_EQ(V(1), k.status) << k.setup << k.group << ", " << k.index;
  }
  EXPECT_TRUE(machine_->Logged("btn_get_status  -1, -1, 0 over group", adv::kLogError));
}

// Six cells from a first cell of 0-120; any other first cell (negative ones as well) writes
// nothing. btn_get_pos skips a cell of -1 and refuses any other cell outside the table.
TEST_F(ButtonQueries, GettersWriteOnlyCellsInsideTheirRange) {
  struct Case {
    const char* call;
    int32_t result;
    std::vector<std::pair<int, int32_t>> written;  // cell, value; every other cell stays
  };
  Load();
  const YelSpriteInfo info = Info(0, 2);
  const Case cases[] = {
      {"btn_get_wh(0, 2, 120)",
       1,
       {{120, 400},
        {121, 200},
        {122, info.cell_width},
        {123, info.cell_height},
        {124, info.image_width},
        {125, info.image_height}}},
      {"btn_get_wh(0, 2, 0)",
       1,
       {{0, 400},
        {1, 200},
        {2, info.cell_width},
        {3, info.cell_height},
        {4, info.image_width},
        {5, info.image_height}}},
      {"btn_get_wh(0, 2, 121)", 0, {}},
      {"btn_get_wh(0, 2, -3)", 0, {}},
      {"btn_get_wh(0, 2, -1)", 0, {}},
      {"btn_get_wh(16, 2, 0)", 0, {}},
      {"btn_get_wh(0, 128, 0)", 0, {}},
      {"btn_get_wh(0, 3, 0)", kUntouched, {}},  // no button: the result stays as it was
      {"btn_get_pos(0, 2, 7, 8)", kUntouched, {{7, 400}, {8, 200}}},
      {"btn_get_pos(0, 2, -1, 8)", kUntouched, {{8, 200}}},
      {"btn_get_pos(0, 2, 4095, -1)", kUntouched, {{4095, 400}}},
      {"btn_get_pos(0, 2, -2, 8)", kUntouched, {}},
      {"btn_get_pos(0, 2, 7, 4096)", kUntouched, {}},
      {"btn_get_pos(0, -3, 7, 8)", kUntouched, {}},
  };
  for (const Case& k : cases) {
    Load(std::string("  cmd ") + k.call + " -> v1\n  jmp finish\n");
    adv::AdvContext& c = machine_->context();
    c.values.temp_memory.fill(kUntouched);
    c.values.variables[1] = kUntouched;
    RunFrom("then");
    EXPECT_EQ(V(1), k.result) << k.call;
    std::array<int32_t, adv::kTempMemoryCells> expected;
    expected.fill(kUntouched);
    for (const auto& [cell, value] : k.written) expected[cell] = value;
    for (int cell = 0; cell < adv::kTempMemoryCells; ++cell) {
      if (Temp(cell) != expected[cell]) {
        ADD_FAILURE() << k.call << ": cell " << cell << " is " << Temp(cell);
        break;
      }
    }
  }
}

// The drag loop of a slider: btn_slide_end holds the script a frame at a time while the primary
// button stays down and lets it go on in the frame the button comes up.
TEST_F(ButtonQueries, SlideEndHoldsTheScriptUntilThePrimaryButtonComesUp) {
  Load(
      "  cmd btn_slide_begin(0, 2)\n"
      "drag:\n"
      "  cmd btn_slide_end(0, 2) -> v1\n"
      "  add v2, 1\n"
      "  mov v3, v1\n"
      "  eq v3, 0\n"
      "  jz dropped, v3\n"
      "  jmp drag\n"
      "dropped:\n"
      "  mov v4, 1\n"
      "  jmp finish\n");
  Pointer(410, 210, true);
  RunFrom("then");
  EXPECT_EQ(V(1), 0);
  EXPECT_EQ(V(2), 0) << "the pass ends at the command";
  for (int frame = 1; frame <= 2; ++frame) {
    yel::YelInputClear();
    yel::YelInputSetKeyOn(kMouseLeft);
    machine_->Run();
    EXPECT_EQ(V(1), 0);
    EXPECT_EQ(V(2), frame) << "the script goes on after the command, once a frame";
    EXPECT_EQ(V(4), 0);
  }
  yel::YelInputClear();
  yel::YelInputSetKeyPull(kMouseLeft);
  machine_->Run();
  EXPECT_EQ(V(1), -1);
  EXPECT_EQ(V(4), 1);

  // Begun with the button up: the drag is over at once.
  yel::YelInputClear();
  machine_->context().values.variables.fill(0);
  RunFrom("then");
  EXPECT_EQ(V(1), -1);
  EXPECT_EQ(V(4), 1);
}

TEST_F(ButtonQueries, SliderStepsRoundUpAndStayWithinTheMaximum) {
  struct Case {
    int32_t maximum, value, snapped;
  } cases[] = {
      {300, 299, 300},    {300, 298, 300},    {300, 297, 297},    {300, 1, 3},
      {300, 0, 0},        {300, 300, 300},    {99, 98, 98},       {100, 99, 99},
      {250, 249, 250},    {1000, 995, 1000},  {1000, 991, 1000},  {1000, 989, 990},
      {1099, 1095, 1099}, {1099, 1091, 1099}, {1099, 1089, 1090}, {0, 0, 0},
  };
  for (const Case& k : cases) {
    const int32_t step = std::max(k.maximum, 100) / 100;
    const int32_t got = adv::ButtonSliderSnap(k.maximum, k.value);
    EXPECT_EQ(got, k.snapped) << k.maximum << ", " << k.value;
    EXPECT_TRUE(got % step == 0 || got == k.maximum) << k.maximum << ", " << k.value;
    EXPECT_GE(got, k.value);
    EXPECT_LE(got, k.maximum);
  }
}

// The thumb follows the pointer: its cell centred on the pointer, from the base position, 0 to
// the maximum; along y the step flag snaps it onto the slider's steps.
TEST_F(ButtonQueries, SliderThumbFollowsThePointer) {
  Load(
      "  cmd btn_slide_get(0, 2, temp[v10], temp[v11], temp[v12]) -> v1\n"
      "  jmp finish\n");
  const YelSpriteInfo info = Info(0, 2);
  const int32_t half_w = info.cell_width >> 1, half_h = info.cell_height >> 1;
  struct Case {
    int32_t maximum, axis, step, along, result;
  } cases[] = {
      {300, 1, 1, 299, 300}, {300, 1, 1, 297, 297}, {300, 1, 0, 299, 299}, {300, 1, 1, -50, 0},
      {300, 1, 1, 450, 300}, {100, 0, 0, 37, 37},   {500, 0, 0, 700, 500},
  };
  adv::AdvContext& c = machine_->context();
  c.values.variables[10] = 0;
  c.values.variables[11] = 1;
  c.values.variables[12] = 2;
  for (const Case& k : cases) {
    Temp(0) = k.maximum;
    Temp(1) = k.axis;
    Temp(2) = k.step;
    if (k.axis == 0) {
      Pointer(400 + half_w + k.along, 300, false);
    } else {
      Pointer(500, 200 + half_h + k.along, false);
    }
    RunFrom("then");
    const adv::GraphicSlot& slot = *c.buttons.groups[0].buttons[2].slot;
    EXPECT_EQ(V(1), k.result) << k.maximum << ", " << k.along;
    EXPECT_EQ(slot.offset_position[k.axis], k.result);
    EXPECT_EQ(slot.offset_float_position[k.axis], static_cast<float>(k.result));
    EXPECT_EQ(slot.position[k.axis], k.axis == 0 ? 400 : 200) << "the base stays the track's";
  }
}

TEST_F(ButtonQueries, SlideSetPlacesTheThumbByPercent) {
  adv::AdvContext& c = Load(
      "  cmd btn_slide_set(0, 2, 33, 0, 250)\n"
      "  cmd btn_slide_set(0, 2, -10, 1, 99)\n"
      "  jmp finish\n");
  RunFrom("then");
  const adv::GraphicSlot& slot = *c.buttons.groups[0].buttons[2].slot;
  EXPECT_EQ(slot.offset_position[0], 82);  // 8250 / 100, truncated
  EXPECT_FLOAT_EQ(slot.offset_float_position[0], 82.5f);
  EXPECT_EQ(slot.offset_position[1], -9);  // truncated towards 0
  EXPECT_FLOAT_EQ(slot.offset_float_position[1], -9.9f);
}

// A child button takes the parent's summed place from the next frame; unlinked, it stays where
// it was. Indexes outside the group, and parents other than -1 below 0, are refused.
TEST_F(ButtonQueries, ChildButtonsFollowTheirParentUntilUnlinked) {
  adv::AdvContext& c = Load(
      "  cmd btn_set_pos(0, 1, 400, 200)\n"
      "  cmd btn_set_child(0, 1, 2, 10, 20) -> v1\n"
      "  jmp finish\n"
      "unlink:\n"
      "  cmd btn_set_child(0, -1, 2, 99, 99) -> v2\n"
      "  cmd btn_set_pos(0, 1, 0, 0)\n"
      "  jmp finish\n");
  RunFrom("then");
  EXPECT_EQ(V(1), 1);
  const adv::GraphicSlot& parent = *c.buttons.groups[0].buttons[1].slot;
  adv::GraphicSlot& child = *c.buttons.groups[0].buttons[2].slot;
  adv::AdvButtonChildLinkUpdate(c);
  const auto at = adv::AdvGraphicSlotSums(parent).position;
  EXPECT_EQ(at[0], 400);
  EXPECT_EQ(at[1], 200);
  EXPECT_EQ(adv::AdvGraphicSlotSums(child).position[0], at[0] + 10);
  EXPECT_EQ(adv::AdvGraphicSlotSums(child).position[1], at[1] + 20);

  RunFrom("unlink");
  EXPECT_EQ(V(2), 1);
  adv::AdvButtonChildLinkUpdate(c);
  EXPECT_EQ(adv::AdvGraphicSlotSums(child).position[0], 410) << "the child keeps its place";
  EXPECT_EQ(adv::AdvGraphicSlotSums(child).position[1], 220);

  struct Refused {
    int32_t group, parent, child;
  } refused[] = {{16, 1, 2},  {-1, 1, 2},  {0, -2, 2},   {0, -128, 2}, {0, 1, -1},
                 {0, 128, 2}, {0, 1, 128}, {15, 0, 119}, {15, 119, 0}};
  for (const Refused& k : refused) {
    adv::ButtonChildLinkAt(0, 2) = {};
    EXPECT_FALSE(adv::AdvButtonSetChild(k.group, k.parent, k.child, 5, 5));
    EXPECT_TRUE(machine_->Logged(
        "btn_set_child  ArgumentOutOfRange Error: grp=" + std::to_string(k.group) +
            " parent=" + std::to_string(k.parent) + " child=" + std::to_string(k.child),
        adv::kLogError));
  }
  EXPECT_TRUE(adv::AdvButtonSetChild(15, 0, 118, 0, 0)) << "group 15's last button";
}

// btn_on_check polls the group once more: the decision it sees is the frame's, so the button
// manager does not run the click label for it.
TEST_F(ButtonQueries, OnCheckTakesTheFramesDecision) {
  adv::AdvContext& c = Load(
      "  cmd btn_on_check(0, 2) -> v1\n"
      "  add v2, v1\n"
      "  cmd btn_on_check(0, 3) -> v3\n"
      "  jmp finish\n");
  // Frames as the game runs them: the button manager, then the script. The press is followed
  // for a frame before it becomes a decision.
  for (int frame = 0; frame < 5; ++frame) {
    Pointer(410, 210, frame == 1);
    c.buttons.input_block.duration = 0;
    adv::AdvButtonUpdate(c);
    machine_->Run();
    RunFrom("then");
  }
  EXPECT_EQ(V(2), 1) << "the decision was seen once";
  EXPECT_EQ(V(3), 0) << "button 3 does not exist";
  EXPECT_EQ(V(52), 0) << "no click label ran";
  EXPECT_NE(c.buttons.groups[0].clicked, 2);
}

TEST_F(ButtonQueries, LinksTipsAlphaAndToggleAreKeptPerButton) {
  Load(
      "  cmd btn_link(0, 1, 5)\n"
      "  cmd btn_get_link(0, 1) -> v1\n"
      "  cmd btn_get_link(0, 5) -> v2\n"
      "  cmd btn_link(0, 1, 128)\n"
      "  cmd btn_get_link(0, 1) -> v3\n"
      "  cmd btn_set_tips(0, 2, 1234)\n"
      "  cmd btn_get_tips(0, 2) -> v4\n"
      "  cmd btn_set_alpha(0, 2, 96)\n"
      "  cmd btn_get_alpha(0, 2) -> v5\n"
      "  cmd btn_get_alpha(0, 3) -> v6\n"
      "  cmd btn_set_toggle(0, 2, 2)\n"
      "  cmd btn_get_toggle(0, 2) -> v7\n"
      "  cmd btn_get_toggle(0, 3) -> v8\n"
      "  cmd btn_lock(0, 0)\n"
      "  cmd btn_is_lock(0) -> v9\n"
      "  cmd btn_is_lock(-5) -> v10\n"
      "  cmd btn_is_processing(0) -> v11\n"
      "  cmd btn_is_processing(-1) -> v12\n"
      "  jmp finish\n");
  RunFrom("then");
  EXPECT_EQ(V(1), 5);
  EXPECT_EQ(V(2), 1);
  EXPECT_EQ(V(3), 5) << "a refused link changes nothing";
  EXPECT_TRUE(machine_->Logged("btn count over error : 128", adv::kLogError));
  EXPECT_EQ(V(4), 1234);
  EXPECT_EQ(V(5), 96);
  EXPECT_EQ(V(6), -1);
  EXPECT_EQ(V(7), 2);
  EXPECT_EQ(V(8), 0);
  EXPECT_EQ(V(9), 1);
  EXPECT_EQ(V(10), -1);
  EXPECT_EQ(V(11), 0);
  EXPECT_EQ(V(12), 0);
}

TEST_F(ButtonQueries, TheHitButtonIsFoundUnderThePointer) {
  Load(
      "  cmd btn_get_onmouse_btn_no(0) -> v1\n"
      "  cmd btn_get_onmouse_btn_no(3) -> v2\n"
      "  jmp finish\n");
  struct Case {
    int32_t x, y, index;
  } cases[] = {{410, 210, 2}, {5, 5, 1}, {1200, 700, -1}};
  for (const Case& k : cases) {
    Pointer(k.x, k.y, false);
    RunFrom("then");
    EXPECT_EQ(V(1), k.index) << k.x << ", " << k.y;
    EXPECT_EQ(V(2), -1) << "a free group hits nothing";
  }
}

// The frame animation of a button's image: started now or with the next commit, ended by
// btn_anime_finish or btn_anim_clear; indexes outside the group are refused.
TEST_F(ButtonQueries, ButtonAnimationsStartNowOrAtTheNextRun) {
  adv::AdvContext& c = Load(
      "  cmd btn_set_anim(0, 2, f\"FLOAT\", 0)\n"
      "  cmd btn_anime_is(0, 2) -> v1\n"
      "  cmd btn_set_anim(0, 1, f\"FLOAT\", 1)\n"
      "  cmd btn_anime_get_status(0, 1) -> v2\n"
      "  cmd btn_anime_is(0, 3) -> v3\n"
      "  jmp finish\n"
      "later:\n"
      "  cmd run_no_wait()\n"
      "  cmd btn_anime_get_status(0, 1) -> v4\n"
      "  cmd btn_anime_finish(0, 2)\n"
      "  cmd btn_anime_is(0, 2) -> v5\n"
      "  cmd btn_anim_clear(0, 1)\n"
      "  cmd btn_anime_is(0, 1) -> v6\n"
      "  cmd btn_set_anim(0, 128, f\"FLOAT\", 0)\n"
      "  cmd btn_set_anim(15, 119, f\"FLOAT\", 0)\n"
      "  cmd btn_anim_clear(0, -1)\n"
      "  cmd btn_anim_clear(16, 0)\n"
      "  jmp finish\n");
  RunFrom("then");
  EXPECT_EQ(V(1), 1);
  EXPECT_EQ(V(2), static_cast<int32_t>(adv::kAnimLoaded)) << "waits for the commit";
  EXPECT_EQ(V(3), 0);
  RunFrom("later");
  EXPECT_NE(V(4), static_cast<int32_t>(adv::kAnimLoaded));
  EXPECT_NE(V(4), 0);
  EXPECT_EQ(V(5), 0);
  EXPECT_EQ(V(6), 0);
  EXPECT_EQ(c.buttons.groups[0].buttons[2].slot->animation_id, 0u);
  for (const char* refused : {"***btn_set_anim 0, 128, ", "***btn_set_anim 15, 119, "}) {
    const auto log = machine_->Log();
    EXPECT_TRUE(std::any_of(log.begin(), log.end(), [&](const test::LogLine& line) {
      return line.key == adv::kLogError && line.text.rfind(refused, 0) == 0 &&
             line.text.find("over NO") != std::string::npos;
    })) << refused;
  }
  EXPECT_EQ(machine_->CountLogged("***btn_anim_clear 0, -1 over NO"), 1);
  EXPECT_EQ(machine_->CountLogged("***btn_anim_clear 16, 0 over ID"), 1);
  EXPECT_EQ(c.buttons.groups[15].buttons[118].slot, nullptr);
}

}  // namespace
