#include "os/user_folders.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "os/plain_file.h"

namespace {

// Sets environment variables for one test and restores them afterwards.
class UserFoldersEnvTest : public ::testing::Test {
 protected:
  void Set(const char* name, std::optional<std::string> value) {
    const char* old = getenv(name);
    saved_.push_back({name, old ? std::optional<std::string>(old) : std::nullopt});
    if (value)
      setenv(name, value->c_str(), 1);
    else
      unsetenv(name);
  }
  ~UserFoldersEnvTest() override {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
      if (it->second)
        setenv(it->first, it->second->c_str(), 1);
      else
        unsetenv(it->first);
    }
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }
  std::string Root() {
    if (root_.empty()) {
      std::string pattern = (std::filesystem::temp_directory_path() / "ostest.XXXXXX").string();
      root_ = mkdtemp(pattern.data());
    }
    return root_;
  }

 private:
  std::vector<std::pair<const char*, std::optional<std::string>>> saved_;
  std::string root_;
};

TEST(UserFolders, PathsAreUnderARootOnlyByWholeComponents) {
  struct Case {
    const char* path;
    const char* root;
    bool under;
  };
  const Case cases[] = {
      {"/usr/local/games/x", "/usr/local/games", true},
      {"/usr/local/games", "/usr/local/games", true},
      {"/usr/local/games2", "/usr/local/games", false},
      {"/usr/local/games2/x", "/usr/local/games/", false},
      {"//usr///local/./games/x/", "/usr/local/games", true},
      {"/usr", "/usr/local", false},
      {"/home/me", "/", true},
      {"usr/x", "/usr", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(os::PathIsUnder(c.path, c.root), c.under) << c.path << " under " << c.root;
  }
  bool any_under_opt = false;
  for (const std::string& root : os::SystemFolders()) {
    any_under_opt |= os::PathIsUnder("/opt/game", root);
    EXPECT_FALSE(os::PathIsUnder("/home/player/game", root)) << root;
  }
  EXPECT_TRUE(any_under_opt);
}

TEST_F(UserFoldersEnvTest, SettingsAndDocumentsFollowTheXdgVariables) {
  const std::string home = Root() + "/home";
  Set("HOME", home);
  Set("XDG_CONFIG_HOME", std::nullopt);
  Set("XDG_CONFIG_DIRS", "relative:/etc/xdg-a/:/etc/xdg-b");
  EXPECT_EQ(os::UserConfigFolder(), home + "/.config");
  EXPECT_EQ(os::CommonConfigFolder(), "/etc/xdg-a");
  EXPECT_EQ(os::DocumentsFolder(), home + "/Documents");

  Set("XDG_CONFIG_HOME", "not/absolute");
  EXPECT_EQ(os::UserConfigFolder(), home + "/.config");
  Set("XDG_CONFIG_HOME", Root() + "/cfg/");
  EXPECT_EQ(os::UserConfigFolder(), Root() + "/cfg");

  std::filesystem::create_directories(Root() + "/cfg");
  std::ofstream(Root() + "/cfg/user-dirs.dirs")
      << "# comment\nXDG_DESKTOP_DIR=\"$HOME/Desk\"\nXDG_DOCUMENTS_DIR=\"$HOME/My Docs\"\n";
  EXPECT_EQ(os::DocumentsFolder(), home + "/My Docs");
  std::ofstream(Root() + "/cfg/user-dirs.dirs") << "XDG_DOCUMENTS_DIR=\"/data/docs/\"\n";
  EXPECT_EQ(os::DocumentsFolder(), "/data/docs");
  Set("XDG_CONFIG_DIRS", std::nullopt);
  EXPECT_EQ(os::CommonConfigFolder(), "/etc/xdg");
}

TEST_F(UserFoldersEnvTest, DriveTypesAndWritableFolders) {
  EXPECT_EQ(os::DriveTypeOfPath("relative/path"), os::DriveType::kNoRoot);
  EXPECT_EQ(os::DriveTypeOfPath(""), os::DriveType::kNoRoot);
  // A folder that does not exist yet is on the storage of its nearest existing parent.
  EXPECT_EQ(os::DriveTypeOfPath(Root() + "/not/yet"), os::DriveTypeOfPath(Root()));
  EXPECT_NE(os::DriveTypeOfPath(Root()), os::DriveType::kCdRom);
  EXPECT_TRUE(os::IsWritableFolder(Root()));
  EXPECT_FALSE(os::IsWritableFolder(Root() + "/missing"));
}

TEST_F(UserFoldersEnvTest, TheRuntimeFolderFallsBackToAPrivateOneAndTheEnvironmentIsMended) {
  Set("XDG_RUNTIME_DIR", Root());
  EXPECT_EQ(os::RuntimeFolder(), Root());
  const std::string private_folder = "/tmp/runtime-" + std::to_string(getuid());
  for (const std::optional<std::string>& value :
       {std::optional<std::string>(), std::optional<std::string>(""),
        std::optional<std::string>("relative"), std::optional<std::string>(Root() + "/gone")}) {
    Set("XDG_RUNTIME_DIR", value);
    EXPECT_EQ(os::RuntimeFolder(), private_folder) << value.value_or("(unset)");
    struct stat st {};
    ASSERT_EQ(lstat(private_folder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    os::SetRuntimeFolderWhenMissing();
    EXPECT_STREQ(getenv("XDG_RUNTIME_DIR"), private_folder.c_str());
  }
  Set("XDG_RUNTIME_DIR", Root());
  os::SetRuntimeFolderWhenMissing();
  EXPECT_EQ(getenv("XDG_RUNTIME_DIR"), Root()) << "a usable folder stays";
}

TEST_F(UserFoldersEnvTest, WholeFileReadsTellMissingFromUnreadable) {
  std::string data = "old";
  EXPECT_EQ(os::ReadWholeFile(Root() + "/none", data, 1 << 20), os::FileReadStatus::kMissing);
  EXPECT_EQ(os::ReadWholeFile(Root() + "/none/deeper", data, 1 << 20),
            os::FileReadStatus::kMissing);
  EXPECT_EQ(os::ReadWholeFile(Root(), data, 1 << 20), os::FileReadStatus::kFailed);  // a folder
  std::ofstream(Root() + "/f", std::ios::binary) << std::string(40000, 'q');
  EXPECT_EQ(os::ReadWholeFile(Root() + "/f", data, 1 << 20), os::FileReadStatus::kOk);
  EXPECT_EQ(data, std::string(40000, 'q'));
  std::ofstream(Root() + "/none");
  EXPECT_EQ(os::ReadWholeFile(Root() + "/none/deeper", data, 1 << 20),
            os::FileReadStatus::kMissing);
}

}  // namespace
