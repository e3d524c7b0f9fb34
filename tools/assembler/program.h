// The parsed form of a script: statements in code order, symbols, texts, file names and
// "Mem.dat" cells, before any value is resolved or any word encoded.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "program/data/command_catalog.h"
#include "tools/assembler/instruction_set.h"

namespace advasm {

// Where something was written: an index into Program::sources and a line.
struct SourceRef {
  int source = 0;
  int line = 0;
};

struct Expr {
  enum class Kind { kNumber, kSymbol, kText, kFile, kUnary, kBinary };
  // What a symbol must name: anything, a label ("@name"), or a command code after "cmd".
  enum class Use { kAny, kLabel, kCommand };
  Kind kind = Kind::kNumber;
  Use use = Use::kAny;
  uint64_t number = 0;  // kNumber: the value; kText: the index into Program::texts
  bool string_variable = false;  // kNumber written as s0 ... s15
  int depth = 1;                 // levels of the tree below and including this node
  std::string name;     // kSymbol: the name; kFile: the stored name; kUnary/kBinary: operator
  std::unique_ptr<Expr> lhs;
  std::unique_ptr<Expr> rhs;
  SourceRef where;
};
using ExprPtr = std::unique_ptr<Expr>;

struct Operand {
  OperandKind kind = OperandKind::kImmediate;
  int variable = 0;  // n of the V-indexed kinds; -1: the .zero variable (mem[E], memx[E])
  ExprPtr expr;      // kImmediate: the value; kStack, kFrame: n; kTemp, kTable, kTableLink: e
  SourceRef where;
};

struct Statement {
  enum class Kind { kInstruction, kCommand, kWords };
  Kind kind = Kind::kInstruction;
  SourceRef where;
  const InstructionInfo* instruction = nullptr;
  std::vector<Operand> operands;  // instruction words in order, or command arguments
  ExprPtr command;                // kCommand: the command code
  const adv::CommandInfo* named = nullptr;  // kCommand written by name: its catalog entry
  int result = 0;                 // kCommand: the variable that receives the result
  std::vector<ExprPtr> words;     // kWords: raw code words
};

// Labels and constants share one name space.
struct Symbol {
  enum class Kind { kLabel, kConstant };
  Kind kind = Kind::kConstant;
  SourceRef where;
  uint32_t label_number = 0;  // kLabel: 1, 2, ... in order of definition
  size_t position = 0;        // kLabel: the index of the statement it stands before
  ExprPtr expr;               // kConstant
};

struct Program {
  std::vector<std::string> sources;  // file names for messages
  std::vector<Statement> statements;
  std::map<std::string, Symbol> symbols;
  uint32_t label_count = 0;
  std::vector<std::string> texts;  // Shift-JIS bytes, one entry per text written
  std::set<std::string> file_names;
  std::vector<ExprPtr> table_cells;  // "Mem.dat" cells written with .mem
  std::optional<std::string> entry_label;
  SourceRef entry_where;
  ExprPtr stamp;
  int zero_variable = -1;  // declared with .zero: the script keeps it 0
};

}  // namespace advasm
