// The text commands on the line's data, the read flags, the history line without a window
// line, the in-text tips, and the set-up commands' refusal of indexes outside their tables.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "program/game/adv_context.h"
#include "program/script/command_table.h"
#include "program/script/script_names.h"
#include "program/script/value_stores.h"
#include "program/text/text_window.h"
#include "tests/program/text_fixture.h"

namespace {

using adv::ValueStackPush;

class TextDataCommands : public test::TextFixture {
 protected:
  // Pushes the arguments (first argument first in the list) and calls the handler.
  int Call(uint32_t code, std::initializer_list<int32_t> args) {
    for (auto it = args.end(); it != args.begin();) ValueStackPush(context(), *--it);
    context().values.result_index = 0;
    const adv::CommandHandler handler = adv::CommandFor(*context().script.commands, code);
    EXPECT_NE(handler, nullptr) << code;
    return handler ? handler(context()) : -1;
  }
  int32_t Result() { return context().values.variables[0]; }
};

constexpr uint32_t S(uint32_t n) {
  return adv::kStringVariableBit | n;
}

// Text 10 of "Text.dat" is the eleventh text: bit 2 of byte 1 of the read bitmap.
TEST_F(TextDataCommands, TextIsReadGivesTheBitsValue) {
  std::string source;
  for (int i = 0; i <= 10; ++i) source += "  cmd text_set_read(\"t" + std::to_string(i) + "\")\n";
  ASSERT_TRUE(Load(source));
  const auto offset = static_cast<int32_t>(machine_->TextOffset(10));
  uint8_t record[8] = {};
  adv::AdvGetString(context(), record, sizeof record, static_cast<uint32_t>(offset));
  uint32_t number = 0;
  std::memcpy(&number, record, 4);
  ASSERT_EQ(number, 10u);
  machine_->data().system.text_read_bitmap.assign(4, 0);
  context().values.variables[0] = -1;
  Call(0x020035, {offset});
  EXPECT_EQ(Result(), 0) << "unread";
  Call(0x020036, {offset});
  Call(0x020035, {offset});
  EXPECT_EQ(Result(), 4);
  EXPECT_EQ(machine_->data().system.text_read_bitmap.at(1), 4);
}

// get_text cuts each field to whole characters of a 2,047-byte variable, and refuses a target
// that is no string variable (nothing is written).
TEST_F(TextDataCommands, GetTextStaysInsideItsVariables) {
  ASSERT_TRUE(Load("  mov v1, 1\n"));
  adv::TextLine& line = context().text_window.line;
  std::string text = "a";
  while (text.size() + 2 <= 4095) text += "\x82\xA0";
  ASSERT_EQ(text.size(), 4095u);
  std::memcpy(line.text.data(), text.data(), text.size());
  std::strcpy(line.name.data(), "\x96\xBC");
  std::strcpy(line.voice.data(), "V001");
  auto& strings = context().values.string_variables;
  std::memset(strings[4].data(), 0x55, strings[4].size());
  EXPECT_EQ(Call(0x020023, {static_cast<int32_t>(S(1)), static_cast<int32_t>(S(2)),
                            static_cast<int32_t>(S(3))}),
            1);
  EXPECT_EQ(Result(), 1);
  EXPECT_STREQ(strings[1].data(), "\x96\xBC");
  EXPECT_STREQ(strings[2].data(), "V001");
  EXPECT_EQ(std::strlen(strings[3].data()), 2045u) << "a double-byte character is not split";
  EXPECT_EQ(static_cast<uint8_t>(strings[4][0]), 0x55) << "the next variable is untouched";
  strings[1].fill(0);
  EXPECT_EQ(Call(0x020023, {static_cast<int32_t>(S(1)), 7, static_cast<int32_t>(S(3))}), 0);
  EXPECT_EQ(Result(), 0);
  EXPECT_TRUE(machine_->Logged("Get Tex : string型以外の型を指定しました。", adv::kLogError));
  EXPECT_EQ(strings[1][0], 0);
  EXPECT_EQ(Call(0x020023, {static_cast<int32_t>(S(16)), static_cast<int32_t>(S(2)),
                            static_cast<int32_t>(S(3))}),
            0);
}

// set_history records a line without showing it; with recording off only the save text and
// the set-history text word change.
TEST_F(TextDataCommands, SetHistoryRecordsALineWithoutShowingIt) {
  ASSERT_TRUE(
      Load("  cmd set_history(NONE, \"名前\", \"あいう\")\n"
           "  cmd set_history_ex(f\"V01\", NONE, \"か\")\n"
           "  cmd text_history_enable(0)\n"
           "  cmd set_history(NONE, NONE, \"えお\")\n"
           "  cmd text_history_enable(1)\n"));
  adv::AdvContext& c = context();
  machine_->Run();
  EXPECT_EQ(c.history.count, 2) << "the line recorded while recording was off is not there";
  const adv::HistoryEntry& named = c.history.entries[1];
  EXPECT_STREQ(named.name.data(), "\x96\xBC\x91\x4F");
  EXPECT_STREQ(named.text.data(), "\x82\xA0\x82\xA2\x82\xA4");
  EXPECT_EQ(named.voice[0], 0) << "no voice";
  const adv::HistoryEntry& voiced = c.history.entries[0];
  EXPECT_STREQ(voiced.text.data(), "\x82\xA9");
  EXPECT_STREQ(voiced.voice.data(), "V01");
  EXPECT_EQ(voiced.name[1], static_cast<char>(0x81)) << "the no-name marker";
  EXPECT_STREQ(c.text_window.line.voice.data(), "V01");
  // Recording off: no entry, but the save text and the set-history text word still change.
  EXPECT_STREQ(c.save.save_text.data(), "\x82\xA6\x82\xA8");
  EXPECT_EQ(c.text_window.set_history_text, machine_->TextOffset(3));
  EXPECT_EQ(c.history.off, 0);
}

TEST_F(TextDataCommands, TipsCommandsKeepToTheirEntries) {
  ASSERT_TRUE(Load("  mov v1, 1\n"));
  adv::TipsArea& tips = context().tips;
  auto& strings = context().values.string_variables;
  std::strcpy(strings[0].data(), "key");
  Call(0x020029, {static_cast<int32_t>(S(0))});
  EXPECT_EQ(Result(), -1) << "no tips met";
  tips.count = 3;
  for (int i : {0, 2}) std::strcpy(tips.entries[i].strings[0].data(), "key");
  tips.entries[2].words[0] = 77;
  std::strcpy(tips.entries[2].strings[1].data(), "part");
  Call(0x020029, {static_cast<int32_t>(S(0))});
  EXPECT_EQ(Result(), 2) << "the later of two equal keys";
  EXPECT_EQ(Call(0x020029, {5}), 1);
  EXPECT_EQ(Result(), -1);
  EXPECT_EQ(Call(0x020026, {2, static_cast<int32_t>(S(5)), 1}), 1);
  EXPECT_EQ(Result(), 77);
  EXPECT_STREQ(strings[5].data(), "part");
  struct Bad {
    int32_t entry;
    int32_t variable;
    int32_t index;
  } bad[] = {{32, static_cast<int32_t>(S(5)), 0},
             {-1, static_cast<int32_t>(S(5)), 0},
             {0, 5, 0},
             {0, static_cast<int32_t>(S(5)), 3}};
  for (const Bad& b : bad) {
    context().values.variables[0] = -9;
    EXPECT_EQ(Call(0x020026, {b.entry, b.variable, b.index}), 0) << b.entry;
    EXPECT_EQ(Result(), 0);
  }
  EXPECT_EQ(Call(0x020027, {40, 1}), 0);
  tips.entries[1].words[9] = 20;
  yel::YelFontSetEffect(3);
  Call(0x020027, {1, 10});
  EXPECT_EQ(Result(), 24);
  yel::YelFontSetEffect(0);
  Call(0x02002E, {});
  EXPECT_EQ(Result(), 0);
  Call(0x02002E, {});
  EXPECT_EQ(Result(), 1);
  EXPECT_EQ(tips.pause, 0);
  Call(0x020025, {});
  EXPECT_EQ(Result(), 2);
  Call(0x020028, {});
  EXPECT_EQ(tips.count, 0u);
  EXPECT_EQ(tips.state, 1u);
  Call(0x020025, {});
  EXPECT_EQ(Result(), 0);
}

// Indexes outside the tables are refused with a message; nothing outside them is written.
TEST_F(TextDataCommands, SetUpCommandsRefuseIndexesOutsideTheirTables) {
  ASSERT_TRUE(Load("  cmd text_init(24, 0, 0, 400, 96, 0, 0, 0)\n"));
  machine_->Run();
  adv::AdvContext& c = context();
  const auto settings = machine_->data().system.settings;
  const int32_t name = static_cast<int32_t>(adv::kNoReference);
  EXPECT_EQ(Call(0x02001C, {-1, name, 0x112233, 0x445566}), 0);
  EXPECT_EQ(Call(0x02001C, {16, name, 0x112233, 0x445566}), 0);
  EXPECT_EQ(std::memcmp(&settings, &machine_->data().system.settings, sizeof settings), 0);
  EXPECT_EQ(Call(0x020005, {16}), 0);
  EXPECT_EQ(Call(0x020005, {-2}), 0);
  EXPECT_EQ(c.text_window.button_group, adv::kNoButtonGroup);
  c.buttons.groups[3].lock = 1;
  EXPECT_EQ(Call(0x020005, {3}), 1);
  EXPECT_EQ(c.text_window.button_group, 3);
  EXPECT_EQ(c.buttons.groups[3].lock, 0u);
  adv::GraphicSlot* text_slot = c.text_window.text_slot;
  EXPECT_EQ(Call(0x020001, {3, name, 0, 0}), 0);
  EXPECT_EQ(c.text_window.text_slot, text_slot) << "icon 3 would take the text sprite's slot";
  EXPECT_EQ(Call(0x02001E, {3}), 0);
  EXPECT_EQ(Call(0x020007, {4, 1, 1, 1, 1}), 0);
  EXPECT_EQ(Call(0x020007, {1, 1, 1, 1, 1}), 1) << "an icon not set up";
  Call(0x02003A, {5});
  Call(0x02003B, {});
  EXPECT_EQ(Result(), 1);
  c.text_window.line_kind = 0x10002;
  Call(0x020037, {0x8});
  EXPECT_EQ(Result(), 0x10002);
  Call(0x020040, {});
  EXPECT_EQ(Result(), 0x8);
  Call(0x020041, {});
  EXPECT_EQ(c.text_window.line_kind, 0u);
}

}  // namespace
