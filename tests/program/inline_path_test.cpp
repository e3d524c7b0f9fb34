// The run loop's inline path against the instruction table: random straight-line scripts with
// forward jumps, run once as whole passes (inline where it can) and once one ScriptStep at a
// time (always the table), must leave the same values, registers and reports.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "program/script/script_run.h"
#include "tests/program/script_machine.h"

namespace {

constexpr int kStatements = 400;
constexpr int kStatementsPerLabel = 8;
constexpr uint32_t kBinaryOpcodes[] = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x0C, 0x0D,
                                       0x0E, 0x0F, 0x10, 0x11, 0x12, 0x13, 0x1A, 0x1B, 0x1C};

std::string LabelName(int n) {
  std::string name = "L";
  name += std::to_string(n);
  return name;
}

class ScriptSource {
 public:
  explicit ScriptSource(uint32_t seed) : random_(seed) {}

  std::string Build() {
    std::string source;
    for (int i = 0; i < kStatements; ++i) {
      if (i % kStatementsPerLabel == 0) source += LabelName(i / kStatementsPerLabel) + ":\n";
      source += Statement(i / kStatementsPerLabel) + "\n";
    }
    return source + LabelName(kStatements / kStatementsPerLabel) + ":\n";
  }

 private:
  uint32_t Below(uint32_t n) { return static_cast<uint32_t>(random_() % n); }

  static std::string Hex(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", value);
    return text;
  }

  // Mostly the operands the inline path takes (plain variables, immediates of every kind), and
  // now and then ones it leaves to the table.
  uint32_t Operand(bool destination) {
    const uint32_t pick = Below(100);
    if (pick < (destination ? 80u : 45u)) return 0x40000000 | Below(6);
    if (pick < 90 && !destination) {
      const uint32_t immediates[] = {0, 1, 2, 31, 33, 0xFFFFFFFF, 0x80000000, 0xA0000007,
                                     Below(1000)};
      return immediates[Below(std::size(immediates))];
    }
    const uint32_t others[] = {0x40000000 | (250 + Below(10)),  // beyond the variables
                               0x40010002,                       // element bits set
                               0x50000000 | Below(6),            // TempMemory[V[n]]
                               0x30000000 | Below(4),            // value-stack slot
                               0x90000000,                       // frame base
                               Below(50)};                       // an immediate destination
    return others[Below(std::size(others))];
  }

  std::string Label(int current) {
    const int last = kStatements / kStatementsPerLabel;
    return LabelName(std::min(last, current + 1 + static_cast<int>(Below(3))));
  }

  std::string Statement(int label_index) {
    const uint32_t pick = Below(100);
    if (pick < 70) {
      const uint32_t opcode = kBinaryOpcodes[Below(std::size(kBinaryOpcodes))];
      return ".word " + Hex(0x00010000 | opcode) + ", " + Hex(Operand(true)) + ", " +
             Hex(Operand(false));
    }
    if (pick < 78) return "jz " + Label(label_index) + ", " + Hex(Operand(false));
    if (pick < 82) return "jmp " + Label(label_index);
    if (pick < 84) return "jmp 30000";                                     // no such label
    if (pick < 86) return ".word 0x0001000A, 30000, 0";                    // jz to none
    if (pick < 88) return "mov v9, @" + Label(label_index) + "\njmp v9";   // label in a variable
    if (pick < 92) return "nop";
    if (pick < 96) return ".word 0x0001001F, " + Hex(Operand(false));  // push
    return "pop v" + std::to_string(Below(6));
  }

  std::mt19937 random_;
};

struct Outcome {
  adv::ValueStores values;
  uint32_t pc, position, word;
  int32_t stop;
  std::vector<test::LogLine> log;
};

Outcome Capture(test::ScriptMachine& machine) {
  const adv::AdvContext& c = machine.context();
  return {c.values, c.script.pc, c.script_position, c.script.current_word, c.script.stop,
          machine.Log()};
}

void ExpectSame(const Outcome& passes, const Outcome& steps) {
  EXPECT_EQ(passes.values.variables, steps.values.variables);
  EXPECT_EQ(passes.values.immediate, steps.values.immediate);
  EXPECT_EQ(passes.values.value_stack, steps.values.value_stack);
  EXPECT_EQ(passes.values.value_count, steps.values.value_count);
  EXPECT_EQ(passes.values.temp_memory, steps.values.temp_memory);
  EXPECT_EQ(passes.pc, steps.pc);
  EXPECT_EQ(passes.position, steps.position);
  EXPECT_EQ(passes.word, steps.word);
  EXPECT_EQ(passes.stop, steps.stop);
  ASSERT_EQ(passes.log.size(), steps.log.size());
  for (size_t i = 0; i < passes.log.size(); ++i) {
    EXPECT_EQ(passes.log[i].key, steps.log[i].key);
    EXPECT_EQ(passes.log[i].text, steps.log[i].text);
  }
}

// Runs a script as passes and again step by step through the table, and compares the two.
void ExpectPassesMatchSteps(const std::string& source, int max_steps) {
  Outcome by_passes;
  {
    test::ScriptMachine machine(source);
    ASSERT_TRUE(machine.loaded());
    machine.Run();
    ASSERT_EQ(machine.context().script.pc, machine.context().script.code.size());
    by_passes = Capture(machine);
  }
  test::ScriptMachine machine(source);
  ASSERT_TRUE(machine.loaded());
  machine.Steps(max_steps);
  ASSERT_EQ(machine.context().script.pc, machine.context().script.code.size());
  ExpectSame(by_passes, Capture(machine));
}

TEST(InlinePath, RunsRandomScriptsAsTheInstructionTableDoes) {
  for (uint32_t seed = 1; seed <= 40; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    ExpectPassesMatchSteps(ScriptSource(seed).Build(), 10 * kStatements);
  }
}

// A loop that jumps back more often than the pass looks at the end request, so that the inline
// path stops and starts again on its way round.
TEST(InlinePath, LoopsRoundAsTheInstructionTableDoes) {
  const std::string source =
      "mov v1, 0\nloop:\nadd v1, 1\nmov v2, v1\nmul v3, 3\nxor v3, v1\nlt v2, 3000\n"
      "jz done, v2\njmp loop\ndone:\n";
  ExpectPassesMatchSteps(source, 8 * 3000);
}

// Pushes past a full value stack and pops past an empty one report as the table does.
TEST(InlinePath, ValueStackBoundsAsTheInstructionTableDoes) {
  std::string source;
  for (int i = 0; i < 66; ++i) source += "push " + std::to_string(i) + "\n";
  for (int i = 0; i < 67; ++i) source += "pop v1\nadd v2, v1\n";
  ExpectPassesMatchSteps(source, 1000);
}

// A pass that ends on a script point or at the end of the code after inline instructions leaves
// the registers as the last of them set them; a script point closes the inline path for the
// instructions before it too.
TEST(InlinePath, APassStopsOnAScriptPointReachedInline) {
  test::ScriptMachine machine("mov v1, 1\nadd v1, 2\nheld:\nmov v2, 5\n");
  ASSERT_TRUE(machine.loaded());
  adv::AdvContext& c = machine.context();
  c.script.points[0] = machine.LabelPc("held");
  c.script.point_count = 1;
  c.script.stop = 1;
  machine.Run();
  EXPECT_EQ(machine.V(1), 3);
  EXPECT_EQ(machine.V(2), 0);
  EXPECT_EQ(c.script.pc, machine.LabelPc("held"));
  EXPECT_EQ(c.script_position, machine.LabelPc("held") - 12);
  EXPECT_EQ(c.script.current_word, 0x00010002u);
  EXPECT_EQ(c.script.stop, 0);
  c.script.point_count = 0;
  c.script.stop = 1;
  machine.Run();
  EXPECT_EQ(machine.V(2), 5);
  EXPECT_EQ(c.script_position, machine.LabelPc("held"));
  EXPECT_EQ(c.script.current_word, 0x00010001u);
  EXPECT_EQ(c.script.stop, 0);
}

}  // namespace
