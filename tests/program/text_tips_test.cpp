// The in-text tips: the layout records each tip link of a text (its number, the rectangles of
// its one or two parts, its texts and sizes) in the context's tips area and arms the hooks; the
// begin hook calls the script's label once while the line waits, the end hook when the wait
// ends; tags the area cannot take are refused without touching the entries.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>

#include "program/game/adv_context.h"
#include "program/script/script_state.h"
#include "program/script/skip_state.h"
#include "program/text/text_window.h"
#include "tests/program/text_fixture.h"

namespace {

#define A "\x82\xA0"
#define I "\x82\xA2"
#define U "\x82\xA4"
#define E "\x82\xA6"
#define O "\x82\xA8"

constexpr std::array<uint32_t, 2> kColours = {0xFFFFFFFF, 0xFF000000};

class TextTips : public test::TextFixture {
 protected:
  void SetUp() override {
    test::TextFixture::SetUp();
    ASSERT_TRUE(Load("  nop\n"));
  }
  // Lays the text out without a sprite: every double-byte character is 24 pixels wide, a line
  // 24 pixels high.
  void Measure(const char* text, int32_t width, int32_t height = 480) {
    int32_t x = 0, y = 0;
    adv::AdvDrawText(context(), nullptr, text, &x, &y, width, height, 24, 0, kColours, nullptr);
  }
  adv::TipsArea& tips() { return context().tips; }
  int32_t ReturnRecords() {
    return yel::YelListGetDataCount(context().display_queue, adv::kListReturnPoint);
  }
};

struct LayoutCase {
  const char* what;
  const char* text;
  int32_t width;
  int32_t margin;
  int32_t number;
  std::array<int32_t, 8> parts;  // words 1-8: first part x, y, right, bottom; then the second
  int32_t wrapped;
  std::array<const char*, 3> strings;
};

TEST_F(TextTips, ALaidOutTipFillsTheEntryAtTheCount) {
  // clang-format off
  const LayoutCase cases[] = {
      {"a tip inside a line",
       A "<d5>" I U "</d>" E, 480, 0, 5, {24, 0, 72, 24}, 0, {I U, "", ""}},
      {"the margin widens a tip that does not start its line",
       A "<d5>" I U "</d>" E, 480, 2, 5, {26, 0, 74, 24}, 0, {I U, "", ""}},
      {"a tip at the line start keeps its left edge",
       "<d12>" A "</d>", 480, 2, 12, {0, 0, 26, 24}, 0, {A, "", ""}},
      {"no number",
       "<d>" A "</d>", 480, 0, -1, {0, 0, 24, 24}, 0, {A, "", ""}},
      {"a wrapped tip has two parts split where the line broke",
       A I "<d7>" U E O "</d>", 72, 0, 7, {48, 0, 72, 24, 0, 24, 48, 48}, 1, {U E O, U, E O}},
      {"a tip over three lines: its first line and the rest",
       A "<d8>" I U E O "</d>", 48, 0, 8, {24, 0, 48, 24, 0, 24, 24, 72}, 1, {I U E O, I, U E O}},
  };
  // clang-format on
  for (const LayoutCase& c : cases) {
    SCOPED_TRACE(c.what);
    tips() = adv::TipsArea{};
    adv::TextLayout().wrap_margin = c.margin;
    Measure(c.text, c.width);
    ASSERT_EQ(tips().count, 1u);
    EXPECT_EQ(tips().state, 0x0101u) << "both hooks armed";
    const adv::TipsEntry& entry = tips().entries[0];
    EXPECT_EQ(entry.words[0], c.number);
    for (size_t i = 0; i < c.parts.size(); ++i) EXPECT_EQ(entry.words[i + 1], c.parts[i]) << i;
    EXPECT_EQ(entry.wrapped, c.wrapped);
    EXPECT_EQ(entry.words[9], 24) << "font size";
    EXPECT_EQ(entry.words[10], 24) << "line pitch";
    EXPECT_EQ(entry.font, (std::array<int32_t, 3>{0, 24, 0}));
    for (size_t i = 0; i < 3; ++i) EXPECT_STREQ(entry.strings[i].data(), c.strings[i]) << i;
  }
}

// The next tip goes to the entry at the count; the last entry is never filled, and a count the
// area cannot hold starts again at entry 0.
TEST_F(TextTips, TheCountMovesOnAndStartsAgainWhenTheAreaIsFull) {
  struct {
    uint32_t count, filled, next;
  } const cases[] = {{0, 0, 1}, {30, 30, 31}, {31, 0, 1}, {5000, 0, 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.count);
    tips() = adv::TipsArea{};
    tips().count = c.count;
    Measure("<d9>" A "</d>", 480);
    EXPECT_EQ(tips().entries[c.filled].words[0], 9);
    EXPECT_EQ(tips().count, c.next);
  }
  tips() = adv::TipsArea{};
  Measure("<d1>" A "</d><d2>" I "</d>", 480);
  EXPECT_EQ(tips().count, 2u);
  EXPECT_EQ(tips().entries[1].words[0], 2);
  EXPECT_EQ(tips().entries[1].words[1], 24);
}

// Tags the area cannot take change neither the count nor the entries, and leave the begin hook
// disarmed (every layout disarms it until a tip is complete); a tip never ended is only started.
TEST_F(TextTips, TagsTheAreaCannotTakeAreRefused) {
  struct {
    const char* what;
    const char* text;
    int32_t history_open;
    bool started;  // the entry holds the tip's start
  } const cases[] = {
      {"an end without a start", A "</d>" I, 0, false},
      {"a number beyond 32 bits", "<d4294967296>" A "</d>", 0, false},
      {"the history page is open", "<d3>" A "</d>", 1, false},
      {"a tip never ended", A "<d3>" A I, 0, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    tips() = adv::TipsArea{};
    tips().state = 0x0101;
    tips().entries[0].words[1] = 77;
    context().history.page.open = c.history_open;
    Measure(c.text, 480);
    EXPECT_EQ(tips().count, 0u);
    EXPECT_EQ(tips().state, 0x0100u);
    EXPECT_EQ(tips().entries[0].words[1], c.started ? 24 : 77);
    EXPECT_EQ(tips().entries[0].strings[0][0], 0);
  }
  EXPECT_TRUE(machine_->Logged("tips : number out of range : <d4294967296>", adv::kLogError));
}

// A tip longer than its strings is cut to whole characters; the next entry is untouched.
TEST_F(TextTips, ALongTipStaysInsideItsStrings) {
  std::string text = "<d1>a";
  for (int i = 0; i < 1100; ++i) text += A;
  text += "</d>";
  tips().entries[1].strings[0][0] = 'x';
  Measure(text.c_str(), 480, 1 << 20);
  const adv::TipsEntry& entry = tips().entries[0];
  ASSERT_EQ(entry.wrapped, 1);
  EXPECT_EQ(strnlen(entry.strings[0].data(), adv::kTipsStringSize), 2045u) << "no half character";
  EXPECT_EQ(strnlen(entry.strings[2].data(), adv::kTipsStringSize), 2046u);
  const size_t first_line = std::strlen(entry.strings[1].data());
  EXPECT_GT(first_line, 1u);
  EXPECT_EQ(first_line % 2, 1u) << "the split falls between characters";
  EXPECT_EQ(tips().entries[1].strings[0][0], 'x');
}

// The begin hook calls its label when no tip label runs yet (pause clear), a tip is armed and a
// label is set; the end hook when a tip armed it and a label is set, and lets the begin hook run
// again.
TEST_F(TextTips, TheHooksCallTheirLabelsAsTheStateSays) {
  struct {
    const char* what;
    bool end_hook;
    uint8_t pause;
    uint32_t state, label;
    bool called;
    uint8_t pause_after;
  } const cases[] = {
      {"begin: a tip laid out", false, 0, 0x0101, 40, true, 1},
      {"begin: the label runs already", false, 1, 0x0101, 40, false, 1},
      {"begin: no tip on the page", false, 0, 0x0100, 40, false, 0},
      {"begin: no label", false, 0, 0x0101, 0, false, 0},
      {"end: a tip laid out", true, 1, 0x0101, 80, true, 0},
      {"end: after tips_reset", true, 1, 0x0001, 80, false, 1},
      {"end: after tips_stop", true, 1, 0x0100, 80, true, 0},
      {"end: no label", true, 1, 0x0101, 0, false, 1},
  };
  adv::ScriptState& script = context().script;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    tips() = adv::TipsArea{};
    tips().pause = c.pause;
    tips().state = c.state;
    (c.end_hook ? tips().end_label : tips().begin_label) = c.label;
    const uint32_t waiting = script.pc = script.origin + 4;
    const int32_t records = ReturnRecords();
    c.end_hook ? adv::AdvTipsEndHook(context()) : adv::AdvTipsBeginHook(context());
    EXPECT_EQ(script.pc, c.called ? script.origin + c.label : waiting);
    EXPECT_EQ(ReturnRecords(), records + (c.called ? 1 : 0));
    EXPECT_EQ(tips().pause, c.pause_after);
  }
}

// While the line with a tip waits, the begin label runs once and finds the entry; the click that
// ends the wait runs the end label, and then the script goes on after the line.
TEST_F(TextTips, TheLabelsRunWhileTheLineWaitsAndWhenItEnds) {
  ASSERT_TRUE(
      Load("  cmd text_init(24, 0, 0, 480, 96, 0, 0, 0)\n"
           "  cmd tips_set_label(on_tip, off_tip)\n"
           "  cmd text(NONE, \"名前\", \"あ<d3>いう</d>え\", 0)\n"
           "  mov v1, 9\n"
           "  end\n"
           "on_tip:\n"
           "  add v2, 1\n"
           "  cmd tips_get_last -> v4\n"
           "  cmd tips_get_param(0, 0) -> v5\n"
           "  cmd tips_get_param(0, 1) -> v6\n"
           "  cmd tips_get_param(0, 3) -> v7\n"
           "  cmd tips_get_flag -> v8\n"
           "  ret\n"
           "off_tip:\n"
           "  add v3, 1\n"
           "  cmd tips_get_flag -> v9\n"
           "  ret\n"));
  machine_->Run();
  ASSERT_EQ(context().script.point_count, 1);
  EXPECT_EQ(tips().count, 1u);
  uint32_t now = yel::YeltimeGetTime();
  for (int frame = 0; frame < 4; ++frame) {
    now += 60000;
    adv::AdvTextWaitStep(context(), 0, now);
    machine_->Run();
  }
  EXPECT_EQ(machine_->V(2), 1) << "once per page";
  EXPECT_EQ(machine_->V(4), 0);
  EXPECT_EQ(machine_->V(5), 3);
  EXPECT_EQ(machine_->V(6), 24);
  EXPECT_GT(machine_->V(7), 24);
  EXPECT_EQ(machine_->V(8), 1);
  EXPECT_EQ(machine_->V(1), 0) << "the line still waits";
  EXPECT_EQ(context().script.point_count, 1);
  EXPECT_EQ(adv::AdvTextWaitStep(context(), adv::SKIP_BIT_ADVANCE, now + 100), 1);
  machine_->Run();
  EXPECT_EQ(machine_->V(3), 1);
  EXPECT_EQ(machine_->V(9), 0);
  EXPECT_EQ(machine_->V(1), 9);
  EXPECT_EQ(machine_->V(2), 1);
}

}  // namespace
