#include "program/savedata/save_folder_file.h"

#include "os/encoding.h"
#include "os/file_system.h"
#include "os/ini_file.h"
#include "os/paths.h"
#include "os/plain_file.h"

namespace adv {

bool EnginePathExists(std::string_view engine_path) {
  const std::string path = os::DiskPath(engine_path);
  return os::IsFile(path) || os::IsFolder(path);
}

bool EngineFolderExists(std::string_view engine_path) {
  return os::IsFolder(os::DiskPath(engine_path));
}

SaveFolderFile::SaveFolderFile(std::string folder, std::string name, size_t max_size)
    : folder_(std::move(folder)), name_(std::move(name)), max_size_(max_size) {}

SaveFolderFile::ReadStatus SaveFolderFile::Read(std::string& bytes) {
  switch (os::ReadWholeFile(os::DiskPath(path()), bytes, max_size_)) {
    case os::FileReadStatus::kOk:
      return ReadStatus::kOk;
    case os::FileReadStatus::kMissing:
      return ReadStatus::kMissing;
    case os::FileReadStatus::kRefused:
      return ReadStatus::kDamaged;
    case os::FileReadStatus::kFailed:
      break;
  }
  write_refused_ = true;
  return ReadStatus::kFailed;
}

bool SaveFolderFile::Write(std::string_view bytes) {
  if (write_refused_) return false;
  return os::WriteFileAtomically(os::DiskPath(path()), std::string(bytes));
}

bool SaveFolderFile::KeepAside(std::string_view suffix) {
  const std::string from = os::DiskPath(path());
  return os::RenameFile(from, from + std::string(suffix));
}

void SaveFolderFile::SetAsideDamaged() {
  if (!KeepAside(".damaged")) RefuseWrites();
}

}  // namespace adv
