// The catalog of the script commands: every command's code, name, arguments and result, in one
// place for the assembler (argument checks), the command reference for game makers
// (tools/COMMANDS.md, generated from it) and the interpreter. Arguments are listed in the order
// a handler pops them, which is the order a script writes them in `cmd name(...)`.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace adv {

// How a command reads an argument. A number is taken as it is; a text is a "Text.dat" offset or a
// string variable; a file is a "File.dat" index or a string variable; a label is a label number
// ("Point.dat"); a string variable is a reference the command writes into.
enum class ArgumentKind { kNumber, kText, kFile, kLabel, kStringVariable };

struct CommandArgument {
  ArgumentKind kind = ArgumentKind::kNumber;
  std::string_view name;
};

struct CommandInfo {
  uint32_t code;               // command group in the high 16 bits, index in the low 16
  std::string_view name;       // empty: the command has no name and is written by its code
  std::string_view arguments;  // "kind:name, ..." (kinds text, file, label, var; none: number)
  std::string_view result;     // what goes to the result variable; empty: nothing is written
};

// Every command, ordered by code.
std::span<const CommandInfo> CommandCatalog();
// The command of a name or a code, or null.
const CommandInfo* FindCommandByName(std::string_view name);
const CommandInfo* FindCommandByCode(uint32_t code);

// The arguments of a command in pop order.
std::vector<CommandArgument> CommandArguments(const CommandInfo& command);
// "number", "text", "file", "label", "string variable".
std::string_view ArgumentKindName(ArgumentKind kind);

}  // namespace adv
