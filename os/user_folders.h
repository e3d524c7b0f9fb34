// The per-user and system folders the engine places its files in, and what kind of storage a
// path lies on. Linux stands in for the shell's special folders with the XDG base and user
// folders; paths are UTF-8 as the file system takes them, without a trailing slash.
#pragma once

#include <string>
#include <vector>

namespace os {

// $HOME, else the home folder of the user's account; empty when neither is known.
std::string HomeFolder();
// Per-user settings: $XDG_CONFIG_HOME when it is an absolute path, else ~/.config.
std::string UserConfigFolder();
// Settings shared by all users: the first absolute entry of $XDG_CONFIG_DIRS, else /etc/xdg.
std::string CommonConfigFolder();
// The user's documents: XDG_DOCUMENTS_DIR of user-dirs.dirs in the per-user settings folder,
// else ~/Documents. The folder need not exist yet.
std::string DocumentsFolder();
// A user folder of user-dirs.dirs by its name there ("DESKTOP", "MUSIC", "PICTURES", "VIDEOS"
// ...), else ~/`fallback`. The folder need not exist.
std::string UserDirectory(const std::string& name, const std::string& fallback);
// The temporary folder: $TMPDIR (or $TMP, $TEMP, $TEMPDIR) when set, else /tmp; empty when that
// is no folder.
std::string TempFolder();
// Per-user data: $XDG_DATA_HOME when it is an absolute path, else ~/.local/share.
std::string UserDataFolder();

// What kind of storage a path is on. The values are those the engine's save-folder rules test.
enum class DriveType : int {
  kUnknown = 0,
  kNoRoot = 1,  // not an absolute path
  kRemovable = 2,
  kFixed = 3,
  kRemote = 4,   // NFS, SMB/CIFS
  kCdRom = 5,    // ISO 9660, UDF, or any read-only mount
  kRamDisk = 6,  // tmpfs, ramfs
};
// The storage of the path, or of its nearest existing parent when it does not exist yet.
DriveType DriveTypeOfPath(const std::string& path);

// Folders where a program is installed for the whole system and a user may not write.
const std::vector<std::string>& SystemFolders();
// True when `path` is `root` or lies below it, comparing whole path components, so that
// "/usr/local/games2" is not under "/usr/local/games". Empty and "." components are ignored.
bool PathIsUnder(const std::string& path, const std::string& root);
// True when the current user may create files in the folder.
bool IsWritableFolder(const std::string& path);

// The user's runtime folder (lock files, the display's and sound server's sockets):
// $XDG_RUNTIME_DIR when it names an existing folder by an absolute path; else the private folder
// "/tmp/runtime-<uid>", made when missing and taken only when it is the user's own folder, not a
// link, and closed to others; else empty.
std::string RuntimeFolder();
// Points $XDG_RUNTIME_DIR at RuntimeFolder() when it names no usable folder, so that the
// libraries under the window and sound layers find one instead of complaining on every attempt.
// Changes the environment: call before any other thread starts.
void SetRuntimeFolderWhenMissing();

}  // namespace os
