// The item list of a choice, run by select's own scan.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "program/script/script_run.h"
#include "program/script/select_scan.h"
#include "program/script/value_stores.h"
#include "tests/program/script_machine.h"

namespace {

using test::ScriptMachine;

using Item = std::array<int32_t, 3>;  // text, label, x of each select_item

std::vector<Item> ScanItems(ScriptMachine& machine, int* result) {
  std::vector<Item> items;
  adv::AdvContext& c = machine.context();
  c.script.pc = machine.LabelPc("list");
  *result = adv::SelectRunItemList(c, [&items](adv::AdvContext& context) {
    Item item{};
    for (int32_t& value : item) value = adv::ValueStackPop(context);
    for (int i = 0; i < 3; ++i) adv::ValueStackPop(context);  // y, state, flags
    items.push_back(item);
    return true;
  });
  return items;
}

TEST(SelectScan, RunsTheItemsAndStopsOnEndSelect) {
  ScriptMachine machine(
      "list:\n"
      "mov v1, 440\n"
      "cmd select_item(\"a\", a, v1, 2, 3, 0)\n"
      "cmd select_item(\"b\", b, 441, 2, 3, 0)\n"
      "end_call:\ncmd end_select\n"
      "a:\nb:\n");
  ASSERT_TRUE(machine.loaded());
  int result = 0;
  const std::vector<Item> items = ScanItems(machine, &result);
  EXPECT_EQ(result, 1);
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0][0], static_cast<int32_t>(machine.TextOffset(0)));
  EXPECT_EQ(items[0][1], static_cast<int32_t>(machine.LabelNumber("a")));
  EXPECT_EQ(items[0][2], 440);
  EXPECT_EQ(items[1][2], 441);
  // end_select runs next as an ordinary command.
  EXPECT_EQ(machine.context().script.pc, machine.LabelPc("end_call"));
  EXPECT_EQ(machine.context().values.value_count, 0);
}

TEST(SelectScan, DuringAForcedSkipThePcStaysAfterEndSelect) {
  ScriptMachine machine("list:\ncmd end_select\nafter:\n");
  ASSERT_TRUE(machine.loaded());
  machine.context().skip.scene_skip = 1;
  int result = 0;
  EXPECT_TRUE(ScanItems(machine, &result).empty());
  EXPECT_EQ(result, 1);
  EXPECT_EQ(machine.context().script.pc, machine.LabelPc("after"));
}

TEST(SelectScan, MalformedListsFailWithTheirMessage) {
  const char* sources[] = {
      "list:\ncmd abs(1)\ncmd end_select\n",         // another command in the list
      "list:\ncmd select_item(1, 2, 3, 4, 5, 6)\n",  // runs out of the code
      "list:\n.word 0x00050001\ncmd end_select\n",   // a word of another group
      "list:\n.word 0x000100FF\ncmd end_select\n",   // no instruction at that index
      "list:\nloop:\njmp loop\ncmd end_select\n",    // never reaches a call
  };
  for (const char* source : sources) {
    ScriptMachine machine(source);
    ASSERT_TRUE(machine.loaded());
    int result = 1;
    ScanItems(machine, &result);
    EXPECT_EQ(result, 0) << source;
    EXPECT_TRUE(machine.Logged("select命令の形式に誤りがあります。", adv::kLogError)) << source;
  }
}

}  // namespace
