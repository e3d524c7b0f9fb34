#include "tools/assembler/encoder.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>

#include "program/data/command_catalog.h"

namespace advasm {
namespace {

constexpr int64_t kMinWord = INT32_MIN;
constexpr int64_t kMaxWord = UINT32_MAX;
constexpr size_t kTextListHeader = 16;
constexpr uint32_t kScratchWord = OperandWord(OperandKind::kStack, 0, kScratchSlot);

std::string Hex(uint32_t value) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "0x%08X", value);
  return buffer;
}

class Encoder {
 public:
  Encoder(const Program& program, EncodedScript* out, Diagnostics& diagnostics)
      : program_(program), out_(*out), diagnostics_(diagnostics) {}

  bool Run();

 private:
  void Error(SourceRef where, std::string message) {
    diagnostics_.Error(program_.sources[where.source], where.line, std::move(message));
  }

  // Values.
  bool Evaluate(const Expr& expr, int64_t* value);
  bool EvaluateNode(const Expr& expr, int64_t* value);
  bool EvaluateSymbol(const Expr& expr, int64_t* value);
  bool EvaluateBinary(const Expr& expr, int64_t lhs, int64_t rhs, int64_t* value);
  bool Word(const Expr& expr, uint32_t* word);
  bool Ranged(const Expr& expr, int64_t low, int64_t high, const std::string& what,
              uint32_t* value);

  // Code.
  void EncodeStatement(const Statement& statement);
  bool EncodeInstruction(const Statement& statement, std::vector<uint32_t>& words);
  bool EncodeCommand(const Statement& statement, std::vector<uint32_t>& words);
  bool EncodeOperand(const Operand& operand, bool written, std::vector<uint32_t>& prelude,
                     uint32_t* word);
  uint32_t EncodeLargeValue(uint32_t value, std::vector<uint32_t>& prelude);
  bool CheckWritable(int variable, SourceRef where);
  int TableVariable(const Operand& operand);

  void LayoutFiles();
  void ResolveTable();
  void ResolveLabels();
  void ResolveEntryAndStamp();
  void ListStatement(const Statement& statement, size_t first_word);

  const Program& program_;
  EncodedScript& out_;
  Diagnostics& diagnostics_;
  std::map<std::string, int64_t> constants_;
  std::set<std::string> evaluating_;
  int evaluation_depth_ = 0;  // nested Evaluate calls: constants may refer to constants
  std::map<std::string, uint32_t> file_numbers_;
  std::map<uint32_t, uint32_t> pool_;  // value -> "Mem.dat" cell
  std::vector<uint32_t> pool_values_;
  std::vector<uint32_t> statement_offsets_;
  std::multimap<size_t, std::string> labels_at_;
};

bool Encoder::Run() {
  out_.texts = program_.texts;
  out_.text_offsets = LayoutTexts(program_.texts);
  if (!program_.texts.empty() &&
      out_.text_offsets.back() + program_.texts.back().size() + 5 >= kNoReference) {
    diagnostics_.Error(program_.sources.back(), 0,
                       "the texts exceed the 256 MB that text offsets reach");
  }
  LayoutFiles();
  for (const auto& [name, symbol] : program_.symbols) {
    if (symbol.kind == Symbol::Kind::kLabel) labels_at_.emplace(symbol.position, name);
  }
  for (const Statement& statement : program_.statements) EncodeStatement(statement);
  statement_offsets_.push_back(static_cast<uint32_t>(out_.code.size() * 4));
  for (const auto& [position, name] : labels_at_) {
    if (position == program_.statements.size()) out_.listing += name + ":\n";
  }
  ResolveTable();
  ResolveLabels();
  ResolveEntryAndStamp();
  return !diagnostics_.HasErrors();
}

void Encoder::LayoutFiles() {
  // std::string orders by unsigned bytes, and a shorter name that is a prefix of a longer one
  // sorts first, which is the order of the zero-padded 32-byte fields.
  out_.files.assign(program_.file_names.begin(), program_.file_names.end());
  for (size_t i = 0; i < out_.files.size(); ++i) {
    file_numbers_[out_.files[i]] = static_cast<uint32_t>(i);
  }
}

void Encoder::ResolveTable() {
  for (const ExprPtr& cell : program_.table_cells) {
    uint32_t word = 0;
    Word(*cell, &word);
    out_.table_cells.push_back(word);
  }
  out_.table_cells.insert(out_.table_cells.end(), pool_values_.begin(), pool_values_.end());
}

void Encoder::ResolveLabels() {
  out_.label_offsets.assign(program_.label_count, 0);
  out_.labels.resize(program_.label_count);
  for (const auto& [name, symbol] : program_.symbols) {
    if (symbol.kind != Symbol::Kind::kLabel) continue;
    const uint32_t offset = statement_offsets_[symbol.position];
    out_.label_offsets[symbol.label_number - 1] = offset;
    out_.labels[symbol.label_number - 1] = {name, symbol.label_number, offset};
  }
}

void Encoder::ResolveEntryAndStamp() {
  if (program_.entry_label) {
    const auto it = program_.symbols.find(*program_.entry_label);
    if (it == program_.symbols.end() || it->second.kind != Symbol::Kind::kLabel) {
      Error(program_.entry_where,
            "'.entry' names '" + *program_.entry_label + "', which is not a label");
    } else {
      out_.entry = 12 + statement_offsets_[it->second.position];
    }
  }
  if (program_.stamp) out_.has_stamp = Word(*program_.stamp, &out_.stamp);
}

// Every level is a call of Evaluate: a node of an expression, or a constant that refers to
// another. 1024 levels take a few hundred KiB of stack in a plain build and about half the
// default 8 MiB under AddressSanitizer; a chain of 500 constants each defined by the one before
// fits.
constexpr int kMaxEvaluationDepth = 1024;

bool Encoder::Evaluate(const Expr& expr, int64_t* value) {
  if (evaluation_depth_ >= kMaxEvaluationDepth) {
    Error(expr.where, "constants refer to further constants too deeply (more than " +
                          std::to_string(kMaxEvaluationDepth) + " levels of evaluation)");
    return false;
  }
  ++evaluation_depth_;
  const bool ok = EvaluateNode(expr, value);
  --evaluation_depth_;
  return ok;
}

bool Encoder::EvaluateNode(const Expr& expr, int64_t* value) {
  switch (expr.kind) {
    case Expr::Kind::kNumber:
      *value = static_cast<int64_t>(expr.number);
      return true;
    case Expr::Kind::kText:
      *value = out_.text_offsets[expr.number];
      return true;
    case Expr::Kind::kFile:
      *value = file_numbers_.at(expr.name);
      return true;
    case Expr::Kind::kSymbol:
      return EvaluateSymbol(expr, value);
    case Expr::Kind::kUnary: {
      int64_t operand = 0;
      if (!Evaluate(*expr.lhs, &operand)) return false;
      const uint64_t bits = static_cast<uint64_t>(operand);
      *value = expr.name == "-"   ? static_cast<int64_t>(0 - bits)
               : expr.name == "~" ? static_cast<int64_t>(~bits)
                                  : operand;
      return true;
    }
    case Expr::Kind::kBinary: {
      int64_t lhs = 0;
      int64_t rhs = 0;
      if (!Evaluate(*expr.lhs, &lhs) || !Evaluate(*expr.rhs, &rhs)) return false;
      return EvaluateBinary(expr, lhs, rhs, value);
    }
  }
  return false;
}

// 64-bit arithmetic that wraps instead of overflowing; the 32-bit range is checked where a
// value becomes a word.
bool Encoder::EvaluateBinary(const Expr& expr, int64_t lhs, int64_t rhs, int64_t* value) {
  const uint64_t a = static_cast<uint64_t>(lhs);
  const uint64_t b = static_cast<uint64_t>(rhs);
  const char op = expr.name[0];
  if ((op == '/' || op == '%') && rhs == 0) {
    Error(expr.where, "division by zero in a constant expression");
    return false;
  }
  if ((op == '<' || op == '>') && (rhs < 0 || rhs > 63)) {
    Error(expr.where, "shift count " + std::to_string(rhs) + " is outside 0 to 63");
    return false;
  }
  switch (op) {
    case '+':
      *value = static_cast<int64_t>(a + b);
      break;
    case '-':
      *value = static_cast<int64_t>(a - b);
      break;
    case '*':
      *value = static_cast<int64_t>(a * b);
      break;
    case '/':
      *value = rhs == -1 ? static_cast<int64_t>(0 - a) : lhs / rhs;
      break;
    case '%':
      *value = rhs == -1 ? 0 : lhs % rhs;
      break;
    case '&':
      *value = lhs & rhs;
      break;
    case '|':
      *value = lhs | rhs;
      break;
    case '^':
      *value = lhs ^ rhs;
      break;
    case '<':
      *value = static_cast<int64_t>(a << rhs);
      break;
    default:
      *value = lhs >> rhs;
      break;
  }
  return true;
}

bool Encoder::EvaluateSymbol(const Expr& expr, int64_t* value) {
  const auto it = program_.symbols.find(expr.name);
  if (it == program_.symbols.end()) {
    Error(expr.where, expr.use == Expr::Use::kCommand ? "unknown command '" + expr.name + "'"
                                                      : "undefined name '" + expr.name + "'");
    return false;
  }
  const Symbol& symbol = it->second;
  if (symbol.kind == Symbol::Kind::kLabel) {
    if (expr.use == Expr::Use::kCommand) {
      Error(expr.where, "'" + expr.name + "' is a label, not a command");
      return false;
    }
    *value = symbol.label_number;
    return true;
  }
  if (expr.use == Expr::Use::kLabel) {
    Error(expr.where, "'@" + expr.name + "': '" + expr.name + "' is a constant, not a label");
    return false;
  }
  if (const auto cached = constants_.find(expr.name); cached != constants_.end()) {
    *value = cached->second;
    return true;
  }
  if (!evaluating_.insert(expr.name).second) {
    Error(expr.where, "constant '" + expr.name + "' is defined in terms of itself");
    return false;
  }
  const bool ok = Evaluate(*symbol.expr, value);
  evaluating_.erase(expr.name);
  if (ok) constants_[expr.name] = *value;
  return ok;
}

bool Encoder::Word(const Expr& expr, uint32_t* word) {
  int64_t value = 0;
  if (!Evaluate(expr, &value)) return false;
  if (value < kMinWord || value > kMaxWord) {
    Error(expr.where, "value " + std::to_string(value) + " does not fit in 32 bits");
    return false;
  }
  *word = static_cast<uint32_t>(value);
  return true;
}

bool Encoder::Ranged(const Expr& expr, int64_t low, int64_t high, const std::string& what,
                     uint32_t* value) {
  int64_t v = 0;
  if (!Evaluate(expr, &v)) return false;
  if (v < low || v > high) {
    Error(expr.where, what + " " + std::to_string(v) + " is outside " + std::to_string(low) +
                          " to " + std::to_string(high));
    return false;
  }
  *value = static_cast<uint32_t>(v);
  return true;
}

void Encoder::EncodeStatement(const Statement& statement) {
  statement_offsets_.push_back(static_cast<uint32_t>(out_.code.size() * 4));
  std::vector<uint32_t> words;
  bool ok = true;
  switch (statement.kind) {
    case Statement::Kind::kInstruction:
      ok = EncodeInstruction(statement, words);
      break;
    case Statement::Kind::kCommand:
      ok = EncodeCommand(statement, words);
      break;
    case Statement::Kind::kWords:
      for (const ExprPtr& expr : statement.words) {
        uint32_t word = 0;
        ok = Word(*expr, &word) && ok;
        words.push_back(word);
      }
      break;
  }
  (void)ok;  // errors are reported; the words keep the layout for later messages
  const size_t first = out_.code.size();
  out_.code.insert(out_.code.end(), words.begin(), words.end());
  ListStatement(statement, first);
}

bool Encoder::EncodeInstruction(const Statement& statement, std::vector<uint32_t>& words) {
  const InstructionInfo& info = *statement.instruction;
  std::vector<uint32_t> prelude;
  std::vector<uint32_t> body = {info.code};
  bool ok = true;
  for (size_t i = 0; i < statement.operands.size(); ++i) {
    const Operand& operand = statement.operands[i];
    uint32_t word = 0;
    switch (info.words[i]) {
      case 'l':
        ok = Word(*operand.expr, &word) && ok;
        break;
      case 'v':
        ok = CheckWritable(operand.variable, operand.where) && ok;
        word = static_cast<uint32_t>(operand.variable);
        break;
      default:
        ok = EncodeOperand(operand, info.words[i] == 'd', prelude, &word) && ok;
        break;
    }
    body.push_back(word);
  }
  // The scratch slot carries a large source value; a destination in the same slot would be
  // overwritten by the sequence that builds it.
  if (!prelude.empty() && info.words[0] == 'd' && body[1] == kScratchWord) {
    Error(statement.where,
          "stack[63] is the scratch cell for large values and cannot be the "
          "destination here");
    ok = false;
  }
  words = std::move(prelude);
  words.insert(words.end(), body.begin(), body.end());
  return ok;
}

// The arguments are pushed from the last to the first, so the handler pops the first one first;
// then comes the 12-byte call {0x00010017, code, result variable}.
bool Encoder::EncodeCommand(const Statement& statement, std::vector<uint32_t>& words) {
  bool ok = true;
  for (auto it = statement.operands.rbegin(); it != statement.operands.rend(); ++it) {
    uint32_t word = 0;
    ok = EncodeOperand(*it, false, words, &word) && ok;
    words.push_back(kPushCode);
    words.push_back(word);
  }
  uint32_t code = 0;
  ok = Word(*statement.command, &code) && ok;
  ok = CheckWritable(statement.result, statement.where) && ok;
  words.push_back(kCallCommandCode);
  words.push_back(code);
  words.push_back(static_cast<uint32_t>(statement.result));
  return ok;
}

bool Encoder::CheckWritable(int variable, SourceRef where) {
  if (variable != program_.zero_variable) return true;
  Error(where, "v" + std::to_string(variable) + " is the .zero variable: nothing may write it");
  return false;
}

int Encoder::TableVariable(const Operand& operand) {
  if (operand.variable >= 0) return operand.variable;
  if (program_.zero_variable < 0) {
    Error(operand.where,
          "a cell addressed by number alone needs a zero variable: declare "
          "'.zero vN' or write mem[vN + E]");
  }
  return program_.zero_variable;
}

bool Encoder::EncodeOperand(const Operand& operand, bool written, std::vector<uint32_t>& prelude,
                            uint32_t* word) {
  uint32_t element = 0;
  uint32_t index = 0;
  bool ok = true;
  switch (operand.kind) {
    case OperandKind::kImmediate:
      if (!Word(*operand.expr, &index)) return false;
      if (IsImmediate(index)) {
        *word = index;
        return true;
      }
      if (written) {
        Error(operand.where, "the value " + Hex(index) + " cannot be written to: it needs a cell");
        return false;
      }
      *word = EncodeLargeValue(index, prelude);
      return true;
    case OperandKind::kVariable:
      if (written && !CheckWritable(operand.variable, operand.where)) return false;
      *word = OperandWord(operand.kind, 0, operand.variable);
      return true;
    case OperandKind::kUser:
    case OperandKind::kSystem:
      *word = OperandWord(operand.kind, 0, operand.variable);
      return true;
    case OperandKind::kStack:
      ok = Ranged(*operand.expr, 0, kValueStackSize - 1, "stack slot", &index);
      *word = OperandWord(operand.kind, 0, index);
      return ok;
    case OperandKind::kFrame:
      ok = Ranged(*operand.expr, 0, kFrameStackSize - 1, "frame offset", &index);
      *word = OperandWord(operand.kind, 0, index);
      return ok;
    case OperandKind::kFrameBase:
      *word = OperandWord(operand.kind, 0, 0);
      return true;
    case OperandKind::kTemp:
      if (operand.expr) ok = Ranged(*operand.expr, 1, kMaxElement, "temp element", &element);
      *word = OperandWord(operand.kind, element, operand.variable);
      return ok;
    case OperandKind::kTable:
    case OperandKind::kTableLink: {
      const int variable = TableVariable(operand);
      if (operand.expr) ok = Ranged(*operand.expr, 0, kMaxElement, "cell", &element);
      *word = OperandWord(operand.kind, element, static_cast<uint32_t>(variable));
      return ok && variable >= 0;
    }
  }
  return false;
}

// A value that no immediate can hold (0x10000000 to 0x9FFFFFFF). With a zero variable it is
// read from a pooled "Mem.dat" cell; otherwise three instructions build it in the scratch slot:
// its upper 28 bits, shifted left by 4, its low 4 bits ORed in.
uint32_t Encoder::EncodeLargeValue(uint32_t value, std::vector<uint32_t>& prelude) {
  if (program_.zero_variable >= 0) {
    const auto it = pool_.find(value);
    if (it != pool_.end()) {
      return OperandWord(OperandKind::kTable, it->second, program_.zero_variable);
    }
    const size_t cell = program_.table_cells.size() + pool_values_.size();
    if (cell <= kMaxElement) {
      pool_.emplace(value, static_cast<uint32_t>(cell));
      pool_values_.push_back(value);
      return OperandWord(OperandKind::kTable, static_cast<uint32_t>(cell), program_.zero_variable);
    }
  }
  prelude.insert(prelude.end(), {kMoveCode, kScratchWord, value >> 4});
  prelude.insert(prelude.end(), {kShiftLeftCode, kScratchWord, 4});
  if (value & 15) prelude.insert(prelude.end(), {kOrCode, kScratchWord, value & 15});
  return kScratchWord;
}

void Encoder::ListStatement(const Statement& statement, size_t first_word) {
  const size_t position = statement_offsets_.size() - 1;
  const auto [begin, end] = labels_at_.equal_range(position);
  for (auto it = begin; it != end; ++it) out_.listing += it->second + ":\n";
  char head[32];
  std::snprintf(head, sizeof head, "%08zX ", 12 + first_word * 4);
  std::string line = head;
  for (size_t i = first_word; i < out_.code.size(); ++i) {
    char word[12];
    std::snprintf(word, sizeof word, " %08X", out_.code[i]);
    line += word;
  }
  std::string what;
  if (statement.kind == Statement::Kind::kInstruction) {
    what = std::string(statement.instruction->mnemonic);
  } else if (statement.kind == Statement::Kind::kCommand) {
    const uint32_t code = out_.code.size() >= 2 ? out_.code[out_.code.size() - 2] : 0;
    const adv::CommandInfo* command = adv::FindCommandByCode(code);
    what = "cmd " + (command && !command->name.empty() ? std::string(command->name) : Hex(code));
  } else {
    what = ".word";
  }
  out_.listing += line + "    ; " + what + "  " + program_.sources[statement.where.source] + ":" +
                  std::to_string(statement.where.line) + "\n";
}

}  // namespace

std::vector<uint32_t> LayoutTexts(const std::vector<std::string>& texts) {
  std::vector<uint32_t> offsets;
  uint64_t offset = kTextListHeader;
  for (const std::string& text : texts) {
    offsets.push_back(static_cast<uint32_t>(std::min<uint64_t>(offset, UINT32_MAX)));
    offset += 4 + text.size() + 1;  // text number, bytes, terminating zero
  }
  return offsets;
}

bool Encode(const Program& program, EncodedScript* out, Diagnostics& diagnostics) {
  *out = EncodedScript();
  return Encoder(program, out, diagnostics).Run();
}

}  // namespace advasm
