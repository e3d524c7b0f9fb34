#include "program/engine/save_folder_file.h"

#include "os/encoding.h"
#include "os/ini_file.h"
#include "os/paths.h"
#include "os/plain_file.h"

namespace adv {

std::string NativePath(std::string_view engine_path) {
  // Converted first: in CP932 the byte 0x5C can be the second byte of a character.
  std::string path = os::Cp932ToUtf8(engine_path);
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  return path;
}

bool EnginePathExists(std::string_view engine_path) {
  const std::string path = NativePath(engine_path);
  return os::IsFile(path) || os::IsFolder(path);
}

bool EngineFolderExists(std::string_view engine_path) {
  return os::IsFolder(NativePath(engine_path));
}

SaveFolderFile::SaveFolderFile(std::string folder, std::string name)
    : folder_(std::move(folder)), name_(std::move(name)) {}

SaveFolderFile::ReadStatus SaveFolderFile::Read(std::string& bytes) {
  switch (os::ReadWholeFile(NativePath(path()), bytes)) {
    case os::FileReadStatus::kOk:
      return ReadStatus::kOk;
    case os::FileReadStatus::kMissing:
      return ReadStatus::kMissing;
    case os::FileReadStatus::kFailed:
      break;
  }
  write_refused_ = true;
  return ReadStatus::kFailed;
}

bool SaveFolderFile::Write(std::string_view bytes) {
  if (write_refused_) return false;
  return os::WriteFileAtomically(NativePath(path()), std::string(bytes));
}

bool SaveFolderFile::KeepAside(std::string_view suffix) {
  const std::string from = NativePath(path());
  return os::RenameFile(from, from + std::string(suffix));
}

}  // namespace adv
