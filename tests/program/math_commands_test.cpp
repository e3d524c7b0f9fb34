// The mathematical commands (group 0x14) through the command call, one script per row.
#include <gtest/gtest.h>

#include <cctype>
#include <climits>
#include <ostream>
#include <string>

#include "tests/program/script_machine.h"

namespace {

using test::ScriptMachine;

struct MathCase {
  const char* call;  // the command and its arguments, result into v1
  int32_t result;
};

void PrintTo(const MathCase& row, std::ostream* os) {
  *os << row.call;
}

const MathCase kCases[] = {
    {"sin(15708)", 9999},  // truncated, not rounded
    {"sin(0)", 0},
    {"cos(0)", 10000},
    {"tan(0)", 0},
    {"atan(10000)", 7853},
    {"atan(-10000)", -7853},
    {"sqrt(40000)", 20000},
    {"sqrt(-1)", INT_MIN},
    {"log(0)", INT_MIN},
    {"log(10000)", 0},
    {"log10(1000000)", 20000},
    {"pow(20000, 30000)", 80000},
    {"mul(15000, 20000)", 30000},
    {"mul(-15000, 20000)", -30000},
    {"mul(2000000000, 2000000000)", INT_MIN},  // beyond 32 bits
    {"div(10000, 30000)", 3333},
    {"div(10000, 0)", INT_MIN},
    {"div(0, 0)", INT_MIN},  // not a number
    {"abs(-5)", 5},
    {"abs(-2147483648)", INT_MIN},
    {"random(5, 5)", 5},
    {"random(3, 2)", 3},  // an empty range gives its start
};

class MathTest : public ::testing::TestWithParam<MathCase> {};

TEST_P(MathTest, GivesTheFixedPointValue) {
  ScriptMachine machine(std::string("cmd ") + GetParam().call + " -> v1\n");
  ASSERT_TRUE(machine.loaded());
  machine.Run();
  EXPECT_EQ(machine.V(1), GetParam().result) << GetParam().call;
  EXPECT_EQ(machine.context().values.value_count, 0);
}

// "div(10000, 30000)" is named div_10000_30000; "-" becomes "m".
std::string CaseName(const ::testing::TestParamInfo<MathCase>& info) {
  std::string name;
  for (const char* p = info.param.call; *p; ++p) {
    if (std::isalnum(static_cast<unsigned char>(*p))) {
      name += *p;
    } else if (*p == '-') {
      name += 'm';
    } else if (*p == '(' || *p == ',') {
      name += '_';
    }
  }
  return name;
}

INSTANTIATE_TEST_SUITE_P(MathCommands, MathTest, ::testing::ValuesIn(kCases), CaseName);

// A loop of draws: every value lies in the range, and the whole 32-bit range does not trap.
TEST(MathCommands, RandomStaysInItsRange) {
  ScriptMachine machine(
      "mov v9, 0\n"
      "again:\n"
      "cmd random(1, 6) -> v1\n"
      "mov v2, v1\nlt v2, 1\nadd v8, v2\n"
      "mov v2, v1\ngt v2, 6\nadd v8, v2\n"
      "cmd random(-2147483648, 2147483647) -> v3\n"
      "mov v4, v3\ngt v4, -2147450881\nadd v7, v4\n"  // above INT_MIN + 32767
      "add v9, 1\nmov v5, v9\nlt v5, 200\njz done, v5\njmp again\ndone:\n");
  ASSERT_TRUE(machine.loaded());
  machine.Run();
  EXPECT_EQ(machine.V(9), 200);
  EXPECT_EQ(machine.V(8), 0) << "a value outside 1-6";
  EXPECT_EQ(machine.V(7), 0) << "the full range gives INT_MIN + R";
}

TEST(MathCommands, TracesItsResultAndArguments) {
  ScriptMachine machine("cmd div(10000, 30000) -> v1\ncmd sin(15708) -> v2\n");
  ASSERT_TRUE(machine.loaded());
  machine.Run();
  EXPECT_TRUE(machine.Logged("[3333] div 10000 / 30000", adv::kLogTrace));
  EXPECT_TRUE(machine.Logged("[9999] sin 15708", adv::kLogTrace));
}

TEST(MathCommands, MissingArgumentsLogNotStack) {
  ScriptMachine machine("cmd 0x14000A -> v1\n");  // mul without its two arguments
  ASSERT_TRUE(machine.loaded());
  machine.Run();
  EXPECT_EQ(machine.CountLogged("not stack"), 2);
  EXPECT_EQ(machine.V(1), 0);
}

}  // namespace
