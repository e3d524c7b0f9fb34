#include "tools/assembler/command_check.h"

#include <string>
#include <vector>

namespace advasm {
namespace {

using adv::ArgumentKind;

// What the way an argument is written says about it. A number, a register or a memory operand
// may hold anything at run time, so only the written forms below are checked.
enum class Written { kAnything, kText, kFile, kLabel, kStringVariable };

// Constants are followed to what they hold, at most this many steps (they may form a cycle,
// which the encoder reports).
constexpr int kMaxConstantSteps = 16;

Written WrittenForm(const Program& program, const Expr& expr, int steps = 0) {
  switch (expr.kind) {
    case Expr::Kind::kText:
      return Written::kText;
    case Expr::Kind::kFile:
      return Written::kFile;
    case Expr::Kind::kNumber:
      return expr.string_variable ? Written::kStringVariable : Written::kAnything;
    case Expr::Kind::kSymbol: {
      if (expr.use == Expr::Use::kLabel) return Written::kLabel;
      const auto it = program.symbols.find(expr.name);
      if (it == program.symbols.end()) return Written::kAnything;  // reported by the encoder
      if (it->second.kind == Symbol::Kind::kLabel) return Written::kLabel;
      if (!it->second.expr || steps >= kMaxConstantSteps) return Written::kAnything;
      return WrittenForm(program, *it->second.expr, steps + 1);
    }
    default:
      return Written::kAnything;
  }
}

bool Accepts(ArgumentKind kind, Written written) {
  switch (written) {
    case Written::kAnything:
      return true;
    case Written::kText:
      return kind == ArgumentKind::kText;
    case Written::kFile:
      return kind == ArgumentKind::kFile;
    case Written::kLabel:
      return kind == ArgumentKind::kLabel;
    case Written::kStringVariable:
      return kind == ArgumentKind::kText || kind == ArgumentKind::kFile ||
             kind == ArgumentKind::kStringVariable;
  }
  return true;
}

std::string WrittenName(Written written) {
  switch (written) {
    case Written::kText:
      return "a text";
    case Written::kFile:
      return "a file name";
    case Written::kLabel:
      return "a label";
    case Written::kStringVariable:
      return "a string variable";
    case Written::kAnything:
      break;
  }
  return "a value";
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
    const Written written = WrittenForm(program, *operand.expr);
    if (Accepts(arguments[i].kind, written)) continue;
    diagnostics.Error(file, operand.where.line,
                      "argument " + std::to_string(i + 1) + " of '" + name + "' (" +
                          std::string(arguments[i].name) + ") is a " +
                          std::string(adv::ArgumentKindName(arguments[i].kind)) + ", not " +
                          WrittenName(written));
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
