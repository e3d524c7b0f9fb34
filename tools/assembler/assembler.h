// The script assembler: turns the text syntax of tools/ASSEMBLER.md into "Script.src" and the
// list files "File.dat", "Text.dat", "Mem.dat" and "Point.dat". Tests call it in-process; the
// advasm program is a thin command line around it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/assembler/diagnostics.h"
#include "tools/assembler/encoder.h"
#include "tools/assembler/list_files.h"
#include "tools/assembler/parser.h"

namespace advasm {

struct AssembleOptions {
  // Write the list files scrambled ("$" marker) instead of plain.
  bool scramble = false;
  // Reads ".include"d sources; when empty they are read from disk.
  ReadSource read_source;
  // Overrides the ".stamp" of the source and the default stamp (a hash of the output).
  std::optional<uint32_t> stamp;
};

struct AssembleResult {
  bool ok = false;
  ScriptFiles files;     // the five file images, ready to write
  EncodedScript script;  // what went into them: labels, texts, file names, cells, listing
  std::vector<Diagnostic> errors;

  // All errors, one "file:line: message" per line.
  std::string ErrorText() const;
};

// Assembles a source held in memory; `name` is used in messages and to find includes.
AssembleResult Assemble(std::string_view source, const std::string& name,
                        const AssembleOptions& options = {});
// Assembles a source file.
AssembleResult AssembleFile(const std::string& path, const AssembleOptions& options = {});

// A source longer than this is refused.
inline constexpr size_t kMaxSourceBytes = size_t{64} << 20;

// Reads a whole regular file from disk; false when it cannot be read, with "cannot read 'PATH':
// REASON" in `error` (when given).
bool ReadTextFile(const std::string& path, std::string* text, std::string* error = nullptr);

}  // namespace advasm
