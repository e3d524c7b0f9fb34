// pacbuild: packs the files of a folder into a ".pac" archive, or lists an archive.
//
//   pacbuild [-q] FOLDER [ARCHIVE]   ARCHIVE defaults to FOLDER.pac beside the folder
//   pacbuild -l ARCHIVE
//
// Exit status: 0 done, 1 failed (the reason on stderr), 2 wrong arguments.
#include <cstring>
#include <iostream>
#include <sstream>

#include "tools/pac_builder/pac_writer.h"

namespace {

namespace fs = std::filesystem;

int Usage() {
  std::cerr << "usage: pacbuild [-q] FOLDER [ARCHIVE]   pack the files of FOLDER\n"
               "       pacbuild -l ARCHIVE              list the entries of an archive\n";
  return 2;
}

int Fail(const std::string& message) {
  std::cerr << "pacbuild: " << message << '\n';
  return 1;
}

int Pack(const fs::path& folder, fs::path archive, bool quiet) {
  if (archive.empty()) {
    fs::path base = folder;
    if (!base.has_filename()) base = base.parent_path();  // "data/" names the folder "data"
    archive = base.string() + ".pac";
  }
  std::vector<pacbuild::SourceFile> files;
  pacbuild::BucketTable buckets{};
  std::ostringstream notes;
  std::string error;
  const bool built = pacbuild::CollectFolder(folder, files, notes, error) &&
                     pacbuild::LayOut(files, buckets, error) &&
                     pacbuild::WriteArchive(archive, files, buckets, error);
  if (!quiet) std::cerr << notes.str();
  if (!built) return Fail(error);
  // An archive without entries is most likely a wrong folder: said even with -q.
  if (files.empty()) {
    std::cerr << "pacbuild: warning: the folder " << folder.string()
              << " holds no files; the archive " << archive.string() << " is empty\n";
  }
  if (!quiet) std::cout << archive.string() << ": " << files.size() << " entries\n";
  return 0;
}

int Run(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "-l") == 0) {
    std::string error;
    return pacbuild::ListArchive(argv[2], std::cout, error) ? 0 : Fail(error);
  }
  int first = 1;
  const bool quiet = argc > 1 && std::strcmp(argv[1], "-q") == 0;
  if (quiet) ++first;
  const int left = argc - first;
  if (left < 1 || left > 2 || argv[first][0] == '-') return Usage();
  return Pack(argv[first], left == 2 ? fs::path(argv[first + 1]) : fs::path(), quiet);
}

}  // namespace

// Every failure ends as a message and exit status 1, also one the file code did not foresee.
int main(int argc, char** argv) {
  try {
    return Run(argc, argv);
  } catch (const std::exception& failure) {
    return Fail(failure.what());
  }
}
