// gdatbuild: "graphic.dat", the image index, from a plain text table.
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "os/ini_file.h"
#include "program/data/graphic_dat.h"
#include "tools/common/read_file.h"
#include "tools/graphic_dat_builder/graphic_table.h"

namespace {

constexpr size_t kMaxTable = 64u << 20;

int Usage() {
  std::cerr << "usage: gdatbuild [--scramble] TABLE OUTPUT\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  bool scramble = false;
  if (!args.empty() && args[0] == "--scramble") {
    scramble = true;
    args.erase(args.begin());
  }
  if (args.size() != 2) return Usage();
  std::string text, error;
  if (!tools::ReadRegularFile(args[0], kMaxTable, &text, &error)) {
    std::cerr << "gdatbuild: " << error << "\n";
    return 1;
  }
  std::vector<adv::GraphicDatRecord> records;
  std::vector<uint8_t> file;
  if (!tools::ParseGraphicTable(text, &records, &error) ||
      !adv::BuildGraphicDat(records, scramble, &file, &error)) {
    std::cerr << "gdatbuild: " << args[0] << ": " << error << "\n";
    return 1;
  }
  if (!os::WriteFileAtomically(args[1], std::string(file.begin(), file.end()))) {
    std::cerr << "gdatbuild: cannot write '" << args[1] << "'\n";
    return 1;
  }
  return 0;
}
