// The sample game's script as the in-process tests run it: its includes put in place, and a
// stand-in for the save commands, which reach a save folder these processes do not have.
#pragma once

#include <cstdio>
#include <string>

#include "program/game/adv_context.h"
#include "program/script/value_stores.h"

namespace test {

inline std::string ReadText(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "rb");
  std::string text;
  if (!f) return text;
  char buffer[4096];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) text.append(buffer, n);
  std::fclose(f);
  return text;
}

// The sample game's script with its includes put in place.
inline std::string SampleSource() {
  const std::string main_path = SAMPLE_SCRIPT;
  const std::string folder = main_path.substr(0, main_path.rfind('/') + 1);
  std::string source = ReadText(main_path);
  const std::string include = ".include \"";
  for (size_t at; (at = source.find(include)) != std::string::npos;) {
    const size_t name_end = source.find('"', at + include.size());
    if (name_end == std::string::npos) break;
    const std::string name = source.substr(at + include.size(), name_end - at - include.size());
    source.replace(at, name_end + 1 - at, ReadText(folder + name));
  }
  return source;
}

// A save command that takes its N arguments and answers "no save".
template <int N>
int IgnoreArguments(adv::AdvContext& context) {
  for (int i = 0; i < N; ++i) adv::ValueStackPop(context);
  adv::SetCommandResult(context, 0);
  return 1;
}

}  // namespace test
