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

bool RenameFileNoReplace(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  // A file system without the flag: look first, then rename.
  struct stat st {};
  if (::lstat(to.c_str(), &st) == 0 || errno != ENOENT) return false;
  return RenameFile(from, to);
}

namespace {

// Opens a regular file for writing. Non-blocking so that a FIFO without a reader cannot hang the
// caller (the open fails instead); the flag means nothing for the regular files that are kept.
int OpenRegularForWriting(const std::string& path, int flags) {
  const int fd =
      ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK | O_NOCTTY | flags, 0644);
  if (fd < 0) return -1;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

bool WriteAll(int fd, std::string_view data) {
  size_t written = 0;
  while (written < data.size()) {
    const ssize_t n = ::write(fd, data.data() + written, data.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    written += static_cast<size_t>(n);
  }
  return true;
}

bool AppendToFile(const std::string& path, std::string_view data) {
  const int fd = OpenRegularForWriting(path, O_APPEND);
  if (fd < 0) return false;
  const bool written = WriteAll(fd, data);
  return ::close(fd) == 0 && written;
}

bool EmptyFile(const std::string& path) {
  const int fd = OpenRegularForWriting(path, O_TRUNC);
  if (fd < 0) return false;
  return ::close(fd) == 0;
}

}  // namespace os
