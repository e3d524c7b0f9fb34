// Where the save folder is. Decided once at start-up:
//   1. the folder named by an override file ("INSTALL", "SaveFold") that an installer may leave
//      in the per-user settings folder, in the maker's folder, named after the program with the
//      extension ".ini";
//   2. otherwise the folder "save" beside the program;
//   3. but when the program runs from a CD-ROM (or any read-only mount) or from a protected
//      folder (one the user may not write to, or one under a system folder such as /usr or /opt),
//      the folder "save" under the user's documents folder, maker and product.
// The maker, sub-folder and product names are each one folder: separators and "." or ".." in
// them become "_", so no name from the game's settings can lead the path anywhere else.
// All strings here are CP932 engine strings; the folders of the system are converted to them.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace adv {

class SaveFolderParams {
 public:
  SaveFolderParams(std::string program_folder, std::string maker_folder,
                   std::string maker_sub_folder, std::string program_file_name,
                   std::string product_name);

  const std::string& program_folder() const { return program_folder_; }  // no trailing slash
  const std::string& maker_folder() const { return maker_folder_; }
  const std::string& maker_sub_folder() const { return maker_sub_folder_; }  // may be empty
  const std::string& program_file_name() const { return program_file_name_; }
  const std::string& product_name() const { return product_name_; }

 private:
  std::string program_folder_;
  std::string maker_folder_;
  std::string maker_sub_folder_;
  std::string program_file_name_;
  std::string product_name_;
};

enum SaveFolderKind : int32_t {
  kSaveFolderBesideProgram = 0,
  kSaveFolderPerUser = 1,
  kSaveFolderOverride = 2,
};

// Drive types as the rules test them (the values of os::DriveType); -1 until tested.
inline constexpr int32_t kDriveNotTested = -1;
inline constexpr int32_t kDriveUnknown = 0;
inline constexpr int32_t kDriveNoRoot = 1;
inline constexpr int32_t kDriveCdRom = 5;

// What the rules ask of the system, as file-system (UTF-8) paths. Native() asks the operating
// system; tests replace members.
struct SaveFolderSystem {
  std::function<std::string()> user_config_folder;    // empty when unknown
  std::function<std::string()> common_config_folder;  // empty when unknown
  std::function<std::string()> documents_folder;      // empty when unknown
  std::function<int32_t(const std::string& path)> drive_type;
  std::function<bool(const std::string& path)> writable_folder;
  std::vector<std::string> protected_roots;

  static SaveFolderSystem Native();
};

class CSaveFolder {
 public:
  // Copies the parameters and resolves the save folder at once.
  explicit CSaveFolder(const SaveFolderParams& params,
                       SaveFolderSystem system = SaveFolderSystem::Native());
  virtual ~CSaveFolder();

  const SaveFolderParams& params() const { return params_; }
  const std::string& path() const { return path_; }
  void set_path(std::string path) { path_ = std::move(path); }
  SaveFolderKind kind() const { return kind_; }
  int32_t drive_type() const { return drive_type_; }

  void SaveFolderResolve();
  // The override step: true (and the path taken from the file, empty when the key is missing)
  // when the override file exists as a file.
  bool OverrideIniRead();
  // The per-user folder; nothing changes when the documents folder is unknown.
  void PerUserSaveFolder();
  // True when the program folder lies under a protected root (compared by whole components) or
  // its save folder cannot be written.
  bool ProtectedRootTest() const;
  int32_t DriveTypeOfPath(const std::string& path) const;

 private:
  SaveFolderParams params_;
  SaveFolderSystem system_;
  std::string path_;
  int32_t drive_type_ = kDriveNotTested;
  SaveFolderKind kind_ = kSaveFolderBesideProgram;
};

// Resolves the save folder for start-up and tells the player when a folder under the documents
// folder is about to be made because the program runs from a CD-ROM or a system folder. Nothing is
// created here.
std::string SaveFolderSetup(const SaveFolderParams& params,
                            SaveFolderSystem system = SaveFolderSystem::Native());

}  // namespace adv
