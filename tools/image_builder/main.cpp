// imgbuild: writes the engine's image formats from PNG pictures.
//
//   imgbuild ge [--mode 0|1|2|3] [--bits 24|32] [--pos X,Y] [--cell W,H] INPUT.png OUTPUT
//   imgbuild delta [--bits 24|32] --base-name NAME BASE.png CHANGED.png OUTPUT
//
// Exit status: 0 done, 1 failed (the reason on stderr), 2 wrong arguments.
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "tools/image_builder/image_writers.h"
#include "tools/image_builder/picture_files.h"

namespace {

int Usage() {
  std::cerr
      << "usage: imgbuild ge [--mode 0|1|2|3] [--bits 24|32] [--pos X,Y] [--cell W,H] "
         "INPUT.png OUTPUT\n"
         "       imgbuild delta [--bits 24|32] --base-name NAME BASE.png CHANGED.png OUTPUT\n";
  return 2;
}

int Fail(const std::string& message) {
  std::cerr << "imgbuild: " << message << '\n';
  return 1;
}

bool ParseInt(const std::string& text, int& value) {
  char end = 0;
  return std::sscanf(text.c_str(), "%d%c", &value, &end) == 1;
}

bool ParsePair(const std::string& text, int32_t& a, int32_t& b) {
  char end = 0;
  return std::sscanf(text.c_str(), "%d,%d%c", &a, &b, &end) == 2;
}

struct Arguments {
  imgbuild::GeOptions ge;
  std::string base_name;
  std::vector<std::string> files;
};

bool ParseOptions(int argc, char** argv, Arguments& args) {
  for (int i = 2; i < argc; ++i) {
    const std::string option = argv[i];
    const bool has_value = i + 1 < argc;
    if (option == "--mode" && has_value) {
      if (!ParseInt(argv[++i], args.ge.mode)) return false;
    } else if (option == "--bits" && has_value) {
      if (!ParseInt(argv[++i], args.ge.bits_per_pixel)) return false;
    } else if (option == "--pos" && has_value) {
      if (!ParsePair(argv[++i], args.ge.x, args.ge.y)) return false;
    } else if (option == "--cell" && has_value) {
      if (!ParsePair(argv[++i], args.ge.cell_width, args.ge.cell_height)) return false;
    } else if (option == "--base-name" && has_value) {
      args.base_name = argv[++i];
    } else if (option.rfind("--", 0) == 0) {
      return false;
    } else {
      args.files.push_back(option);
    }
  }
  return true;
}

int BuildGe(const Arguments& args) {
  imgbuild::Picture picture;
  std::vector<uint8_t> file;
  std::string error;
  if (!imgbuild::LoadPng(args.files[0], picture, error) ||
      !imgbuild::WriteGeImage(picture, args.ge, file, error) ||
      !imgbuild::SaveFile(args.files[1], file, error)) {
    return Fail(error);
  }
  return 0;
}

int BuildDelta(const Arguments& args) {
  imgbuild::Picture base, changed;
  std::vector<uint8_t> file;
  std::string error;
  if (!imgbuild::LoadPng(args.files[0], base, error) ||
      !imgbuild::LoadPng(args.files[1], changed, error) ||
      !imgbuild::WriteDeltaImage(base, changed, args.ge.bits_per_pixel, args.base_name, file,
                                 error) ||
      !imgbuild::SaveFile(args.files[2], file, error)) {
    return Fail(error);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  const std::string command = argv[1];
  Arguments args;
  if (!ParseOptions(argc, argv, args)) return Usage();
  if (command == "ge" && args.files.size() == 2) return BuildGe(args);
  if (command == "delta" && args.files.size() == 3 && !args.base_name.empty()) {
    return BuildDelta(args);
  }
  return Usage();
}
