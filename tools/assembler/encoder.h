// Resolves a parsed Program and encodes it: code words, label offsets, text offsets, file
// numbers and "Mem.dat" cells, everything the writer needs to build the five files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/assembler/diagnostics.h"
#include "tools/assembler/program.h"

namespace advasm {

struct LabelInfo {
  std::string name;
  uint32_t number = 0;  // its "Point.dat" number
  uint32_t offset = 0;  // from the code origin (byte 12 of "Script.src")
};

struct EncodedScript {
  std::vector<uint32_t> code;  // the words after the 12-byte header
  uint32_t entry = 12;         // byte offset of the first instruction from the file's start
  bool has_stamp = false;
  uint32_t stamp = 0;
  std::vector<std::string> files;       // "File.dat" names in file-number order (sorted)
  std::vector<std::string> texts;       // "Text.dat" texts in text-number order
  std::vector<uint32_t> text_offsets;   // their byte offsets in "Text.dat"
  std::vector<uint32_t> table_cells;    // "Mem.dat" cells: .mem cells, then the pool
  std::vector<uint32_t> label_offsets;  // by label number - 1
  std::vector<LabelInfo> labels;        // in number order
  std::string listing;                  // offsets, words and source lines, for people
};

// False when any error was reported.
bool Encode(const Program& program, EncodedScript* out, Diagnostics& diagnostics);

// The byte offset of text n in "Text.dat" when texts are stored one after another from byte 16.
std::vector<uint32_t> LayoutTexts(const std::vector<std::string>& texts);

}  // namespace advasm
