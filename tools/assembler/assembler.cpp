#include "tools/assembler/assembler.h"

#include <algorithm>
#include <map>

#include "tools/assembler/command_check.h"
#include "tools/common/read_file.h"

namespace advasm {
namespace {

// FNV-1a over the code and the plain list contents: the default build stamp changes whenever
// the script does, which is what the engine compares it for.
uint32_t HashOutput(const ScriptFiles& plain) {
  uint32_t hash = 2166136261u;
  for (const std::vector<uint8_t>* bytes :
       {&plain.script, &plain.file_list, &plain.text_list, &plain.table_list, &plain.point_list}) {
    for (uint8_t byte : *bytes) hash = (hash ^ byte) * 16777619u;
  }
  return hash;
}

// Names every source knows without defining them.
void AddBuiltins(Program& program) {
  program.sources.push_back("(built-in)");
  Symbol none;
  none.kind = Symbol::Kind::kConstant;
  none.expr = std::make_unique<Expr>();
  none.expr->number = kNoReference;  // the empty text, no file name
  program.symbols.emplace("NONE", std::move(none));
}

// Lexing runs a whole file before parsing reports on it; people read errors top to bottom, so
// they are put in line order within each file, files in the order they were first reported.
std::vector<Diagnostic> InLineOrder(std::vector<Diagnostic> errors) {
  std::map<std::string, size_t> file_rank;
  for (const Diagnostic& error : errors) file_rank.emplace(error.file, file_rank.size());
  std::stable_sort(errors.begin(), errors.end(), [&](const Diagnostic& a, const Diagnostic& b) {
    const size_t rank_a = file_rank[a.file];
    const size_t rank_b = file_rank[b.file];
    return rank_a != rank_b ? rank_a < rank_b : a.line < b.line;
  });
  return errors;
}

ScriptFiles BuildFiles(const EncodedScript& script, uint32_t stamp, bool scramble) {
  ScriptFiles files;
  files.script = BuildScriptImage(script.code, stamp, script.entry);
  files.file_list = BuildFileList(script.files, scramble);
  files.text_list = BuildTextList(script.texts, scramble);
  files.table_list = BuildTableList(script.table_cells, scramble);
  files.point_list = BuildPointList(script.label_offsets, scramble);
  return files;
}

}  // namespace

std::string AssembleResult::ErrorText() const {
  std::string text;
  for (const Diagnostic& error : errors) text += error.ToString() + "\n";
  return text;
}

bool ReadTextFile(const std::string& path, std::string* text, std::string* error) {
  return tools::ReadRegularFile(path, kMaxSourceBytes, text, error);
}

AssembleResult Assemble(std::string_view source, const std::string& name,
                        const AssembleOptions& options) {
  AssembleResult result;
  Diagnostics diagnostics;
  Program program;
  AddBuiltins(program);
  const ReadSource read = options.read_source ? options.read_source : ReadSource(ReadTextFile);
  ParseSource(source, name, read, program, diagnostics);
  CheckCommandArguments(program, diagnostics);
  if (!diagnostics.HasErrors()) Encode(program, &result.script, diagnostics);
  result.errors = InLineOrder(diagnostics.errors());
  if (diagnostics.HasErrors()) return result;

  uint32_t stamp = 0;
  if (options.stamp) {
    stamp = *options.stamp;
  } else if (result.script.has_stamp) {
    stamp = result.script.stamp;
  } else {
    stamp = HashOutput(BuildFiles(result.script, 0, false));
  }
  result.script.stamp = stamp;
  result.script.has_stamp = true;
  result.files = BuildFiles(result.script, stamp, options.scramble);
  result.ok = true;
  return result;
}

AssembleResult AssembleFile(const std::string& path, const AssembleOptions& options) {
  std::string text;
  std::string error;
  if (!ReadTextFile(path, &text, &error)) {
    AssembleResult result;
    result.errors.push_back({path, 0, error});
    return result;
  }
  return Assemble(text, path, options);
}

}  // namespace advasm
