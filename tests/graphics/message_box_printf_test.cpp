// The formatted message box: text formatted and converted from CP932, buttons and answers in the
// MessageBox codes.
#include <gtest/gtest.h>

#include "YEL/yel.h"
#include "os/message_box.h"

namespace {

TEST(MessageBoxPrintf, FormatsTheTextAndMapsButtonsAndAnswers) {
  std::string shown, caption;
  os::BoxButtons buttons = os::BoxButtons::kOk;
  os::BoxAnswer answer = os::BoxAnswer::kNo;
  os::SetMessageBoxHook([&](const std::string& text, const std::string& title, os::BoxButtons b) {
    shown = text;
    caption = title;
    buttons = b;
    return answer;
  });
  EXPECT_EQ(YelMessageBoxPrintf(nullptr, "\x83\x51\x81\x5B\x83\x80", 0x24, "code %d: %s", 7, "x"),
            7);
  EXPECT_EQ(shown, "code 7: x");
  EXPECT_EQ(caption, "ゲーム");
  EXPECT_EQ(buttons, os::BoxButtons::kYesNo);
  answer = os::BoxAnswer::kOk;
  EXPECT_EQ(YelMessageBoxPrintf(nullptr, nullptr, 0x10, "%s", std::string(3000, 'a').c_str()), 1);
  EXPECT_EQ(shown.size(), 2047u);
  EXPECT_EQ(buttons, os::BoxButtons::kOk);
  os::SetMessageBoxHook(nullptr);
}

}  // namespace
