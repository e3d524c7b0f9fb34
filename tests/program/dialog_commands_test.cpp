// The dialog commands: the text editor, the name and line editor, message boxes and the file
// dialogs, answered through the text input channel as the window would post a player's keys.
// Without a display a dialog takes the typing already waiting and then gives its cancelling
// answer, so each test posts its keys before the command runs.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "os/encoding.h"
#include "os/message_box.h"
#include "os/text_input.h"
#include "program/commands/extra_commands.h"
#include "program/dialogs/file_dialog.h"
#include "program/dialogs/stand_edit_dialog.h"
#include "program/dialogs/text_edit_dialog.h"
#include "program/script/engine_log.h"
#include "program/startup/yel_import.h"
#include "tests/program/script_machine.h"
#include "tests/program/started_library.h"
#include "tests/program/temp_folder.h"

namespace {

using os::TextInputEvent;
using os::TextKey;
using test::ScriptMachine;

std::string Sjis(const char* utf8) {
  return os::Utf8ToCp932(utf8);
}

void Type(const std::vector<TextInputEvent>& events) {
  for (const TextInputEvent& event : events) os::PostTextInput(event);
}

TextInputEvent Key(TextKey key, bool shift = false) {
  return TextInputEvent::Key(key, shift);
}
TextInputEvent Text(const char* utf8) {
  return TextInputEvent::Text(utf8);
}

class Dialogs : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(yel::LoadLibraryFrom(YEL_LIBRARY));
    render_ = test::StartLibraryHidden();
    ASSERT_NE(render_, nullptr);
    yel::YelRenderLockEnter();
    os::SetMessageBoxHook(
        [this](const std::string& text, const std::string& caption, os::BoxButtons buttons) {
          boxes_.push_back(caption + ": " + text);
          buttons_.push_back(buttons);
          if (answers_.empty()) return os::BoxAnswer::kOk;
          const os::BoxAnswer answer = answers_.front();
          answers_.erase(answers_.begin());
          return answer;
        });
  }
  void TearDown() override {
    machine_.reset();
    os::SetMessageBoxHook(nullptr);
    yel::YelRenderLockLeave();
    yel::YelRenderSetActive(nullptr);
    yel::YelRenderUninit(render_);
    yel::YelUninit();
  }
  ScriptMachine& Run(const std::string& source) {
    // The old machine goes first: its end removes the log observer the new one sets.
    machine_.reset();
    machine_ = std::make_unique<ScriptMachine>(source);
    EXPECT_TRUE(machine_->loaded());
    machine_->Run();
    EXPECT_FALSE(os::TextInputCaptured()) << "every dialog lets the keyboard go";
    return *machine_;
  }
  std::string S(int n) { return machine_->context().values.string_variables[n].data(); }

  YelRender* render_ = nullptr;
  std::unique_ptr<ScriptMachine> machine_;
  std::vector<std::string> boxes_;
  std::vector<os::BoxButtons> buttons_;
  std::vector<os::BoxAnswer> answers_;
};

// ---- edit -----------------------------------------------------------------------------------

TEST(TextEditDialog, CounterAndOkFollowTheText) {
  adv::TextEditDialog dialog("caption", "a\r\nb", 4);
  EXPECT_EQ(dialog.counter(), "3/4");  // a, the line break, b
  EXPECT_TRUE(dialog.ok_enabled());
  dialog.Apply(Text("あ"));
  EXPECT_EQ(dialog.counter(), "5/4(over 1)");
  EXPECT_FALSE(dialog.ok_enabled());
  dialog.Apply(Key(TextKey::kTab));  // OK is disabled: the focus goes to Cancel
  EXPECT_EQ(dialog.focus(), adv::TextEditDialog::kCancel);
  dialog.Apply(Key(TextKey::kTab));
  dialog.Apply(Key(TextKey::kBackspace));
  EXPECT_EQ(dialog.counter(), "3/4");
  EXPECT_TRUE(dialog.ok_enabled());
  for (int i = 0; i < 3; ++i) dialog.Apply(Key(TextKey::kBackspace));
  EXPECT_EQ(dialog.counter(), "0/4");
  EXPECT_FALSE(dialog.ok_enabled()) << "an empty field cannot be accepted";
}

TEST(TextEditDialog, OpenedOverTheLimitKeepsOkUntilTheTextChanges) {
  adv::TextEditDialog dialog("caption", Sjis("あいう"), 4);
  EXPECT_EQ(dialog.counter(), "6/4");
  EXPECT_TRUE(dialog.ok_enabled());
  dialog.Apply(Key(TextKey::kTab));
  dialog.Apply(Key(TextKey::kReturn));
  ASSERT_TRUE(dialog.closed());
  EXPECT_EQ(dialog.accepted(), Sjis("あい")) << "cut between characters, never inside one";
}

TEST(TextEditDialog, AcceptedTextKeepsWholeCharactersAndBreaks) {
  EXPECT_EQ(adv::TextEditAcceptedText("ab\r\ncd", 5), "ab\r\ncd");  // a break counts one cell
  EXPECT_EQ(adv::TextEditAcceptedText("ab\r\ncd", 3), "ab\r\n");
  EXPECT_EQ(adv::TextEditAcceptedText(Sjis("aあ"), 2), "a");
  EXPECT_EQ(adv::TextEditAcceptedText(Sjis("aあ"), -1), "");
}

// The middle of a control, in the dialog's pixels.
struct Point {
  int32_t x, y;
};
Point Middle(const adv::CanvasRect& rect) {
  return {rect.x + rect.width / 2, rect.y + rect.height / 2};
}
void ClickAt(adv::ModalDialog& dialog, Point point) {
  dialog.Click(point.x, point.y);
}
Point OkButton(const adv::ModalDialog& dialog) {
  return Middle(adv::DialogOkButton(dialog.Width(), dialog.Height()));
}
Point CancelButton(const adv::ModalDialog& dialog) {
  return Middle(adv::DialogCancelButton(dialog.Width(), dialog.Height()));
}

TEST(TextEditDialog, ClicksFocusTheFieldAndWorkTheButtons) {
  adv::TextEditDialog dialog("caption", "ab", 4);
  dialog.Apply(Key(TextKey::kTab));
  ClickAt(dialog, {20, 40});
  EXPECT_EQ(dialog.focus(), adv::TextEditDialog::kField);
  ClickAt(dialog, {2, dialog.Height() - 2});  // the bare face: nothing
  EXPECT_FALSE(dialog.closed());
  ClickAt(dialog, OkButton(dialog));
  ASSERT_TRUE(dialog.closed());
  EXPECT_EQ(dialog.answer(), 0);
  EXPECT_EQ(dialog.accepted(), "ab");

  adv::TextEditDialog over("caption", "ab", 4);
  over.Apply(Text("xyz"));
  ClickAt(over, OkButton(over));
  EXPECT_FALSE(over.closed()) << "a disabled OK does not take the click";
  ClickAt(over, CancelButton(over));
  ASSERT_TRUE(over.closed());
  EXPECT_EQ(over.answer(), adv::ModalDialog::kCancelled);
}

TEST_F(Dialogs, EditTakesTheTypedTextWithItsLineBreaks) {
  Type({Key(TextKey::kEnd), Key(TextKey::kReturn), Text("う"), Key(TextKey::kTab),
        Key(TextKey::kReturn)});
  ScriptMachine& m = Run("cmd edit(s3, \"名前\", \"あ\\\\nい\", 20) -> v1\n");
  EXPECT_EQ(m.V(1), 1);
  EXPECT_EQ(S(3), Sjis("あ\r\nい\r\nう"));
  EXPECT_TRUE(m.Logged("edit " + Sjis("あ\r\nい\r\nう"), adv::kLogTrace));
}

TEST_F(Dialogs, EditCancelledOrUnseenGivesNothing) {
  for (const bool escape : {true, false}) {
    if (escape) Type({Text("abc"), Key(TextKey::kEscape)});
    ScriptMachine& m = Run("cmd strcpy(s2, \"old\", -1)\ncmd edit(s2, \"c\", \"x\", 20) -> v1\n");
    EXPECT_EQ(m.V(1), 0);
    EXPECT_EQ(S(2), "old");
    EXPECT_TRUE(m.Logged("cansel edit", adv::kLogTrace));
  }
}

TEST_F(Dialogs, EditIntoAnythingButAStringVariableOpensNoDialog) {
  Type({Text("abc"), Key(TextKey::kTab), Key(TextKey::kReturn)});
  ScriptMachine& m = Run("cmd edit(5, \"c\", \"x\", 20) -> v1\n");
  EXPECT_EQ(m.V(1), 0);
  EXPECT_TRUE(m.Logged("edit : string型以外の型を指定しました。", adv::kLogError));
  int untaken = 0;
  while (os::TakeTextInput()) ++untaken;
  EXPECT_EQ(untaken, 3) << "no dialog took the typing";
}

// ---- message_box ----------------------------------------------------------------------------

struct BoxCase {
  int32_t type;
  os::BoxButtons buttons;
  os::BoxAnswer answer;
  int32_t id;
};

TEST_F(Dialogs, MessageBoxReturnsTheButtonIds) {
  const BoxCase cases[] = {
      {0x00, os::BoxButtons::kOk, os::BoxAnswer::kOk, 1},
      {0x01, os::BoxButtons::kOkCancel, os::BoxAnswer::kCancel, 2},
      {0x32, os::BoxButtons::kAbortRetryIgnore, os::BoxAnswer::kAbort, 3},
      {0x02, os::BoxButtons::kAbortRetryIgnore, os::BoxAnswer::kRetry, 4},
      {0x02, os::BoxButtons::kAbortRetryIgnore, os::BoxAnswer::kIgnore, 5},
      {0x23, os::BoxButtons::kYesNoCancel, os::BoxAnswer::kYes, 6},
      {0x04, os::BoxButtons::kYesNo, os::BoxAnswer::kNo, 7},
      {0x05, os::BoxButtons::kRetryCancel, os::BoxAnswer::kRetry, 4},
      {0x06, os::BoxButtons::kCancelTryContinue, os::BoxAnswer::kTryAgain, 10},
      {0x06, os::BoxButtons::kCancelTryContinue, os::BoxAnswer::kContinue, 11},
  };
  for (const BoxCase& row : cases) {
    boxes_.clear();
    buttons_.clear();
    answers_ = {row.answer};
    ScriptMachine& m =
        Run("cmd message_box(\"本文\", \"題\", " + std::to_string(row.type) + ") -> v1\n");
    EXPECT_EQ(m.V(1), row.id) << row.type;
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0], "題: 本文");
    EXPECT_EQ(buttons_[0], row.buttons);
  }
}

TEST_F(Dialogs, MessageBoxWithoutADisplayGivesTheCancellingAnswer) {
  os::SetMessageBoxHook(nullptr);
  const std::pair<int32_t, int32_t> cases[] = {{0, 1}, {1, 2}, {2, 3}, {3, 2},
                                               {4, 7}, {5, 2}, {6, 2}};
  for (const auto& [type, id] : cases) {
    ScriptMachine& m = Run("cmd message_box(\"t\", \"c\", " + std::to_string(type) + ") -> v1\n");
    EXPECT_EQ(m.V(1), id) << type;
  }
}

// ---- stand_edit -----------------------------------------------------------------------------

struct EncodeCase {
  const char* input_utf8;
  int32_t cells;
  int32_t lines;
  int32_t half_width;
  int result;
  const char* stored_utf8;
};

TEST(StandTextEncode, ChecksLimitsAndWritesTheStoredForm) {
  const EncodeCase cases[] = {
      {"一二三四", 8, 1, 2, 1, "一二三四"},
      {"一二三四五", 8, 1, 2, 0, "一二三四"},
      {"a<b", 8, 1, 2, 3, "a"},
      {"a\\b", 8, 1, 2, 3, "a"},
      {"a%b", 8, 1, 2, 3, "a"},
      {"a\tb", 8, 1, 2, 2, "a"},
      {"a\nb", 8, 1, 2, 0, "a"},  // a one-line text takes no break
      // An exactly full line moves on without a "<br>"; a character that runs over gets one.
      {"一二三四五六", 10, 2, 2, 1, "一二三四五六"},
      {"一二三四五六七八九十", 10, 2, 2, 1, "一二三四五六七八九十"},
      {"一二三四五六七八九十一", 10, 2, 2, 0, "一二三四五六七八九十"},
      {"a一二", 4, 2, 1, 1, "a一<br>二"},
      {"a一二", 4, 2, 2, 1, "a一二"},
      {"一\r\n二", 10, 2, 2, 1, "一<br>二"},
      {"一\n二\n三", 10, 2, 2, 0, "一<br>二<br>"},
      {"", 10, -1, 2, 0, ""},
  };
  for (const EncodeCase& row : cases) {
    std::string stored;
    EXPECT_EQ(adv::StandTextEncode(stored, Sjis(row.input_utf8), row.cells, row.lines,
                                   row.half_width, adv::kStandLineBytes),
              row.result)
        << row.input_utf8;
    EXPECT_EQ(stored, Sjis(row.stored_utf8)) << row.input_utf8;
  }
}

TEST(StandTextEncode, AStoredLineNeverOutgrowsItsBuffer) {
  // 150 typed breaks of "<br>" are 600 bytes: refused as too long instead of written past 399.
  std::string text;
  for (int i = 0; i < 150; ++i) text += "a\n";
  std::string stored;
  EXPECT_EQ(adv::StandTextEncode(stored, text, 2, 1000, 1, adv::kStandLineBytes), 0);
  EXPECT_LE(stored.size(), adv::kStandLineBytes);
}

TEST(StandTextEncode, DecodeShowsBreaksAndStopsAtWhatTheFieldCannotHold) {
  EXPECT_EQ(adv::StandTextDecode(Sjis("一<br>二<b>三")), Sjis("一\r\n二"));
  EXPECT_EQ(adv::StandTextDecode("ab%c"), "ab");
}

TEST_F(Dialogs, StandEditStoresTheNameAndLineAndReopensWithThem) {
  adv::StandEdit() = adv::StandEditState{};
  Type({Key(TextKey::kDown), Key(TextKey::kTab), Text("一二三四五六"), Key(TextKey::kTab),
        Key(TextKey::kReturn)});
  ScriptMachine& m =
      Run("cmd stand_edit_list_add(\"乙\")\n"
          "cmd stand_edit_list_add(\"甲\")\n"
          "cmd stand_edit_narrow(1) -> v2\n"
          "cmd stand_edit_narrow(0) -> v3\n"
          "cmd stand_edit(4, 5, 2) -> v1\n"
          "cmd stand_edit_get_name(s1)\n"
          "cmd stand_edit_get_line(s2)\n");
  EXPECT_EQ(m.V(2), 0);
  EXPECT_EQ(m.V(3), 1);
  EXPECT_EQ(m.V(1), 1);
  EXPECT_TRUE(m.Logged("STAND EDIT OK", adv::kLogError));
  EXPECT_EQ(S(1), Sjis("甲")) << "the second name of the sorted list";
  EXPECT_EQ(S(2), Sjis("一二三四五六"));
  adv::StandEdit().line = Sjis("一<br>二");
  adv::StandEditDialog again;
  EXPECT_EQ(again.name().text(), S(1));
  EXPECT_EQ(again.line().text(), Sjis("一\r\n二"));
}

TEST_F(Dialogs, StandEditRefusalsKeepTheDialogOpen) {
  adv::StandEdit() = adv::StandEditState{};
  Type({Text("一二三四五"), Key(TextKey::kReturn), Key(TextKey::kBackspace),
        Key(TextKey::kBackspace), Text("<"), Key(TextKey::kReturn), Key(TextKey::kEscape)});
  ScriptMachine& m = Run("cmd stand_edit(4, 5, 2) -> v1\n");
  EXPECT_EQ(m.V(1), 0);
  EXPECT_TRUE(m.Logged("STAND EDIT CANCEL", adv::kLogError));
  ASSERT_EQ(boxes_.size(), 2u);
  EXPECT_EQ(boxes_[0], "入力エラー: 名前が最大文字数を超えています");
  EXPECT_EQ(boxes_[1], "入力エラー: 名前に使用出来ない半角文字が入っています");
}

TEST_F(Dialogs, StandEditResultsNeedAStringVariable) {
  ScriptMachine& m = Run("cmd stand_edit_get_name(7)\n");
  EXPECT_TRUE(m.Logged("文字変数ではありません 7", adv::kLogError));
  EXPECT_EQ(m.CountLogged("内部エラー"), 1);
}

// ---- File dialogs ---------------------------------------------------------------------------

class FileDialogs : public Dialogs {
 protected:
  void SetUp() override {
    Dialogs::SetUp();
    home_.Write("Documents/a.txt", "a");
    home_.Write("Documents/b.dat", "b");
    home_.Write("Documents/sub/c.txt", "c");
  }
  std::string Documents() { return home_ / "Documents"; }

  test::TempFolder home_;
  test::ScopedEnv home_env_{"HOME", home_.path()};
  test::ScopedEnv config_env_{"XDG_CONFIG_HOME", home_ / ".config"};
};

TEST_F(FileDialogs, FilterAndListingFollowTheExtension) {
  const std::string filter = adv::FileDialogFilter("txt");
  EXPECT_EQ(filter, Sjis("txtファイル(*.txt)") + '\0' + "*.txt" + '\0' +
                        Sjis("全てのファイル(*.*)") + '\0' + "*.*" + '\0' + '\0');
  adv::FileDialog dialog({false, "txt", "t", "", 0, adv::SpecialFolderPath(5)});
  EXPECT_EQ(dialog.folder(), Documents());
  EXPECT_EQ(dialog.listing(), (std::vector<std::string>{"../", "sub/", "a.txt"}));
  dialog.Apply(Key(TextKey::kTab));
  dialog.Apply(Key(TextKey::kTab));
  dialog.Apply(Key(TextKey::kDown));  // all files
  EXPECT_EQ(dialog.listing(), (std::vector<std::string>{"../", "sub/", "a.txt", "b.dat"}));
}

TEST_F(FileDialogs, OpenChoosesAFileByNameOrFromTheListing) {
  Type({Text("a"), Key(TextKey::kReturn)});
  ScriptMachine& m =
      Run("cmd open_file_dialog(\"txt\", \"開く\", \"\", 0x1000, 5) -> v1\n"
          "cmd get_dialog_file_name(s4)\n");
  EXPECT_EQ(m.V(1), 1);
  EXPECT_EQ(S(4), Documents() + "/a.txt");

  // Into "sub" from the listing, then its only file.
  Type({Key(TextKey::kTab), Key(TextKey::kDown), Key(TextKey::kDown), Key(TextKey::kReturn),
        Key(TextKey::kDown), Key(TextKey::kDown), Key(TextKey::kReturn)});
  ScriptMachine& again =
      Run("cmd open_file_dialog(\"txt\", \"開く\", \"\", 0, 5) -> v1\n"
          "cmd get_dialog_file_name(s4)\n");
  EXPECT_EQ(again.V(1), 1);
  EXPECT_EQ(S(4), Documents() + "/sub/c.txt");
}

TEST_F(FileDialogs, ClicksPickEnterAndChooseFromTheListing) {
  adv::FileDialog dialog({false, "txt", "t", "", 0, adv::SpecialFolderPath(5)});
  // The listing's rows start two pixels into its box, one text height each.
  const int32_t h = adv::kDialogFontHeight;
  const int32_t list_top = adv::DialogCaptionHeight(h) + 6 + h + 4 + 2;
  auto row = [&](int n) { return Point{40, list_top + n * h + h / 2}; };
  ClickAt(dialog, row(1));  // "sub/" picked
  EXPECT_EQ(dialog.folder(), Documents());
  ClickAt(dialog, row(5));  // below the last entry: nothing
  ClickAt(dialog, row(1));  // the picked folder again: into it
  EXPECT_EQ(dialog.folder(), Documents() + "/sub");
  ClickAt(dialog, row(1));  // "c.txt" picked, its name in the field
  EXPECT_FALSE(dialog.closed());
  ClickAt(dialog, OkButton(dialog));
  ASSERT_TRUE(dialog.closed());
  EXPECT_EQ(dialog.answer(), 1);
  EXPECT_EQ(dialog.chosen(), Documents() + "/sub/c.txt");

  adv::FileDialog filtered({false, "txt", "t", "", 0, adv::SpecialFolderPath(5)});
  const int32_t filter_y = list_top - 2 + 8 * h + 4 + 6 + h + 14 + h / 2;
  ClickAt(filtered, {40, filter_y});
  EXPECT_EQ(filtered.filter(), 1);
  EXPECT_EQ(filtered.listing(), (std::vector<std::string>{"../", "sub/", "a.txt", "b.dat"}));
  ClickAt(filtered, CancelButton(filtered));
  ASSERT_TRUE(filtered.closed());
  EXPECT_EQ(filtered.answer(), 0);
}

TEST_F(FileDialogs, CancelledOrRefusedDialogsChooseNothing) {
  adv::FileDialogPath() = "old";
  Type({Key(TextKey::kEscape)});
  ScriptMachine& m = Run("cmd open_file_dialog(\"txt\", \"t\", \"a.txt\", 0, 5) -> v1\n");
  EXPECT_EQ(m.V(1), 0);
  EXPECT_EQ(adv::FileDialogPath(), "");

  // A file that must exist and does not: the box, the dialog stays, and nobody answers it.
  Type({Text("missing"), Key(TextKey::kReturn)});
  ScriptMachine& must = Run("cmd open_file_dialog(\"txt\", \"t\", \"\", 0x1000, 5) -> v1\n");
  EXPECT_EQ(must.V(1), 0);
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_NE(boxes_[0].find("missing.txt"), std::string::npos);
}

TEST_F(FileDialogs, SaveAsksBeforeOverwritingAndDropsFlagsItCannotCarryOut) {
  answers_ = {os::BoxAnswer::kNo};
  Type({Text("a"), Key(TextKey::kReturn), Key(TextKey::kEscape)});
  ScriptMachine& m = Run("cmd save_file_dialog(\"txt\", \"t\", \"\", 0x2, 5) -> v1\n");
  EXPECT_EQ(m.V(1), 0);
  ASSERT_EQ(buttons_.size(), 1u);
  EXPECT_EQ(buttons_[0], os::BoxButtons::kYesNo);

  // A hook (0x20) and a template (0x40) without their pointers, and multiple selection (0x200),
  // change nothing.
  answers_ = {os::BoxAnswer::kYes};
  Type({Text("a"), Key(TextKey::kReturn)});
  ScriptMachine& yes =
      Run("cmd save_file_dialog(\"txt\", \"t\", \"\", 0x262, 5) -> v1\n"
          "cmd get_dialog_file_name(s4)\n");
  EXPECT_EQ(yes.V(1), 1);
  EXPECT_EQ(S(4), Documents() + "/a.txt");
}

TEST(SpecialFolders, MapToTheUserFolders) {
  test::TempFolder home;
  test::ScopedEnv home_env("HOME", home.path());
  test::ScopedEnv config("XDG_CONFIG_HOME", std::nullopt);
  test::ScopedEnv data("XDG_DATA_HOME", std::nullopt);
  EXPECT_EQ(adv::SpecialFolderPath(0x05), home / "Documents");
  EXPECT_EQ(adv::SpecialFolderPath(0x00), home / "Desktop");
  EXPECT_EQ(adv::SpecialFolderPath(0x27), home / "Pictures");
  EXPECT_EQ(adv::SpecialFolderPath(0x1A), home / ".config");
  EXPECT_EQ(adv::SpecialFolderPath(0x1C), home / ".local/share");
  EXPECT_EQ(adv::SpecialFolderPath(0x28), home.path());
  EXPECT_EQ(adv::SpecialFolderPath(0x99), "");
}

}  // namespace
