// Turns tokens into a Program: statements, labels, constants, texts, file names and cells.
// Values are not resolved here (labels may be used before they are defined); the encoder does.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "tools/assembler/diagnostics.h"
#include "tools/assembler/program.h"

namespace advasm {

// Reads an included source; false when it cannot be read, with the reason in `error`.
using ReadSource =
    std::function<bool(const std::string& path, std::string* text, std::string* error)>;

// Bounds on expressions, so that no source can exhaust the stack of the recursive parser, the
// evaluator or the tree's destruction: brackets and unary operators nest at most
// kMaxExpressionNesting deep, and an expression's tree (a long chain of binary operators
// included) is at most kMaxExpressionTreeDepth levels deep.
inline constexpr int kMaxExpressionNesting = 256;
inline constexpr int kMaxExpressionTreeDepth = 512;

// Parses `text` (named `name` in messages) into `program`; ".include" paths are taken relative
// to the folder of the including source and read through `read`.
void ParseSource(std::string_view text, const std::string& name, const ReadSource& read,
                 Program& program, Diagnostics& diagnostics);

// The name a file is stored under in "File.dat": ASCII letters upper-cased, the byte after any
// byte of 0x80 or above (the second byte of a double-byte character) left as it is.
std::string StoredFileName(std::string_view name);

}  // namespace advasm
