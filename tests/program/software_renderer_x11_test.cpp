// The software renderer ("/DIB") in a window of a real X server: the sample game starts, draws
// and ends cleanly while its UI thread handles the window's events, start after start. The test
// runs its own virtual X server (Xvfb) on a free display and is skipped where there is none.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/program/game_folder.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

// The X server's own limit for saying which display it took.
constexpr int kServerStartMs = 30000;
constexpr int kStarts = 8;

bool XvfbInstalled() {
  const char* path = std::getenv("PATH");
  std::string folders = path ? path : "/usr/bin:/bin";
  size_t start = 0;
  while (start <= folders.size()) {
    const size_t end = std::min(folders.find(':', start), folders.size());
    const fs::path candidate = fs::path(folders.substr(start, end - start)) / "Xvfb";
    if (access(candidate.c_str(), X_OK) == 0) return true;
    start = end + 1;
  }
  return false;
}

// An Xvfb on the first free display: it writes the display number to a pipe once it accepts
// clients (-displayfd), which the start waits for.
class VirtualServer {
 public:
  bool Start(std::string* error) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return Fail(error, "pipe");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // The write end goes to the server as descriptor 3, without close-on-exec.
    posix_spawn_file_actions_adddup2(&actions, fds[1], 3);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::vector<std::string> args = {"Xvfb", "-displayfd", "3", "-screen", "0", "1280x720x24",
                                     "-nolisten", "tcp"};
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    const int spawned = posix_spawnp(&pid_, "Xvfb", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (spawned != 0) {
      close(fds[0]);
      pid_ = -1;
      return Fail(error, "Xvfb did not start");
    }
    std::string number;
    pollfd wait{fds[0], POLLIN, 0};
    // The number ends with a line end; an ended server closes the pipe.
    while (number.find('\n') == std::string::npos && poll(&wait, 1, kServerStartMs) == 1) {
      char buffer[16];
      const ssize_t got = read(fds[0], buffer, sizeof buffer);
      if (got <= 0) break;
      number.append(buffer, static_cast<size_t>(got));
    }
    close(fds[0]);
    if (number.find('\n') == std::string::npos) return Fail(error, "Xvfb gave no display");
    display_ = ":" + number.substr(0, number.find('\n'));
    return true;
  }
  ~VirtualServer() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
  }
  const std::string& display() const { return display_; }

 private:
  bool Fail(std::string* error, const char* what) {
    *error = what;
    return false;
  }
  pid_t pid_ = -1;
  std::string display_;
};

class SoftwareRendererUnderX : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!XvfbInstalled()) GTEST_SKIP() << "Xvfb is not installed (package xvfb): no X server";
    copy_ = fs::temp_directory_path() / ("software_renderer_x11_" + std::to_string(getpid()));
    fs::remove_all(copy_);
    fs::copy(SAMPLE_GAME_DIR, copy_, fs::copy_options::recursive);
  }
  void TearDown() override {
    if (!copy_.empty()) fs::remove_all(copy_);
  }
  fs::path copy_;
};

// Each start runs until the game saves before its first line (its frames are drawn and its
// window's events handled by then), then ends on SIGTERM with 0 and without an X error.
TEST_F(SoftwareRendererUnderX, TheSampleGameStartsDrawsAndEndsEveryTime) {
  VirtualServer server;
  std::string error;
  ASSERT_TRUE(server.Start(&error)) << error;
  std::vector<std::string> env = test::IsolatedEnvironment(copy_);
  env.push_back("SDL_VIDEODRIVER=x11");
  env.push_back("DISPLAY=" + server.display());
  for (int start = 0; start < kStarts; ++start) {
    SCOPED_TRACE("start " + std::to_string(start));
    fs::remove_all(copy_ / "save");
    test::Process game = test::Process::Start({(copy_ / "Game").string(), "/DIB"}, env,
                                              copy_.string());
    EXPECT_TRUE(game.WaitForPath((copy_ / "save" / "save000.dat").string(), test::kHungMs))
        << game.Stderr();
    game.Signal(SIGTERM);
    EXPECT_EQ(game.Wait(test::kHungMs), 0) << game.Stderr();
    EXPECT_EQ(game.Stderr().find("X Error"), std::string::npos) << game.Stderr();
    if (HasFailure()) break;
  }
}

}  // namespace
