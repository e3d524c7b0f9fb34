// The text input channel: fields take the keyboard in nested pairs, and what the last one leaves
// untaken goes with it.
#include <gtest/gtest.h>

#include "os/text_input.h"

namespace {

TEST(TextInput, NestedCapturesAndTheQueue) {
  EXPECT_FALSE(os::TextInputCaptured());
  os::BeginTextInput({0, 0, 10, 10});
  os::BeginTextInput({0, 0, 10, 10});
  os::PostTextInput(os::TextInputEvent::Text("a"));
  os::PostTextInput(os::TextInputEvent::Key(os::TextKey::kTab, true));
  EXPECT_TRUE(os::WaitTextInput(0));
  std::optional<os::TextInputEvent> first = os::TakeTextInput();
  ASSERT_TRUE(first);
  EXPECT_EQ(first->utf8, "a");
  os::EndTextInput();
  EXPECT_TRUE(os::TextInputCaptured()) << "the outer field still has the keyboard";
  EXPECT_TRUE(os::TakeTextInput());
  os::PostTextInput(os::TextInputEvent::Text("left over"));
  os::EndTextInput();
  EXPECT_FALSE(os::TextInputCaptured());
  EXPECT_FALSE(os::TakeTextInput()) << "nothing typed for a closed field reaches the next one";
  os::EndTextInput();  // an extra end changes nothing
  EXPECT_FALSE(os::TextInputCaptured());
}

TEST(TextInput, EditingKeysOfTheKeyboard) {
  os::TextKey key{};
  // Scancodes: 42 Backspace, 25 V, 73 Insert, 4 A.
  EXPECT_TRUE(os::TextKeyForScancode(42, false, false, key));
  EXPECT_EQ(key, os::TextKey::kBackspace);
  EXPECT_TRUE(os::TextKeyForScancode(25, true, false, key));
  EXPECT_EQ(key, os::TextKey::kPaste);
  EXPECT_FALSE(os::TextKeyForScancode(25, false, false, key)) << "V alone types text";
  EXPECT_TRUE(os::TextKeyForScancode(73, false, true, key));
  EXPECT_EQ(key, os::TextKey::kPaste);
  EXPECT_FALSE(os::TextKeyForScancode(4, false, false, key));
}

}  // namespace
