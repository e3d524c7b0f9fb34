#include "os/plain_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>

namespace os {

namespace {

FileReadStatus KindOf(const struct stat& st) {
  if (S_ISREG(st.st_mode)) return FileReadStatus::kOk;
  return S_ISDIR(st.st_mode) ? FileReadStatus::kFailed : FileReadStatus::kRefused;
}

// Reads to the end, refusing a file that grows past `max_size` while it is read.
FileReadStatus ReadToEnd(int fd, std::string& data, size_t max_size) {
  char buffer[16384];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n == 0) return FileReadStatus::kOk;
    if (n < 0) {
      if (errno == EINTR) continue;
      return FileReadStatus::kFailed;
    }
    if (static_cast<size_t>(n) > max_size - data.size()) return FileReadStatus::kRefused;
    data.append(buffer, static_cast<size_t>(n));
  }
}

}  // namespace

FileReadStatus ReadWholeFile(const std::string& path, std::string& data, size_t max_size) {
  data.clear();
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    return errno == ENOENT || errno == ENOTDIR ? FileReadStatus::kMissing : FileReadStatus::kFailed;
  }
  if (KindOf(st) != FileReadStatus::kOk) return KindOf(st);
  // Without O_NONBLOCK a FIFO put in the file's place between the two looks would block here.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    return errno == ENOENT || errno == ENOTDIR ? FileReadStatus::kMissing : FileReadStatus::kFailed;
  }
  FileReadStatus status = ::fstat(fd, &st) == 0 ? KindOf(st) : FileReadStatus::kFailed;
  if (status == FileReadStatus::kOk && static_cast<uintmax_t>(st.st_size) > max_size) {
    status = FileReadStatus::kRefused;
  }
  if (status == FileReadStatus::kOk) status = ReadToEnd(fd, data, max_size);
  ::close(fd);
  if (status != FileReadStatus::kOk) data.clear();
  return status;
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
