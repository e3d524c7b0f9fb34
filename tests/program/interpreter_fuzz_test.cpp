// Random code words and operands through the interpreter for a bounded number of instructions:
// whatever the words say, nothing reads or writes outside the engine's tables (the sanitizer
// build checks every access) and the registers stay within their ranges.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>

#include "program/script/script_run.h"
#include "program/script/select_scan.h"
#include "program/script/value_stores.h"
#include "tests/program/script_machine.h"

namespace {

constexpr int kWords = 600;
constexpr int kSteps = 40000;
constexpr uint32_t kCommandCodes[] = {0x140000, 0x140001, 0x140002, 0x140006, 0x140008,
                                      0x14000B, 0x150000, 0x150001, 0x150002, 0x150003,
                                      0x150004, 0x170000, 0x170001, 0x170002, 0x060002,
                                      0x060003, 0x020002, 0x000005, 0x180000, 0x12FFFF};

class WordSource {
 public:
  explicit WordSource(uint32_t seed) : random_(seed) {}

  uint32_t Below(uint32_t n) { return static_cast<uint32_t>(random_() % n); }

  // An operand word: every kind, mostly small indexes and elements, sometimes any.
  uint32_t Operand() {
    const uint32_t kind = Below(16);
    const uint32_t element = Below(4) == 0 ? Below(0x1000) : Below(4);
    const uint32_t index = Below(4) == 0 ? Below(0x10000) : Below(300);
    return kind << 28 | element << 16 | index;
  }

  // Instruction words (a few naming none), command calls, operands and stray words.
  std::string Statement() {
    const uint32_t pick = Below(100);
    if (pick < 40) return Word(0x00010000 | Below(0x24));
    if (pick < 47) {
      return Word(0x00010017) + ", " + Hex(kCommandCodes[Below(std::size(kCommandCodes))]) + ", " +
             Hex(Below(8) == 0 ? Below(0x10000) : Below(255));
    }
    if (pick < 90) return Word(Operand());
    return Word(static_cast<uint32_t>(random_()));
  }

 private:
  static std::string Hex(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", value);
    return text;
  }
  static std::string Word(uint32_t value) { return ".word " + Hex(value); }

  std::mt19937 random_;
};

// A script of random words with labels spread through it and a few Mem.dat cells.
std::string RandomScript(WordSource& words) {
  std::string source = ".mem 1, 2, 3, 0x00020000, -1\n";
  for (int i = 0; i < kWords; ++i) {
    if (i % 16 == 0) {
      source += 'L';  // appended piece by piece: GCC 12 -O3 misreads "L" + to_string (-Wrestrict)
      source += std::to_string(i);
      source += ":\n";
    }
    source += words.Statement() + "\n";
  }
  return source;
}

void ExpectRegistersInRange(const adv::AdvContext& c) {
  const adv::ValueStores& v = c.values;
  EXPECT_GE(v.value_count, 0);
  EXPECT_LE(v.value_count, adv::kValueStackSize);
  EXPECT_GE(v.frame_top, 0);
  EXPECT_LE(v.frame_top, adv::kFrameStackSize);
  EXPECT_GE(v.memory_stack_depth, 0);
  EXPECT_LE(v.memory_stack_depth, adv::kMemoryStackLevels);
  EXPECT_GE(c.script.point_count, 0);
  EXPECT_LE(c.script.point_count, adv::kScriptPointStackSize);
}

// The sanitizers make every step many times slower: their builds run the first seeds, the plain
// build all of them.
#if defined(__SANITIZE_THREAD__)
constexpr uint32_t kSeeds = 3;
#elif defined(__SANITIZE_ADDRESS__)
constexpr uint32_t kSeeds = 12;
#else
constexpr uint32_t kSeeds = 48;
#endif

TEST(InterpreterFuzz, RandomWordsStayInBounds) {
  for (uint32_t seed = 1; seed <= kSeeds; ++seed) {
    WordSource words(seed);
    test::ScriptMachine machine(RandomScript(words));
    ASSERT_TRUE(machine.loaded());
    adv::AdvContext& c = machine.context();
    // Every report is still formatted, but not kept.
    adv::SetLogObserver([](int32_t, const char*) {});
    // Every other seed runs what it can from the decoded form, as the run loops do.
    const bool decoded_first = seed % 2 == 0;
    for (int step = 0; step < kSteps; ++step) {
      if (decoded_first && adv::ScriptStepInline(c)) continue;
      if (adv::ScriptStep(c) != adv::ScriptStepResult::kGoOn &&
          c.script.pc == c.script.code.size()) {
        c.script.pc = c.script.origin + 4 * words.Below(kWords);  // start again somewhere
      }
      c.skip.scene_skip = step % 5000 > 4900;  // now and then a skip runs through stops
    }
    ExpectRegistersInRange(c);
    // select's scan from random places of the same code.
    for (int i = 0; i < 50; ++i) {
      c.script.pc = c.script.origin + 4 * words.Below(kWords);
      adv::SelectRunItemList(c, [](adv::AdvContext& context) {
        for (int arg = 0; arg < 6; ++arg) adv::ValueStackPop(context);
        return true;
      });
    }
    ExpectRegistersInRange(c);
  }
}

}  // namespace
