#include "program/savedata/save_folder.h"

#include <cstdint>

#include "os/encoding.h"
#include "os/file_system.h"
#include "os/ini_file.h"
#include "os/message_box.h"
#include "os/paths.h"
#include "os/user_folders.h"
#include "program/savedata/save_folder_file.h"

namespace adv {
namespace {

// The file name with its extension replaced by ".ini", or ".ini" appended when it has none.
std::string IniNameOf(const std::string& file_name) {
  const size_t slash = file_name.find_last_of("/\\");
  const size_t dot = file_name.rfind('.');
  const bool has_extension =
      dot != std::string::npos && (slash == std::string::npos || dot > slash);
  return (has_extension ? file_name.substr(0, dot) : file_name) + ".ini";
}

std::string Join(const std::string& folder, const std::string& name) {
  return folder + "/" + name;
}

// A name from the game's settings as one folder of a path: separators ("/" and "\\" between
// characters, never the second byte of a double-byte one) become "_", and "." or ".." becomes
// "_" or "__", so the name can never climb out of the folder it is joined to.
std::string FolderName(const std::string& name) {
  std::string folder = name;
  for (size_t i = 0; i < folder.size(); ++i) {
    const auto byte = static_cast<uint8_t>(folder[i]);
    if ((byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC)) {
      ++i;
    } else if (byte == '/' || byte == '\\') {
      folder[i] = '_';
    }
  }
  if (folder == "." || folder == "..") folder.assign(folder.size(), '_');
  return folder;
}

}  // namespace

SaveFolderParams::SaveFolderParams(std::string program_folder, std::string maker_folder,
                                   std::string maker_sub_folder, std::string program_file_name,
                                   std::string product_name)
    : program_folder_(std::move(program_folder)),
      maker_folder_(std::move(maker_folder)),
      maker_sub_folder_(std::move(maker_sub_folder)),
      program_file_name_(std::move(program_file_name)),
      product_name_(std::move(product_name)) {}

SaveFolderSystem SaveFolderSystem::Native() {
  SaveFolderSystem system;
  system.user_config_folder = os::UserConfigFolder;
  system.common_config_folder = os::CommonConfigFolder;
  system.documents_folder = os::DocumentsFolder;
  system.drive_type = [](const std::string& path) {
    return static_cast<int32_t>(os::DriveTypeOfPath(path));
  };
  system.writable_folder = os::IsWritableFolder;
  system.protected_roots = os::SystemFolders();
  return system;
}

CSaveFolder::CSaveFolder(const SaveFolderParams& params, SaveFolderSystem system)
    : params_(params), system_(std::move(system)) {
  SaveFolderResolve();
}

CSaveFolder::~CSaveFolder() = default;

void CSaveFolder::SaveFolderResolve() {
  drive_type_ = kDriveNotTested;
  kind_ = kSaveFolderBesideProgram;
  path_ = Join(params_.program_folder(), "save");
  if (OverrideIniRead()) return;
  drive_type_ = DriveTypeOfPath(path_);
  if (drive_type_ == kDriveUnknown || drive_type_ == kDriveNoRoot) return;
  if (drive_type_ == kDriveCdRom || ProtectedRootTest()) PerUserSaveFolder();
}

bool CSaveFolder::OverrideIniRead() {
  std::string settings = system_.user_config_folder();
  if (settings.empty()) settings = system_.common_config_folder();
  if (settings.empty()) return false;
  const std::string ini = Join(Join(settings, os::DiskPath(FolderName(params_.maker_folder()))),
                               os::DiskPath(IniNameOf(params_.program_file_name())));
  if (!os::IsFile(ini)) return false;
  path_ = os::Utf8ToCp932(os::ReadIniString(ini, "INSTALL", "SaveFold", std::string()));
  kind_ = kSaveFolderOverride;
  return true;
}

void CSaveFolder::PerUserSaveFolder() {
  const std::string documents = system_.documents_folder();
  if (documents.empty()) return;
  std::string path = Join(os::Utf8ToCp932(documents), FolderName(params_.maker_folder()));
  if (!params_.maker_sub_folder().empty()) {
    path = Join(path, FolderName(params_.maker_sub_folder()));
  }
  path_ = Join(Join(path, FolderName(params_.product_name())), "save");
  kind_ = kSaveFolderPerUser;
}

bool CSaveFolder::ProtectedRootTest() const {
  const std::string program = os::DiskPath(params_.program_folder());
  for (const std::string& root : system_.protected_roots) {
    if (os::PathIsUnder(program, root)) return true;
  }
  // The folder the game would write to: "save" when it exists, else the program folder where
  // start-up would create it.
  const std::string save = Join(program, "save");
  return !system_.writable_folder(os::IsFolder(save) ? save : program);
}

int32_t CSaveFolder::DriveTypeOfPath(const std::string& path) const {
  return system_.drive_type(os::DiskPath(path));
}

std::string SaveFolderSetup(const SaveFolderParams& params, SaveFolderSystem system) {
  const CSaveFolder folder(params, std::move(system));
  const int32_t drive = folder.drive_type();
  if (drive != kDriveUnknown && drive != kDriveNoRoot && !EngineFolderExists(folder.path()) &&
      (drive == kDriveCdRom || folder.kind() == kSaveFolderPerUser)) {
    const char* caption =
        drive == kDriveCdRom ? "ディスクメディアドライブからの起動" : "システムフォルダからの起動";
    os::ShowMessageBox("セーブフォルダを " + os::Cp932ToUtf8(folder.path()) + " に作成します。",
                       caption, os::BoxButtons::kOk, os::BoxIcon::kInformation);
  }
  return folder.path();
}

}  // namespace adv
