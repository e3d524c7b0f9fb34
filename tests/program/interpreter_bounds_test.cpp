// Every index a script controls is bounded: out-of-range accesses are logged at level 0, read 0
// and write nothing, and the script goes on.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "program/script/script_run.h"
#include "tests/program/script_machine.h"

namespace {

using test::ScriptMachine;

struct BoundsCase {
  const char* name;
  const char* source;
  const char* message;  // logged at level 0
  int32_t v1;           // V[1] afterwards
};

void PrintTo(const BoundsCase& row, std::ostream* os) {
  *os << row.name;
}

// Operand words written by hand where the assembler refuses the out-of-range form:
// 0x00010001 mov; kinds in bits 28-31, element in 16-27, index in 0-15.
const BoundsCase kCases[] = {
    {"PopOnEmptyStack", "pop v1\nmov v2, 1", "not stack", 0},
    {"VariableNumberAbove254", ".word 0x00010001, 0x4000012C, 5\n", "out of range", 0},
    {"VariableOf65535", ".word 0x00010001, 0x4000FFFF, 5\n.word 0x00010001, 0x40000001, 0x4000FFFF",
     "out of range", 0},
    {"UserMemoryIndex", "mov v2, 1024\nmov user[v2], 5\nmov v1, user[v2]", "out of range", 0},
    {"SystemMemoryNegativeIndex", "mov v2, -1\nmov sys[v2], 5\nmov v1, sys[v2]", "out of range", 0},
    {"StackSlotAbove63", ".word 0x00010001, 0x40000001, 0x30000050", "out of range", 0},
    {"TempMemoryWithFrameBase",
     "mov base, 5000\nmov v2, 0\nmov temp[v2 + base + 1], 3\nmov v1, temp[v2 + base + 1]",
     "out of range", 0},
    {"TempMemoryNegativeFrameBase", "mov base, -10\nmov v2, 0\nmov v1, temp[v2 + base + 1]",
     "out of range", 0},
    {"MemDatCellBeyondTheFile", ".mem 1, 2\nmov v2, 0\nmov v1, mem[v2 + 4000]", "out of range", 0},
    {"MemDatIndirectElementCellBeyondTheFile", ".mem 1, 2\nmov v2, 0\nmov v1, memx[v2, 4000]",
     "out of range", 0},
    {"FrameSlotBelowTheFrame", "mov v1, frame[3]", "out of range", 0},
    {"NotOfAVariableAbove254", ".word 0x00010014, 300\nmov v1, 1", "variable number out of range",
     1},
    {"NegateOfAVariableAbove254", ".word 0x0001001D, 0xFFFF\nmov v1, 1",
     "variable number out of range", 1},
    {"ResultIndexAbove254", "push -4\n.word 0x00010017, 0x140001, 300\nmov v1, 1",
     "variable number out of range", 1},
    {"LeaveFrameBelowZero", "leave 5\nmov v1, 1", "frame stack out of range", 1},
    {"JumpToALabelNotInPointDat", "jmp 40\nmov v1, 1", "label 40 is not in Point.dat", 1},
    {"GosubToALabelNotInPointDat", "gosub 40\nmov v1, 1", "label 40 is not in Point.dat", 1},
};

class BoundsTest : public ::testing::TestWithParam<BoundsCase> {};

TEST_P(BoundsTest, StaysInBoundsAndGoesOn) {
  const BoundsCase& row = GetParam();
  ScriptMachine machine(row.source);
  ASSERT_TRUE(machine.loaded());
  EXPECT_EQ(machine.Run(), 1);
  EXPECT_TRUE(machine.Logged(row.message, adv::kLogError));
  EXPECT_EQ(machine.V(1), row.v1);
  const adv::ValueStores& v = machine.context().values;
  EXPECT_GE(v.value_count, 0);
  EXPECT_LE(v.value_count, adv::kValueStackSize);
  EXPECT_GE(v.frame_top, 0);
  EXPECT_LE(v.frame_top, adv::kFrameStackSize);
  EXPECT_EQ(machine.context().script.pc, machine.context().script.code.size());
}

INSTANTIATE_TEST_SUITE_P(Interpreter, BoundsTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(InterpreterBounds, SixtyFourthPushLogsStackOverAndTheNextIsDropped) {
  std::string source;
  for (int i = 1; i <= 65; ++i) source += "push " + std::to_string(i) + "\n";
  ScriptMachine machine(source);
  ASSERT_TRUE(machine.loaded());
  source.clear();
  machine.Steps(63);
  EXPECT_EQ(machine.CountLogged("stack over"), 0);
  machine.Steps(1);
  EXPECT_EQ(machine.CountLogged("stack over"), 1);  // the 64th push succeeds and already logs
  machine.Run();
  const adv::ValueStores& v = machine.context().values;
  EXPECT_EQ(v.value_count, 64);
  EXPECT_EQ(v.value_stack[63], 64);
  EXPECT_EQ(machine.CountLogged("stack over"), 2);
}

TEST(InterpreterBounds, EnterFrameBeyondFiveHundredTwelveCells) {
  ScriptMachine machine("push 9\nenter 600\nmov v1, frame[1]\nenter 3\n");
  ASSERT_TRUE(machine.loaded());
  machine.Run();
  const adv::ValueStores& v = machine.context().values;
  EXPECT_EQ(v.frame_top, adv::kFrameStackSize);
  EXPECT_EQ(v.frame_stack[0], 9);
  EXPECT_TRUE(machine.Logged("frame stack over", adv::kLogError));
  EXPECT_TRUE(machine.Logged("not stack", adv::kLogError));
  EXPECT_EQ(machine.V(1), 0);
}

// Counts set out of range (as a debug command or a damaged snapshot can) never let a push or a
// pop leave the stack.
TEST(InterpreterBounds, ValueStackCountOutOfRange) {
  for (int32_t count : {-5, 65, 1000, INT32_MAX}) {
    ScriptMachine machine("push 1\npop v1\npop v2\n");
    ASSERT_TRUE(machine.loaded());
    machine.context().values.value_count = count;
    machine.Run();
    EXPECT_EQ(machine.V(1), 0) << count;
    EXPECT_LE(machine.context().values.value_count, count < 0 ? 0 : count);
  }
}

TEST(InterpreterBounds, FrameTopOutOfRange) {
  for (int32_t top : {-3, 513, INT32_MIN, INT32_MAX}) {
    ScriptMachine machine("push 4\nenter 1\nmov v1, frame[0]\nmov frame[0], 2\nleave 1\n");
    ASSERT_TRUE(machine.loaded());
    machine.context().values.frame_top = top;
    machine.Run();
    const adv::ValueStores& v = machine.context().values;
    EXPECT_GE(v.frame_top, 0) << top;
    EXPECT_LE(v.frame_top, adv::kFrameStackSize) << top;
  }
}

TEST(InterpreterBounds, ScriptPointStackFullAndEmpty) {
  ScriptMachine machine("nop\n");
  ASSERT_TRUE(machine.loaded());
  adv::AdvContext& c = machine.context();
  for (int i = 0; i < adv::kScriptPointStackSize; ++i)
    EXPECT_EQ(adv::ScriptPointPush(c), c.script.pc);
  EXPECT_EQ(adv::ScriptPointPush(c), -1);
  EXPECT_TRUE(machine.Logged("script point push stack over", adv::kLogError));
  for (int i = 0; i < adv::kScriptPointStackSize; ++i)
    EXPECT_EQ(adv::ScriptPointPop(c), c.script.pc);
  EXPECT_EQ(adv::ScriptPointPop(c), 0u);
  EXPECT_TRUE(machine.Logged("script point pop stack none", adv::kLogError));
  EXPECT_EQ(c.script.point_count, 0);
}

// A program counter outside the code (a label offset beyond it, a return to nowhere, operands
// past the end) ends the pass with one error-log line; later passes end quietly at the end.
TEST(InterpreterBounds, ProgramCounterOutsideTheCode) {
  const struct {
    const char* source;
    uint32_t return_offset;  // 0: none pushed
  } rows[] = {
      {"ret\n", 0x7FFFFFF0},
      {"ret\n", 4},
      {".word 0x00010001, 0x40000001\n", 0},  // the source operand lies past the end
  };
  for (const auto& row : rows) {
    ScriptMachine machine(row.source);
    ASSERT_TRUE(machine.loaded());
    adv::AdvContext& c = machine.context();
    if (row.return_offset) adv::PushDataEntry(c, adv::kListReturnPoint, row.return_offset, 0);
    EXPECT_EQ(machine.Run(), 1);
    EXPECT_TRUE(machine.Logged("script position outside the code", adv::kLogErrorFile))
        << row.source;
    EXPECT_EQ(c.script.pc, c.script.code.size());
    machine.ClearLog();
    EXPECT_EQ(machine.Run(), 1);
    EXPECT_TRUE(machine.Log().empty());
  }
}

TEST(InterpreterBounds, ALabelOffsetBeyondTheCodeEndsThePass) {
  ScriptMachine machine("jmp 1\nmov v1, 1\n");
  ASSERT_TRUE(machine.loaded());
  adv::AdvContext& c = machine.context();
  // A "Point.dat" whose only label lies far beyond the code.
  std::vector<uint8_t> points(16, 0);
  for (uint8_t byte : {0x00, 0x10, 0x00, 0x00}) points.push_back(byte);
  std::string error;
  ASSERT_TRUE(adv::LoadPointList(c.lists, points, &error)) << error;
  EXPECT_EQ(machine.Run(), 1);
  EXPECT_TRUE(machine.Logged("[4108]script position outside the code", adv::kLogErrorFile));
  EXPECT_EQ(machine.V(1), 0);
}

}  // namespace
