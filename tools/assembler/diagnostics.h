// Error reports of the script assembler: every message names the source file and line.
#pragma once

#include <string>
#include <vector>

namespace advasm {

struct Diagnostic {
  std::string file;
  int line = 0;
  std::string message;

  // "file:line: message", the form compilers use, so editors can jump to it.
  std::string ToString() const;
};

// Collects errors; after `kMaxErrors` further ones are dropped (one bad line can cascade).
class Diagnostics {
 public:
  static constexpr size_t kMaxErrors = 50;

  void Error(const std::string& file, int line, std::string message);
  bool HasErrors() const { return !errors_.empty(); }
  const std::vector<Diagnostic>& errors() const { return errors_; }

 private:
  std::vector<Diagnostic> errors_;
};

}  // namespace advasm
