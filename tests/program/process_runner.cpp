#include "tests/program/process_runner.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

extern char** environ;

namespace test {
namespace {

int64_t NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// Watches the deepest folder of `path` that exists, so the next step of the path appearing
// wakes the waiter. The watches of folders higher up stay; they only wake it once more.
void WatchDeepestFolder(int inotify_fd, const std::filesystem::path& path) {
  std::error_code error;
  for (std::filesystem::path folder = path.parent_path(); !folder.empty();
       folder = folder.parent_path()) {
    if (std::filesystem::is_directory(folder, error)) {
      inotify_add_watch(inotify_fd, folder.c_str(), IN_CREATE | IN_MOVED_TO);
      return;
    }
    if (folder == folder.parent_path()) return;
  }
}

void DiscardReadable(int fd) {
  char buffer[4096];
  while (read(fd, buffer, sizeof buffer) > 0) {
  }
}

}  // namespace

Process Process::Start(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                       const std::string& working_dir) {
  int out[2], err[2];
  if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) std::abort();
  Process p;
  p.pid_ = fork();
  if (p.pid_ == 0) {
    dup2(out[1], 1);
    dup2(err[1], 2);
    if (!working_dir.empty() && chdir(working_dir.c_str()) != 0) _exit(126);
    for (const std::string& entry : env) putenv(const_cast<char*>(entry.c_str()));
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
  }
  close(out[1]);
  close(err[1]);
  // Called directly: the C library's declaration is not marked C in every version.
  p.pid_fd_ = static_cast<int>(syscall(SYS_pidfd_open, p.pid_, 0));
  if (p.pid_fd_ < 0) {
    std::perror("pidfd_open");
    std::abort();
  }
  p.out_fd_ = out[0];
  p.err_fd_ = err[0];
  fcntl(p.out_fd_, F_SETFL, O_NONBLOCK);
  fcntl(p.err_fd_, F_SETFL, O_NONBLOCK);
  return p;
}

Process::Process(Process&& other) noexcept
    : pid_(other.pid_),
      pid_fd_(other.pid_fd_),
      out_fd_(other.out_fd_),
      err_fd_(other.err_fd_),
      status_(other.status_),
      exited_(other.exited_),
      out_(std::move(other.out_)),
      err_(std::move(other.err_)) {
  other.pid_ = -1;
  other.pid_fd_ = -1;
  other.out_fd_ = -1;
  other.err_fd_ = -1;
}

Process::~Process() {
  if (pid_ > 0 && !exited_) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  for (int fd : {pid_fd_, out_fd_, err_fd_}) {
    if (fd >= 0) close(fd);
  }
}

void Process::Drain() {
  char buffer[4096];
  for (auto [fd, text] : {std::pair{&out_fd_, &out_}, std::pair{&err_fd_, &err_}}) {
    ssize_t n = 0;
    while (*fd >= 0 && (n = read(*fd, buffer, sizeof buffer)) > 0) text->append(buffer, n);
    if (*fd >= 0 && n == 0) {  // the end of the output: nothing more to wait for there
      close(*fd);
      *fd = -1;
    }
  }
}

void Process::AwaitActivity(int extra_fd, int64_t deadline_ms) {
  pollfd fds[] = {
      {pid_fd_, POLLIN, 0}, {out_fd_, POLLIN, 0}, {err_fd_, POLLIN, 0}, {extra_fd, POLLIN, 0}};
  const int64_t timeout = std::max<int64_t>(0, deadline_ms - NowMs());
  poll(fds, 4, static_cast<int>(timeout));
  Drain();
}

bool Process::Running() {
  Drain();
  if (exited_) return false;
  if (waitpid(pid_, &status_, WNOHANG) == pid_) exited_ = true;
  return !exited_;
}

void Process::Signal(int signal) {
  if (!exited_) kill(pid_, signal);
}

int Process::Wait(int ms) {
  if (!EndsWithin(ms)) {
    kill(pid_, SIGKILL);
    waitpid(pid_, &status_, 0);
    exited_ = true;
    Drain();
    return -1;
  }
  if (WIFEXITED(status_)) return WEXITSTATUS(status_);
  if (WIFSIGNALED(status_)) return 128 + WTERMSIG(status_);
  return -1;
}

bool Process::EndsWithin(int ms) {
  const int64_t deadline = NowMs() + ms;
  while (Running()) {
    if (NowMs() >= deadline) return false;
    AwaitActivity(-1, deadline);
  }
  Drain();
  return true;
}

bool Process::WaitForPath(const std::string& path, int ms) {
  const int64_t deadline = NowMs() + ms;
  const int inotify_fd = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
  if (inotify_fd < 0) return false;
  std::error_code error;
  bool found = false;
  for (;;) {
    // The watch goes on before the look, so a path made in between still wakes the wait.
    WatchDeepestFolder(inotify_fd, path);
    found = std::filesystem::exists(path, error);
    if (found || !Running() || NowMs() >= deadline) break;
    AwaitActivity(inotify_fd, deadline);
    DiscardReadable(inotify_fd);
  }
  close(inotify_fd);
  return found;
}

}  // namespace test
