// Every `asm` example of the assembler's guide runs through the interpreter, and the test checks
// what it does: the values it computes, the memory it fills, the branches it takes, and every
// command call: its arguments arrive as the command catalog lists them, each of its kind (a text
// of "Text.dat", a file of "File.dat", a label of "Point.dat", a string variable). A command
// whose handler is not built yet is stood in for by taking its arguments off the stack, as its
// handler will.
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "os/encoding.h"
#include "program/data/command_catalog.h"
#include "program/script/command_table.h"
#include "program/script/instructions.h"
#include "program/script/script_names.h"
#include "program/script/script_run.h"
#include "program/script/select_scan.h"
#include "program/text/text_window.h"
#include "tests/program/script_machine.h"
#include "tools/assembler/assembler.h"

namespace {

struct CommandCall {
  std::string name;
  std::vector<int32_t> args;  // the first argument first, as the handler pops them
};

struct ExampleRun {
  std::vector<CommandCall> calls;
  bool ended = false;  // the pass ended (end, or the end of the code) within the step limit
};

std::vector<std::string> GuideExamples() {
  std::string guide;
  EXPECT_TRUE(advasm::ReadTextFile(ASSEMBLER_GUIDE, &guide));
  std::vector<std::string> examples;
  for (size_t start = guide.find("```asm\n"); start != std::string::npos;
       start = guide.find("```asm\n", start)) {
    start += 7;
    const size_t end = guide.find("```", start);
    if (end == std::string::npos) break;
    examples.push_back(guide.substr(start, end - start));
  }
  return examples;
}

bool IsStringVariable(int32_t value) {
  const uint32_t word = static_cast<uint32_t>(value);
  return (word & adv::kStringVariableBit) && (word & ~adv::kStringVariableBit) < 16;
}

// Whether a value is what an argument of that kind must be.
bool FitsKind(adv::AdvContext& c, adv::ArgumentKind kind, int32_t value) {
  const uint32_t word = static_cast<uint32_t>(value);
  switch (kind) {
    case adv::ArgumentKind::kText:
      return word == adv::kNoReference || IsStringVariable(value) || c.lists.TextAt(word);
    case adv::ArgumentKind::kFile:
      return word == adv::kNoReference || IsStringVariable(value) || word < c.lists.FileCount();
    case adv::ArgumentKind::kLabel:
      return word <= c.lists.LabelCount();
    case adv::ArgumentKind::kStringVariable:
      return IsStringVariable(value);
    case adv::ArgumentKind::kNumber:
      break;
  }
  return true;
}

// The call at the program counter, read off the value stack before it runs.
CommandCall CallAt(adv::AdvContext& c, uint32_t code) {
  const adv::CommandInfo* info = adv::FindCommandByCode(code);
  EXPECT_NE(info, nullptr) << "code " << std::hex << code << " is not in the catalog";
  if (!info) return {};
  CommandCall call{std::string(info->name), {}};
  const std::vector<adv::CommandArgument> arguments = adv::CommandArguments(*info);
  EXPECT_GE(c.values.value_count, static_cast<int32_t>(arguments.size())) << call.name;
  for (size_t i = 0; i < arguments.size() && i < static_cast<size_t>(c.values.value_count); ++i) {
    const int32_t value = c.values.value_stack[c.values.value_count - 1 - i];
    EXPECT_TRUE(FitsKind(c, arguments[i].kind, value))
        << call.name << " argument " << i + 1 << " (" << arguments[i].name << ") = " << value
        << " is not a " << adv::ArgumentKindName(arguments[i].kind);
    call.args.push_back(value);
  }
  return call;
}

// Runs instruction after instruction; `after_call` sees every call once it ran.
ExampleRun Run(test::ScriptMachine& machine,
               const std::function<void(const CommandCall&)>& after_call = {}) {
  adv::AdvContext& c = machine.context();
  ExampleRun run;
  for (int step = 0; step < 10000; ++step) {
    uint32_t word = 0;
    uint32_t code = 0;
    const bool is_call = c.script.code.Word(c.script.pc, &word) && word == adv::kOpCallCommand &&
                         c.script.code.Word(c.script.pc + 4, &code);
    if (is_call) run.calls.push_back(CallAt(c, code));
    if (adv::ScriptStep(c) != adv::ScriptStepResult::kGoOn) {
      // A line that waits for the reader: the test clicks it away and the script goes on.
      if (c.script.point_count == 0 || c.text_window.line_kind == 0) {
        run.ended = true;
        break;
      }
      adv::AdvTextWaitEnd(c);
      c.script.stop = 0;
    }
    if (!is_call) continue;
    if (!adv::CommandFor(code)) {
      for (size_t i = 0; i < run.calls.back().args.size(); ++i) adv::ValueStackPop(c);
    }
    if (after_call) after_call(run.calls.back());
  }
  return run;
}

std::string Text(test::ScriptMachine& machine, int32_t offset) {
  const auto entry = machine.context().lists.TextAt(static_cast<uint32_t>(offset));
  return entry ? os::Cp932ToUtf8(std::string(entry->text)) : "(no text)";
}

std::vector<std::string> CallNames(const ExampleRun& run) {
  std::vector<std::string> names;
  for (const CommandCall& call : run.calls) names.push_back(call.name);
  return names;
}

using Check = std::function<void(const std::string& source)>;

void CheckFirstScript(const std::string& source) {
  // The die falls as the test drives it; each throw takes its branch.
  for (const auto& [die, line] : std::map<int32_t, std::string>{{1, "小さい目です。"},
                                                                {3, "小さい目です。"},
                                                                {4, "大きい目です。"},
                                                                {6, "大きい目です。"}}) {
    test::ScriptMachine machine(source);
    const ExampleRun run = Run(machine, [&](const CommandCall& call) {
      if (call.name != "random") return;
      EXPECT_EQ(call.args, (std::vector<int32_t>{1, 6}));
      EXPECT_GE(machine.V(1), 1);
      EXPECT_LE(machine.V(1), 6);
      machine.context().values.variables[1] = die;
    });
    ASSERT_TRUE(run.ended);
    ASSERT_EQ(CallNames(run), (std::vector<std::string>{"text_init", "text", "random", "text"}));
    EXPECT_EQ(run.calls[0].args, (std::vector<int32_t>{28, 160, 560, 960, 120, 160, 516, 0}));
    EXPECT_EQ(Text(machine, run.calls[1].args[1]), "案内人");
    EXPECT_EQ(Text(machine, run.calls[1].args[2]), "こんにちは。");
    EXPECT_EQ(run.calls[3].args[1], static_cast<int32_t>(adv::kNoReference));
    EXPECT_EQ(Text(machine, run.calls[3].args[2]), line) << "die " << die;
  }
}

void CheckBrokenArgumentList(const std::string& source) {
  test::ScriptMachine machine(source);
  const ExampleRun run = Run(machine);
  ASSERT_EQ(run.calls.size(), 1u);
  EXPECT_EQ(run.calls[0].args, (std::vector<int32_t>{28, 160, 560, 960, 120, 160, 516, 0}));
}

void CheckFixedPoint(const std::string& source) {
  test::ScriptMachine machine(source);
  ASSERT_TRUE(Run(machine).ended);
  EXPECT_EQ(machine.V(1), 30000);
  EXPECT_EQ(machine.V(2), 3333);
  EXPECT_EQ(machine.V(3), 20000);
  EXPECT_EQ(machine.V(4), 9999);
  EXPECT_EQ(machine.V(5), 7);
  EXPECT_GE(machine.V(6), 1);
  EXPECT_LE(machine.V(6), 6);
}

// select reads its select_item block itself; here the block's items are collected as select
// reads them, without making the choice's sprites.
std::vector<std::array<int32_t, 6>>& ChoiceItems() {
  static std::vector<std::array<int32_t, 6>> items;
  return items;
}

int CollectChoice(adv::AdvContext& context) {
  adv::ValueStackPop(context);  // the message window's visibility
  return adv::SelectRunItemList(context, [](adv::AdvContext& c) {
    std::array<int32_t, 6> item{};
    for (int32_t& value : item) value = adv::ValueStackPop(c);
    ChoiceItems().push_back(item);
    return true;
  });
}

void CheckChoice(const std::string& source) {
  test::ScriptMachine machine(source);
  ChoiceItems().clear();
  machine.SetCommand(0x060001, CollectChoice);
  const ExampleRun run = Run(machine);
  ASSERT_TRUE(run.ended);
  ASSERT_EQ(CallNames(run), (std::vector<std::string>{"select", "end_select"}));
  EXPECT_EQ(run.calls[0].args, (std::vector<int32_t>{1}));
  const auto& items = ChoiceItems();
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(Text(machine, items[0][0]), "森の道");
  EXPECT_EQ(static_cast<uint32_t>(items[0][1]), machine.LabelNumber("forest"));
  EXPECT_EQ(Text(machine, items[1][0]), "海の道");
  EXPECT_EQ(static_cast<uint32_t>(items[1][1]), machine.LabelNumber("sea"));
  EXPECT_EQ(items[1][2], 440);
  EXPECT_EQ(items[1][3], 340);
}

void CheckLoop(const std::string& source) {
  test::ScriptMachine machine(source);
  const ExampleRun run = Run(machine);
  ASSERT_TRUE(run.ended);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(machine.context().values.user_memory[i], i * 10) << i;
  EXPECT_EQ(machine.context().values.user_memory[10], 0);
  ASSERT_EQ(CallNames(run), (std::vector<std::string>{"debug_text"}));
  EXPECT_EQ(Text(machine, run.calls[0].args[0]), "filled");
}

void CheckTable(const std::string& source) {
  test::ScriptMachine machine(source);
  ASSERT_TRUE(Run(machine).ended);
  EXPECT_EQ(static_cast<uint32_t>(machine.V(2)), 0x80FF0000u);
  EXPECT_EQ(static_cast<uint32_t>(machine.V(3)), 0xFFFFFFFFu);
}

void CheckStringVariables(const std::string& source) {
  test::ScriptMachine machine(source);
  const ExampleRun run = Run(machine);
  ASSERT_TRUE(run.ended);
  ASSERT_EQ(CallNames(run), (std::vector<std::string>{"strcpy", "sp_set"}));
  EXPECT_EQ(static_cast<uint32_t>(run.calls[0].args[0]), adv::kStringVariableBit);
  EXPECT_EQ(Text(machine, run.calls[0].args[1]), "#FF808080");
  EXPECT_EQ(run.calls[0].args[2], -1);
  EXPECT_EQ(run.calls[1].args,
            (std::vector<int32_t>{static_cast<int32_t>(adv::kStringVariableBit), 3, 10, 2}));
}

void CheckFrames(const std::string& source) {
  test::ScriptMachine machine(source);
  ASSERT_TRUE(Run(machine).ended);
  EXPECT_EQ(machine.V(1), 12);
  EXPECT_EQ(machine.context().values.value_count, 0);
  EXPECT_EQ(machine.context().values.frame_top, 0);
}

// Each example is known by a line of its own.
const std::vector<std::pair<std::string, Check>>& Checks() {
  static const std::vector<std::pair<std::string, Check>> checks = {
      {"; hello.asm", CheckFirstScript},
      {"cmd text_init(28,", CheckBrokenArgumentList},
      {"cmd mul(15000, 20000)", CheckFixedPoint},
      {"cmd select(1)", CheckChoice},
      {"fill:", CheckLoop},
      {".mem COLOURS", CheckTable},
      {"cmd strcpy(s0", CheckStringVariables},
      {"add_two:", CheckFrames},
  };
  return checks;
}

TEST(GuideExamples, EachRunsAndDoesWhatTheGuideSays) {
  const std::vector<std::string> examples = GuideExamples();
  ASSERT_FALSE(examples.empty());
  for (const std::string& example : examples) {
    int matched = 0;
    for (const auto& [marker, check] : Checks()) {
      if (example.find(marker) == std::string::npos) continue;
      ++matched;
      SCOPED_TRACE(example);
      check(example);
    }
    EXPECT_EQ(matched, 1) << "every example has exactly one check here:\n" << example;
  }
}

}  // namespace
