// Choices and buttons on the platform library started in-process: the pointer is moved and the
// decide key pushed through the library's input words, and the script runs a pass per frame.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "program/buttons/button_manager.h"
#include "program/buttons/choices.h"
#include "program/game/adv_context.h"
#include "program/game/game_task.h"
#include "program/layers/layer_services.h"
#include "program/savedata/snapshot_services.h"
#include "program/startup/yel_import.h"
#include "program/text/text_services.h"
#include "tests/program/script_machine.h"

namespace {

using test::ScriptMachine;

constexpr uint32_t kMouseLeft = 0x800000;
constexpr uint32_t kKeyUp = 0x80;
constexpr uint32_t kKeyDown = 0x100;

// The decide and arrow keys as pushed in this frame (the library ORs what is set into the word).
void Push(uint32_t keys) {
  yel::YelInputClear();
  yel::YelInputSetKeyPush(keys);
}

// The library at the sample's game size, its search folder the sample's built images (CHOICE is
// two cells of 240 x 48 one above the other), the render lock held as in a frame.
class Choices : public ::testing::Test {
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
    if (machine_) {
      adv::AdvSelectRelease(machine_->context());
      adv::AdvButtonUnloadAll(machine_->context());
      adv::AdvLayerTableReset(machine_->context());
      machine_.reset();
    }
    yel::YelInputClear();
    yel::YelRenderLockLeave();
    yel::YelRenderSetActive(nullptr);
    yel::YelRenderUninit(render_);
    yel::YelSystemPathUninit();
    yel::YelUninit();
  }

  adv::AdvContext& Load(const std::string& source) {
    machine_.reset();  // the report lines go to one machine at a time
    machine_ = std::make_unique<ScriptMachine>(source);
    EXPECT_TRUE(machine_->loaded());
    return machine_->context();
  }
  // One frame: the pointer at (x, y) with the keys pushed, then a button turn or a script pass.
  void Frame(int32_t x, int32_t y, uint32_t keys = 0) {
    yel::YelCursorSetPos(x, y);
    Push(keys);
    machine_->Run();
    Push(0);
  }

  YelRender* render_ = nullptr;
  std::unique_ptr<ScriptMachine> machine_;
};

// A choice block of `count` shown items, all jumping to "chosen".
std::string Block(int count) {
  std::string source =
      "  cmd select_init(f\"CHOICE\", 0xFFFFFF, 0xFFFFFF, 0xFFFFFF)\n"
      "  cmd select(1)\n";
  for (int i = 0; i < count; ++i) {
    source += "  cmd select_item(\"x\", chosen, 0, " + std::to_string(i * 48) + ", 3, 0)\n";
  }
  return source + "  cmd end_select\nchosen:\n  mov v7, 1\nstay:\n  cmd run(0, 0, 0)\n  jmp stay\n";
}

TEST_F(Choices, FifteenItemsWorkAndASixteenthIsTooMany) {
  adv::AdvContext& c = Load(Block(15));
  machine_->Run();
  EXPECT_EQ(c.select.item_count, 15);
  EXPECT_EQ(c.select.shown, 1u);
  EXPECT_FALSE(machine_->Logged("select命令が多すぎます。", 0));
  adv::AdvSelectRelease(c);

  adv::AdvContext& d = Load(Block(16));
  machine_->Run();
  EXPECT_EQ(machine_->CountLogged("select命令が多すぎます。"), 1);
  EXPECT_EQ(d.select.shown, 0u);
}

// Items: a shown one, a hidden one (flags 0), a shown one; hooks count enter 1, leave 2,
// decide 3 as decimal digits of v5.
std::string HookedChoice() {
  return "  cmd select_init(f\"CHOICE\", 0xFFFFFF, 0xFFFFFF, 0xFFFFFF)\n"
         "  cmd select_set_process(enter, leave, decide)\n"
         "  cmd select(1)\n"
         "  cmd select_item(\"a\", first, 100, 100, 3, 0)\n"
         "  cmd select_item(\"hidden\", hidden, 100, 200, 0, 0)\n"
         "  cmd select_item(\"b\", second, 100, 300, 3, 0)\n"
         "  cmd end_select\n"
         "first:\n  mov v7, 1\n  jmp stay\n"
         "hidden:\n  mov v7, 9\n  jmp stay\n"
         "second:\n  mov v7, 2\n  cmd get_select_push_key() -> v8\n"
         "stay:\n  cmd run(0, 0, 0)\n  jmp stay\n"
         "enter:\n  mul v5, 10\n  add v5, 1\n  ret\n"
         "leave:\n  mul v5, 10\n  add v5, 2\n  ret\n"
         "decide:\n  mul v5, 10\n  add v5, 3\n  ret\n";
}

TEST_F(Choices, HiddenItemsTakeNoIndexAndHooksRunLeaveBeforeEnterOrDecide) {
  adv::AdvContext& c = Load(HookedChoice());
  machine_->Run();
  ASSERT_EQ(c.select.item_count, 2) << "the hidden item makes nothing";
  EXPECT_EQ(c.select.items[1].label, machine_->LabelPc("second") - c.script.origin);

  Frame(110, 110);  // onto the first item
  EXPECT_EQ(machine_->V(5), 1);
  Frame(110, 310);  // straight onto the second one in one frame: leave, then enter
  EXPECT_EQ(machine_->V(5), 121);
  EXPECT_EQ(machine_->V(7), 0) << "the choice still waits";
  Frame(110, 310, kMouseLeft);  // decided: leave, decide, then the item's label
  EXPECT_EQ(machine_->V(5), 12123);
  EXPECT_EQ(machine_->V(7), 2);
  EXPECT_EQ(machine_->V(8), 1) << "the second shown item has index 1";
  EXPECT_EQ(c.buttons.input_block.duration, 100u);
  EXPECT_EQ(c.events.slots[adv::kChoiceEventSlot].param, 1);
}

TEST_F(Choices, KeysMoveTheSelectionAndThePointer) {
  adv::AdvContext& c = Load(HookedChoice());
  machine_->Run();
  Frame(1000, 700, kKeyDown);
  EXPECT_EQ(c.select.key_selection, 0) << "Down from none selects the first item";
  EXPECT_EQ(yel::YelInputGetMouseX(), 100 + 120);
  EXPECT_EQ(yel::YelInputGetMouseY(), 100 + 24);
  EXPECT_EQ(machine_->V(5), 0) << "the hover test waits for the next frame";
  Push(kKeyUp);
  machine_->Run();
  EXPECT_EQ(c.select.key_selection, 0) << "Up stays at the first item";
  Push(kKeyDown);
  machine_->Run();
  Push(kKeyDown);
  machine_->Run();
  EXPECT_EQ(c.select.key_selection, 1) << "Down stays at the last item";
}

// A choice whose item has label 0 goes on after the block instead of at the start of the code.
TEST_F(Choices, AnItemWithoutALabelGoesOnAfterTheBlock) {
  adv::AdvContext& c = Load(
      "  mov v6, 0\n"
      "  add v6, 1\n"
      "  cmd select_init(f\"CHOICE\", 0xFFFFFF, 0xFFFFFF, 0xFFFFFF)\n"
      "  cmd select(1)\n"
      "  cmd select_item(\"a\", 0, 100, 100, 3, 0)\n"
      "  cmd end_select\n"
      "  mov v7, 1\n"
      "stay:\n  cmd run(0, 0, 0)\n  jmp stay\n");
  machine_->Run();
  ASSERT_EQ(c.select.item_count, 1);
  Frame(110, 110, kMouseLeft);
  machine_->Run();
  EXPECT_EQ(machine_->V(7), 1);
  EXPECT_EQ(machine_->V(6), 1) << "the code did not start again";
}

// Click, Up and Down (system buttons 3, 17 and 18) belong to a waiting choice and come back when
// it ends, by a decision or a cancel, also when the choice was rebuilt by a load or a reset while
// it waited: the rebuilt choice finds them disabled by the first.
TEST_F(Choices, SystemButtons3And17And18ComeBackWhenTheChoiceEnds) {
  struct Case {
    const char* name;
    bool rebuild_by_load;
    bool rebuild_by_reset;
    bool cancel;
  };
  const Case cases[] = {
      {"decided", false, false, false},
      {"cancelled", false, false, true},
      {"decided after a load during the choice", true, false, false},
      {"decided after a reset during the choice", false, true, false},
      {"cancelled after a load during the choice", true, false, true},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    adv::AdvContext& c = Load(HookedChoice());
    for (int32_t button : {3, 17, 18}) c.buttons.system_buttons[button].enabled = 1;
    machine_->Run();
    ASSERT_EQ(c.select.item_count, 2);
    const std::string image(reinterpret_cast<const char*>(c.save.buffer.data()), c.save.cursor);
    Frame(0, 0);
    for (int32_t button : {3, 17, 18}) EXPECT_EQ(c.buttons.system_buttons[button].enabled, 0);
    if (k.rebuild_by_load) {
      ASSERT_TRUE(adv::RestoreSnapshot(c, image));
    }
    if (k.rebuild_by_reset) {
      adv::AdvResetState(c);
      c.script.pc = c.script.entry;
    }
    if (k.rebuild_by_load || k.rebuild_by_reset) {
      machine_->Run();
      ASSERT_EQ(c.select.item_count, 2) << "the choice was built again";
      Frame(0, 0);
    }
    if (k.cancel) {
      adv::AdvSelectCancel(c);
      EXPECT_EQ(c.select.items[0].sprite, nullptr);
      EXPECT_EQ(c.events.slots[adv::kChoiceEventSlot].param, 1);
    } else {
      Frame(110, 110, kMouseLeft);
      EXPECT_EQ(machine_->V(7), 1);
    }
    for (int32_t button : {3, 17, 18}) EXPECT_EQ(c.buttons.system_buttons[button].enabled, 1);
  }
}

// A save taken at a choice comes back as the same choice: the select runs again.
TEST_F(Choices, ASaveAtAChoiceLoadsBackToTheChoice) {
  adv::AdvContext& c = Load(HookedChoice());
  machine_->Run();
  ASSERT_EQ(c.select.item_count, 2);
  const std::string image(reinterpret_cast<const char*>(c.save.buffer.data()), c.save.cursor);
  Frame(110, 110);
  ASSERT_TRUE(adv::RestoreSnapshot(c, image));
  EXPECT_EQ(c.select.item_count, 0) << "the scene was reset";
  machine_->Run();
  EXPECT_EQ(c.select.item_count, 2);
  EXPECT_EQ(c.select.shown, 1u);
  Frame(110, 310, kMouseLeft);
  EXPECT_EQ(machine_->V(7), 2);
}

// Buttons: entering runs the on label with a 50 ms pause; a click runs the off label first and
// then the click label, which returns to where the script stood, with a 100 ms pause.
constexpr const char* kButtons =
    "  cmd btn_init(0, NONE, NONE)\n"
    "  cmd btn_set(0, 2, f\"CHOICE\", click, on, off, 1)\n"
    "  cmd btn_set_pos(0, 2, 400, 200)\n"
    "  cmd btn_init(4, NONE, NONE)\n"
    "  cmd btn_set(4, 0, f\"CHOICE\", 0, 0, 0, 1)\n"
    "  cmd run(0, 0, 0)\n"
    "idle:\n  add v6, 1\n  cmd run(0, 0, 0)\n  jmp idle\n"
    "on:\n  mul v5, 10\n  add v5, 1\n  ret\n"
    "off:\n  mul v5, 10\n  add v5, 2\n  ret\n"
    "click:\n  mul v5, 10\n  add v5, 3\n  ret\n";

TEST_F(Choices, AClickOnAButtonRunsOffThenClickAndPauses) {
  adv::AdvContext& c = Load(kButtons);
  machine_->Run();
  ASSERT_NE(c.buttons.groups[0].buttons[2].slot, nullptr);
  adv::AdvGraphicSlotApplyAll(c);
  c.buttons.input_block.duration = 0;  // the pause of the run
  yel::YelCursorSetPos(410, 210);
  Push(0);
  EXPECT_FALSE(adv::AdvButtonUpdate(c)) << "entering is no reaction of its own";
  EXPECT_EQ(c.buttons.input_block.duration, 50u);
  EXPECT_EQ(c.buttons.groups[0].on_mouse, 2);
  machine_->Run();
  EXPECT_EQ(machine_->V(5), 1);

  Push(kMouseLeft);
  EXPECT_FALSE(adv::AdvButtonUpdate(c)) << "nothing reacts during the pause";
  c.buttons.input_block.duration = 0;
  const int32_t before = machine_->V(6);
  // The press is followed for a frame before the decision is reported; both are reactions.
  for (int frame = 0; frame < 5 && c.buttons.groups[0].clicked != 2; ++frame) {
    ASSERT_TRUE(adv::AdvButtonUpdate(c));
  }
  EXPECT_EQ(c.buttons.input_block.duration, 100u);
  Push(0);
  machine_->Run();
  EXPECT_EQ(machine_->V(5), 123) << "off, then click";
  EXPECT_EQ(c.buttons.groups[0].clicked, 2);
  EXPECT_EQ(machine_->V(6), before) << "the click's return ended the pass where it had stood";
}

TEST_F(Choices, OnlyButtonGroupsZeroToThreeAreSaved) {
  adv::AdvContext& c = Load(kButtons);
  machine_->Run();
  ASSERT_TRUE(adv::SaveSnapshot(c));
  const std::string image(reinterpret_cast<const char*>(c.save.buffer.data()), c.save.cursor);
  ASSERT_TRUE(adv::RestoreSnapshot(c, image));
  EXPECT_EQ(c.buttons.groups[0].in_use, 1u);
  ASSERT_NE(c.buttons.groups[0].buttons[2].slot, nullptr);
  EXPECT_EQ(c.buttons.groups[0].buttons[2].slot->position[0], 400);
  EXPECT_EQ(c.buttons.groups[0].buttons[2].click_label,
            machine_->LabelPc("click") - c.script.origin);
  EXPECT_EQ(c.buttons.groups[4].in_use, 0u) << "groups 4-15 are not kept";
  EXPECT_EQ(c.buttons.groups[4].buttons[0].slot, nullptr);
}

TEST_F(Choices, ReleaseRefusesIndexesOutsideTheGroup) {
  adv::AdvContext& c = Load(
      "  cmd btn_init(0, NONE, NONE)\n"
      "  cmd btn_release(0, 128)\n"
      "  cmd btn_release(0, -2)\n"
      "  cmd btn_set(15, 119, f\"CHOICE\", 0, 0, 0, 1)\n");
  machine_->Run();
  EXPECT_EQ(machine_->CountLogged("btn count over error : 128"), 1);
  EXPECT_EQ(machine_->CountLogged("btn count over error : -2"), 1);
  EXPECT_EQ(machine_->CountLogged("btn count over error : 119"), 1);
  EXPECT_EQ(c.buttons.groups[15].buttons[118].slot, nullptr);
}

}  // namespace

namespace {

// An empty string variable as a sound is not kept, and a sound that does not load costs the
// restored group only that sound: its buttons and the blocks after it come back whole.
TEST_F(Choices, SoundsThatAreEmptyOrMissingDoNotBreakTheButtonsBlock) {
  adv::AdvContext& c = Load(
      "  cmd btn_init(1, s3, f\"NO_SUCH_SOUND\")\n"
      "  cmd btn_set(1, 5, f\"CHOICE\", 0, 0, 0, 1)\n"
      "  cmd btn_set_pos(1, 5, 30, 40)\n"
      "  cmd select_set_process(0, 0, here)\n"
      "here:\n  cmd run(0, 0, 0)\n  jmp here\n");
  machine_->Run();
  EXPECT_EQ(c.buttons.groups[1].hover_sound, 0u) << "the empty name is not kept";
  EXPECT_NE(c.buttons.groups[1].decide_sound, 0u);
  ASSERT_TRUE(adv::SaveSnapshot(c));
  const std::string image(reinterpret_cast<const char*>(c.save.buffer.data()), c.save.cursor);
  ASSERT_TRUE(adv::RestoreSnapshot(c, image));
  ASSERT_NE(c.buttons.groups[1].buttons[5].slot, nullptr);
  EXPECT_EQ(c.buttons.groups[1].buttons[5].slot->position[1], 40);
  EXPECT_EQ(c.select.hooks[2], machine_->LabelPc("here") - c.script.origin)
      << "the choice block after the buttons was read in step";
}

}  // namespace

namespace {

// While text_hide has the choice off, end_select waits without reacting; text_show brings it back.
TEST_F(Choices, AHiddenChoiceWaitsWithoutReacting) {
  adv::AdvContext& c = Load(HookedChoice());
  machine_->Run();
  adv::AdvSelectSetVisible(c, 0);
  YelSpriteInfo info{};
  yel::YelSpriteGetInfo(c.select.items[0].sprite, &info);
  EXPECT_EQ(info.colour, 0u);
  Frame(110, 110, kMouseLeft);
  Frame(110, 110, kMouseLeft);
  EXPECT_EQ(machine_->V(5), 0);
  EXPECT_EQ(machine_->V(7), 0);
  adv::AdvSelectSetVisible(c, 1);
  Frame(110, 110, kMouseLeft);
  EXPECT_EQ(machine_->V(7), 1);
}

}  // namespace
