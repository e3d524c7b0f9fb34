// The history page: known lines give known heights, scroll limits and sprite positions; face
// images follow the voice name; jump buttons need history saving and a snapshot number; refused
// positions and groups; repeated sound loads keep the platform's channels; a click on a voiced
// line plays its voice through the mixer; and the sample game's backlog opens on its lines.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "program/buttons/button_manager.h"
#include "program/game/adv_context.h"
#include "program/layers/action_manager.h"
#include "program/layers/graphic_slots.h"
#include "program/layers/layer_services.h"
#include "program/layers/screen_effects.h"
#include "program/script/script_run.h"
#include "program/script/skip_state.h"
#include "program/sound/voice_channels.h"
#include "program/sound/voice_load_worker.h"
#include "program/startup/yel_import.h"
#include "program/text/history_page.h"
#include "program/text/text_layout.h"
#include "program/text/text_services.h"
#include "program/text/text_window.h"
#include "tests/program/sample_source.h"
#include "tests/program/script_machine.h"
#include "tests/program/started_library.h"
#include "tests/wait_until.h"

namespace {

using test::IgnoreArguments;
using test::SampleSource;

using test::ScriptMachine;

const yel::Import<decltype(::YelSoundGetChannelCount)> FreeChannels{"YelSoundGetChannelCount"};
const yel::Import<decltype(::YelSoundGetParamByType)> SoundParam{"YelSoundGetParamByType"};
constexpr int32_t kSoundTypeSystem = 5;
constexpr int32_t kParamPlayCursor = 6;

constexpr int32_t kFont = 24;  // one line of text or name is 24 pixels high

using test::Eventually;

template <size_t N>
void Put(std::array<char, N>& field, const char* text) {
  field.fill(0);
  std::strncpy(field.data(), text, N - 1);
}

class HistoryPage : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(yel::LoadLibraryFrom(YEL_LIBRARY));
    render_ = test::StartLibraryHidden();
    ASSERT_NE(render_, nullptr);
    yel::YelSystemPathInit();
    yel::YelSystemPathSet(SAMPLE_PACK_DIR);
    yel::YelRenderLockEnter();
    adv::TextLayout() = adv::TextSettings{};
    yel::YelFontSetEffect(0);
    yel::YelFontSetType(0);
    yel::YelFontSetFontSize(kFont);
  }
  void TearDown() override {
    if (machine_) {
      adv::AdvHistoryEnd(c());
      adv::AdvActionReset(c());  // the sample's sway set never ends by itself
      adv::AdvVoiceReleaseAll(c());
      adv::AdvButtonUnloadAll(c());
      adv::AdvTextWindowRelease(c());
      adv::AdvLayerTableReset(c());
      machine_.reset();
    }
    yel::YelInputClear();
    yel::YelRenderLockLeave();
    yel::YelSystemPathUninit();
    yel::YelRenderSetActive(nullptr);
    yel::YelRenderUninit(render_);
    yel::YelUninit();
  }
  ScriptMachine& Load(const std::string& source) {
    machine_ = std::make_unique<ScriptMachine>(source);
    EXPECT_TRUE(machine_->loaded());
    adv::TextWindow& window = c().text_window;
    window.font_size = kFont;
    window.text_width = 400;
    window.text_height = 100;
    return *machine_;
  }
  adv::AdvContext& c() { return machine_->context(); }
  // Entry n (0 newest) of `count` lines: named "N<n>" unless nameless, text "T<n>", voice "V<n>".
  void Store(int32_t count, int32_t nameless = -1) {
    c().history.count = count;
    for (int32_t n = 0; n < count; ++n) {
      adv::HistoryEntry& entry = c().history.entries[n];
      entry = adv::HistoryEntry{};
      Put(entry.text, ("T" + std::to_string(n)).c_str());
      Put(entry.voice, ("VOICE0" + std::to_string(n % 2 + 1)).c_str());
      if (n == nameless) {
        entry.name[1] = static_cast<char>(0x81);
      } else {
        Put(entry.name, ("N" + std::to_string(n)).c_str());
      }
    }
  }
  float SpriteY(YelSprite* sprite) {
    YelSpriteInfo info{};
    yel::YelSpriteGetInfo(sprite, &info);
    return info.y;
  }

  YelRender* render_ = nullptr;
  std::unique_ptr<ScriptMachine> machine_;
};

TEST_F(HistoryPage, KnownLinesGiveKnownLimitsAndPositions) {
  struct Case {
    const char* name;
    int32_t lines, nameless, top, bottom, spacing;
    int32_t max_position, height, on_page;
  };
  const Case cases[] = {
      // Three named lines of 48 pixels: 3 x 48 + 2 x 10 when all fit.
      {"all fit", 3, -1, 0, 480, 10, 0, 164, 3},
      {"a nameless line takes its text only", 3, 1, 0, 480, 10, 0, 140, 3},
      // From the oldest: 48 + 10 + 48 reaches 100 at entry 1.
      {"the bottom is reached", 3, -1, 0, 100, 10, 2, 100, 1},
      {"no lines", 0, -1, 0, 480, 10, 0, 0, 0},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    Load("end\n");
    Store(k.lines, k.nameless);
    adv::HistoryPage& page = c().history.page;
    page.rect = {20, k.top, 600, k.bottom};
    page.spacing = k.spacing;
    page.name_y = 0;
    page.text_y = 24;
    page.text_x = 8;
    adv::AdvHistoryBegin(c());
    EXPECT_EQ(page.open, 1);
    EXPECT_EQ(page.max_position, k.max_position);
    EXPECT_EQ(page.height, k.height);
    EXPECT_EQ(page.lines, k.on_page);
    if (k.lines > 0) {
      // The newest line sits on the bottom: its text's top 24 above it, the name 24 above that
      // (the text offset then puts the text back below the name).
      const adv::HistoryPageLine& newest = page.page[0];
      ASSERT_NE(newest.text, nullptr);
      EXPECT_EQ(SpriteY(newest.name), static_cast<float>(k.bottom - 48));
      EXPECT_EQ(SpriteY(newest.text), static_cast<float>(k.bottom - 48 + 24));
      YelSpriteInfo info{};
      yel::YelSpriteGetInfo(newest.text, &info);
      EXPECT_EQ(info.x, 20.0f + 8.0f) << "page left + text offset";
    }
    if (k.nameless == 1) {
      const adv::HistoryPageLine& line = page.page[1];
      EXPECT_EQ(yel::YelSpriteViewIs(line.name), 0);
      // Below it the newest line (48) and the spacing: its text on its own row.
      EXPECT_EQ(SpriteY(line.text), static_cast<float>(k.bottom - 48 - 10 - 24));
    }
    adv::AdvHistoryEnd(c());
    EXPECT_EQ(page.open, 0);
    EXPECT_EQ(page.measure, nullptr);
    adv::AdvTextWindowRelease(c());
    machine_.reset();
  }
}

TEST(HistoryFaceImage, ComesFromTheVoiceName) {
  struct Case {
    const char* voice;
    const char* image;
  };
  const Case cases[] = {
      {"VO12a", "IC12"}, {"VO_x", "IC99"}, {"VO7", "IC7"}, {"VO", "IC99"}, {"VOa1", "IC99"},
  };
  for (const Case& c : cases) EXPECT_EQ(adv::HistoryFaceImageName(c.voice), c.image) << c.voice;
}

TEST_F(HistoryPage, JumpButtonsNeedHistorySavingAndASnapshot) {
  ScriptMachine& m = Load(
      "cmd history_set_jump(0, 0, 0)\n"
      "cmd history_set_jump_button(2, f\"#FF102030\", 0, 0, 0)\n"
      "cmd history_begin()\n"
      "cmd history_set_jump(1, 4, 2)\n"
      "cmd history_set_jump_button(2, f\"#FF102030\", 0, 0, 0)\n"
      "cmd history_set_jump_button(16, f\"#FF102030\", 0, 0, 0)\n"
      "cmd history_set_pos(1)\n"
      "cmd history_set_pos(0)\n");
  Store(3);
  c().history.entries[1].file_number = 7;
  c().history.page.rect = {0, 0, 640, 480};
  adv::AdvButtonGroupInit(c(), 2, 0, 0);
  m.Run();
  EXPECT_TRUE(m.Logged("history_set_jump_button : group 16 outside 0-15", adv::kLogError));
  EXPECT_EQ(c().history.page.jump_group, 0) << "the refused call left the group cleared";
  c().history.page.jump_group = 2;
  ASSERT_EQ(adv::AdvHistoryBuildPage(c(), 1), 1);
  ASSERT_EQ(adv::AdvHistoryBuildPage(c(), 0), 1);
  EXPECT_EQ(adv::ButtonFind(c(), 2, 0), nullptr);
  ASSERT_NE(adv::ButtonFind(c(), 2, 1), nullptr) << "the line with a snapshot";
  EXPECT_EQ(adv::ButtonFind(c(), 2, 2), nullptr);
  YelSpriteInfo info{};
  yel::YelSpriteGetInfo(adv::ButtonFind(c(), 2, 1)->slot->sprite, &info);
  EXPECT_EQ(info.x, 4.0f);
  // Without history saving no line gets one.
  c().history.save_files = 0;
  adv::AdvHistoryBuildPage(c(), 1);
  adv::AdvHistoryBuildPage(c(), 0);
  EXPECT_EQ(adv::ButtonFind(c(), 2, 1), nullptr);
}

// The page takes away the buttons it made and no other: the records of the same numbers in the
// group its face and jump settings name (group 0 until the script sets them) stay.
TEST_F(HistoryPage, ClosingThePageLeavesButtonsItDidNotMake) {
  ScriptMachine& m = Load(
      "cmd btn_init(0, 0, 0)\n"
      "cmd btn_set(0, 0, f\"#FF102030\", 0, 0, 0, 1)\n"
      "cmd btn_set(0, 1, f\"#FF102030\", 0, 0, 0, 1)\n"
      "cmd btn_set(0, 2, f\"#FF102030\", 0, 0, 0, 1)\n");
  m.Run();
  ASSERT_NE(adv::ButtonFind(c(), 0, 1), nullptr);
  Store(3);
  c().history.entries[1].file_number = 7;
  c().history.page.rect = {0, 0, 640, 480};
  adv::AdvButtonGroupInit(c(), 2, 0, 0);
  c().history.save_files = 1;
  c().history.page.jump_group = 2;
  Put(c().history.page.jump_image, "#FF405060");
  adv::AdvHistoryBegin(c());
  adv::AdvHistoryBuildPage(c(), 1);
  EXPECT_NE(adv::ButtonFind(c(), 2, 1), nullptr) << "the page's jump button";
  adv::AdvHistoryEnd(c());
  EXPECT_EQ(adv::ButtonFind(c(), 2, 1), nullptr) << "the page's own button went";
  for (int32_t n : {0, 1, 2}) EXPECT_NE(adv::ButtonFind(c(), 0, n), nullptr) << n;
}

TEST_F(HistoryPage, RefusedPositionsAndGroupsChangeNothing) {
  ScriptMachine& m = Load(
      "cmd history_begin()\n"
      "cmd history_get_lines() -> v1\n"
      "cmd history_set_pos(0)\n"
      "cmd history_set_pos(-1)\n"
      "cmd history_get_lines() -> v2\n"
      "cmd history_set_face(1, 0, 0)\n"
      "cmd history_set_face_button(3, 0, 5)\n"
      "cmd history_set_face_button(16, 0, 9)\n"
      "cmd history_get_text(3, 0x10000000, 0x10000001, 0x10000002) -> v3\n"
      "cmd history_get_file_no(-1) -> v4\n"
      "cmd history_get_text(1, 0x10000000, 0x10000001, 0x10000002) -> v5\n");
  Store(2);
  c().history.entries[1].script_point = 0x40;
  c().history.page.rect = {0, 0, 640, 480};
  m.Run();
  EXPECT_EQ(m.V(1), 2);
  EXPECT_EQ(m.V(2), 0) << "a position before the newest line builds nothing";
  EXPECT_TRUE(m.Logged("history_set_pos : position -1 outside 0-2", adv::kLogError));
  EXPECT_EQ(c().history.page.face_group, 3);
  EXPECT_EQ(c().history.page.face_label, 5);
  EXPECT_TRUE(m.Logged("history_set_face_button : group 16 outside 0-15", adv::kLogError));
  EXPECT_EQ(m.V(3), 0);
  EXPECT_TRUE(m.Logged("history_get_text : no history line 3 (2 lines)", adv::kLogError));
  EXPECT_EQ(m.V(4), -1);
  EXPECT_EQ(m.V(5), 0x40);
  EXPECT_STREQ(c().values.string_variables[0].data(), "N1");
  EXPECT_STREQ(c().values.string_variables[1].data(), "VOICE02");
  EXPECT_STREQ(c().values.string_variables[2].data(), "T1");
}

// Group 15 has slots for buttons 0-118 only: its later lines get no button.
TEST_F(HistoryPage, TheLastGroupsLinesPastItsSlotsGetNoButton) {
  Load("end\n");
  Store(128);
  for (adv::HistoryEntry& entry : c().history.entries) entry.file_number = 1;
  adv::HistoryPage& page = c().history.page;
  page.rect = {0, -100000, 640, 480};
  c().history.save_files = 1;
  page.jump_group = 15;
  Put(page.jump_image, "#FF102030");
  adv::AdvButtonGroupInit(c(), 15, 0, 0);
  adv::AdvHistoryBuildPage(c(), 110);
  EXPECT_EQ(page.lines, 18);
  EXPECT_NE(adv::ButtonFind(c(), 15, 118), nullptr);
  for (int32_t line = 119; line < 128; ++line) {
    EXPECT_EQ(c().buttons.groups[15].buttons[line].slot, nullptr) << line;
  }
}

TEST_F(HistoryPage, RepeatedSoundCallsKeepThePlatformChannels) {
  // File 0 stands for no sound in these commands: the voice is the script's second file.
  std::string source = "cmd history_set(f\"ICON\")\ncmd history_set_face(1, 0, 0)\n";
  for (int i = 0; i < 50; ++i) {
    source += "cmd history_set_face_sound(f\"VOICE01\")\n";
    source += "cmd history_set_face_button(1, f\"VOICE01\", 0)\n";
  }
  source += "cmd wait_frame()\ncmd history_set_face_sound_release()\n";
  source += "cmd history_release_button_sound()\nmov v1, 1\n";
  ScriptMachine& m = Load(source);
  const int32_t free_before = FreeChannels(kSoundTypeSystem);
  ASSERT_GT(free_before, 2);
  m.Run();
  EXPECT_NE(c().history.page.hover_sound, 0u);
  EXPECT_NE(c().history.page.button_sounds[2], 0u);
  EXPECT_EQ(FreeChannels(kSoundTypeSystem), free_before - 2) << "one hover and one third sound";
  m.Run();
  EXPECT_EQ(m.V(1), 1);
  EXPECT_EQ(FreeChannels(kSoundTypeSystem), free_before);
}

TEST_F(HistoryPage, AClickOnAVoicedLinePlaysItsVoice) {
  Load("end\n");
  Store(2);
  adv::HistoryPage& page = c().history.page;
  page.rect = {0, 0, 320, 240};
  page.text_y = 30;  // below the name
  page.normal_colour = 0xFFFFFFFF;
  page.highlight_colour = 0xFFFF0000;
  adv::AdvHistoryBegin(c());
  YelSprite* text = page.page[1].text;
  ASSERT_NE(text, nullptr);
  YelSpriteInfo info{};
  yel::YelSpriteGetInfo(text, &info);
  yel::YelCursorSetPos(static_cast<int32_t>(info.x) + 4, static_cast<int32_t>(info.y) + 4);
  yel::YelInputSetKeyPush(0x800000);
  adv::AdvHistoryUpdate(c());
  EXPECT_EQ(yel::YelSpriteViewIs(page.measure), 1) << "the highlight stands on the line";
  const uint32_t handle = c().sound.voice[0].handle;
  ASSERT_NE(handle, 0u);
  EXPECT_STREQ(c().sound.voice[0].name.data(), "VOICE02");
  EXPECT_TRUE(Eventually([&] {
    return SoundParam(1, static_cast<int32_t>(handle & 0x0FFFFFFF), kParamPlayCursor) > 0;
  }));
}

// The sample game is played to its second line; the backlog then runs as the system button of
// the wheel would run it, over the two lines read so far.
TEST_F(HistoryPage, TheSampleGamesBacklogShowsTheLinesRead) {
  ScriptMachine& m = Load(SampleSource());
  m.SetCommand(0x0A0000, IgnoreArguments<2>);  // save
  m.SetCommand(0x0A0001, IgnoreArguments<1>);  // load
  m.SetCommand(0x0A0009, IgnoreArguments<1>);  // is_save
  m.SetCommand(0x0A000B, IgnoreArguments<1>);  // save_point
  adv::TextWindow& window = c().text_window;
  uint32_t now = 1000;
  int lines = 0;
  std::vector<std::string> texts;
  for (int frame = 0; frame < 3000 && lines < 2; ++frame, now += 16) {
    if (adv::ScreenEffectsStep(c(), yel::YeltimeGetTime() + (now - 1000))) continue;
    yel::YelInputClear();
    if (c().sound.se_wait_channel != 0) yel::YelInputSetKeyPush(0x800000);
    m.Run();
    if (adv::AdvHasAsyncFunction()) {
      std::thread(adv::ThreadBaseWorkerProc, reinterpret_cast<uintptr_t>(&adv::VoiceLoadJob()))
          .join();
      adv::AdvCallAsyncFunction();
    }
    adv::ActionsStep(c(), yel::YeltimeGetTime() + (now - 1000));
    if (window.line_kind & adv::kLineRevealing) {
      ++lines;
      texts.emplace_back(window.line.text.data());
      adv::AdvTextWaitStep(c(), 0, window.wait_start + window.wait_time + 1);
      if (lines < 2) adv::AdvTextWaitStep(c(), adv::SKIP_BIT_ADVANCE, now);
    }
  }
  ASSERT_EQ(lines, 2);
  ASSERT_EQ(c().history.count, 2);
  // The message window's skip and auto buttons (group 0, records 0 and 1).
  ASSERT_NE(adv::ButtonFind(c(), 0, 0), nullptr);
  ASSERT_NE(adv::ButtonFind(c(), 0, 1), nullptr);
  yel::YelInputClear();
  adv::AdvVoiceReleaseAll(c());
  // One line fits the page: the wheel has something to scroll.
  c().history.page.rect[1] = c().history.page.rect[3] - 80;
  ASSERT_EQ(window.visible, 1);
  adv::ButtonCallLabel(c(), m.LabelPc("OpenBacklog") - c().script.origin, adv::kReturnClick);
  m.Run();
  m.Run();
  adv::HistoryPage& page = c().history.page;
  ASSERT_EQ(page.open, 1);
  EXPECT_EQ(window.visible, 0) << "the message window is not drawn over the page";
  EXPECT_EQ(yel::YelSpriteViewIs(window.text_slot->sprite), 0);
  EXPECT_EQ(yel::YelSpriteViewIs(adv::ButtonFind(c(), 0, 0)->slot->sprite), 0);
  EXPECT_EQ(page.lines, 1);
  EXPECT_EQ(page.max_position, 1);
  EXPECT_EQ(c().history.entries[0].text.data(), texts[1]);
  EXPECT_EQ(c().history.entries[1].text.data(), texts[0]);
  EXPECT_STREQ(c().history.entries[1].voice.data(), "VOICE01");
  // The wheel away from the player: the older line comes onto the page.
  adv::ButtonCallLabel(c(), m.LabelPc("BacklogOlder") - c().script.origin, adv::kReturnClick);
  m.Run();
  EXPECT_EQ(page.position, 1);
  // A click on it plays its voice again.
  YelSpriteInfo info{};
  yel::YelSpriteGetInfo(page.page[1].text, &info);
  yel::YelCursorSetPos(static_cast<int32_t>(info.x) + 4, static_cast<int32_t>(info.y) + 4);
  yel::YelInputSetKeyPush(0x800000);
  m.Run();
  EXPECT_STREQ(c().sound.voice[0].name.data(), "VOICE01");
  EXPECT_NE(c().sound.voice[0].handle, 0u);
  yel::YelInputClear();
  adv::ButtonCallLabel(c(), m.LabelPc("BacklogClose") - c().script.origin, adv::kReturnClick);
  // The page closes, the frame's layer update runs, and the label goes on to its end.
  for (int i = 0; i < 6 && c().script.pc != c().script.points[0]; ++i) m.Run();
  EXPECT_EQ(page.open, 0);
  EXPECT_EQ(window.visible, 1) << "the window comes back";
  ASSERT_NE(adv::ButtonFind(c(), 0, 0), nullptr) << "the skip button stays";
  ASSERT_NE(adv::ButtonFind(c(), 0, 1), nullptr) << "the auto button stays";
  EXPECT_EQ(yel::YelSpriteViewIs(adv::ButtonFind(c(), 0, 1)->slot->sprite), 1);
}

}  // namespace
