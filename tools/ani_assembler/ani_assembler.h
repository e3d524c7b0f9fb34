// aniasm: ".ani" frame-animation files from a text form, and back.
//
// One instruction a line: a mnemonic and its operands separated by commas; "name:" defines a
// label (numbered in order of definition, skipping numbers given explicitly), "name@N:" a label
// with the number N; ".start name" says where execution begins (default: offset 0); ".byte N"
// writes one raw byte. ";" starts a comment.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace aniasm {

struct AssembleResult {
  bool ok = false;
  std::vector<uint8_t> file;
  std::vector<std::string> errors;  // "file:line: message"

  std::string ErrorText() const;
};

AssembleResult Assemble(std::string_view source, std::string_view file_name = "input.ani.txt");

// The text form of a file, which assembles back to the same bytes. Empty with `error` set when the
// file is shorter than its trailer.
std::string Disassemble(const std::vector<uint8_t>& file, std::string* error);

}  // namespace aniasm
