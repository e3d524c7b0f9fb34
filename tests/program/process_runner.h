// Runs a program as a child process with its output captured, for end-to-end tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tests/wait_until.h"

namespace test {

class Process {
 public:
  // Starts `argv` with extra environment entries ("NAME=value") added to the test's own.
  static Process Start(const std::vector<std::string>& argv,
                       const std::vector<std::string>& env = {},
                       const std::string& working_dir = "");
  Process(Process&& other) noexcept;
  ~Process();

  int pid() const { return pid_; }
  bool Running();
  void Signal(int signal);
  // The exit code, or -1 when the process did not end within `ms` (it is then killed), or
  // 128 + the signal that ended it.
  int Wait(int ms);
  // True when the process ends within `ms`; it is left running otherwise.
  bool EndsWithin(int ms);
  // Waits until `path` exists; false when the process ended first or `ms` passed.
  bool WaitForPath(const std::string& path, int ms);
  const std::string& Stdout() const { return out_; }
  const std::string& Stderr() const { return err_; }

 private:
  Process() = default;
  void Drain();
  // Blocks until output arrives, the process ends or `extra_fd` is readable, at most until
  // `deadline_ms` (a steady-clock time in milliseconds); then drains the output.
  void AwaitActivity(int extra_fd, int64_t deadline_ms);

  int pid_ = -1;
  int pid_fd_ = -1;  // readable once the process has ended
  int out_fd_ = -1;
  int err_fd_ = -1;
  int status_ = -1;
  bool exited_ = false;
  std::string out_, err_;
};

}  // namespace test
