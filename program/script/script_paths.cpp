// Script paths kept inside the game and save folders.
#include "program/script/script_paths.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "os/encoding.h"
#include "os/file_system.h"
#include "os/user_folders.h"
#include "program/script/engine_log.h"
#include "program/startup/startup_names.h"

namespace adv {
namespace {

bool HasParentComponent(std::string_view path) {
  size_t start = 0;
  while (start <= path.size()) {
    size_t slash = path.find('/', start);
    if (slash == std::string_view::npos) slash = path.size();
    if (path.substr(start, slash - start) == "..") return true;
    start = slash + 1;
  }
  return false;
}

// "C:/..." and "C:name" name a drive of another system, never a file of the game.
bool HasDriveLetter(std::string_view path) {
  return path.size() >= 2 && path[1] == ':';
}

// The path with the components that exist matched without regard to case; a last component
// that does not exist yet (a file about to be written, a pattern) is kept as written.
std::string MatchExisting(const std::string& path) {
  if (std::string found = os::FindPathNoCase(path); !found.empty()) return found;
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos || slash == 0) return path;
  const std::string folder = os::FindPathNoCase(path.substr(0, slash));
  return folder.empty() ? path : folder + path.substr(slash);
}

std::string GameFolder() {
  return os::Cp932ToUtf8(Startup().program_folder);
}

// The folders a script may write in: the game and save folders, the temporary folder and the
// user folders the file dialogs open in for documents, pictures, music, videos and the desktop.
// The home folder itself and the settings and data folders are left out: they hold the shell's
// and other programs' files. Folders not known (empty) are passed over.
std::vector<std::string> WritableFolders() {
  std::vector<std::string> folders = {GameFolder(), os::Cp932ToUtf8(Startup().save_folder),
                                      os::TempFolder()};
  if (!os::HomeFolder().empty()) {
    folders.push_back(os::DocumentsFolder());
    folders.push_back(os::UserDirectory("DESKTOP", "Desktop"));
    folders.push_back(os::UserDirectory("PICTURES", "Pictures"));
    folders.push_back(os::UserDirectory("MUSIC", "Music"));
    folders.push_back(os::UserDirectory("VIDEOS", "Videos"));
  }
  std::erase_if(folders, [](const std::string& folder) { return folder.empty(); });
  return folders;
}

// The path with every link that exists resolved; empty when that fails.
std::string RealPath(const std::string& path) {
  std::error_code error;
  const std::filesystem::path real = std::filesystem::weakly_canonical(path, error);
  return error ? std::string() : real.string();
}

// Whether the path still lies in one of the folders once links are followed: a link planted in
// the save or temporary folder must not carry a write to a file elsewhere.
bool StaysInside(const std::string& path, const std::vector<std::string>& folders) {
  const std::string real = RealPath(path);
  if (real.empty()) return false;
  for (const std::string& folder : folders) {
    const std::string real_folder = RealPath(folder);
    if (!real_folder.empty() && os::PathIsUnder(real, real_folder)) return true;
  }
  return false;
}

// A device, a FIFO or a socket is no file a game writes: opening one may block or reach
// hardware. A path that does not exist yet, a plain file and a folder pass.
bool IsPlainOrMissing(const std::string& path) {
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(path, error);
  return !std::filesystem::exists(status) || std::filesystem::is_regular_file(status) ||
         std::filesystem::is_directory(status);
}

// The path placed in the game folder when it is relative; an absolute one as it is when it lies
// in one of the folders.
std::optional<std::string> Placed(const std::string& path,
                                  const std::vector<std::string>& folders) {
  if (path.front() != '/') {
    const std::string game = GameFolder();
    if (game.empty()) return std::nullopt;
    return game + "/" + path;
  }
  for (const std::string& folder : folders) {
    if (os::PathIsUnder(path, folder)) return path;
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> ScriptDiskPath(const char* command, std::string_view path) {
  const std::string disk = os::DiskPath(path);
  const std::vector<std::string> folders = WritableFolders();
  std::optional<std::string> placed;
  // Scripts pass upper-cased names, so an absolute path is matched to the disk's case before it
  // is compared with the folders.
  if (!disk.empty() && !HasParentComponent(disk) && !HasDriveLetter(disk)) {
    placed = Placed(disk.front() == '/' ? MatchExisting(disk) : disk, folders);
  }
  if (placed) placed = MatchExisting(*placed);
  if (!placed || !StaysInside(*placed, folders) || !IsPlainOrMissing(*placed)) {
    const std::string text(path);
    AdvDebugPrint(kLogError, "%s: path refused [%s]", command, text.c_str());
    return std::nullopt;
  }
  return placed;
}

}  // namespace adv
