#include "os/user_folders.h"

#include <pwd.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string_view>

#include "os/paths.h"

namespace os {
namespace {

// File-system magic numbers of statfs(2) that decide the drive type.
constexpr long kIso9660Magic = 0x9660;
constexpr long kUdfMagic = 0x15013346;
constexpr long kNfsMagic = 0x6969;
constexpr long kSmbMagic = 0x517B;
constexpr long kCifsMagic = 0xFF534D42;
constexpr long kSmb2Magic = 0xFE534D42;
constexpr long kTmpfsMagic = 0x01021994;
constexpr long kRamfsMagic = 0x858458F6;

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

std::string WithoutTrailingSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

std::vector<std::string_view> Components(std::string_view path) {
  std::vector<std::string_view> parts;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string_view::npos) end = path.size();
    const std::string_view part = path.substr(start, end - start);
    if (!part.empty() && part != ".") parts.push_back(part);
    start = end + 1;
  }
  return parts;
}

// A value of user-dirs.dirs: "$HOME/rest" or an absolute path, in double quotes.
std::string UserDirValue(std::string value, const std::string& home) {
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
    value = value.substr(1, value.size() - 2);
  }
  std::string plain;
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] == '\\' && i + 1 < value.size()) ++i;
    plain += value[i];
  }
  if (plain.rfind("$HOME", 0) == 0) {
    if (home.empty()) return std::string();
    plain = home + plain.substr(5);
  }
  return plain.empty() || plain.front() != '/' ? std::string() : WithoutTrailingSlash(plain);
}

DriveType DriveTypeOfFileSystem(long magic, bool read_only) {
  switch (magic) {
    case kIso9660Magic:
    case kUdfMagic:
      return DriveType::kCdRom;
    default:
      break;
  }
  if (read_only) return DriveType::kCdRom;
  switch (magic) {
    case kNfsMagic:
    case kSmbMagic:
    case kCifsMagic:
    case kSmb2Magic:
      return DriveType::kRemote;
    case kTmpfsMagic:
    case kRamfsMagic:
      return DriveType::kRamDisk;
    default:
      return DriveType::kFixed;
  }
}

}  // namespace

std::string HomeFolder() {
  const std::string home = Environment("HOME");
  if (!home.empty()) return WithoutTrailingSlash(home);
  passwd entry{};
  passwd* found = nullptr;
  std::vector<char> buffer(16384);
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found ||
      !found->pw_dir) {
    return std::string();
  }
  return WithoutTrailingSlash(found->pw_dir);
}

std::string UserConfigFolder() {
  const std::string config = Environment("XDG_CONFIG_HOME");
  if (!config.empty() && config.front() == '/') return WithoutTrailingSlash(config);
  const std::string home = HomeFolder();
  return home.empty() ? std::string() : home + "/.config";
}

std::string CommonConfigFolder() {
  const std::string dirs = Environment("XDG_CONFIG_DIRS");
  for (size_t start = 0; start < dirs.size();) {
    size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    const std::string dir = dirs.substr(start, end - start);
    if (!dir.empty() && dir.front() == '/') return WithoutTrailingSlash(dir);
    start = end + 1;
  }
  return "/etc/xdg";
}

std::string UserDirectory(const std::string& name, const std::string& fallback) {
  const std::string home = HomeFolder();
  const std::string config = UserConfigFolder();
  if (!config.empty()) {
    std::ifstream in(config + "/user-dirs.dirs");
    const std::string key = "XDG_" + name + "_DIR=";
    for (std::string line; std::getline(in, line);) {
      if (line.rfind(key, 0) != 0) continue;
      const std::string folder = UserDirValue(line.substr(key.size()), home);
      if (!folder.empty()) return folder;
    }
  }
  return home.empty() ? std::string() : home + "/" + fallback;
}

std::string DocumentsFolder() { return UserDirectory("DOCUMENTS", "Documents"); }

std::string TempFolder() {
  std::error_code error;
  const std::string folder = std::filesystem::temp_directory_path(error).string();
  return error ? std::string() : WithoutTrailingSlash(folder);
}

std::string UserDataFolder() {
  const std::string data = Environment("XDG_DATA_HOME");
  if (!data.empty() && data.front() == '/') return WithoutTrailingSlash(data);
  const std::string home = HomeFolder();
  return home.empty() ? std::string() : home + "/.local/share";
}

DriveType DriveTypeOfPath(const std::string& path) {
  if (path.empty() || path.front() != '/') return DriveType::kNoRoot;
  std::string existing = WithoutTrailingSlash(path);
  struct stat st {};
  while (::stat(existing.c_str(), &st) != 0 && existing != "/") {
    const size_t slash = existing.rfind('/');
    existing = slash == 0 ? "/" : existing.substr(0, slash);
  }
  struct statfs fs {};
  if (::statfs(existing.c_str(), &fs) != 0) return DriveType::kUnknown;
  return DriveTypeOfFileSystem(static_cast<long>(fs.f_type), (fs.f_flags & ST_RDONLY) != 0);
}

const std::vector<std::string>& SystemFolders() {
  // Where packages, system-wide installs and the system's own data live.
  static const std::vector<std::string> folders = {
      "/usr",    "/opt", "/bin",  "/sbin", "/lib", "/lib32",   "/lib64",
      "/libx32", "/etc", "/boot", "/snap", "/nix", "/var/lib", "/var/opt",
  };
  return folders;
}

bool PathIsUnder(const std::string& path, const std::string& root) {
  const bool path_absolute = !path.empty() && path.front() == '/';
  const bool root_absolute = !root.empty() && root.front() == '/';
  if (path_absolute != root_absolute) return false;
  const std::vector<std::string_view> path_parts = Components(path);
  const std::vector<std::string_view> root_parts = Components(root);
  if (root_parts.size() > path_parts.size()) return false;
  for (size_t i = 0; i < root_parts.size(); ++i) {
    if (path_parts[i] != root_parts[i]) return false;
  }
  return true;
}

bool IsWritableFolder(const std::string& path) {
  return IsFolder(path) && ::access(path.c_str(), W_OK | X_OK) == 0;
}

namespace {

std::string RuntimeFolderFromEnvironment() {
  const std::string folder = Environment("XDG_RUNTIME_DIR");
  return !folder.empty() && folder.front() == '/' && IsFolder(folder) ? folder : std::string();
}

// The fallback lies in a folder everyone may write to, so it is used only when it is certainly
// the user's: anybody could have made it first, or put a link there.
std::string PrivateRuntimeFolder() {
  const std::string folder = "/tmp/runtime-" + std::to_string(::getuid());
  ::mkdir(folder.c_str(), 0700);
  struct stat st {};
  if (::lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid() ||
      (st.st_mode & 0077) != 0) {
    return std::string();
  }
  return folder;
}

}  // namespace

std::string RuntimeFolder() {
  const std::string folder = RuntimeFolderFromEnvironment();
  return folder.empty() ? PrivateRuntimeFolder() : folder;
}

void SetRuntimeFolderWhenMissing() {
  if (!RuntimeFolderFromEnvironment().empty()) return;
  const std::string folder = PrivateRuntimeFolder();
  if (!folder.empty()) ::setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
}

}  // namespace os
