#include "os/paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace os {

std::string ExecutablePath() {
  std::vector<char> buffer(4096);
  const ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
  return n <= 0 ? std::string() : std::string(buffer.data(), static_cast<size_t>(n));
}

std::string ExecutableFolder() {
  const std::string path = ExecutablePath();
  if (path.empty()) return ".";
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
}

bool IsFolder(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsFile(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool CreateFolders(const std::string& path) {
  if (path.empty()) return false;
  // Create each level in turn; stop at the first one that is neither made nor found.
  for (size_t pos = 1; pos <= path.size(); ++pos) {
    if (pos != path.size() && path[pos] != '/') continue;
    std::string level = path.substr(0, pos);
    if (mkdir(level.c_str(), 0755) != 0 && errno != EEXIST) return false;
    if (!IsFolder(level)) return false;
  }
  return true;
}

}  // namespace os
