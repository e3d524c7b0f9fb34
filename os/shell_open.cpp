#include "os/shell_open.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <thread>

extern char** environ;

namespace os {

ShellOpenResult ShellOpen(const std::string& target) {
  std::string program = "xdg-open";
  std::string argument = target;
  char* argv[] = {program.data(), argument.data(), nullptr};
  pid_t child = 0;
  const int error = posix_spawnp(&child, "xdg-open", nullptr, nullptr, argv, environ);
  if (error == ENOENT) return ShellOpenResult::kNoOpener;
  if (error != 0) return ShellOpenResult::kFailed;
  // The opener may live as long as the program it starts; nobody waits for it but this thread,
  // which keeps it from staying behind as a zombie.
  std::thread([child] {
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
  }).detach();
  return ShellOpenResult::kStarted;
}

}  // namespace os
