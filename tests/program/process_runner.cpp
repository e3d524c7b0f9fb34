#include "tests/program/process_runner.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

extern char** environ;

namespace test {

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
  p.out_fd_ = out[0];
  p.err_fd_ = err[0];
  fcntl(p.out_fd_, F_SETFL, O_NONBLOCK);
  fcntl(p.err_fd_, F_SETFL, O_NONBLOCK);
  return p;
}

Process::Process(Process&& other) noexcept
    : pid_(other.pid_),
      out_fd_(other.out_fd_),
      err_fd_(other.err_fd_),
      status_(other.status_),
      exited_(other.exited_),
      out_(std::move(other.out_)),
      err_(std::move(other.err_)) {
  other.pid_ = -1;
  other.out_fd_ = -1;
  other.err_fd_ = -1;
}

Process::~Process() {
  if (pid_ > 0 && !exited_) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  if (out_fd_ >= 0) close(out_fd_);
  if (err_fd_ >= 0) close(err_fd_);
}

void Process::Drain() {
  char buffer[4096];
  for (auto [fd, text] : {std::pair{out_fd_, &out_}, std::pair{err_fd_, &err_}}) {
    for (ssize_t n; fd >= 0 && (n = read(fd, buffer, sizeof buffer)) > 0;) text->append(buffer, n);
  }
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
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (Running()) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid_, SIGKILL);
      waitpid(pid_, &status_, 0);
      exited_ = true;
      Drain();
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  Drain();
  if (WIFEXITED(status_)) return WEXITSTATUS(status_);
  if (WIFSIGNALED(status_)) return 128 + WTERMSIG(status_);
  return -1;
}

}  // namespace test
