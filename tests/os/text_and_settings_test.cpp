#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>

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

// What stands in an INI file's place but is no regular file of a sane size is read as missing
// at once and never written over: a FIFO would block the reader until a writer came (at start,
// before any end request can reach it), a device such as /dev/zero never ends, and a file past
// the limit would be read whole for one key.
TEST_F(IniFileTest, OnlyARegularFileOfBoundedSizeIsReadOrReplaced) {
  const std::string big_head = "[MainWindow]\r\nx=5\r\n";
  const struct {
    const char* what;
    std::function<void(const std::string&)> make;
  } cases[] = {
      {"a FIFO", [](const std::string& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); }},
      {"a link to /dev/zero",
       [](const std::string& p) { std::filesystem::create_symlink("/dev/zero", p); }},
      {"a folder", [](const std::string& p) { std::filesystem::create_directory(p); }},
      {"a file past the limit",
       [&](const std::string& p) {
         std::ofstream(p, std::ios::binary)
             << big_head << std::string(os::kIniFileLimit, ';') << "\r\n";
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove_all(path_);
    c.make(path_);
    const auto type_before = std::filesystem::symlink_status(path_).type();
    EXPECT_EQ(os::ReadIniString(path_, "MainWindow", "x", "none"), "none");
    EXPECT_EQ(os::ReadIniInt(path_, "MainWindow", "x", -1), -1);
    EXPECT_FALSE(os::WriteIniString(path_, "MainWindow", "x", "7"));
    EXPECT_EQ(std::filesystem::symlink_status(path_).type(), type_before) << "left as it was";
  }
  // Just within the limit the file is an INI file like any other.
  std::filesystem::remove_all(path_);
  std::ofstream(path_, std::ios::binary)
      << big_head << std::string(os::kIniFileLimit - big_head.size(), ';');
  EXPECT_EQ(os::ReadIniInt(path_, "MainWindow", "x", -1), 5);
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
