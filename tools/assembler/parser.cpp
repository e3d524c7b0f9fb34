#include "tools/assembler/parser.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "os/encoding.h"
#include "program/data/command_catalog.h"
#include "tools/assembler/lexer.h"

namespace advasm {
namespace {

constexpr int kMaxIncludeDepth = 16;
constexpr size_t kMaxFileNameBytes = 31;  // names are 32-byte fields with a terminating zero

// "v12" style and "s3" style register names: a letter followed by decimal digits only.
bool IsRegisterName(std::string_view name, char letter, int* number) {
  if (name.size() < 2 || name[0] != letter || name.size() > 7) return false;
  if (!std::all_of(name.begin() + 1, name.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return false;
  }
  *number = std::stoi(std::string(name.substr(1)));
  return true;
}

bool IsReservedName(std::string_view name) {
  int unused = 0;
  return name == "base" || IsRegisterName(name, 'v', &unused) || IsRegisterName(name, 's', &unused);
}

// Keywords that open a memory operand when "[" follows.
const std::map<std::string_view, OperandKind>& MemoryKeywords() {
  static const std::map<std::string_view, OperandKind> keywords = {
      {"user", OperandKind::kUser},   {"sys", OperandKind::kSystem},
      {"stack", OperandKind::kStack}, {"temp", OperandKind::kTemp},
      {"mem", OperandKind::kTable},   {"memx", OperandKind::kTableLink},
      {"frame", OperandKind::kFrame},
  };
  return keywords;
}

class Parser {
 public:
  Parser(const ReadSource& read, Program& program, Diagnostics& diagnostics)
      : read_(read), program_(program), diagnostics_(diagnostics) {}

  void ParseText(std::string_view text, const std::string& name, int depth);

 private:
  struct ParseError {};  // thrown to abandon the current statement

  // Token access.
  const Token& Peek(size_t ahead = 0) const {
    return (*tokens_)[std::min(pos_ + ahead, tokens_->size() - 1)];
  }
  const Token& Next() {
    const Token& token = Peek();
    if (pos_ + 1 < tokens_->size()) ++pos_;
    return token;
  }
  bool AcceptPunct(std::string_view p) {
    if (!Peek().IsPunct(p)) return false;
    Next();
    return true;
  }
  void ExpectPunct(std::string_view p, std::string_view what) {
    if (!AcceptPunct(p)) {
      Fail("expected '" + std::string(p) + "' " + std::string(what) + ", found " +
           Describe(Peek()));
    }
  }
  [[noreturn]] void Fail(std::string message) { FailAt(Peek().line, std::move(message)); }
  [[noreturn]] void FailAt(int line, std::string message) {
    Error(line, std::move(message));
    throw ParseError{};
  }
  void Error(int line, std::string message) {
    diagnostics_.Error(program_.sources[source_], line, std::move(message));
  }
  SourceRef Here() const { return {source_, Peek().line}; }

  // Statements.
  void ParseLine();
  void DefineLabel(const Token& name);
  void DefineSymbol(const std::string& name, Symbol symbol, int line);
  void ParseInstruction(const InstructionInfo& info);
  void ParseCommand();
  void ParseDirective(const Token& directive);
  void ParseConst(int line);
  void ParseTable(int line);
  void ParseWords(int line);
  void ParseEntry(int line);
  void ParseStamp(int line);
  void ParseFiles(int line);
  void ParseZero(int line);
  void ParseInclude(int line);
  int ParseVariable(std::string_view what);

  // Operands and values.
  Operand ParseOperand();
  Operand ParseMemoryOperand(OperandKind kind);
  ExprPtr ParseExpr(int level = 0);
  // Counts one level of brackets or unary operators for as long as it lives; refuses (with the
  // line) a level beyond kMaxExpressionDepth.
  class NestingGuard {
   public:
    NestingGuard(Parser& parser, int line);
    ~NestingGuard() { --depth_; }
    NestingGuard(const NestingGuard&) = delete;
    NestingGuard& operator=(const NestingGuard&) = delete;

   private:
    int& depth_;
  };
  ExprPtr ParseUnary();
  ExprPtr ParsePrimary();
  ExprPtr FileExpr(const Token& token);

  const ReadSource& read_;
  Program& program_;
  Diagnostics& diagnostics_;
  const std::vector<Token>* tokens_ = nullptr;
  size_t pos_ = 0;
  int source_ = 0;
  int depth_ = 0;
  int expression_depth_ = 0;
  std::vector<std::string> include_stack_;
};

void Parser::ParseText(std::string_view text, const std::string& name, int depth) {
  const std::vector<Token> tokens = Tokenize(text, name, diagnostics_);
  const std::vector<Token>* saved_tokens = tokens_;
  const size_t saved_pos = pos_;
  const int saved_source = source_;
  const int saved_depth = depth_;
  tokens_ = &tokens;
  pos_ = 0;
  program_.sources.push_back(name);
  source_ = static_cast<int>(program_.sources.size()) - 1;
  depth_ = depth;
  include_stack_.push_back(name);
  while (Peek().kind != TokenKind::kEnd) {
    try {
      ParseLine();
    } catch (const ParseError&) {
      while (Peek().kind != TokenKind::kNewline && Peek().kind != TokenKind::kEnd) Next();
    }
    if (Peek().kind == TokenKind::kNewline) Next();
  }
  include_stack_.pop_back();
  tokens_ = saved_tokens;
  pos_ = saved_pos;
  source_ = saved_source;
  depth_ = saved_depth;
}

void Parser::ParseLine() {
  while (Peek().kind == TokenKind::kIdent && Peek(1).IsPunct(":")) {
    DefineLabel(Next());
    Next();
  }
  const Token& token = Peek();
  if (token.kind == TokenKind::kNewline || token.kind == TokenKind::kEnd) return;
  if (token.kind == TokenKind::kDirective) {
    ParseDirective(Next());
  } else if (token.kind == TokenKind::kIdent && token.text == "cmd") {
    Next();
    ParseCommand();
  } else if (token.kind == TokenKind::kIdent) {
    const InstructionInfo* info = FindInstruction(token.text);
    if (!info) Fail("unknown instruction '" + token.text + "'");
    Next();
    ParseInstruction(*info);
  } else {
    Fail("expected an instruction, a label or a directive, found " + Describe(token));
  }
  if (Peek().kind != TokenKind::kNewline && Peek().kind != TokenKind::kEnd) {
    Fail("unexpected " + Describe(Peek()) + " after the statement");
  }
}

void Parser::DefineSymbol(const std::string& name, Symbol symbol, int line) {
  if (IsReservedName(name)) {
    FailAt(line, "'" + name + "' is a register name and cannot name a label or constant");
  }
  const auto it = program_.symbols.find(name);
  if (it != program_.symbols.end()) {
    const SourceRef& first = it->second.where;
    FailAt(line, "'" + name + "' is already defined at " + program_.sources[first.source] + ":" +
                     std::to_string(first.line));
  }
  program_.symbols.emplace(name, std::move(symbol));
}

void Parser::DefineLabel(const Token& name) {
  Symbol symbol;
  symbol.kind = Symbol::Kind::kLabel;
  symbol.where = {source_, name.line};
  symbol.label_number = program_.label_count + 1;
  symbol.position = program_.statements.size();
  DefineSymbol(name.text, std::move(symbol), name.line);
  ++program_.label_count;
}

int Parser::ParseVariable(std::string_view what) {
  const Token& token = Peek();
  int number = 0;
  if (token.kind != TokenKind::kIdent || !IsRegisterName(token.text, 'v', &number)) {
    Fail("expected a variable (v0 to v254) " + std::string(what) + ", found " + Describe(token));
  }
  if (number >= kVariableCount) Fail("variable '" + token.text + "' is out of range (v0 to v254)");
  Next();
  return number;
}

void Parser::ParseInstruction(const InstructionInfo& info) {
  Statement statement;
  statement.kind = Statement::Kind::kInstruction;
  statement.where = Here();
  statement.instruction = &info;
  for (size_t i = 0; i < info.words.size(); ++i) {
    if (i > 0) ExpectPunct(",", "between operands");
    if (Peek().kind == TokenKind::kNewline) {
      Fail("'" + std::string(info.mnemonic) + "' takes " + std::to_string(info.words.size()) +
           " operand(s)");
    }
    Operand operand;
    const char shape = info.words[i];
    if (shape == 'v') {
      operand.where = Here();
      operand.kind = OperandKind::kVariable;
      operand.variable = ParseVariable("");
    } else if (shape == 'l') {
      operand.where = Here();
      operand.expr = ParseExpr();
    } else {
      operand = ParseOperand();
    }
    statement.operands.push_back(std::move(operand));
  }
  if (Peek().IsPunct(",")) {
    Fail("'" + std::string(info.mnemonic) + "' takes " + std::to_string(info.words.size()) +
         " operand(s)");
  }
  program_.statements.push_back(std::move(statement));
}

// cmd NAME [(argument, ...)] [-> vN]
void Parser::ParseCommand() {
  Statement statement;
  statement.kind = Statement::Kind::kCommand;
  statement.where = Here();
  const Token& target = Peek();
  const adv::CommandInfo* named =
      target.kind == TokenKind::kIdent ? adv::FindCommandByName(target.text) : nullptr;
  if (named) {
    statement.command = std::make_unique<Expr>();
    statement.command->number = named->code;
    statement.command->where = Here();
    statement.named = named;
    Next();
  } else if (target.kind == TokenKind::kIdent || target.kind == TokenKind::kNumber) {
    // A code, or a constant that holds one; "(" then opens the arguments, so only a single
    // name or number is read here.
    statement.command = ParsePrimary();
    if (statement.command->kind == Expr::Kind::kSymbol) {
      statement.command->use = Expr::Use::kCommand;
    }
  } else {
    Fail("expected a command name or code after 'cmd', found " + Describe(target));
  }
  if (AcceptPunct("(")) {
    if (!AcceptPunct(")")) {
      do {
        statement.operands.push_back(ParseOperand());
      } while (AcceptPunct(","));
      ExpectPunct(")", "after the command's arguments");
    }
  }
  if (AcceptPunct("->")) statement.result = ParseVariable("after '->'");
  program_.statements.push_back(std::move(statement));
}

// Each directive's parser; all take the directive's line for their messages.
void Parser::ParseDirective(const Token& directive) {
  using Handler = void (Parser::*)(int line);
  static const std::map<std::string_view, Handler> handlers = {
      {"const", &Parser::ParseConst}, {"mem", &Parser::ParseTable},
      {"word", &Parser::ParseWords},  {"entry", &Parser::ParseEntry},
      {"stamp", &Parser::ParseStamp}, {"file", &Parser::ParseFiles},
      {"zero", &Parser::ParseZero},   {"include", &Parser::ParseInclude},
  };
  const auto it = handlers.find(directive.text);
  if (it == handlers.end()) FailAt(directive.line, "unknown directive '." + directive.text + "'");
  (this->*it->second)(directive.line);
}

// .word value, ...
void Parser::ParseWords(int line) {
  Statement statement;
  statement.kind = Statement::Kind::kWords;
  statement.where = {source_, line};
  do {
    statement.words.push_back(ParseExpr());
  } while (AcceptPunct(","));
  program_.statements.push_back(std::move(statement));
}

// .entry label
void Parser::ParseEntry(int line) {
  if (program_.entry_label) FailAt(line, "the entry is already set");
  if (Peek().kind != TokenKind::kIdent) Fail("'.entry' needs a label name");
  program_.entry_where = Here();
  program_.entry_label = Next().text;
}

// .stamp value
void Parser::ParseStamp(int line) {
  if (program_.stamp) FailAt(line, "the build stamp is already set");
  program_.stamp = ParseExpr();
}

// .file "name", f"name", ...
void Parser::ParseFiles(int) {
  do {
    const Token& token = Next();
    if (token.kind != TokenKind::kText && token.kind != TokenKind::kFileName) {
      FailAt(token.line, "'.file' needs quoted file names, found " + Describe(token));
    }
    FileExpr(token);
  } while (AcceptPunct(","));
}

// .zero vN
void Parser::ParseZero(int line) {
  if (program_.zero_variable >= 0) FailAt(line, "the zero variable is already set");
  const int variable = ParseVariable("after '.zero'");
  // Commands written without "->" put their result into v0, so v0 cannot stay zero.
  if (variable == 0) {
    FailAt(line,
           "v0 cannot be the zero variable: commands without '->' write their result "
           "into v0");
  }
  program_.zero_variable = variable;
}

// .const NAME = value
void Parser::ParseConst(int) {
  if (Peek().kind != TokenKind::kIdent) Fail("'.const' needs a name, found " + Describe(Peek()));
  const Token& name = Next();
  ExpectPunct("=", "after the constant's name");
  Symbol symbol;
  symbol.kind = Symbol::Kind::kConstant;
  symbol.where = {source_, name.line};
  symbol.expr = ParseExpr();
  DefineSymbol(name.text, std::move(symbol), name.line);
}

// .mem NAME = value, ...   .mem NAME[count]   .mem value, ...
// A name becomes a constant holding the index of its first cell.
void Parser::ParseTable(int) {
  const bool named =
      Peek().kind == TokenKind::kIdent && (Peek(1).IsPunct("=") || Peek(1).IsPunct("["));
  if (named) {
    const Token& name = Next();
    Symbol symbol;
    symbol.kind = Symbol::Kind::kConstant;
    symbol.where = {source_, name.line};
    symbol.expr = std::make_unique<Expr>();
    symbol.expr->number = program_.table_cells.size();
    symbol.expr->where = symbol.where;
    DefineSymbol(name.text, std::move(symbol), name.line);
    if (AcceptPunct("[")) {
      if (Peek().kind != TokenKind::kNumber || Peek().number > 0x100000) {
        Fail("'.mem NAME[count]' needs a plain count of at most 1048576");
      }
      const uint64_t count = Next().number;
      ExpectPunct("]", "after the count");
      for (uint64_t i = 0; i < count; ++i) {
        program_.table_cells.push_back(std::make_unique<Expr>());
        program_.table_cells.back()->where = {source_, name.line};
      }
      return;
    }
    ExpectPunct("=", "after the table's name");
  }
  do {
    program_.table_cells.push_back(ParseExpr());
  } while (AcceptPunct(","));
}

void Parser::ParseInclude(int) {
  const int depth = depth_;
  const Token& token = Next();
  if (token.kind != TokenKind::kText) FailAt(token.line, "'.include' needs a quoted path");
  if (depth + 1 >= kMaxIncludeDepth) FailAt(token.line, "includes are nested too deeply");
  const std::string utf8 = os::Cp932ToUtf8(token.text);
  std::filesystem::path path(utf8);
  if (path.is_relative()) {
    path = std::filesystem::path(program_.sources[source_]).parent_path() / path;
  }
  const std::string resolved = path.lexically_normal().string();
  if (std::find(include_stack_.begin(), include_stack_.end(), resolved) != include_stack_.end()) {
    FailAt(token.line, "'" + resolved + "' includes itself");
  }
  std::string text;
  std::string error;
  if (!read_ || !read_(resolved, &text, &error)) {
    FailAt(token.line, error.empty() ? "cannot read '" + resolved + "'" : error);
  }
  if (Peek().kind != TokenKind::kNewline && Peek().kind != TokenKind::kEnd) {
    Fail("unexpected " + Describe(Peek()) + " after the statement");
  }
  ParseText(text, resolved, depth + 1);
}

Operand Parser::ParseOperand() {
  Operand operand;
  operand.where = Here();
  const Token& token = Peek();
  int number = 0;
  if (token.kind == TokenKind::kIdent) {
    if (IsRegisterName(token.text, 'v', &number)) {
      operand.kind = OperandKind::kVariable;
      operand.variable = ParseVariable("");
      return operand;
    }
    if (token.text == "base") {
      Next();
      operand.kind = OperandKind::kFrameBase;
      return operand;
    }
    const auto keyword = MemoryKeywords().find(token.text);
    if (keyword != MemoryKeywords().end() && Peek(1).IsPunct("[")) {
      return ParseMemoryOperand(keyword->second);
    }
  }
  operand.kind = OperandKind::kImmediate;
  operand.expr = ParseExpr();
  return operand;
}

// user[vN]  sys[vN]  stack[N]  frame[N]  temp[vN]  temp[vN + base + E]  mem[vN + E]  mem[E]
// memx[vN, E]  memx[E]
Operand Parser::ParseMemoryOperand(OperandKind kind) {
  Operand operand;
  operand.where = Here();
  operand.kind = kind;
  const std::string keyword = Next().text;
  Next();  // "["
  int number = 0;
  const bool has_variable =
      Peek().kind == TokenKind::kIdent && IsRegisterName(Peek().text, 'v', &number);
  switch (kind) {
    case OperandKind::kUser:
    case OperandKind::kSystem:
      operand.variable = ParseVariable("as the index of " + keyword + "[...]");
      break;
    case OperandKind::kStack:
    case OperandKind::kFrame:
      operand.expr = ParseExpr();
      break;
    case OperandKind::kTemp:
      operand.variable = ParseVariable("as the index of temp[...]");
      if (AcceptPunct("+")) {
        if (!Peek().Is(TokenKind::kIdent, "base")) {
          Fail("an element of temp[...] counts from the frame base: write temp[vN + base + E]");
        }
        Next();
        ExpectPunct("+", "after 'base'");
        operand.expr = ParseExpr();
      }
      break;
    case OperandKind::kTable:
      operand.variable = has_variable ? ParseVariable("") : -1;
      if (!has_variable) {
        operand.expr = ParseExpr();
      } else if (AcceptPunct("+")) {
        operand.expr = ParseExpr();
      }
      break;
    default:  // kTableLink
      operand.variable = has_variable ? ParseVariable("") : -1;
      if (has_variable) ExpectPunct(",", "between the variable and the link cell of memx[...]");
      operand.expr = ParseExpr();
      break;
  }
  ExpectPunct("]", "to close " + keyword + "[...]");
  return operand;
}

// Binary operators by precedence, loosest first, as in C.
const std::vector<std::vector<std::string_view>>& BinaryLevels() {
  static const std::vector<std::vector<std::string_view>> levels = {
      {"|"}, {"^"}, {"&"}, {"<<", ">>"}, {"+", "-"}, {"*", "/", "%"}};
  return levels;
}

ExprPtr Parser::ParseExpr(int level) {
  if (level == static_cast<int>(BinaryLevels().size())) return ParseUnary();
  ExprPtr lhs = ParseExpr(level + 1);
  while (true) {
    const Token& token = Peek();
    const auto& ops = BinaryLevels()[level];
    if (token.kind != TokenKind::kPunct ||
        std::find(ops.begin(), ops.end(), token.text) == ops.end()) {
      return lhs;
    }
    auto node = std::make_unique<Expr>();
    node->kind = Expr::Kind::kBinary;
    node->where = Here();
    node->name = Next().text;
    node->lhs = std::move(lhs);
    node->rhs = ParseExpr(level + 1);
    node->depth = std::max(node->lhs->depth, node->rhs->depth) + 1;
    if (node->depth > kMaxExpressionTreeDepth) {
      FailAt(node->where.line, "the expression has more than " +
                                   std::to_string(kMaxExpressionTreeDepth) +
                                   " operators in a row; split it with .const");
    }
    lhs = std::move(node);
  }
}

ExprPtr Parser::ParseUnary() {
  if (Peek().IsPunct("-") || Peek().IsPunct("~") || Peek().IsPunct("+")) {
    auto node = std::make_unique<Expr>();
    node->kind = Expr::Kind::kUnary;
    node->where = Here();
    node->name = Next().text;
    const NestingGuard nested(*this, node->where.line);
    node->lhs = ParseUnary();
    node->depth = node->lhs->depth + 1;
    return node;
  }
  return ParsePrimary();
}

Parser::NestingGuard::NestingGuard(Parser& parser, int line) : depth_(parser.expression_depth_) {
  if (depth_ >= kMaxExpressionNesting) {
    parser.FailAt(line, "the expression nests brackets and unary operators more than " +
                            std::to_string(kMaxExpressionNesting) + " levels deep");
  }
  ++depth_;
}

ExprPtr Parser::ParsePrimary() {
  auto node = std::make_unique<Expr>();
  node->where = Here();
  const Token& token = Peek();
  int number = 0;
  switch (token.kind) {
    case TokenKind::kNumber:
      node->number = Next().number;
      return node;
    case TokenKind::kText:
      node->kind = Expr::Kind::kText;
      node->number = program_.texts.size();
      program_.texts.push_back(Next().text);
      return node;
    case TokenKind::kFileName:
      return FileExpr(Next());
    case TokenKind::kIdent:
      if (IsRegisterName(token.text, 's', &number)) {
        if (number >= kStringVariableCount) {
          Fail("string variable '" + token.text + "' is out of range (s0 to s15)");
        }
        Next();
        node->number = kStringVariableBit | static_cast<uint32_t>(number);
        node->string_variable = true;
        return node;
      }
      if (IsReservedName(token.text)) {
        Fail("'" + token.text + "' is a register, not a value: it cannot be part of an expression");
      }
      node->kind = Expr::Kind::kSymbol;
      node->name = Next().text;
      return node;
    case TokenKind::kPunct:
      if (Peek().IsPunct("(")) {
        const NestingGuard nested(*this, Peek().line);
        Next();
        node = ParseExpr();
        ExpectPunct(")", "to close the expression");
        return node;
      }
      if (AcceptPunct("@")) {
        if (Peek().kind != TokenKind::kIdent) Fail("'@' needs a label name");
        node->kind = Expr::Kind::kSymbol;
        node->use = Expr::Use::kLabel;
        node->name = Next().text;
        return node;
      }
      break;
    default:
      break;
  }
  Fail("expected a value, found " + Describe(token));
}

ExprPtr Parser::FileExpr(const Token& token) {
  const std::string stored = StoredFileName(token.text);
  // A name that lost characters to a reported fault is not called empty as well.
  if (stored.empty() && !token.faulty) FailAt(token.line, "a file name cannot be empty");
  if (stored.size() > kMaxFileNameBytes) {
    FailAt(token.line, "the file name \"" + os::Cp932ToUtf8(stored) + "\" is " +
                           std::to_string(stored.size()) + " bytes; at most 31 fit");
  }
  program_.file_names.insert(stored);
  auto node = std::make_unique<Expr>();
  node->kind = Expr::Kind::kFile;
  node->name = stored;
  node->where = {source_, token.line};
  return node;
}

}  // namespace

std::string StoredFileName(std::string_view name) {
  std::string stored(name);
  for (size_t i = 0; i < stored.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(stored[i]);
    if (c >= 0x80) {
      ++i;
    } else if (c >= 'a' && c <= 'z') {
      stored[i] = static_cast<char>(c - 'a' + 'A');
    }
  }
  return stored;
}

void ParseSource(std::string_view text, const std::string& name, const ReadSource& read,
                 Program& program, Diagnostics& diagnostics) {
  Parser(read, program, diagnostics).ParseText(text, name, 0);
}

}  // namespace advasm
