#include "os/plain_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace os {

FileReadStatus ReadWholeFile(const std::string& path, std::string& data) {
  data.clear();
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    return errno == ENOENT || errno == ENOTDIR ? FileReadStatus::kMissing : FileReadStatus::kFailed;
  }
  char buffer[16384];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      ::close(fd);
      data.clear();
      return FileReadStatus::kFailed;  // also a folder of that name (EISDIR)
    }
    data.append(buffer, static_cast<size_t>(n));
  }
  ::close(fd);
  return FileReadStatus::kOk;
}

bool ListFolder(const std::string& path, std::vector<FolderEntry>& entries) {
  entries.clear();
  DIR* dir = ::opendir(path.c_str());
  if (dir == nullptr) return false;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    bool is_folder = entry->d_type == DT_DIR;
    if (entry->d_type == DT_UNKNOWN) {
      struct stat st {};
      is_folder = ::lstat((path + "/" + name).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    }
    entries.push_back({name, is_folder});
  }
  ::closedir(dir);
  return true;
}

bool RemoveFile(const std::string& path) {
  return ::unlink(path.c_str()) == 0;
}

bool RenameFile(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0;
}

}  // namespace os
