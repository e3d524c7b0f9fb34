#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "os/encoding.h"
#include "os/ini_file.h"
#include "os/message_box.h"

namespace {

TEST(Encoding, Cp932AndGbkConvertToUtf8) {
  // "日本" in CP932, "中文" in GBK.
  EXPECT_EQ(os::Cp932ToUtf8("\x93\xfa\x96\x7b"), "日本");
  EXPECT_EQ(os::GbkToUtf8("\xd6\xd0\xce\xc4"), "中文");
  EXPECT_EQ(os::Utf8ToCp932("メモリ"), "\x83\x81\x83\x82\x83\x8a");
  // CP932 rows that plain Shift-JIS lacks: the circled digit one (NEC row 13).
  EXPECT_EQ(os::Cp932ToUtf8("\x87\x40"), "①");
}

TEST(Encoding, InvalidBytesBecomeQuestionMarksAndATrailingLeadByteIsSafe) {
  EXPECT_EQ(os::Cp932ToUtf8("A\x81"), "A?");
  EXPECT_EQ(os::Cp932ToUtf8(std::string("\xff" "B", 2)), "?B");
}

TEST(Encoding, SjisLiteralsAreStable) {
  const char* first = os::Sjis("メモリ");
  EXPECT_EQ(first, os::Sjis("メモリ"));
  EXPECT_STREQ(first, "\x83\x81\x83\x82\x83\x8a");
}

class IniFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("ini_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
    path_ = (dir_ / "setting.ini").string();
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::filesystem::path dir_;
  std::string path_;
};

TEST_F(IniFileTest, WriteKeepsOtherSectionsAndReplacesTheKey) {
  std::ofstream(path_) << "[DebugWindow]\r\nx=5\r\n\r\n[MainWindow]\r\nx=1\r\n";
  ASSERT_TRUE(os::WriteIniString(path_, "mainwindow", "X", "300"));
  ASSERT_TRUE(os::WriteIniString(path_, "MainWindow", "y", "200"));
  EXPECT_EQ(os::ReadIniInt(path_, "MainWindow", "x", -1), 300);
  EXPECT_EQ(os::ReadIniInt(path_, "MainWindow", "y", -1), 200);
  EXPECT_EQ(os::ReadIniInt(path_, "DebugWindow", "x", -1), 5);
  EXPECT_EQ(os::ReadIniInt(path_, "Missing", "x", -1), -1);
  EXPECT_FALSE(std::filesystem::exists(path_ + ".tmp"));
}

TEST_F(IniFileTest, WriteCreatesTheFile) {
  ASSERT_TRUE(os::WriteIniString(path_, "MainWindow", "x", "7"));
  EXPECT_EQ(os::ReadIniString(path_, "MainWindow", "x", ""), "7");
}

TEST(MessageBox, HeadlessBoxGivesTheCancellingAnswer) {
  ASSERT_EQ(std::string(std::getenv("SDL_VIDEODRIVER") ? std::getenv("SDL_VIDEODRIVER") : ""),
            "offscreen")
      << "tests run headless";
  const struct {
    os::BoxButtons buttons;
    os::BoxAnswer answer;
  } cases[] = {{os::BoxButtons::kOk, os::BoxAnswer::kOk},
               {os::BoxButtons::kOkCancel, os::BoxAnswer::kCancel},
               {os::BoxButtons::kYesNo, os::BoxAnswer::kNo},
               {os::BoxButtons::kYesNoCancel, os::BoxAnswer::kCancel}};
  for (const auto& c : cases) EXPECT_EQ(os::ShowMessageBox("text", "caption", c.buttons), c.answer);
}

TEST(MessageBox, HookAnswersInsteadOfTheBox) {
  std::string seen;
  os::SetMessageBoxHook([&](const std::string& text, const std::string&, os::BoxButtons) {
    seen = text;
    return os::BoxAnswer::kYes;
  });
  EXPECT_EQ(os::ShowMessageBox("question?", "", os::BoxButtons::kYesNo), os::BoxAnswer::kYes);
  os::SetMessageBoxHook(nullptr);
  EXPECT_EQ(seen, "question?");
}

}  // namespace
