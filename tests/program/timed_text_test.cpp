// The timed text: revealed at the text speed and held for the auto time on a clock the test
// drives, read back from its sprite's pixels; its sprite released however the task ends, the
// window's glyph lists left alone, and its map inside its texture.
#include <gtest/gtest.h>

#include <string>

#include "program/commands/text_data_commands.h"
#include "program/game/adv_context.h"
#include "program/script/value_stores.h"
#include "program/text/text_reveal.h"
#include "program/text/text_window.h"
#include "program/text/timed_text.h"
#include "tests/program/text_fixture.h"

namespace {

constexpr const char* kBegin =
    "  cmd text_time_check_begin(\"あいうえおかきくけこ\", 10, 20, 480, 48)\n";

class TimedTextTest : public test::TextFixture {
 protected:
  adv::TimedText* Begin(const std::string& source = kBegin) {
    if (!Load(source)) return nullptr;
    machine_->Run();
    return adv::AdvTextTimeCheckData(context().text_window.time_check_task);
  }
};

TEST_F(TimedTextTest, RevealsAtTheTextSpeedAndHoldsForTheAutoTime) {
  struct Case {
    int32_t text_speed;
    int32_t auto_speed;
    int32_t length;  // 0: the laid-out length; else the length of that many pixels
  } cases[] = {
      {20, 40, 240},  // 10 characters at size 24: 200 ms, then 10 x 40 + 500 ms
      {20, 0, 240},
      {100, 100, 0},
      {1, 50, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.text_speed << " " << c.auto_speed << " " << c.length);
    adv::TimedText* timed = Begin();
    ASSERT_NE(timed, nullptr);
    auto& settings = machine_->data().system.settings;
    settings.text_speed = c.text_speed;
    settings.auto_speed = c.auto_speed;
    const int whole = OpaquePixels(timed->sprite);
    ASSERT_GT(whole, 0) << "the text is drawn whole at the start";
    if (c.length) timed->length = c.length;
    const uint32_t characters = static_cast<uint32_t>(timed->length / 24);
    const uint32_t reveal = characters * c.text_speed;
    const uint32_t hold = characters * c.auto_speed + 500;
    if (c.length == 240) {
      EXPECT_EQ(reveal, 200u);
    }
    const uint32_t t0 = 50000;
    adv::AdvTextTimeCheckStep(*timed, t0);
    EXPECT_EQ(OpaquePixels(timed->sprite), 0) << "hidden when its reveal starts";
    adv::AdvTextTimeCheckStep(*timed, t0 + reveal - 1);
    EXPECT_TRUE(timed->revealing);
    EXPECT_EQ(timed->hold_time, 0u);
    adv::AdvTextTimeCheckStep(*timed, t0 + reveal);
    EXPECT_FALSE(timed->revealing);
    EXPECT_EQ(timed->hold_time, hold);
    if (c.length == 0) {
      EXPECT_EQ(OpaquePixels(timed->sprite), whole);
    }
    adv::AdvTextTimeCheckStep(*timed, t0 + reveal + hold - 1);
    EXPECT_FALSE(timed->revealing) << "still held";
    adv::AdvTextTimeCheckStep(*timed, t0 + reveal + hold);
    EXPECT_TRUE(timed->revealing) << "the next reveal";
    EXPECT_EQ(OpaquePixels(timed->sprite), 0);
    adv::AdvTextWindowRelease(context());
  }
}

// Text speed 0, or a reveal too short for one character: the text stays whole for good.
TEST_F(TimedTextTest, ATextWithoutRevealTimeStaysWhole) {
  for (int32_t length : {0, 23}) {
    SCOPED_TRACE(length);
    adv::TimedText* timed = Begin();
    ASSERT_NE(timed, nullptr);
    machine_->data().system.settings.text_speed = length == 0 ? 0 : 50;
    if (length) timed->length = length;
    const int whole = OpaquePixels(timed->sprite);
    for (uint32_t now : {1000u, 1001u, 60000u, 999999u}) {
      adv::AdvTextTimeCheckStep(*timed, now);
      EXPECT_EQ(OpaquePixels(timed->sprite), whole) << now;
      EXPECT_EQ(timed->hold_time, 0u);
    }
    // Clearing a text that is shown whole leaves it shown.
    adv::AdvTextTimeCheckClear(context().text_window);
    EXPECT_EQ(OpaquePixels(timed->sprite), whole);
    adv::AdvTextWindowRelease(context());
  }
}

// However the task ends, before its first step too, its sprite and map go at once, and only
// once: the end step that follows finds nothing left to release.
TEST_F(TimedTextTest, EndingTheTaskLeavesNoSprite) {
  enum class End { kEndCommand, kSecondBegin, kWindowRelease };
  for (End end : {End::kEndCommand, End::kSecondBegin, End::kWindowRelease}) {
    SCOPED_TRACE(static_cast<int>(end));
    ASSERT_TRUE(Load(kBegin));
    adv::AdvContext& c = context();
    const auto begin = [&] {
      for (int32_t arg : {30, 100, 0, 0}) adv::ValueStackPush(c, arg);
      adv::ValueStackPush(c, static_cast<int32_t>(machine_->TextOffset(0)));
      EXPECT_EQ(adv::CmdTextTimeCheckBegin(c), 1);
      return adv::AdvTextTimeCheckData(c.text_window.time_check_task);
    };
    adv::TimedText* first = begin();
    ASSERT_NE(first, nullptr);
    ASSERT_NE(first->sprite, nullptr);
    adv::TimedText* second = nullptr;
    switch (end) {
      case End::kEndCommand:
        adv::CmdTextTimeCheckEnd(c);
        EXPECT_EQ(c.text_window.time_check_task, nullptr);
        break;
      case End::kSecondBegin:
        second = begin();
        ASSERT_NE(second, nullptr);
        EXPECT_NE(second, first);
        EXPECT_NE(second->sprite, nullptr);
        break;
      case End::kWindowRelease:
        adv::AdvTextWindowRelease(c);
        break;
    }
    EXPECT_EQ(first->sprite, nullptr);
    EXPECT_EQ(first->map.keys, nullptr);
    machine_.reset();
  }
}

TEST_F(TimedTextTest, SizesOutOfRangeStartNothing) {
  for (const char* size : {"0, 30", "-8, 30", "100, 0", "9000, 30", "100, -1"}) {
    SCOPED_TRACE(size);
    ASSERT_TRUE(Load(std::string("  cmd text_time_check_begin(\"あ\", 0, 0, ") + size + ")\n"));
    machine_->Run();
    EXPECT_EQ(context().text_window.time_check_task, nullptr);
    EXPECT_EQ(machine_->CountLogged("text_time_check_begin : size out of range"), 1);
    machine_.reset();
  }
}

// Font size + width = 1,020: the map is 8 wider than that, the texture 1,024; every reveal
// stays inside the texture (the sanitizer build checks the writes).
TEST_F(TimedTextTest, AWideTextRevealsInsideItsTexture) {
  std::string text;
  for (int i = 0; i < 41; ++i) text += "あ";
  adv::TimedText* timed = Begin("  cmd text_time_check_begin(\"" + text + "\", 0, 0, 996, 48)\n");
  ASSERT_NE(timed, nullptr);
  machine_->data().system.settings.text_speed = 10;
  int32_t pitch = 0, rows = 0;
  ASSERT_NE(yel::YelSpriteLock(timed->sprite, &pitch, &rows), nullptr);
  yel::YelSpriteUnlock(timed->sprite);
  EXPECT_EQ(pitch, 1024);
  EXPECT_LE(timed->map.stride, pitch);
  EXPECT_LE(timed->map.rows, rows);
  const int whole = OpaquePixels(timed->sprite);
  adv::AdvTextTimeCheckStep(*timed, 1000);
  adv::AdvTextTimeCheckStep(*timed, 1000 + 100000);
  EXPECT_EQ(OpaquePixels(timed->sprite), whole);
}

// The task keeps its glyphs to itself: the window's lists are as they were, and its reveal map
// keys only its own text.
TEST_F(TimedTextTest, TheWindowsGlyphListsAreLeftAlone) {
  const adv::GlyphList shown = {{0, 0, 10, 10}, {10, 0, 20, 10}};
  const adv::GlyphList fresh = {{20, 0, 30, 10}};
  adv::ShownGlyphList() = shown;
  adv::NewGlyphList() = fresh;
  adv::TimedText* timed = Begin();
  ASSERT_NE(timed, nullptr);
  EXPECT_EQ(timed->glyphs.size(), 10u);
  machine_->data().system.settings.text_speed = 20;
  adv::AdvTextTimeCheckStep(*timed, 1000);
  adv::AdvTextTimeCheckStep(*timed, 1100);
  auto same = [](const adv::GlyphList& a, const adv::GlyphList& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
      if (a[i].left != b[i].left || a[i].top != b[i].top || a[i].right != b[i].right ||
          a[i].bottom != b[i].bottom) {
        return false;
      }
    }
    return true;
  };
  EXPECT_TRUE(same(adv::ShownGlyphList(), shown));
  EXPECT_TRUE(same(adv::NewGlyphList(), fresh));
  adv::ShownGlyphList().clear();
  adv::NewGlyphList().clear();
}

// Clearing during a reveal hides every pixel and shows again what the reveal had reached.
TEST_F(TimedTextTest, ClearShowsTheRevealSoFarAgain) {
  adv::TimedText* timed = Begin();
  ASSERT_NE(timed, nullptr);
  machine_->data().system.settings.text_speed = 50;
  adv::AdvTextTimeCheckStep(*timed, 1000);
  adv::AdvTextTimeCheckStep(*timed, 1000 + (timed->length / 24) * 50 / 2);
  const int half = OpaquePixels(timed->sprite);
  ASSERT_GT(half, 0);
  ASSERT_EQ(timed->hold_time, 0u);
  adv::AdvTextTimeCheckClear(context().text_window);
  EXPECT_EQ(OpaquePixels(timed->sprite), half);
}

}  // namespace
