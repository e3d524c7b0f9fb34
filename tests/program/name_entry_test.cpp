// The player-name field: typing arrives through the text input channel as the window posts it,
// and the commands open, check, store and close the field.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "os/encoding.h"
#include "os/message_box.h"
#include "os/text_input.h"
#include "program/dialogs/player_name_field.h"
#include "program/script/engine_log.h"
#include "program/startup/startup_names.h"
#include "program/startup/yel_import.h"
#include "tests/program/script_machine.h"
#include "tests/program/started_library.h"

namespace {

using os::TextInputEvent;
using os::TextKey;
using test::ScriptMachine;

// `wait_frame` runs this yield: the script stops there until the test's next Run.
constexpr uint32_t kYieldCode = 0x070005;

int YieldFrame(adv::AdvContext& context) {
  context.script.stop = 1;
  return 1;
}

std::string Sjis(const char* utf8) {
  return os::Utf8ToCp932(utf8);
}

// The library started, its render lock held as the main thread holds it in the task walk; the
// test thread is the UI thread, so jobs for it run at once.
class NameEntry : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(yel::LoadLibraryFrom(YEL_LIBRARY));
    render_ = test::StartLibraryHidden();
    ASSERT_NE(render_, nullptr);
    yel::YelRenderLockEnter();
    adv::AdvWindowWidth = 320;
    adv::AdvWindowHeight = 240;
    os::SetMessageBoxHook(
        [this](const std::string& text, const std::string& caption, os::BoxButtons) {
          boxes_.push_back(caption + ": " + text);
          return os::BoxAnswer::kOk;
        });
  }
  void TearDown() override {
    if (machine_) {
      adv::PlayerNameWindowClose(context());
      machine_.reset();
    }
    os::SetMessageBoxHook(nullptr);
    yel::YelRenderLockLeave();
    yel::YelRenderSetActive(nullptr);
    yel::YelRenderUninit(render_);
    yel::YelUninit();
  }

  ScriptMachine& Load(const std::string& source) {
    // The old machine goes first: its end removes the log observer the new one sets.
    if (machine_) adv::PlayerNameWindowClose(context());
    machine_.reset();
    machine_ = std::make_unique<ScriptMachine>(source);
    EXPECT_TRUE(machine_->loaded());
    machine_->SetCommand(kYieldCode, YieldFrame);
    return *machine_;
  }
  adv::AdvContext& context() { return machine_->context(); }
  std::string Name() {
    const adv::PlayerNameState& block = context().player_name;
    return std::string(block.name.data(), static_cast<size_t>(block.name_length));
  }
  adv::PlayerNameWindow* Field() { return adv::NameWindow(context().player_name); }
  static void Type(const std::vector<TextInputEvent>& events) {
    for (const TextInputEvent& event : events) os::PostTextInput(event);
  }

  YelRender* render_ = nullptr;
  std::unique_ptr<ScriptMachine> machine_;
  std::vector<std::string> boxes_;
};

// Opens the field, lets the test type, checks (v1), stores, and reads back (v2, v3, s0).
constexpr const char* kEntryScript =
    "cmd player_name_set_begin(\"\", 8, 10, 20, 200, 24, 20)\n"
    "cmd wait_frame\n"
    "cmd player_name_set_check -> v1\n"
    "cmd player_name_set_end\n"
    "cmd is_playername -> v2\n"
    "cmd player_name_get_str(s0) -> v3\n";

struct EntryCase {
  const char* what;
  std::vector<TextInputEvent> typing;
  int32_t accepted;
  const char* stored_utf8;
};

TEST_F(NameEntry, TypedNamesAreCheckedAndStored) {
  const EntryCase cases[] = {
      {"full-width name", {TextInputEvent::Text("太郎")}, 1, "太郎"},
      {"edited",
       {TextInputEvent::Text("太郎"), TextInputEvent::Key(TextKey::kBackspace),
        TextInputEvent::Text("子")},
       1,
       "太子"},
      {"caret moves",
       {TextInputEvent::Text("太郎"), TextInputEvent::Key(TextKey::kHome),
        TextInputEvent::Text("山"), TextInputEvent::Key(TextKey::kEnd),
        TextInputEvent::Key(TextKey::kDelete)},
       1,
       "山太郎"},
      {"no code in 932 is refused, the rest kept",
       {TextInputEvent::Text("太\xF0\x9F\x98\x80郎")},
       1,
       "太郎"},
      {"composition committed",
       {TextInputEvent::Composition("たろう", 3), TextInputEvent::Text("太郎")},
       1,
       "太郎"},
      {"a half-width letter", {TextInputEvent::Text("太郎a")}, 0, ""},
      {"half-width katakana", {TextInputEvent::Text("ﾀﾛｳ")}, 0, ""},
      {"only full-width spaces", {TextInputEvent::Text("　　")}, 0, ""},
      {"nothing typed", {}, 0, ""},
      {"longer than the limit of 8 characters",
       {TextInputEvent::Text("一二三四五六七八九十")},
       1,
       "一二三四五六七八"},
  };
  for (const EntryCase& row : cases) {
    SCOPED_TRACE(row.what);
    ScriptMachine& m = Load(kEntryScript);
    m.Run();
    ASSERT_NE(Field(), nullptr);
    EXPECT_TRUE(os::TextInputCaptured());
    Type(row.typing);
    m.Run();
    EXPECT_EQ(m.V(1), row.accepted);
    EXPECT_EQ(Name(), Sjis(row.stored_utf8));
    EXPECT_EQ(m.V(2), row.accepted);  // changed from the empty name
    EXPECT_EQ(m.V(3), 0);
    EXPECT_EQ(std::string(context().values.string_variables[0].data()), Sjis(row.stored_utf8));
    EXPECT_EQ(Field(), nullptr);
    EXPECT_FALSE(os::TextInputCaptured()) << "the keyboard goes back to the game";
    EXPECT_TRUE(m.Logged(row.accepted ? "[1]player_name_set_check" : "[0]player_name_set_check",
                         adv::kLogTrace));
  }
}

TEST_F(NameEntry, RefusedCheckPutsTheStoredNameBackAndStaysOpen) {
  ScriptMachine& m = Load(
      "cmd player_name_set_direct(\"花子\")\n"
      "cmd player_name_set_begin(\"花子\", 8, 10, 20, 200, 24, 20)\n"
      "cmd wait_frame\n"
      "cmd player_name_set_check -> v1\n"
      "cmd wait_frame\n"
      "cmd player_name_set_check -> v2\n"
      "cmd player_name_set_end\n"
      "cmd is_playername -> v3\n");
  m.Run();
  Type({TextInputEvent::Key(TextKey::kBackspace), TextInputEvent::Text("A")});
  m.Run();
  EXPECT_EQ(m.V(1), 0);
  ASSERT_NE(Field(), nullptr);
  EXPECT_EQ(Field()->field.text(), Sjis("花子"));
  EXPECT_EQ(Field()->state, adv::kNameFieldOpen);
  m.Run();  // the same name again: accepted, not changed
  EXPECT_EQ(m.V(2), 1);
  EXPECT_EQ(m.V(3), 0);
  EXPECT_EQ(Name(), Sjis("花子"));
}

TEST_F(NameEntry, TypingAfterAnAcceptedCheckIsNotStored) {
  ScriptMachine& m = Load(
      "cmd player_name_set_begin(\"\", 8, 10, 20, 200, 24, 20)\n"
      "cmd wait_frame\n"
      "cmd player_name_set_check -> v1\n"
      "cmd wait_frame\n"
      "cmd player_name_set_end\n");
  m.Run();
  Type({TextInputEvent::Text("太郎")});
  m.Run();
  ASSERT_EQ(m.V(1), 1);
  Type({TextInputEvent::Text("abc")});  // never checked
  m.Run();
  EXPECT_EQ(Name(), Sjis("太郎"));
}

TEST_F(NameEntry, CompositionIsDrawnInTheFieldOverTheGame) {
  ScriptMachine& m = Load(
      "cmd player_name_set_begin(\"\", 8, 10, 20, 200, 24, 20)\n"
      "cmd wait_frame\n"
      "cmd player_name_update\n"
      "cmd wait_frame\n"
      "cmd player_name_set_end\n");
  m.Run();
  ASSERT_NE(Field(), nullptr);
  YelSprite* sprite = Field()->sprite;
  ASSERT_NE(sprite, nullptr);
  EXPECT_EQ(yel::YelSpriteViewIs(sprite), 1);
  YelSpriteInfo info{};
  yel::YelSpriteGetInfo(sprite, &info);
  EXPECT_EQ(info.x, 10.0f);
  EXPECT_EQ(info.y, 20.0f);
  auto inked = [&] {
    int count = 0;
    for (int y = 0; y < 24; ++y) {
      for (int x = 4; x < 200; ++x) count += yel::YelGetPixel(sprite, x, y) != 0xFFFFFFFFu;
    }
    return count;
  };
  const int empty = inked();  // the caret only
  Type({TextInputEvent::Composition("たろう", 3)});
  m.Run();
  EXPECT_EQ(Field()->field.composition(), "たろう");
  EXPECT_TRUE(Field()->field.text().empty()) << "not committed yet";
  EXPECT_GT(inked(), empty + 50);
  m.Run();
  EXPECT_EQ(Name(), "") << "an uncommitted composition is not a name";
}

TEST_F(NameEntry, BeginStoresTheNameWithItsLengthAndASecondBeginReplacesTheField) {
  ScriptMachine& m = Load(
      "cmd player_name_set_direct(\"一二三四五\")\n"
      "cmd player_name_set_begin(\"花子\", 8, 10, 20, 200, 24, 20)\n"
      "cmd wait_frame\n"
      "cmd player_name_set_begin(\"次郎\", 8, 10, 60, 200, 24, 20)\n"
      "cmd wait_frame\n"
      "cmd player_name_set_end\n");
  m.Run();
  EXPECT_EQ(Name(), Sjis("花子"));
  EXPECT_EQ(context().player_name.name_length, 4);
  m.Run();
  ASSERT_NE(Field(), nullptr);
  EXPECT_EQ(Field()->game_y, 60);
  EXPECT_EQ(Field()->field.text(), Sjis("次郎"));
  m.Run();
  EXPECT_EQ(Field(), nullptr);
  EXPECT_FALSE(os::TextInputCaptured()) << "the first field let the keyboard go too";
}

TEST_F(NameEntry, DirectNamesAndTheirLimits) {
  // 16 full-width characters fill the 32 bytes; the string variable still ends after them.
  ScriptMachine& m = Load(
      "cmd player_name_set_direct(\"一二三四五六七八九十一二三四五六\")\n"
      "cmd player_name_get_str(s1) -> v1\n"
      "cmd player_name_set_direct(\"山\")\n"
      "cmd player_name_get_str(s2) -> v2\n"
      "cmd player_name_get_str(5) -> v3\n"
      "cmd player_name_set_check -> v4\n"
      "cmd player_name_set_end\n"
      "cmd player_name_reset\n");
  m.Run();
  EXPECT_EQ(std::string(context().values.string_variables[1].data()),
            Sjis("一二三四五六七八九十一二三四五六"));
  EXPECT_EQ(m.V(1), 0);
  EXPECT_EQ(std::string(context().values.string_variables[2].data()), Sjis("山"));
  EXPECT_EQ(Name(), Sjis("山"));
  EXPECT_EQ(context().player_name.byte_limit, 2);
  EXPECT_EQ(m.V(3), -1);
  EXPECT_TRUE(m.Logged("player_name_get_str : string型以外の型を指定しました。", adv::kLogError));
  EXPECT_EQ(m.V(4), 0);
  EXPECT_TRUE(m.Logged("player_name_set_check not run", adv::kLogTrace));
  EXPECT_TRUE(m.Logged("player_name_set_end not run", adv::kLogTrace));
  EXPECT_TRUE(m.Logged("player_name_reset not run", adv::kLogTrace));
}

TEST_F(NameEntry, TextsOverThirtyTwoBytesAreRefusedWithTheBox) {
  for (const char* command : {"player_name_set_direct(\"一二三四五六七八九十一二三四五六a\")",
                              "player_name_set_begin(\"一二三四五六七八九十一二三四五六a\", 20, "
                              "0, 0, 100, 20, 16)"}) {
    boxes_.clear();
    ScriptMachine& m = Load(std::string("cmd ") + command + "\n");
    m.Run();
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_NE(boxes_[0].find("バッファオーバー"), std::string::npos);
    EXPECT_EQ(Field(), nullptr);
    EXPECT_EQ(context().player_name.name_length, 0);
    EXPECT_EQ(m.CountLogged("内部エラー"), 1);
  }
}

TEST(EditField, PasteTakesTheClipboardAsTyping) {
  os::SetClipboardText("太\n郎\tx");
  adv::EditField line(32, false);
  EXPECT_EQ(line.Apply(TextInputEvent::Key(TextKey::kPaste)), adv::EditField::Outcome::kChanged);
  EXPECT_EQ(line.text(), Sjis("太")) << "a single line takes the text up to its first break";
  adv::EditField lines(32, true);
  EXPECT_EQ(lines.Apply(TextInputEvent::Key(TextKey::kPaste)), adv::EditField::Outcome::kRefused);
  EXPECT_EQ(lines.text(), Sjis("太\r\n郎x")) << "the tab has no place in a field";
  adv::EditField small(3, false);
  EXPECT_EQ(small.Apply(TextInputEvent::Text("太郎")), adv::EditField::Outcome::kRefused);
  EXPECT_EQ(small.text(), Sjis("太")) << "no half character at the end";
}

}  // namespace
