// System buttons driven through the game task's frame in-process: scripts bind entries, the test
// sets the library's key words for a frame, and each entry's label writes its number into v1.
// The input pause is timed against the frame clock; the test moves the pause's start back by the
// milliseconds it lets pass.
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "program/buttons/button_manager.h"
#include "program/buttons/choices.h"
#include "program/buttons/system_buttons.h"
#include "program/game/adv_context.h"
#include "program/game/game_task.h"
#include "program/layers/layer_services.h"
#include "program/script/script_run.h"
#include "program/startup/yel_import.h"
#include "program/text/text_services.h"
#include "tests/program/script_machine.h"
#include "tests/program/started_library.h"

namespace {

using test::ScriptMachine;

constexpr uint32_t kTestCode = 0x0000FF;
constexpr uint32_t kEsc = 1u << 0;
constexpr uint32_t kCtrl = 1u << 3;
constexpr uint32_t kShift = 1u << 4;
constexpr uint32_t kUp = 1u << 7;
constexpr uint32_t kDown = 1u << 8;
constexpr uint32_t kLeft = 1u << 9;
constexpr uint32_t kRight = 1u << 10;
constexpr uint32_t kArrows = kUp | kDown | kLeft | kRight;
constexpr uint32_t kF1 = 1u << 11;
constexpr uint32_t kF2 = 1u << 12;
constexpr uint32_t kF12 = 1u << 22;
constexpr uint32_t kMouseLeft = 1u << 23;
constexpr uint32_t kMouseRight = 1u << 24;
constexpr uint32_t kKeyC = 1u << 30;  // a click the window forwards also sets C

// The library's setters of the released and held words, which the program itself does not call.
const yel::Import<decltype(::YelInputSetKeyPull)> SetKeyPull{"YelInputSetKeyPull"};
const yel::Import<decltype(::YelInputSetKeyOn)> SetKeyOn{"YelInputSetKeyOn"};

// Ends the frame's script work, as a waiting command does.
int EndPass(adv::AdvContext& context) {
  context.script.stop = 1;
  return 1;
}

// One bound entry: label 0 when `labelled` is false; `enabled` 0 disables it after binding.
struct Bound {
  int32_t entry;
  bool labelled = true;
  int32_t repeat = 0;
  int32_t enabled = 1;
};

// A script that binds the entries, sets the input mode, then idles a pass per frame; the label
// of entry n writes n into v1, counts its runs in v2 and its interpreter turn in v3. Before it
// spends its first frame it may run `more` (a choice, say).
std::string BindingScript(const std::vector<Bound>& bound, int32_t mode,
                          const std::string& more = "") {
  std::string source = "  mov v1, -1\n";
  for (const Bound& b : bound) {
    const std::string n = std::to_string(b.entry);
    source += "  cmd system_btn_set(" + n + ", " + (b.labelled ? "@h" + n : "0") + ", " +
              std::to_string(b.repeat) + ")\n";
    if (!b.enabled) source += "  cmd system_btn_enable(" + n + ", 0)\n";
  }
  source += "  cmd btn_mode(" + std::to_string(mode) + ")\n" + more;
  source += "idle:\n  cmd 0x0000FF\n  jmp idle\n";
  for (const Bound& b : bound) {
    const std::string n = std::to_string(b.entry);
    source +=
        "h" + n + ":\n  mov v1, " + n + "\n  add v2, 1\n  cmd get_script_thread_id -> v3\n  ret\n";
  }
  return source;
}

class SystemButtons : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(yel::LoadLibraryFrom(YEL_LIBRARY));
    render_ = test::StartLibraryHidden();
    ASSERT_NE(render_, nullptr);
    yel::YelSystemPathInit();
    yel::YelSystemPathSet(SAMPLE_PACK_DIR);  // the choice's image
    yel::YelRenderLockEnter();
  }
  void TearDown() override {
    Unload();
    yel::YelInputClear();
    yel::YelRenderLockLeave();
    yel::YelRenderSetActive(nullptr);
    yel::YelRenderUninit(render_);
    yel::YelSystemPathUninit();
    yel::YelUninit();
  }
  void Unload() {
    if (!machine_) return;
    adv::AdvSelectRelease(machine_->context());
    adv::AdvButtonUnloadAll(machine_->context());
    adv::AdvLayerTableReset(machine_->context());
    machine_.reset();
  }

  // A new machine on the script, run through its first frame (the bindings).
  adv::AdvContext& Load(const std::string& source) {
    Unload();
    machine_ = std::make_unique<ScriptMachine>(source);
    EXPECT_TRUE(machine_->loaded());
    machine_->SetCommand(kTestCode, EndPass);
    Frame();
    return machine_->context();
  }
  adv::AdvContext& context() { return machine_->context(); }

  // One game frame with these key words as the library reports them.
  void Frame(uint32_t push = 0, uint32_t pull = 0, uint32_t on = 0) {
    yel::YelInputClear();
    yel::YelInputSetKeyPush(push);
    SetKeyPull(pull);
    SetKeyOn(on);
    adv::AdvUpdate(context());
    yel::YelInputClear();
  }
  // Lets `ms` pass for the input pause.
  void Pass(uint32_t ms) { context().buttons.input_block.start -= ms; }

  YelRender* render_ = nullptr;
  std::unique_ptr<ScriptMachine> machine_;
};

struct InputCase {
  const char* name;
  std::vector<Bound> bound;
  int32_t mode;  // btn_mode: 1 decides clicks on release
  uint32_t push, pull, on;
  int32_t fired;  // the entry whose label ran, -1 for none
};

TEST_F(SystemButtons, EachEntryFiresOnItsInputInTheFrameItComes) {
  const InputCase cases[] = {
      {"press mode: entry 0 on the secondary button's press", {{0}}, 0, kMouseRight, 0, 0, 0},
      {"press mode: entry 0 not on its release", {{0}}, 0, 0, kMouseRight, 0, -1},
      {"release mode: entry 0 on the secondary button's release", {{0}}, 1, 0, kMouseRight, 0, 0},
      {"release mode: entry 0 not on its press", {{0}}, 1, kMouseRight, 0, 0, -1},
      {"release mode: entry 3 on the primary button's release", {{3}}, 1, 0, kMouseLeft, 0, 3},
      {"release mode: entry 3 on a forwarded click's release", {{3}}, 1, 0, kKeyC, 0, 3},
      {"release mode: entry 3 not on the press", {{3}}, 1, kMouseLeft, 0, 0, -1},
      {"press mode: entry 3 on the press", {{3}}, 0, kMouseLeft, 0, 0, 3},
      {"release mode: the keys still act on press", {{16}}, 1, kEsc, 0, 0, 16},
      {"release mode: not on a key's release", {{16}}, 1, 0, kEsc, 0, -1},
      {"F1 is entry 4", {{4}}, 0, kF1, 0, 0, 4},
      {"F12 is entry 15", {{15}}, 0, kF12, 0, 0, 15},
      {"Right is entry 20", {{20}}, 0, kRight, 0, 0, 20},
      {"an entry of 21-31 fires with no input", {{27}}, 0, 0, 0, 0, 27},
      {"Shift held stops all", {{16}, {27}}, 0, kEsc, 0, kShift, -1},
      {"Control held stops all", {{16}}, 0, kEsc, 0, kCtrl, -1},
      {"a held mouse button stops all", {{16}}, 0, kEsc, 0, kMouseLeft, -1},
      {"held arrows do not", {{16}}, 0, kEsc, 0, kArrows, 16},
      {"an arrow held with Shift does", {{16}}, 0, kEsc, 0, kUp | kShift, -1},
      {"the lower entry wins", {{4}, {16}}, 0, kF1 | kEsc, 0, 0, 4},
      {"label 0 that fires blocks the entries after it",
       {{4, false}, {16}},
       0,
       kF1 | kEsc,
       0,
       0,
       -1},
      {"label 0 that does not fire blocks nothing", {{4, false}, {16}}, 0, kEsc, 0, 0, 16},
      {"a disabled entry is passed over", {{4, true, 0, 0}, {16}}, 0, kF1 | kEsc, 0, 0, 16},
      {"an entry bound with repeat fires on a press too", {{5, true, 1}}, 0, kF2, 0, 0, 5},
  };
  for (const InputCase& c : cases) {
    SCOPED_TRACE(c.name);
    adv::AdvContext& context = Load(BindingScript(c.bound, c.mode));
    Frame(c.push, c.pull, c.on);
    EXPECT_EQ(machine_->V(1), c.fired);
    if (c.fired < 0) continue;
    EXPECT_EQ(machine_->V(2), 1);
    EXPECT_EQ(machine_->V(3), adv::kRunSystemButton);
    EXPECT_EQ(test::ReturnRecordCount(context, adv::kListReturnPoint), 0) << "the label returned";
  }
}

// The wheel and the repeat word come from the library's own poll (the repeat word holds the
// keys held longer than 500 ms since their press), which has no setters: these frames hand the
// words to the step directly.
struct PolledCase {
  const char* name;
  std::vector<Bound> bound;
  adv::SystemButtonInput input;
  int32_t fired;
};

TEST_F(SystemButtons, TheWheelAndKeysHeldPastTheRepeatDelay) {
  const PolledCase cases[] = {
      {"the wheel turned away from the reader is entry 1", {{1}, {2}}, {.wheel = -1}, 1},
      {"toward the reader is entry 2", {{1}, {2}}, {.wheel = 1}, 2},
      {"an unturned wheel fires neither", {{1}, {2}}, {}, -1},
      {"a held arrow before the delay", {{17, true, 1}}, {.on = kUp}, -1},
      {"a held arrow after the delay repeats", {{17, true, 1}}, {.on = kUp, .repeat = kUp}, 17},
      {"no repeat without the repeat argument", {{17}}, {.on = kUp, .repeat = kUp}, -1},
      {"a held F-key before the delay", {{4, true, 1}}, {.on = kF1}, -1},
      {"a held F-key after the delay repeats", {{4, true, 1}}, {.on = kF1, .repeat = kF1}, 4},
      {"an F-key held without repeat stops all", {{4}, {27}}, {.on = kF1, .repeat = kF1}, -1},
      {"a repeating key held with Shift",
       {{4, true, 1}},
       {.on = kF1 | kShift, .repeat = kF1 | kShift},
       -1},
      {"a repeat bound to another key does not lift the hold",
       {{4, true, 1}, {5}},
       {.on = kF2, .repeat = kF2},
       -1},
  };
  for (const PolledCase& c : cases) {
    SCOPED_TRACE(c.name);
    adv::AdvContext& context = Load(BindingScript(c.bound, 0));
    EXPECT_EQ(adv::SystemButtonFiring(context.buttons, c.input), c.fired);
    const bool ran = adv::AdvSystemButtonStep(context, c.input);
    EXPECT_EQ(ran, c.fired >= 0);
    if (!ran) continue;
    machine_->Run();
    EXPECT_EQ(machine_->V(1), c.fired);
  }
}

// After a label ran no system button reacts for 50 ms; an entry of 21-31 then runs again in
// the first frame the pause has ended. A label that runs while skipping starts no pause.
TEST_F(SystemButtons, FiftyMillisecondsPassBetweenRuns) {
  adv::AdvContext& c = Load(BindingScript({{21}}, 0));
  c.text_window.auto_word = 1;
  Frame();
  EXPECT_EQ(machine_->V(2), 1);
  EXPECT_EQ(c.buttons.input_block.duration, adv::kSystemButtonPauseMs);
  EXPECT_EQ(c.text_window.auto_word, 0u) << "no pending auto advance fires into the label";
  Frame();
  Pass(49);
  Frame();
  EXPECT_EQ(machine_->V(2), 1);
  Pass(1);
  Frame();
  EXPECT_EQ(machine_->V(2), 2);

  Pass(50);
  Frame();  // the pause ends and the entry runs again
  EXPECT_EQ(machine_->V(2), 3);
  c.skip.skip_mode = 1;
  Pass(50);
  Frame();
  Frame();
  EXPECT_EQ(machine_->V(2), 5);
  EXPECT_EQ(c.buttons.input_block.duration, 0u);
}

// While a choice waits, click, Up and Down belong to it; the others stay, and all three come
// back when the choice is decided.
TEST_F(SystemButtons, AChoiceKeepsEntries3And17And18) {
  const std::string choice =
      "  cmd select_init(f\"CHOICE\", 0xFFFFFF, 0xFFFFFF, 0xFFFFFF)\n"
      "  cmd select(1)\n"
      "  cmd select_item(\"a\", chosen, 0, 0, 3, 0)\n"
      "  cmd select_item(\"b\", chosen, 0, 100, 3, 0)\n"
      "  cmd end_select\n"
      "chosen:\n  mov v7, 1\n";
  adv::AdvContext& c = Load(BindingScript({{3}, {16}, {17}, {18}}, 0, choice));
  ASSERT_EQ(c.select.shown, 1u);
  Frame();
  for (int32_t entry : {3, 17, 18}) EXPECT_EQ(c.buttons.system_buttons[entry].enabled, 0);
  for (uint32_t key : {kUp, kDown}) {
    Frame(key);
    EXPECT_EQ(machine_->V(1), -1) << key;
  }
  Frame(kEsc);
  EXPECT_EQ(machine_->V(1), 16) << "Escape still reaches its label";
  Pass(50);
  YelSpriteInfo item{};
  yel::YelSpriteGetInfo(c.select.items[0].sprite, &item);
  yel::YelCursorSetPos(static_cast<int32_t>(item.x) + 10, static_cast<int32_t>(item.y) + 10);
  Frame(kMouseLeft);
  Frame();
  ASSERT_EQ(machine_->V(7), 1) << "the click decided the choice";
  EXPECT_EQ(machine_->V(1), 16) << "and ran no system button";
  for (int32_t entry : {3, 17, 18}) EXPECT_EQ(c.buttons.system_buttons[entry].enabled, 1);
  Pass(100);
  Frame();
  Frame(kUp);
  EXPECT_EQ(machine_->V(1), 17);
}

// Entries outside 0-31 change nothing; 65535 means every entry where an entry is freed or
// enabled, and no entry where one is bound.
TEST_F(SystemButtons, EntriesOutsideTheTableAreRefused) {
  const std::string bindings =
      "  cmd system_btn_set(4, @h, 1)\n"
      "  cmd system_btn_set(31, @h, 0)\n";
  const struct {
    const char* command;
    const char* report;
  } refused[] = {
      {"system_btn_set(40, @h, 0)", "system_btn_set: no system button 40"},
      {"system_btn_enable(40, 0)", "system_btn_enable: no system button 40"},
      {"system_btn_release(40)", "system_btn_release: no system button 40"},
      {"system_btn_set(32, @h, 0)", "system_btn_set: no system button 32"},
      {"system_btn_set(65535, @h, 0)", "system_btn_set: no system button 65535"},
      {"system_btn_enable(-1, 0)", "system_btn_enable: no system button -1"},
      {"system_btn_release(65536)", "system_btn_release: no system button 65536"},
  };
  std::array<adv::SystemButton, adv::kSystemButtonCount> bound;
  {
    ScriptMachine reference(bindings + "h:\n");
    ASSERT_TRUE(reference.loaded());
    reference.Run();
    bound = reference.context().buttons.system_buttons;
  }
  for (const auto& r : refused) {
    SCOPED_TRACE(r.command);
    ScriptMachine machine(bindings + "  cmd " + r.command + "\nh:\n");
    ASSERT_TRUE(machine.loaded());
    machine.Run();
    EXPECT_TRUE(machine.Logged(r.report, adv::kLogError));
    const auto& after = machine.context().buttons.system_buttons;
    for (int32_t i = 0; i < adv::kSystemButtonCount; ++i) {
      EXPECT_EQ(after[i].init, bound[i].init) << i;
      EXPECT_EQ(after[i].enabled, bound[i].enabled) << i;
      EXPECT_EQ(after[i].repeat_mask, bound[i].repeat_mask) << i;
      // The command before `h` moved the label: only whether an entry has one compares.
      EXPECT_EQ(after[i].label != 0, bound[i].label != 0) << i;
    }
  }

  ScriptMachine all(bindings + "  cmd system_btn_enable(65535, 0)\n  cmd 0x0000FF\n" +
                    "  cmd system_btn_release(65535)\nh:\n");
  ASSERT_TRUE(all.loaded());
  all.SetCommand(kTestCode, EndPass);
  all.Run();
  const auto& entries = all.context().buttons.system_buttons;
  EXPECT_EQ(entries[4].enabled, 0);
  EXPECT_EQ(entries[31].enabled, 0);
  EXPECT_EQ(entries[4].init, 1) << "disabled, still bound";
  EXPECT_NE(entries[4].label, 0u);
  all.Run();
  EXPECT_EQ(entries[4].init, 0);
  EXPECT_EQ(entries[4].label, 0u);
  EXPECT_EQ(entries[31].init, 0);
  EXPECT_EQ(entries[4].repeat_mask, 0xFFFFFFFFu) << "freeing leaves the repeat mask";
}

}  // namespace
