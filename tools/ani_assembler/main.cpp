// aniasm: assembles a ".ani" frame-animation file from its text form, or lists one back.
//
//   aniasm SOURCE OUTPUT.ani
//   aniasm -d FILE.ani
#include <cstdio>
#include <string>

#include "os/ini_file.h"
#include "tools/ani_assembler/ani_assembler.h"
#include "tools/common/read_file.h"

namespace {

constexpr char kUsage[] =
    "usage: aniasm SOURCE OUTPUT.ani   assemble a frame animation\n"
    "       aniasm -d FILE.ani         list a frame animation as text\n";
constexpr size_t kMaxInput = 64u << 20;

int List(const std::string& path) {
  std::string bytes, error;
  if (!tools::ReadRegularFile(path, kMaxInput, &bytes, &error)) {
    std::fprintf(stderr, "aniasm: %s\n", error.c_str());
    return 1;
  }
  const std::string text =
      aniasm::Disassemble(std::vector<uint8_t>(bytes.begin(), bytes.end()), &error);
  if (text.empty()) {
    std::fprintf(stderr, "aniasm: %s: %s\n", path.c_str(), error.c_str());
    return 1;
  }
  std::fputs(text.c_str(), stdout);
  return 0;
}

int Build(const std::string& source, const std::string& output) {
  std::string text, error;
  if (!tools::ReadRegularFile(source, kMaxInput, &text, &error)) {
    std::fprintf(stderr, "aniasm: %s\n", error.c_str());
    return 1;
  }
  const aniasm::AssembleResult result = aniasm::Assemble(text, source);
  if (!result.ok) {
    std::fputs(result.ErrorText().c_str(), stderr);
    return 1;
  }
  if (!os::WriteFileAtomically(output, std::string(result.file.begin(), result.file.end()))) {
    std::fprintf(stderr, "aniasm: cannot write '%s'\n", output.c_str());
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "-d") return List(argv[2]);
  if (argc == 3 && argv[1][0] != '-') return Build(argv[1], argv[2]);
  std::fputs(kUsage, stderr);
  return 2;
}
