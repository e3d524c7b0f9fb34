#include "os/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>

#include "os/user_folders.h"

namespace os {
namespace {

// Keeps the name usable as one file name: path separators and control bytes become '_'.
std::string LockFileName(const std::string& name) {
  std::string file;
  for (char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    file += (c == '/' || byte < 0x20) ? '_' : c;
  }
  return file.empty() ? std::string("game") : file;
}

}  // namespace

InstanceLock::~InstanceLock() { Release(); }

bool InstanceLock::Acquire(const std::string& name) {
  Release();
  const std::string runtime = RuntimeFolder();
  const std::string folder = runtime.empty() ? "/tmp" : runtime;
  const std::string path = folder + "/" + LockFileName(name) + ".lock";
  fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd_ < 0) return true;  // no lock file can be made: nothing to guard with, start anyway
  if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) return true;
  ::close(fd_);
  fd_ = -1;
  return false;
}

void InstanceLock::Release() {
  if (fd_ < 0) return;
  ::flock(fd_, LOCK_UN);
  ::close(fd_);
  fd_ = -1;
}

}  // namespace os
