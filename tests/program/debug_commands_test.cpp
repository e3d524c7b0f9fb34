// The debug commands (group 0x0F) through the command call: the value stack and frame registers
// they read and change, the state dump, and what they do outside debug mode.
#include <gtest/gtest.h>

#include <string>

#include "tests/program/script_machine.h"

namespace {

using test::ScriptMachine;

TEST(DebugCommands, ReadAndChangeTheRegisters) {
  ScriptMachine machine(
      "push 7\n"
      "push 8\n"
      "cmd get_stack_point -> v1\n"
      "cmd get_stack_count -> v2\n"
      "cmd set_stack_point(1) -> v0\n"
      "cmd get_stack_point -> v3\n"
      "pop v4\n"
      "cmd set_ebp(77) -> v0\n"
      "cmd get_ebp -> v5\n"
      "cmd debug_nop -> v0\n");
  ASSERT_TRUE(machine.loaded());
  machine.Run();
  EXPECT_EQ(machine.V(1), 2);
  EXPECT_EQ(machine.V(2), 2);
  EXPECT_EQ(machine.V(3), 1);
  EXPECT_EQ(machine.V(4), 7) << "the count set back leaves the first value on top";
  EXPECT_EQ(machine.V(5), 77);
  EXPECT_EQ(machine.context().values.frame_base, 77);
}

// A count outside the stack is held to it: later pushes and pops never leave the stack.
TEST(DebugCommands, StackPointOutsideTheStackIsHeld) {
  struct Case {
    int32_t requested;
    int32_t count;
  };
  for (const Case& row : {Case{-3, 0}, Case{64, 64}, Case{1000, 64}, Case{5, 5}}) {
    ScriptMachine machine("cmd set_stack_point(" + std::to_string(row.requested) +
                          ") -> v0\ncmd get_stack_point -> v1\n");
    ASSERT_TRUE(machine.loaded());
    machine.Run();
    EXPECT_EQ(machine.V(1), row.count) << row.requested;
  }
}

TEST(DebugCommands, DebugBreakDumpsTheState) {
  ScriptMachine machine("push 5\ncmd debug_break -> v0\npop v1\ncmd debug_break -> v0\n");
  ASSERT_TRUE(machine.loaded());
  machine.Run();
  // The lines of the dumps, from each header to its closing line.
  std::vector<std::string> lines;
  bool inside = false;
  for (const test::LogLine& line : machine.Log()) {
    if (line.key != 10) continue;
    if (line.text == "-- debug_break --") inside = true;
    if (inside) lines.push_back(line.text);
    if (line.text == "-----------------") inside = false;
  }
  // Two dumps: 5 header lines, 32 buttons, the stack slots, the closing line.
  ASSERT_EQ(lines.size(), 2u * (5 + 32 + 1) + 1);
  EXPECT_EQ(lines[0], "-- debug_break --");
  EXPECT_EQ(lines[2], "stack point: 0x1 (1 / MAX 64)");
  EXPECT_EQ(lines[3], "ebp : 0x00000000 (0)");
  EXPECT_EQ(lines[5], "btn [0] bInit=0 / bEnable=0");
  EXPECT_EQ(lines[37], "stack -- 0[5 (0x00000005)] --");
  EXPECT_EQ(lines[38], "-----------------");
  // With an empty stack and no return records: only the header, buttons and closing line.
  EXPECT_EQ(lines[39 + 2], "stack point: 0x0 (0 / MAX 64)");
  EXPECT_EQ(lines.back(), "-----------------");
}

// Outside debug mode the texts go nowhere and the window state reads 0, while set_window_text
// still takes its save point.
TEST(DebugCommands, OutsideDebugModeOnlyTheSavePointRemains) {
  ScriptMachine machine(
      "cmd debug_text(\"100%\") -> v0\n"
      "cmd debug_window_state(1) -> v1\n"
      "cmd get_debug_window_state -> v2\n"
      "cmd set_window_text(\"scene\", 1) -> v0\n");
  ASSERT_TRUE(machine.loaded());
  machine.context().save.cursor = 0;
  machine.context().skip.skip_latch_on = 1;
  machine.Run();
  EXPECT_EQ(machine.V(1), 0);
  EXPECT_EQ(machine.V(2), 0);
  EXPECT_FALSE(machine.Logged("100%", 16));
  EXPECT_EQ(machine.context().skip.skip_latch_on, 0);
  EXPECT_GT(machine.context().save.cursor, 0u) << "a snapshot was written";
}

TEST(DebugCommands, AllFilesSeenMarksEveryFileState) {
  ScriptMachine machine("cmd debug_all_files_seen -> v0\n");
  ASSERT_TRUE(machine.loaded());
  machine.data().system.file_state_map.assign(3, 0x12);
  machine.Run();
  EXPECT_EQ(machine.data().system.file_state_map, std::vector<uint8_t>(3, 0xFF));
}

}  // namespace
