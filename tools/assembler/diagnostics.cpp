#include "tools/assembler/diagnostics.h"

namespace advasm {

std::string Diagnostic::ToString() const {
  // A failure of a whole file (it cannot be read) has no line; its message names the file.
  if (line == 0) return message;
  return file + ":" + std::to_string(line) + ": " + message;
}

void Diagnostics::Error(const std::string& file, int line, std::string message) {
  if (errors_.size() < kMaxErrors) errors_.push_back({file, line, std::move(message)});
}

}  // namespace advasm
