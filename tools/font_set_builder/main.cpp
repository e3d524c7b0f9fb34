// fontsetbuild: a font set file from an installed font, for games that draw with font type 4.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "os/ini_file.h"
#include "tools/font_set_builder/font_set_writer.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: fontsetbuild [--type 0|1|2|3] [--chars TEXT] SIZE OUTPUT\n"
               "  type 0 gothic (default), 1 mincho (bold), 2 proportional gothic,\n"
               "  3 proportional mincho; --chars takes only the characters of TEXT (UTF-8)\n"
               "  besides printable ASCII, else every CP932 character is rendered\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  int type = 0;
  bool all = true;
  std::string chars;
  int i = 1;
  for (; i + 1 < argc && std::strncmp(argv[i], "--", 2) == 0; i += 2) {
    if (std::strcmp(argv[i], "--type") == 0) {
      type = std::atoi(argv[i + 1]);
    } else if (std::strcmp(argv[i], "--chars") == 0) {
      all = false;
      chars = argv[i + 1];
    } else {
      return Usage();
    }
  }
  if (argc - i != 2 || type < 0 || type > 3) return Usage();
  const int size = std::atoi(argv[i]);
  std::vector<uint16_t> codes = all ? fontset::AllCodes() : fontset::PrintableAscii();
  if (!all && !fontset::CodesOfText(chars, codes)) {
    std::fprintf(stderr, "fontsetbuild: a character of --chars has no CP932 code\n");
    return 1;
  }
  std::vector<uint8_t> file;
  std::string error;
  const auto kind = static_cast<os::FaceKind>(type);
  if (!fontset::BuildFontSet(kind, size, type == 1, codes, file, error)) {
    std::fprintf(stderr, "fontsetbuild: %s\n", error.c_str());
    return 1;
  }
  if (!os::WriteFileAtomically(argv[i + 1], std::string(file.begin(), file.end()))) {
    std::fprintf(stderr, "fontsetbuild: cannot write %s\n", argv[i + 1]);
    return 1;
  }
  return 0;
}
