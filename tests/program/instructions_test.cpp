// The instructions of group 1 run by the real interpreter on scripts built by the assembler: one
// script per row, with the variables it must leave.
#include <gtest/gtest.h>

#include <climits>
#include <ostream>
#include <string>
#include <vector>

#include "program/script/script_run.h"
#include "tests/program/script_machine.h"

namespace {

using test::ScriptMachine;

constexpr int kImmediate = -1;  // an expectation on the shared immediate cell

struct InstructionCase {
  const char* name;
  const char* source;
  std::vector<std::pair<int, int32_t>> expected;  // variable (or kImmediate) and value
};

void PrintTo(const InstructionCase& row, std::ostream* os) {
  *os << row.name;
}

const InstructionCase kCases[] = {
    {"Move", "mov v1, 42\nmov v2, v1", {{1, 42}, {2, 42}}},
    {"AddWraps", "mov v1, 0x7FFFFFFF\nadd v1, 1\nmov v2, -5\nadd v2, 3", {{1, INT_MIN}, {2, -2}}},
    {"SubWraps", "mov v1, -2147483648\nsub v1, 1\nmov v2, 5\nsub v2, 7", {{1, INT_MAX}, {2, -2}}},
    {"MulKeepsLow32Bits",
     "mov v1, 0x10000\nmul v1, 0x10000\nmov v2, -3\nmul v2, 7",
     {{1, 0}, {2, -21}}},
    {"DivTruncatesTowardZero", "mov v1, 7\ndiv v1, -2\nmov v2, -7\ndiv v2, 2", {{1, -3}, {2, -3}}},
    {"DivByZeroLeavesDestination", "mov v1, 9\ndiv v1, 0\nmov v2, 0\ndiv v2, v3", {{1, 9}, {2, 0}}},
    {"DivMostNegativeByMinusOne", "mov v1, -2147483648\ndiv v1, -1", {{1, INT_MIN}}},
    {"ModTakesSignOfDividend", "mov v1, -7\nmod v1, 2\nmov v2, 7\nmod v2, -2", {{1, -1}, {2, 1}}},
    {"ModByZeroLeavesDestination", "mov v1, 9\nmod v1, 0", {{1, 9}}},
    {"ModMostNegativeByMinusOne", "mov v1, -2147483648\nmod v1, -1", {{1, 0}}},
    {"Bitwise",
     "mov v1, 12\nand v1, 10\nmov v2, 12\nor v2, 10\nmov v3, 12\nxor v3, 10",
     {{1, 8}, {2, 14}, {3, 6}}},
    {"ShiftsUseLowFiveBits",
     "mov v1, 1\nshl v1, 32\nmov v2, 1\nshl v2, -1\nmov v3, -8\nshr v3, 1\n"
     "mov v4, -16\nshr v4, 34\nmov v5, 3\nshl v5, 4",
     {{1, 1}, {2, INT_MIN}, {3, -4}, {4, -4}, {5, 48}}},
    {"ComparisonsAreSigned",
     "mov v1, -1\nlt v1, 1\nmov v2, -1\ngt v2, 1\nmov v3, 4\nle v3, 4\nmov v4, 4\nge v4, 5\n"
     "mov v5, 4\neq v5, 4\nmov v6, 4\nne v6, 4",
     {{1, 1}, {2, 0}, {3, 1}, {4, 0}, {5, 1}, {6, 0}}},
    {"LogicalOperators",
     "mov v1, 0\nlor v1, 5\nmov v2, 0\nlor v2, 0\nmov v3, 3\nland v3, 5\nmov v4, 3\nland v4, 0",
     {{1, 1}, {2, 0}, {3, 1}, {4, 0}}},
    {"NotAndNegate",
     "mov v1, 0\nnot v1\nmov v2, 5\nnot v2\nmov v3, 7\nneg v3\n"
     "mov v4, -2147483648\nneg v4",
     {{1, 1}, {2, 0}, {3, -7}, {4, INT_MIN}}},
    // Two immediates share one cell: the comparison sees 7 against 7.
    {"ImmediatesShareOneCell", "lt 5, 7", {{kImmediate, 0}}},
    {"ImmediatesShareOneCellEqual", "eq 5, 7", {{kImmediate, 1}}},
    {"JumpIfZeroTakesAPlainLabel",
     "mov v1, 0\njz skip, v1\nmov v2, 1\nskip:\nmov v3, 1\nmov v4, 1\njz other, v4\nmov v5, 1\n"
     "other:",
     {{2, 0}, {3, 1}, {5, 1}}},
    {"JumpTakesItsLabelFromAnOperand",
     "mov v5, @target\njmp v5\nmov v1, 1\ntarget:\nmov v2, 2",
     {{1, 0}, {2, 2}}},
    {"GosubAndRet",
     "gosub sub\nmov v2, v1\njmp done\nsub:\nmov v1, 9\nret\ndone:",
     {{1, 9}, {2, 9}}},
    {"GosubFromAVariable",
     "mov v7, @sub\ngosub v7\njmp done\nsub:\nmov v1, 3\nret\ndone:",
     {{1, 3}}},
    {"PushAndPop",
     "push 3\npush 4\npop v1\npop v2\npush 5\nmov v3, stack[0]",
     {{1, 4}, {2, 3}, {3, 5}}},
    {"Frames",
     "push 7\npush 5\ngosub add_two\npop v1\njmp done\nadd_two:\nenter 2\nmov v8, frame[1]\n"
     "add v8, frame[2]\nmov v9, frame[0]\nleave 2\npush v8\nret\ndone:",
     {{1, 12}, {8, 12}}},
    {"TempMemoryElementCountsFromTheFrameBase",
     "mov base, 10\nmov v1, 2\nmov temp[v1 + base + 1], 77\nmov v4, 13\nmov v5, temp[v4]\n"
     "mov v6, temp[v1]",
     {{5, 77}, {6, 0}}},
    {"UserAndSystemMemory",
     "mov v1, 3\nmov user[v1], 8\nmov v2, user[v1]\nmov sys[v1], 9\nmov v3, sys[v1]",
     {{2, 8}, {3, 9}}},
    {"MemDatCells",
     ".mem T = 5, 6, 7, 0x00020000\nmov v1, 1\nmov v2, mem[v1 + T]\nmov v1, 0\n"
     "mov v4, memx[v1, 3]\nmov mem[v1 + 1], 99\nmov v5, mem[v1 + 1]",
     {{2, 6}, {4, 7}, {5, 99}}},
    {"EndStopsThePass", "mov v1, 1\nend\nmov v2, 2", {{1, 1}, {2, 0}}},
    {"ResetClearsTheSceneAndGoesOn", "mov v1, 5\npush 1\nreset\nmov v2, 6\nnop", {{1, 0}, {2, 6}}},
    {"CommandCall", "cmd abs(-5) -> v3\ncmd abs(6)", {{3, 5}, {0, 6}}},
};

class InstructionTest : public ::testing::TestWithParam<InstructionCase> {};

TEST_P(InstructionTest, LeavesTheExpectedValues) {
  const InstructionCase& row = GetParam();
  ScriptMachine machine(row.source);
  ASSERT_TRUE(machine.loaded());
  EXPECT_EQ(machine.Run(), 1);
  for (const auto& [n, value] : row.expected) {
    const int32_t actual = n == kImmediate ? machine.context().values.immediate : machine.V(n);
    EXPECT_EQ(actual, value) << "v" << n;
  }
  EXPECT_FALSE(machine.Logged("内部", adv::kLogError));
  EXPECT_FALSE(machine.Logged("out of range", adv::kLogError));
}

INSTANTIATE_TEST_SUITE_P(Interpreter, InstructionTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Interpreter, FrameRegistersAfterEnterAndLeave) {
  ScriptMachine machine("push 7\npush 5\nenter 2\nmov v1, stack[0]\n");
  ASSERT_TRUE(machine.loaded());
  machine.Run();
  const adv::ValueStores& v = machine.context().values;
  EXPECT_EQ(v.frame_top, 2);
  EXPECT_EQ(v.frame_stack[0], 5);  // popped first: the value pushed last lies lowest
  EXPECT_EQ(v.frame_stack[1], 7);
  EXPECT_EQ(v.value_count, 1);  // the frame top that enter pushed
  EXPECT_EQ(machine.V(1), 2);
}

TEST(Interpreter, RetTakesAThreadCallPointBeforeALaterReturnPoint) {
  ScriptMachine machine("gosub sub\nmov v1, 1\nresume:\nmov v2, 2\nsub:\nret\n");
  ASSERT_TRUE(machine.loaded());
  adv::AdvContext& c = machine.context();
  c.thread.turn_count = 1;
  adv::PushDataEntry(c, adv::kListThreadPoint, machine.LabelPc("resume"), 0);
  machine.Run();
  // ret took the thread call point although the gosub's record was pushed after it.
  EXPECT_EQ(c.script.pc, machine.LabelPc("resume"));
  EXPECT_EQ(c.thread.turn_count, 0);
  EXPECT_EQ(test::ReturnRecordCount(c, adv::kListThreadPoint), 0);
  EXPECT_EQ(test::ReturnRecordCount(c, adv::kListReturnPoint), 1);
  EXPECT_EQ(machine.V(1), 0);
}

TEST(Interpreter, RetTagsDecideWhetherThePassStops) {
  const struct {
    uint32_t tag;
    bool stops;
    int32_t turns_after;
  } rows[] = {{adv::kReturnContinue, false, 1},
              {adv::kReturnClick, true, 1},
              {adv::kReturnHook, true, 1},
              {adv::kReturnThread, true, 0}};
  for (const auto& row : rows) {
    ScriptMachine machine("ret\nback:\nmov v1, 1\n");
    ASSERT_TRUE(machine.loaded());
    adv::AdvContext& c = machine.context();
    c.thread.turn_count = 1;
    adv::PushDataEntry(c, adv::kListReturnPoint, machine.LabelPc("back"), row.tag);
    machine.Run();
    EXPECT_EQ(machine.V(1), row.stops ? 0 : 1) << "tag " << row.tag;
    EXPECT_EQ(c.thread.turn_count, row.turns_after) << "tag " << row.tag;
  }
}

TEST(Interpreter, RetRestoresFrameRegistersThatLpopAskedFor) {
  ScriptMachine machine(
      "push 40\npush 30\npush 10\npush 20\ngosub sub\njmp done\nsub:\nret\n"
      "done:\n");
  ASSERT_TRUE(machine.loaded());
  adv::AdvContext& c = machine.context();
  c.skip.frame_restore_count = 2;
  machine.Run();
  EXPECT_EQ(c.values.frame_base, 30);  // the first value of each pair is the base
  EXPECT_EQ(c.values.frame_top, 40);
  EXPECT_EQ(c.values.value_count, 0);
  EXPECT_EQ(c.skip.frame_restore_count, 0);
}

TEST(Interpreter, RetWithoutRecordRestartsFromTheEntry) {
  ScriptMachine machine("mov v1, 5\nadd temp[v0], 1\nret\n");
  ASSERT_TRUE(machine.loaded());
  adv::AdvContext& c = machine.context();
  c.buttons.system_buttons[4].enabled = 1;
  c.values.user_memory[0] = 3;
  machine.Steps(3);
  EXPECT_EQ(c.script.pc, c.script.entry);
  EXPECT_EQ(machine.V(1), 0);  // the scene reset cleared the variables
  EXPECT_EQ(c.values.user_memory[0], 0);
  EXPECT_EQ(c.values.temp_memory[0], 1);  // TempMemory survives a restart
  EXPECT_EQ(c.buttons.system_buttons[4].enabled, 0);
  EXPECT_TRUE(machine.Logged("戻り先がないので始めから開始します", adv::kLogError));
  EXPECT_TRUE(machine.Logged("戻り先がないので始めから開始します", adv::kLogTrace));
  machine.Steps(3);
  EXPECT_EQ(c.values.temp_memory[0], 2);
}

// A gosub that recurses without ret stops adding return records at the cap: the push is refused
// and reported, the jump still happens, and the records below the cap stay usable.
TEST(Interpreter, RecursionWithoutRetStaysWithinTheReturnRecordCap) {
  constexpr int32_t kCap = 4096;
  ScriptMachine machine("again:\nadd v1, 1\ngosub again\n");
  ASSERT_TRUE(machine.loaded());
  adv::AdvContext& c = machine.context();
  machine.Steps(2 * (kCap + 10));
  EXPECT_EQ(machine.V(1), kCap + 10) << "every gosub still jumps";
  EXPECT_EQ(test::ReturnRecordCount(c, adv::kListReturnPoint), kCap);
  EXPECT_EQ(machine.CountLogged("return point stack over"), 10);
  EXPECT_TRUE(machine.Logged("[32]return point stack over", adv::kLogError));
}

TEST(Interpreter, WordsThatAreNoInstructionAreReportedAndPassedOver) {
  const struct {
    const char* source;
    const char* message;
  } rows[] = {
      {".word 0x00050001\nmov v1, 1", "[16]内部コマンドエラー1 code = [0x00050001]"},
      {".word 0x00010000\nmov v1, 1", "[16]内部エラー code = [0x00010000]"},
      {".word 0x00010022\nmov v1, 1", "[16]内部エラー code = [0x00010022]"},
      {"cmd 0x000005\nmov v1, 1", "[24]内部エラー code = [0x00000005]"},
      {"cmd 0x020005\nmov v1, 1", "[24]内部エラー code = [0x00020005]"},
      {"cmd 0x14000C\nmov v1, 1", "[24]内部エラー code = [0x0014000C]"},
      {"cmd 0x180000\nmov v1, 1", "[24]内部エラー code = [0x00180000]"},
  };
  for (const auto& row : rows) {
    ScriptMachine machine(row.source);
    ASSERT_TRUE(machine.loaded());
    machine.Run();
    EXPECT_TRUE(machine.Logged(row.message, adv::kLogError)) << row.source;
    EXPECT_EQ(machine.V(1), 1) << row.source;
  }
}

TEST(Interpreter, GroupErrorsAreTracedToo) {
  ScriptMachine machine(".word 0x00050001\n");
  ASSERT_TRUE(machine.loaded());
  machine.Run();
  EXPECT_TRUE(machine.Logged("内部コマンドエラー1", adv::kLogTrace));
}

}  // namespace
