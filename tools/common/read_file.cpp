#include "tools/common/read_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tools {
namespace {

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

std::string TooLarge(size_t max_bytes) {
  return "larger than " + std::to_string(max_bytes >> 20) + " MiB";
}

}  // namespace

bool ReadRegularFile(const std::string& path, size_t max_bytes, std::string* contents,
                     std::string* error) {
  const auto fail = [&](const std::string& reason) {
    if (error) *error = "cannot read '" + path + "': " + reason;
    return false;
  };
  // Without O_NONBLOCK the open of a FIFO waits for a writer.
  const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (file.get() < 0) return fail(std::strerror(errno));
  struct stat info {};
  if (::fstat(file.get(), &info) != 0) return fail(std::strerror(errno));
  if (!S_ISREG(info.st_mode)) return fail("not a regular file");
  if (static_cast<uint64_t>(info.st_size) > max_bytes) return fail(TooLarge(max_bytes));
  std::string data;
  data.reserve(static_cast<size_t>(info.st_size));
  char buffer[65536];
  while (true) {
    const ssize_t got = ::read(file.get(), buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return fail(std::strerror(errno));
    if (got == 0) break;
    if (data.size() + static_cast<size_t>(got) > max_bytes) return fail(TooLarge(max_bytes));
    data.append(buffer, static_cast<size_t>(got));
  }
  *contents = std::move(data);
  return true;
}

}  // namespace tools
