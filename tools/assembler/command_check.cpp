#include "tools/assembler/command_check.h"

#include <optional>
#include <string>
#include <vector>

namespace advasm {
namespace {

using adv::ArgumentKind;

// Constants are followed to what they hold, at most this many steps (they may form a cycle,
// which the encoder reports).
constexpr int kMaxConstantSteps = 16;

// The kind the way an argument is written shows: a text, a file name, a label or a string
// variable. None for a number, a register or a memory operand, which may hold anything at run
// time.
std::optional<ArgumentKind> WrittenKind(const Program& program, const Expr& expr, int steps = 0) {
  switch (expr.kind) {
    case Expr::Kind::kText:
      return ArgumentKind::kText;
    case Expr::Kind::kFile:
      return ArgumentKind::kFile;
    case Expr::Kind::kNumber:
      if (expr.string_variable) return ArgumentKind::kStringVariable;
      return std::nullopt;
    case Expr::Kind::kSymbol: {
      if (expr.use == Expr::Use::kLabel) return ArgumentKind::kLabel;
      const auto it = program.symbols.find(expr.name);
      if (it == program.symbols.end()) return std::nullopt;  // reported by the encoder
      if (it->second.kind == Symbol::Kind::kLabel) return ArgumentKind::kLabel;
      if (!it->second.expr || steps >= kMaxConstantSteps) return std::nullopt;
      return WrittenKind(program, *it->second.expr, steps + 1);
    }
    default:
      return std::nullopt;
  }
}

// A string variable stands for a text or a file name as well.
bool Accepts(ArgumentKind kind, ArgumentKind written) {
  if (written == ArgumentKind::kStringVariable) {
    return kind == ArgumentKind::kText || kind == ArgumentKind::kFile ||
           kind == ArgumentKind::kStringVariable;
  }
  return kind == written;
}

std::string ArgumentList(const std::vector<adv::CommandArgument>& arguments) {
  std::string list;
  for (const adv::CommandArgument& argument : arguments) {
    if (!list.empty()) list += ", ";
    list += argument.name;
  }
  return list;
}

void CheckStatement(const Program& program, const Statement& statement, Diagnostics& diagnostics) {
  const adv::CommandInfo& command = *statement.named;
  const std::string& file = program.sources[statement.where.source];
  const std::string name(command.name);
  const std::vector<adv::CommandArgument> arguments = adv::CommandArguments(command);
  if (statement.operands.size() != arguments.size()) {
    const std::string takes = arguments.empty()
                                  ? "takes no arguments"
                                  : "takes " + std::to_string(arguments.size()) + " argument" +
                                        (arguments.size() == 1 ? "" : "s") + " (" +
                                        ArgumentList(arguments) + ")";
    diagnostics.Error(
        file, statement.where.line,
        "'" + name + "' " + takes + ", not " + std::to_string(statement.operands.size()));
    return;
  }
  for (size_t i = 0; i < arguments.size(); ++i) {
    const Operand& operand = statement.operands[i];
    if (operand.kind != OperandKind::kImmediate || !operand.expr) continue;
    const std::optional<ArgumentKind> written = WrittenKind(program, *operand.expr);
    if (!written || Accepts(arguments[i].kind, *written)) continue;
    diagnostics.Error(file, operand.where.line,
                      "argument " + std::to_string(i + 1) + " of '" + name + "' (" +
                          std::string(arguments[i].name) + ") takes a " +
                          std::string(adv::ArgumentKindName(arguments[i].kind)) + ", but a " +
                          std::string(adv::ArgumentKindName(*written)) + " is given");
  }
}

}  // namespace

void CheckCommandArguments(const Program& program, Diagnostics& diagnostics) {
  for (const Statement& statement : program.statements) {
    if (statement.kind == Statement::Kind::kCommand && statement.named) {
      CheckStatement(program, statement, diagnostics);
    }
  }
}

}  // namespace advasm
