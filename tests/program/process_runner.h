// Runs a program as a child process with its output captured, for end-to-end tests.
#pragma once

#include <string>
#include <vector>

namespace test {

class Process {
 public:
  // Starts `argv` with extra environment entries ("NAME=value") added to the test's own.
  static Process Start(const std::vector<std::string>& argv,
                       const std::vector<std::string>& env = {},
                       const std::string& working_dir = "");
  Process(Process&& other) noexcept;
  ~Process();

  bool Running();
  void Signal(int signal);
  int pid() const { return pid_; }
  // The exit code, or -1 when the process did not end within `ms` (it is then killed), or
  // 128 + the signal that ended it.
  int Wait(int ms);
  const std::string& Stdout() const { return out_; }
  const std::string& Stderr() const { return err_; }

 private:
  Process() = default;
  void Drain();

  int pid_ = -1;
  int out_fd_ = -1;
  int err_fd_ = -1;
  int status_ = -1;
  bool exited_ = false;
  std::string out_, err_;
};

}  // namespace test
