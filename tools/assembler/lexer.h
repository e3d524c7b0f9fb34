// Tokens of the assembler's source text. Sources are UTF-8; quoted texts come out as Shift-JIS
// (code page 932) bytes, which is what the engine stores and draws.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tools/assembler/diagnostics.h"

namespace advasm {

enum class TokenKind {
  kEnd,        // end of the source
  kNewline,    // end of a statement (not produced inside brackets or parentheses)
  kIdent,      // name: letters, digits, "_"
  kDirective,  // ".name"; text holds the name without the dot
  kNumber,     // decimal, 0x hex or 0b binary, "_" allowed between digits
  kText,       // "..." : text holds the Shift-JIS bytes
  kFileName,   // f"..." : text holds the Shift-JIS bytes as written
  kPunct,      // , : [ ] ( ) + - * / % & | ^ ~ << >> = @ ->
};

struct Token {
  TokenKind kind = TokenKind::kEnd;
  std::string text;
  uint64_t number = 0;
  int line = 0;
  // A text or file name whose fault the lexer reported: its contents are not judged again.
  bool faulty = false;

  bool Is(TokenKind k, std::string_view t) const { return kind == k && text == t; }
  bool IsPunct(std::string_view t) const { return Is(TokenKind::kPunct, t); }
};

// A readable name of a token for messages: 'mov', "text", end of line.
std::string Describe(const Token& token);

// Splits a source into tokens. Comments run from ";" or "//" to the end of the line. Errors
// (unknown characters, unterminated or unconvertible texts, bad numbers) go to `diagnostics`
// under `file`; the offending token is dropped and lexing goes on.
std::vector<Token> Tokenize(std::string_view source, const std::string& file,
                            Diagnostics& diagnostics);

}  // namespace advasm
