// Whole-file reads and atomic writes of the engine's own files against what may stand in a
// file's place, and writes that run into the process's file-size limit.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <string>

#include "os/ini_file.h"
#include "os/plain_file.h"
#include "os/signals.h"

namespace {

namespace fs = std::filesystem;

class PlainFileTest : public ::testing::Test {
 protected:
  PlainFileTest() {
    std::string pattern = (fs::temp_directory_path() / "plainfile.XXXXXX").string();
    root_ = mkdtemp(pattern.data());
  }
  ~PlainFileTest() override {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }
  std::string Path(const std::string& name) const { return (root_ / name).string(); }
  void Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(Path(name), std::ios::binary) << bytes;
  }
  std::string Read(const std::string& name) const {
    std::ifstream in(Path(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  fs::path root_;
};

// Runs `read` with a watchdog: a read that waits on a FIFO is released by a writer that opens
// and closes it, and the case fails instead of hanging the suite.
os::FileReadStatus ReadWithin(const std::string& path, std::string& data, size_t limit) {
  auto pending =
      std::async(std::launch::async, [&] { return os::ReadWholeFile(path, data, limit); });
  if (pending.wait_for(std::chrono::seconds(5)) == std::future_status::ready) return pending.get();
  ADD_FAILURE() << path << " was waited on";
  const int writer = ::open(path.c_str(), O_WRONLY | O_NONBLOCK);
  if (writer >= 0) ::close(writer);
  return pending.get();
}

TEST_F(PlainFileTest, OnlyRegularFilesWithinTheLimitAreRead) {
  Write("eight", "12345678");
  ASSERT_EQ(::mkfifo(Path("fifo").c_str(), 0600), 0);
  fs::create_symlink("/dev/zero", Path("zero"));
  fs::create_symlink("eight", Path("link"));
  fs::create_directory(Path("folder"));
  const struct {
    const char* name;
    size_t limit;
    os::FileReadStatus status;
    const char* data;
  } cases[] = {
      {"eight", 8, os::FileReadStatus::kOk, "12345678"},
      {"link", 8, os::FileReadStatus::kOk, "12345678"},  // a link to a regular file is one
      {"eight", 7, os::FileReadStatus::kRefused, ""},
      {"fifo", 1 << 20, os::FileReadStatus::kRefused, ""},
      {"zero", 1 << 20, os::FileReadStatus::kRefused, ""},
      {"folder", 1 << 20, os::FileReadStatus::kFailed, ""},
      {"missing", 1 << 20, os::FileReadStatus::kMissing, ""},
  };
  for (const auto& c : cases) {
    std::string data = "old";
    EXPECT_EQ(ReadWithin(Path(c.name), data, c.limit), c.status) << c.name << " " << c.limit;
    EXPECT_EQ(data, c.data) << c.name;
  }
}

TEST_F(PlainFileTest, AnAtomicWriteReplacesWhateverHoldsTheTemporaryName) {
  Write("file", "old");
  ASSERT_EQ(::mkfifo(Path("file.tmp").c_str(), 0600), 0);
  EXPECT_TRUE(os::WriteFileAtomically(Path("file"), "new"));
  EXPECT_EQ(Read("file"), "new");

  Write("target", "kept");
  fs::create_symlink("target", Path("file.tmp"));
  EXPECT_TRUE(os::WriteFileAtomically(Path("file"), "newer"));
  EXPECT_EQ(Read("file"), "newer");
  EXPECT_EQ(Read("target"), "kept");
  EXPECT_FALSE(fs::is_symlink(Path("file")));
}

// In a child with a file-size limit below the new content, the write fails like one on a full
// disk: the child lives on to report it and the old file stays whole.
TEST_F(PlainFileTest, AWritePastTheFileSizeLimitFailsAndKeepsTheOldFile) {
  Write("system.dat", "old content");
  const std::string path = Path("system.dat");
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    os::IgnoreFileSizeLimitSignal();
    const rlimit limit{4096, 4096};
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(3);
    ::_exit(os::WriteFileAtomically(path, std::string(100000, 'n')) ? 1 : 0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the write reported success";
  EXPECT_EQ(Read("system.dat"), "old content");
  EXPECT_FALSE(fs::exists(Path("system.dat.tmp")));
}

}  // namespace
