// Shared pieces of the file-layer tests: a temporary base folder with a fresh search-folder
// list, file writing, running the archive builder, and reading a game file back.
#pragma once

#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "YEL/files/file_paths.h"
#include "YEL/yel.h"

extern char** environ;

namespace filetest {

namespace fs = std::filesystem;

inline void WriteFile(const fs::path& path, const std::string& content) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
}

// Runs the archive builder; its exit status, or -1 when it could not be run.
inline int RunPacBuilder(const std::vector<std::string>& args) {
  std::vector<std::string> all = {PAC_BUILDER, "-q"};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& arg : all) argv.push_back(arg.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawn(&pid, PAC_BUILDER, nullptr, nullptr, argv.data(), environ) != 0) return -1;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

// The whole data of a game file as the file layer finds it, or nothing.
inline std::optional<std::string> ReadGameFile(const char* name, YelFileEntry* entry = nullptr) {
  YelFileEntry local{};
  YelFile* file = YelFileCreate(name, entry ? entry : &local);
  if (!file) return std::nullopt;
  std::string data(YelFileGetSize(file), '\0');
  uint32_t got = 0;
  const int ok = YelFileRead(file, data.data(), static_cast<uint32_t>(data.size()), &got);
  YelFileClose(file);
  if (!ok || got != data.size()) return std::nullopt;
  return data;
}

// Everything written to an error log file so far.
inline std::string ReadLog(std::FILE* log) {
  std::fflush(log);
  std::rewind(log);
  std::string text;
  for (int c; (c = std::fgetc(log)) != EOF;) text += static_cast<char>(c);
  return text;
}

// A base folder of the test's own, named after the running test, with the search-folder list
// started and ended around it.
class TempBaseFolder {
 public:
  void Start(const std::string& prefix) {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    base_ = fs::temp_directory_path() / (prefix + std::to_string(getpid()) + "_" +
                                         info->test_suite_name() + "_" + info->name());
    fs::remove_all(base_);
    fs::create_directories(base_);
    saved_base_ = yel::BaseFolder();
    yel::SetBaseFolder(base_.string());
    ASSERT_EQ(YelSystemPathInit(), 1);
  }
  void End() {
    YelSystemPathUninit();
    yel::SetBaseFolder(saved_base_);
    fs::remove_all(base_);
  }
  const fs::path& path() const { return base_; }

 private:
  fs::path base_;
  std::string saved_base_;
};

class BaseFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_.Start("yel_files_");
    base_ = folder_.path();
  }
  void TearDown() override { folder_.End(); }

  TempBaseFolder folder_;
  fs::path base_;
};

}  // namespace filetest
