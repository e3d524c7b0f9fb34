#include "program/commands/script_paths.h"

#include "os/file_system.h"
#include "program/startup/startup_names.h"
#include "program/startup/yel_import.h"

namespace adv {
namespace {

bool SameAsciiText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
    if (x != y) return false;
  }
  return true;
}

std::string WithoutTrailingSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

// The part of `path` below `folder`, when it lies there.
bool BelowFolder(const std::string& path, const std::string& folder, std::string& rest) {
  if (folder.empty() || path.size() <= folder.size() + 1) return false;
  if (!SameAsciiText(std::string_view(path).substr(0, folder.size()), folder)) return false;
  if (path[folder.size()] != '/') return false;
  rest = path.substr(folder.size() + 1);
  return true;
}

std::string BaseFolder() {
  const char* base = yel::YelGetFilePath();
  return WithoutTrailingSlash(os::DiskPath(base ? base : ""));
}

// The folder's file of that name, in the case it already has on disk.
std::string InFolder(const std::string& folder, const std::string& rest) {
  const std::string path = folder + "/" + rest;
  const std::string existing = os::FindPathNoCase(path);
  return existing.empty() ? path : existing;
}

}  // namespace

bool StaysInsideFolder(std::string_view name) {
  if (name.empty() || name.front() == '\\' || name.front() == '/') return false;
  if (name.size() >= 2 && name[1] == ':') return false;
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = name.find_first_of("\\/", start);
    if (end == std::string_view::npos) end = name.size();
    if (name.substr(start, end - start) == "..") return false;
    start = end + 1;
  }
  return true;
}

std::string ScriptWritePath(std::string_view engine_name) {
  const std::string path = os::DiskPath(engine_name);
  const std::string base = BaseFolder();
  if (StaysInsideFolder(path)) return base.empty() ? std::string() : InFolder(base, path);
  std::string rest;
  for (const std::string& folder :
       {WithoutTrailingSlash(os::DiskPath(Startup().save_folder)), base}) {
    if (BelowFolder(path, folder, rest) && StaysInsideFolder(rest)) return InFolder(folder, rest);
  }
  return std::string();
}

}  // namespace adv
