// advasm: assembles a script source into "Script.src" and the four list files.
//
//   advasm [--scramble] [--out FOLDER] [--listing FILE] [--stamp N] SOURCE
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>

#include "os/ini_file.h"
#include "tools/assembler/assembler.h"

namespace {

constexpr char kUsage[] =
    "usage: advasm [--scramble] [--out FOLDER] [--listing FILE] [--stamp N] SOURCE\n"
    "  --scramble      write the list files scrambled (\"$\" marker)\n"
    "  --out FOLDER    where the five files go (default: the current folder)\n"
    "  --listing FILE  also write the code with offsets and words, for reading\n"
    "  --stamp N       the build stamp (default: .stamp of the source, else a hash)\n";

struct CommandLine {
  std::string source;
  std::string out = ".";
  std::string listing;
  advasm::AssembleOptions options;
};

bool ParseNumber(const char* text, uint32_t* value) {
  char* end = nullptr;
  const unsigned long long parsed = std::strtoull(text, &end, 0);
  if (!*text || *end || parsed > UINT32_MAX) return false;
  *value = static_cast<uint32_t>(parsed);
  return true;
}

bool ParseCommandLine(int argc, char** argv, CommandLine* line) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool has_value = i + 1 < argc;
    if (arg == "--scramble") {
      line->options.scramble = true;
    } else if (arg == "--out" && has_value) {
      line->out = argv[++i];
    } else if (arg == "--listing" && has_value) {
      line->listing = argv[++i];
    } else if (arg == "--stamp" && has_value) {
      uint32_t stamp = 0;
      if (!ParseNumber(argv[++i], &stamp)) return false;
      line->options.stamp = stamp;
    } else if (!arg.empty() && arg[0] != '-' && line->source.empty()) {
      line->source = arg;
    } else {
      return false;
    }
  }
  return !line->source.empty();
}

int Run(int argc, char** argv) {
  CommandLine line;
  if (!ParseCommandLine(argc, argv, &line)) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  const advasm::AssembleResult result = advasm::AssembleFile(line.source, line.options);
  if (!result.ok) {
    std::fputs(result.ErrorText().c_str(), stderr);
    return 1;
  }
  std::string error;
  if (!advasm::WriteScriptFiles(result.files, line.out, &error)) {
    std::fprintf(stderr, "advasm: %s\n", error.c_str());
    return 1;
  }
  if (!line.listing.empty() && !os::WriteFileAtomically(line.listing, result.script.listing)) {
    std::fprintf(stderr, "advasm: cannot write '%s': %s\n", line.listing.c_str(),
                 std::strerror(errno));
    return 1;
  }
  return 0;
}

}  // namespace

// Every failure ends as a message and exit status 1, also one the file code did not foresee.
int main(int argc, char** argv) {
  try {
    return Run(argc, argv);
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "advasm: %s\n", failure.what());
    return 1;
  }
}
