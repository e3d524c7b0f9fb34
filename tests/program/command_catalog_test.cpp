// The command catalog against the interpreter: it holds every command the interpreter has a
// handler for, within the index range of its group, and each built handler pops exactly the
// arguments the catalog lists, no fewer and no more.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "program/data/command_catalog.h"
#include "program/script/command_table.h"
#include "tests/program/script_machine.h"

namespace {

TEST(CommandCatalog, NamesAreUniqueAndArgumentsRead) {
  std::set<std::string_view> names;
  for (const adv::CommandInfo& command : adv::CommandCatalog()) {
    if (!command.name.empty()) {
      EXPECT_TRUE(names.insert(command.name).second) << command.name;
    }
    EXPECT_EQ(adv::FindCommandByCode(command.code), &command);
    for (const adv::CommandArgument& argument : adv::CommandArguments(command)) {
      EXPECT_FALSE(argument.name.empty()) << command.name;
      EXPECT_EQ(argument.name.find(':'), std::string_view::npos) << command.name;
    }
  }
  EXPECT_EQ(adv::FindCommandByName("random")->code, 0x140000u);
  EXPECT_EQ(adv::FindCommandByName("no_such_command"), nullptr);
  EXPECT_EQ(adv::FindCommandByCode(0x03000A), nullptr);  // an empty slot
}

TEST(CommandCatalog, CoversTheCommandTable) {
  const auto& table = adv::CommandTable();
  for (const adv::CommandInfo& command : adv::CommandCatalog()) {
    const uint32_t group = command.code >> 16;
    const uint32_t index = command.code & 0xFFFF;
    ASSERT_LT(group, adv::kCommandGroupCount);
    EXPECT_GE(index, table[group].first) << command.name;
    EXPECT_LE(index, table[group].last) << command.name;
  }
  for (uint32_t group = 0x02; group < adv::kCommandGroupCount; ++group) {
    for (uint32_t index = table[group].first; index <= table[group].last; ++index) {
      const uint32_t code = group << 16 | index;
      if (adv::CommandFor(code)) {
        EXPECT_NE(adv::FindCommandByCode(code), nullptr) << std::hex << code;
      }
    }
  }
}

// A value of the kind an argument takes, written in the source.
std::string ArgumentFor(const adv::CommandArgument& argument) {
  switch (argument.kind) {
    case adv::ArgumentKind::kText:
      return "\"t\"";
    case adv::ArgumentKind::kFile:
      return "f\"F\"";
    case adv::ArgumentKind::kLabel:
      return "0";
    case adv::ArgumentKind::kStringVariable:
      return "s1";
    case adv::ArgumentKind::kNumber:
      break;
  }
  return "1";
}

// Each command runs in a machine of its own, whose context of several megabytes the sanitizers
// shadow anew every time: the sanitizer builds check every sixth command, the plain build all of
// them.
#if defined(__SANITIZE_THREAD__) || defined(__SANITIZE_ADDRESS__)
constexpr int kCommandStride = 6;
#else
constexpr int kCommandStride = 1;
#endif

TEST(CommandCatalog, BuiltHandlersPopExactlyTheListedArguments) {
  int built = 0;
  for (const adv::CommandInfo& command : adv::CommandCatalog()) {
    if (!adv::CommandFor(command.code) || command.name.empty()) continue;
    if (built++ % kCommandStride != 0) continue;
    std::string call = "push 77\ncmd " + std::string(command.name) + "(";
    const auto arguments = adv::CommandArguments(command);
    for (size_t i = 0; i < arguments.size(); ++i) {
      call += (i ? ", " : "") + ArgumentFor(arguments[i]);
    }
    call += ") -> v9\n";
    test::ScriptMachine machine(call);
    ASSERT_TRUE(machine.loaded()) << call;
    machine.Steps(100);
    adv::AdvContext& c = machine.context();
    // The value pushed before the arguments is still there, alone.
    EXPECT_EQ(c.values.value_count, 1) << command.name;
    EXPECT_EQ(c.values.value_stack[0], 77) << command.name;
    EXPECT_EQ(machine.CountLogged("not stack"), 0) << command.name;
  }
  EXPECT_GT(built, 0);
}

}  // namespace
