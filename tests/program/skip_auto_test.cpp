// Skip and auto modes: skip mode refused on unread text, the scene skip that runs the script
// inside its command up to an unread line or a choice, the cancels, the auto speed, the skip
// word, the window's skip and auto buttons; and the sample game played by itself in auto mode,
// scene-skipped to its choice, and run as a process to its end.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "program/buttons/button_manager.h"
#include "program/game/adv_context.h"
#include "program/game/game_task.h"
#include "program/layers/action_manager.h"
#include "program/layers/graphic_slots.h"
#include "program/layers/layer_services.h"
#include "program/layers/screen_effects.h"
#include "program/script/script_run.h"
#include "program/script/skip_state.h"
#include "program/sound/voice_load_worker.h"
#include "program/startup/yel_import.h"
#include "program/text/text_services.h"
#include "program/text/text_window.h"
#include "tests/program/game_folder.h"
#include "tests/program/sample_source.h"
#include "tests/program/script_machine.h"

namespace {

using test::IgnoreArguments;
using test::SampleSource;

namespace fs = std::filesystem;
using test::ScriptMachine;

constexpr int32_t kLogWarning = 16;
constexpr int32_t kWindowButtons = 0;
constexpr int32_t kModeButtonCellHeight = 32;  // SKIPBTN and AUTOBTN: six 96 x 32 cell rows

// The cell row a mode button shows.
int32_t ShownRow(const adv::ButtonRecord& button) {
  YelRect rect{};
  yel::YelSpriteGetRect(button.slot->sprite, &rect);
  return rect.top / kModeButtonCellHeight;
}

// The library at the sample's game size, searching the sample's built images, with the render
// lock held as in a frame.
class SkipAuto : public ::testing::Test {
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
    param.texture_slot_count = 1535;
    ASSERT_TRUE(yel::YelInit(&param));
    render_ = yel::YelRenderInit();
    yel::YelRenderSetActive(render_);
    yel::YelSystemPathInit();
    yel::YelSystemPathSet(SAMPLE_PACK_DIR);
    yel::YelRenderLockEnter();
  }
  void TearDown() override {
    if (machine_) {
      adv::AdvContext& c = machine_->context();
      c.skip = adv::SkipWords{};
      adv::AdvActionReset(c);  // the sample's sway set runs until its endings clear it
      adv::AdvTextWindowRelease(c);
      adv::AdvSelectRelease(c);
      adv::AdvButtonUnloadAll(c);
      adv::AdvLayerTableReset(c);
      machine_.reset();
    }
    adv::SetScriptThreadId(adv::kRunMain);
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
  // Text n of the script counts as read.
  void MarkRead(uint32_t n) {
    auto& bitmap = machine_->data().system.text_read_bitmap;
    if (bitmap.size() < 64) bitmap.resize(64);
    adv::TextReadFlagSet(bitmap, n);
  }

  YelRender* render_ = nullptr;
  std::unique_ptr<ScriptMachine> machine_;
};

// skip_set on the window's line: refused with event message 1 when the line is unread and
// unread text may not be skipped; switching off is never refused.
TEST_F(SkipAuto, SkipSetOnUnreadTextPostsEventMessageOne) {
  struct Case {
    int32_t line_read, skip_unread, on;
    int32_t mode;  // skip mode afterwards
    bool refused;
  };
  const Case cases[] = {
      {0, 0, 1, 0, true},
      {1, 0, 1, 1, false},
      {0, 1, 1, 1, false},
      {0, 0, 0, 0, false},
  };
  for (const Case& k : cases) {
    adv::AdvContext& c =
        Load("  cmd skip_set(" + std::to_string(k.on) + ")\n  cmd skip_is() -> v1\n");
    c.text_window.line_read = k.line_read;
    machine_->data().system.settings.skip_switch = k.skip_unread;
    machine_->Run();
    const std::string row = "read " + std::to_string(k.line_read) + ", skip unread " +
                            std::to_string(k.skip_unread) + ", on " + std::to_string(k.on);
    EXPECT_EQ(c.skip.skip_mode, k.mode) << row;
    EXPECT_EQ(machine_->V(1), k.mode) << row;
    EXPECT_EQ(c.events.pending, k.refused ? 1 : 0) << row;
    EXPECT_EQ(c.events.slots[1].flag, k.refused ? 1 : 0) << row;
    EXPECT_EQ(c.events.slots[1].param, 0) << row;
    EXPECT_EQ(machine_->Logged("cancel skip_set", 10), k.refused) << row;
  }
}

// A window whose line stands read, then the commands of `body`.
std::string WindowScript(const std::string& body) {
  return "  cmd text_init(24, 160, 560, 960, 120, 160, 516, 0)\n" + body;
}

// The window's group without a skip or an auto button: the special-button word is -1 after
// btn_init, any negative word or an index without a button is no button either, and the modes
// are set all the same. With the buttons, they show the cell-row triple of the mode.
TEST_F(SkipAuto, ModeButtonsOnlyWhereTheGroupHasThem) {
  struct Case {
    const char* setup;
    const char* log;  // expected warning, or null when the buttons show the mode
    int32_t level;
  };
  const Case cases[] = {
      {"", "not auto button", 10},
      {"  cmd btn_init(0, NONE, NONE)\n  cmd text_set_btn(0)\n",
       "*Warnning auto_set SpriteIcon is NULL !!", kLogWarning},
      {"  cmd btn_init(0, NONE, NONE)\n  cmd text_set_btn(0)\n"
       "  cmd btn_expansion(0, -5, 1)\n  cmd btn_expansion(0, -300, 3)\n",
       "*Warnning auto_set SpriteIcon is NULL !!", kLogWarning},
      {"  cmd btn_init(0, NONE, NONE)\n  cmd text_set_btn(0)\n"
       "  cmd btn_expansion(0, 127, 1)\n  cmd btn_expansion(0, 127, 3)\n",
       "*Warnning auto_set SpriteIcon is NULL !!", kLogWarning},
      {"  cmd btn_init(0, NONE, NONE)\n  cmd text_set_btn(0)\n"
       "  cmd btn_set(0, 4, f\"SKIPBTN\", 0, 0, 0, 1)\n"
       "  cmd btn_set(0, 5, f\"AUTOBTN\", 0, 0, 0, 1)\n"
       "  cmd btn_expansion(0, 4, 1)\n  cmd btn_expansion(0, 5, 3)\n",
       nullptr, 0},
  };
  for (const Case& k : cases) {
    adv::AdvContext& c =
        Load(WindowScript(std::string(k.setup) + "  cmd skip_set(1)\n  cmd auto_set(1)\n"));
    c.text_window.line_read = 1;
    machine_->Run();
    EXPECT_EQ(c.skip.skip_mode, 1) << k.setup;
    EXPECT_EQ(c.skip.auto_mode, 1) << k.setup;
    if (k.log) {
      EXPECT_TRUE(machine_->Logged(k.log, k.level)) << k.setup;
      continue;
    }
    const adv::ButtonGroup& group = c.buttons.groups[kWindowButtons];
    EXPECT_EQ(ShownRow(group.buttons[4]), 3);
    EXPECT_EQ(ShownRow(group.buttons[5]), 3);
    EXPECT_FALSE(machine_->Logged("SpriteIcon is NULL", kLogWarning));
  }
}

// The window's name, replay (style 2) and record (style 8) buttons follow the line: hidden
// beside no name unless the window-button option ties them to the voice, on their normal cells
// while the voice is the line's own, on the alternative ones otherwise.
TEST_F(SkipAuto, SpecialButtonsFollowTheLinesNameAndVoice) {
  constexpr int32_t kName = 1, kReplay = 2, kRecord = 3;
  struct Case {
    int32_t option;
    bool name_shown, has_voice, belongs;
    bool shown[3];   // name, replay, record
    int32_t row[2];  // replay, record
  };
  const Case cases[] = {
      {0, false, true, true, {false, false, false}, {0, 0}},
      {0, true, true, true, {true, true, true}, {0, 0}},
      {0, true, true, false, {true, true, true}, {3, 3}},
      {0, true, false, false, {true, true, true}, {3, 0}},   // only the replay button is reset
      {1, false, true, false, {false, true, true}, {3, 3}},  // tied to the voice: never hidden
      {1, true, false, false, {true, true, true}, {0, 0}},   // no voice, no reset
  };
  for (const Case& k : cases) {
    adv::AdvContext& c = Load(WindowScript(
        "  cmd btn_init(0, NONE, NONE)\n  cmd text_set_btn(0)\n"
        "  cmd btn_set(0, 1, f\"SKIPBTN\", 0, 0, 0, 1)\n  cmd btn_expansion(0, 1, 4)\n"
        "  cmd btn_set(0, 2, f\"SKIPBTN\", 0, 0, 0, 1)\n  cmd btn_expansion(0, 2, 2)\n"
        "  cmd btn_set(0, 3, f\"SKIPBTN\", 0, 0, 0, 1)\n  cmd btn_expansion(0, 3, 8)\n"));
    machine_->Run();
    c.values.system_memory[510] = k.option;
    adv::AdvButtonSetVisible(c, kWindowButtons, -1, 1);
    adv::AdvTextSpecialButtonsUpdate(c, kWindowButtons, k.name_shown, k.has_voice, k.belongs);
    const std::string row = "option " + std::to_string(k.option) + ", name " +
                            std::to_string(k.name_shown) + ", voice " +
                            std::to_string(k.has_voice) + ", own " + std::to_string(k.belongs);
    const adv::ButtonGroup& group = c.buttons.groups[kWindowButtons];
    const int32_t buttons[] = {kName, kReplay, kRecord};
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(yel::YelSpriteViewIs(group.buttons[buttons[i]].slot->sprite) != 0, k.shown[i])
          << row << ", button " << buttons[i];
    }
    EXPECT_EQ(ShownRow(group.buttons[kReplay]), k.row[0]) << row;
    EXPECT_EQ(ShownRow(group.buttons[kRecord]), k.row[1]) << row;
  }
}

// The counter the scripts below keep in user memory cell 0, which the snapshot a skip's reload
// rebuilds from carries (the variables start from 0 again).
int32_t Counted(adv::AdvContext& c) {
  return c.values.user_memory[0];
}

// Text 0 is read, text 1 is not; the choice follows them. With `after` the rebuilt scene calls
// a label that sets the window up again, as a game's load-after label does.
std::string SkipScene(int32_t argument, bool after) {
  return std::string(after ? "  cmd set_load_after_process(after)\n" : "") +
         "  mov v9, 0\n"
         "  cmd scene_skip(" +
         std::to_string(argument) +
         ")\n"
         "  cmd text(NONE, NONE, \"既読の行\", 0)\n"
         "  add user[v9], 1\n"
         "  cmd text(NONE, NONE, \"未読の行\", 0)\n"
         "  add user[v9], 10\n"
         "  cmd select_init(f\"CHOICE\", 0xFFFFFF, 0xFFFFFF, 0xFFFFFF)\n"
         "  cmd select(1)\n"
         "  cmd select_item(\"道\", chosen, 0, 0, 3, 0)\n"
         "  cmd end_select\n"
         "chosen:\n"
         "  mov v2, 1\n"
         "  cmd run(0, 0, 0)\n"
         "after:\n"
         "  cmd text_init(24, 160, 560, 960, 120, 160, 516, 0)\n"
         "  ret\n";
}

// scene_skip 0 stops at the first unread line, 1 runs through it to the choice, all within the
// pass that ran the command. The skip's reload leaves the program counter at the stop and either
// the stop flag (the pass ends there, and the next shows the choice) or a call of the load-after
// label (the same pass goes on through it to the line or the choice).
TEST_F(SkipAuto, SceneSkipStopsAtTheFirstUnreadLineOrRunsToTheChoice) {
  struct Case {
    int32_t argument;
    bool after;
    int32_t counted;
    const char* log;
    bool shown_in_the_pass;  // the line or the choice shows before the pass ends
  };
  const Case cases[] = {
      {0, true, 1, "cancel scene skip text\n", true},
      {1, true, 11, "cancel scene skip select\n", true},
      {1, false, 11, "cancel scene skip select\n", false},
  };
  for (const Case& k : cases) {
    adv::AdvContext& c = Load(WindowScript(SkipScene(k.argument, k.after)));
    MarkRead(0);
    machine_->Run();
    const std::string row =
        "scene_skip " + std::to_string(k.argument) + (k.after ? " with a load-after label" : "");
    EXPECT_EQ(c.skip.scene_skip, 0) << row;
    EXPECT_EQ(Counted(c), k.counted) << row;
    EXPECT_TRUE(machine_->Logged(k.log, 10)) << row;
    EXPECT_EQ(c.script.running.load(), 0) << row;
    if (!k.shown_in_the_pass) {
      EXPECT_EQ(c.select.shown, 0u) << row << ": the scene was rebuilt";
      EXPECT_EQ(c.script.stop, 1) << row;
      machine_->Run();
    }
    EXPECT_EQ(Counted(c), k.counted) << row;
    EXPECT_EQ(machine_->V(2), 0) << row << ": the choice was not passed";
    if (k.argument == 0) {
      EXPECT_STREQ(c.text_window.line.text.data(), "\x96\xA2\x93\xC7\x82\xCC\x8D\x73") << row;
      EXPECT_NE(c.text_window.line_kind, 0u) << row << ": the line waits for the reader";
    } else {
      EXPECT_EQ(c.select.shown, 1u) << row;
      EXPECT_EQ(c.select.item_count, 1) << row;
      EXPECT_NE(c.select.items[0].sprite, nullptr) << row;
    }
  }
}

// Without a running skip the cancels do nothing and the script goes on; with one they stop it,
// rebuild the scene, and the game goes on after the cancel.
TEST_F(SkipAuto, CancelsEndOnlyARunningSkip) {
  struct Case {
    const char* start;
    const char* cancel;
    const char* log;
  };
  const Case cases[] = {
      {"", "cancel_scene_skip", "cancel scene skip"},
      {"", "cancel_history_skip", "cancel history skip"},
      {"  cmd history_skip(0x7FFFFFF0)\n", "cancel_history_skip", "cancel history skip"},
      {"  cmd history_skip(0x7FFFFFF0)\n", "cancel_scene_skip", nullptr},
  };
  for (const Case& k : cases) {
    adv::AdvContext& c = Load(WindowScript(
        std::string("  mov v9, 0\n") + k.start + "  add user[v9], 1\n  cmd " + k.cancel +
        "()\n  add user[v9], 10\n  cmd run(0, 0, 0)\n" + "  add user[v9], 100\n"));
    const bool running = k.start[0] != 0;
    const bool cancels = running && k.log;
    machine_->Run();
    const std::string row = std::string(k.start) + k.cancel;
    EXPECT_EQ(machine_->Logged(k.log ? k.log : "cancel", 10), cancels) << row;
    // A cancel stops the pass with its reload; else the run stops it (or not, while the history
    // skip that no cancel ended runs on to the end).
    const int32_t expected = cancels ? 1 : running ? 111 : 11;
    EXPECT_EQ(Counted(c), expected) << row;
    EXPECT_EQ(c.skip.history_skip, running && !cancels ? 1 : 0) << row;
    if (cancels) {
      machine_->Run();
      EXPECT_EQ(Counted(c), 11) << row << ": the game goes on after the cancel";
    }
  }
}

// The auto speed is kept within 0-100 ms per character, compared unsigned.
TEST_F(SkipAuto, AutoSetTimeKeepsTheSpeedWithinOneHundred) {
  const int32_t cases[][2] = {{150, 100}, {-1, 100}, {100, 100}, {37, 37}, {0, 0}};
  for (const auto& [time, stored] : cases) {
    adv::AdvContext& c =
        Load("  cmd auto_set_time(" + std::to_string(time) + ")\n  cmd auto_get_time() -> v1\n");
    machine_->Run();
    EXPECT_EQ(machine_->data().system.settings.auto_speed, stored) << time;
    EXPECT_EQ(machine_->V(1), stored) << time;
    (void)c;
  }
}

// adv_skip_set answers the skip word: every bit but 0x20 during a scene skip, every bit but 0x10
// during a history skip, else the mode bits.
TEST_F(SkipAuto, AdvSkipSetGivesTheSkipWord) {
  struct Case {
    int32_t scene, history, mode;
    int32_t word;
  };
  const Case cases[] = {
      {1, 0, 0, -33}, {0, 1, 0, -17}, {1, 1, 1, -33}, {0, 0, 1, 1}, {0, 0, 0, 0},
  };
  for (const Case& k : cases) {
    adv::AdvContext& c = Load("  cmd adv_skip_set() -> v1\n");
    c.skip.scene_skip = k.scene;
    c.skip.history_skip = k.history;
    c.skip.skip_mode = k.mode;
    c.skip.history_skip_target = 0x7FFFFFF0;
    machine_->Run();
    EXPECT_EQ(machine_->V(1), k.word) << k.scene << k.history << k.mode;
    if (k.word == -33) {
      EXPECT_TRUE(machine_->Logged("adv_skip_set FFFFFFDFH", 10));
    }
    if (k.word == -17) {
      EXPECT_TRUE(machine_->Logged("adv_skip_set FFFFFFEFH", 10));
    }
  }
}

// key_canncel takes the masked keys out of the key words; the accumulated keys are kept until
// the script clears them.
TEST_F(SkipAuto, KeyCancelAndTheAccumulatedKeys) {
  adv::AdvContext& c = Load(
      "  cmd get_push_key_total() -> v1\n"
      "  cmd key_canncel(8, 0)\n"
      "  cmd clear_push_key_total()\n"
      "  cmd get_push_key_total() -> v2\n");
  c.skip.key_push_accumulator = 0x800008;
  yel::YelInputSetKeyPush(0x800008);
  machine_->Run();
  EXPECT_EQ(machine_->V(1), 0x800008);
  EXPECT_EQ(machine_->V(2), 0);
  EXPECT_EQ(yel::YelInputGetKeyPush(), 0x800000u) << "Control no longer counts";
  EXPECT_EQ(c.skip.key_cancel, 8);
  yel::YelInputKeyCancel(0, 0);
}

// ---- The sample game ----

// A sound effect the script waits for plays in real time while the frames go by on the test's
// clock at once, so the frames are not counted: the time limit only catches a script that stalls.
constexpr auto kStallLimit = std::chrono::seconds(90);

bool Stalled(std::chrono::steady_clock::time_point start) {
  return std::chrono::steady_clock::now() - start > kStallLimit;
}

// The sample game in-process on a clock the test drives, a frame at a time, with no input.
class SampleAutoPlay : public SkipAuto {
 protected:
  void LoadSample() {
    adv::AdvContext& c = Load(SampleSource());
    machine_->SetCommand(0x0A0000, IgnoreArguments<2>);  // save
    machine_->SetCommand(0x0A0001, IgnoreArguments<1>);  // load
    machine_->SetCommand(0x0A0009, IgnoreArguments<1>);  // is_save
    machine_->SetCommand(0x0A000B, IgnoreArguments<1>);  // save_point
    // The voices are switched off, so auto mode waits for the reading time alone.
    c.sound.switches.voice = 0;
    start_ = yel::YeltimeGetTime();
  }
  // One frame: effects, the script's pass, the voice load, actions and the text wait.
  void Frame() {
    adv::AdvContext& c = machine_->context();
    elapsed_ += 16;
    const uint32_t now = start_ + elapsed_;
    if (adv::ScreenEffectsStep(c, now)) return;
    yel::YelInputClear();
    machine_->Run();
    if (adv::AdvHasAsyncFunction()) {
      std::thread(adv::ThreadBaseWorkerProc, reinterpret_cast<uintptr_t>(&adv::VoiceLoadJob()))
          .join();
      adv::AdvCallAsyncFunction();
    }
    adv::ActionsStep(c, now);
    if (c.text_window.line_kind != 0 && c.text_window.line.text.data() != last_line_) {
      last_line_ = c.text_window.line.text.data();
      lines_.push_back(last_line_);
    }
    adv::AdvTextWaitStep(c, adv::AdvSkipState(c), now);
  }

  uint32_t start_ = 0;
  uint32_t elapsed_ = 0;
  std::string last_line_;
  std::vector<std::string> lines_;
};

constexpr const char* kForestLine =
    "\x96\xD8\x81\x58\x82\xCC\x8A\xD4\x82\xF0\x95\x97\x82\xAA\x92\xCA\x82\xE8\x94\xB2\x82\xAF"
    "\x82\xC4\x82\xA2\x82\xAD\x81\x42";  // 木々の間を風が通り抜けていく。

// Nobody touches it: the lines end by themselves, the choice shows its answers for a while and
// takes the first, and the script reaches its end.
TEST_F(SampleAutoPlay, PlaysToItsEndInAutoMode) {
  LoadSample();
  adv::AdvContext& c = machine_->context();
  bool answers_shown = false, choice_shown = false;
  const auto start = std::chrono::steady_clock::now();
  for (int frame = 0; !yel::IsSystemEnd() && !Stalled(start); ++frame) {
    Frame();
    if (frame == 0) {
      EXPECT_EQ(c.skip.auto_mode, 1) << "the sample starts in auto mode";
      const adv::ButtonGroup& group = c.buttons.groups[kWindowButtons];
      ASSERT_NE(group.buttons[1].slot, nullptr);
      EXPECT_EQ(ShownRow(group.buttons[1]), 3) << "the auto button is lit";
    }
    answers_shown |= c.layers.layers[40].slot != nullptr && c.layers.layers[41].slot != nullptr;
    choice_shown |= c.select.shown != 0;
  }
  EXPECT_TRUE(yel::IsSystemEnd()) << "the script did not reach its end; lines: " << lines_.size();
  EXPECT_TRUE(answers_shown);
  EXPECT_FALSE(choice_shown) << "auto mode took the first answer without asking";
  ASSERT_EQ(lines_.size(), 5u);
  EXPECT_EQ(lines_[3], kForestLine) << "the first answer was taken";
  EXPECT_EQ(c.skip.auto_mode, 1);
}

// At the first line, which has not been read, the skip button's label asks for skip mode, is
// refused, and skips the scene instead: auto mode ends and the script runs on inside that one
// pass to the choice, which then shows from the snapshot taken at it.
TEST_F(SampleAutoPlay, TheSkipButtonSkipsAnUnreadSceneToItsChoice) {
  LoadSample();
  adv::AdvContext& c = machine_->context();
  const auto start = std::chrono::steady_clock::now();
  while (lines_.empty() && !Stalled(start)) Frame();
  ASSERT_EQ(lines_.size(), 1u);
  ASSERT_EQ(c.text_window.line_read, 0);
  adv::ButtonCallLabel(c, machine_->LabelPc("skip_clicked") - c.script.origin, adv::kReturnClick);
  adv::SetScriptThreadId(adv::kRunButton);
  machine_->Run();
  adv::SetScriptThreadId(adv::kRunMain);
  EXPECT_TRUE(machine_->Logged("cancel skip_set", 10));
  EXPECT_TRUE(machine_->Logged("scene_skip 1", 10));
  EXPECT_TRUE(machine_->Logged("cancel scene skip select\n", 10));
  EXPECT_EQ(c.skip.scene_skip, 0);
  EXPECT_EQ(c.skip.auto_mode, 0) << "skipping ended auto mode";
  // The rebuilt scene calls the sample's load-after label, which sets the window up again; the
  // choice then shows in the same pass or the next.
  for (int frame = 0; frame < 10 && !c.select.shown; ++frame) Frame();
  EXPECT_EQ(c.select.shown, 1u);
  EXPECT_EQ(c.select.item_count, 2);
  EXPECT_EQ(lines_.size(), 1u) << "no line was shown on the way";
  EXPECT_EQ(c.layers.layers[40].slot, nullptr) << "auto mode's answers were not shown";
}

// The built sample game as a process, headless and with a save folder of its own: it plays by
// itself to its end and exits with code 0. The limit only catches a game that never ends.

TEST(SampleGameProcess, DISABLED_PlaysToItsEndAndExitsWithZero) {
  const fs::path copy = fs::temp_directory_path() / ("sample_auto_" + std::to_string(getpid()));
  fs::remove_all(copy);
  fs::copy(SAMPLE_GAME_DIR, copy, fs::copy_options::recursive);
  fs::remove_all(copy / "save");
  test::Process game = test::Process::Start({(copy / "Game").string()},
                                            test::IsolatedEnvironment(copy), copy.string());
  EXPECT_EQ(game.Wait(test::kHungMs), 0) << game.Stderr();
  EXPECT_TRUE(fs::exists(copy / "save" / "system.dat")) << "the end wrote the system files";
  fs::remove_all(copy);
}

}  // namespace
