// The click carry: a text_w line that finished its reveal without a click leaves two bytes set,
// so that the wait_click after it counts the click that ends the reveal's frame as made. A button
// reaction, the reset and a load start afresh: the carry they find must not reach a later
// wait_click, which would pass without the player's click.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "program/buttons/button_manager.h"
#include "program/commands/wait_commands.h"
#include "program/game/adv_context.h"
#include "program/game/game_task.h"
#include "program/layers/layer_services.h"
#include "program/script/skip_state.h"
#include "program/startup/startup_names.h"
#include "program/startup/yel_import.h"
#include "program/text/text_services.h"
#include "program/text/text_window.h"
#include "tests/program/script_machine.h"
#include "tests/program/started_library.h"
#include "tests/program/temp_folder.h"

namespace {

using test::ScriptMachine;

// Binds system button 21 (it fires in any frame without input), saves to slot 3 and idles a pass
// per frame. "loader" loads the slot back; "click" is a wait_click(-1) reached with a click.
constexpr const char* kScript =
    "  cmd system_btn_set(21, @reaction, 0)\n"
    "  cmd save_point(0)\n"
    "resume:\n"
    "  cmd save(3, 1)\n"
    "idle:\n"
    "  cmd wait_frame()\n"
    "  jmp idle\n"
    "loader:\n"
    "  cmd load(3)\n"
    "  jmp idle\n"
    "click:\n"
    "  cmd wait_click(-1)\n"
    "  jmp idle\n"
    "reaction:\n"
    "  mov v2, 1\n"
    "  ret\n";

// wait_click as its frame sees it when the player has just clicked.
int WaitClickWithAClick(adv::AdvContext& context) {
  return adv::AdvWaitClickStep(context, yel::YeltimeGetTime(), adv::SKIP_BIT_ADVANCE);
}

class ClickCarry : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(yel::LoadLibraryFrom(YEL_LIBRARY));
    render_ = test::StartLibraryHidden();
    ASSERT_NE(render_, nullptr);
    yel::YelRenderLockEnter();
    adv::Startup().save_folder = folder_.path();
    adv::Advance() = adv::AdvanceLatch{};
  }
  void TearDown() override {
    if (machine_) {
      adv::AdvButtonUnloadAll(machine_->context());
      adv::AdvLayerTableReset(machine_->context());
      machine_.reset();
    }
    adv::Startup().save_folder.clear();
    adv::TextRevealDone() = {};
    adv::Advance() = adv::AdvanceLatch{};
    yel::YelInputClear();
    yel::YelRenderLockLeave();
    yel::YelRenderSetActive(nullptr);
    yel::YelRenderUninit(render_);
    yel::YelUninit();
  }

  test::TempFolder folder_;
  YelRender* render_ = nullptr;
  std::unique_ptr<ScriptMachine> machine_;
};

TEST_F(ClickCarry, AReactionTheResetAndALoadClearIt) {
  struct Case {
    const char* name;
    std::function<void(ScriptMachine&)> run;
  };
  const Case cases[] = {
      {"a system button's reaction",
       [](ScriptMachine& m) {
         adv::AdvUpdate(m.context());
         ASSERT_EQ(m.V(2), 1) << "the button did not react";
       }},
      {"the reset", [](ScriptMachine& m) { adv::AdvResetState(m.context()); }},
      {"a load",
       [](ScriptMachine& m) {
         m.context().script.pc = m.LabelPc("loader");
         m.Run();
         ASSERT_EQ(m.context().script.pc, m.LabelPc("resume")) << "the load was refused";
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    machine_ = std::make_unique<ScriptMachine>(kScript);
    ASSERT_TRUE(machine_->loaded());
    machine_->SetCommand(0x070001, WaitClickWithAClick);
    adv::AdvContext& context = machine_->context();
    machine_->Run();  // bound and saved
    // As a text_w line leaves them when its reveal ended without a click.
    adv::TextRevealDone() = {1, 1};
    c.run(*machine_);
    EXPECT_EQ(adv::TextRevealDone().first, 0);
    EXPECT_EQ(adv::TextRevealDone().second, 0);
    // The next wait_click waits for a click of its own.
    context.script.pc = machine_->LabelPc("click");
    machine_->Run();
    EXPECT_EQ(context.text_window.line_kind & 0xFFFF, uint32_t{adv::kLineClickWait});
    EXPECT_EQ(context.script.point_count, 1);
    adv::AdvButtonUnloadAll(context);
    adv::AdvLayerTableReset(context);
    machine_.reset();
  }
}

}  // namespace
