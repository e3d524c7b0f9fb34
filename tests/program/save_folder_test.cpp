#include "program/savedata/save_folder.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "os/message_box.h"
#include "tests/program/temp_folder.h"

namespace {

struct Box {
  std::string text;
  std::string caption;
};

// A temporary world: a program folder, a settings folder and a home with documents, reached
// through the environment as the real program reaches them.
class SaveFolderTest : public ::testing::Test {
 protected:
  SaveFolderTest()
      : config_env_("XDG_CONFIG_HOME", root_ / "config"),
        home_env_("HOME", root_ / "home"),
        dirs_env_("XDG_CONFIG_DIRS", std::nullopt) {
    std::filesystem::create_directories(program_folder());
    root_.Write("config/user-dirs.dirs",
                "# written by xdg-user-dirs\nXDG_DOCUMENTS_DIR=\"$HOME/Docs\"\n");
    os::SetMessageBoxHook(
        [this](const std::string& text, const std::string& caption, os::BoxButtons) {
          boxes_.push_back({text, caption});
          return os::BoxAnswer::kOk;
        });
  }
  ~SaveFolderTest() override { os::SetMessageBoxHook(nullptr); }

  std::string program_folder() const { return root_ / "games/Game"; }
  adv::SaveFolderParams Params(const std::string& sub_folder = "Sub") const {
    return adv::SaveFolderParams(program_folder(), "Maker", sub_folder, "Game.exe", "Product");
  }
  std::string PerUserPath() const { return root_ / "home/Docs/Maker/Sub/Product/save"; }

  test::TempFolder root_;
  test::ScopedEnv config_env_, home_env_, dirs_env_;
  std::vector<Box> boxes_;
};

TEST_F(SaveFolderTest, AWritableProgramFolderSavesBesideTheProgram) {
  const adv::CSaveFolder folder(Params());
  EXPECT_EQ(folder.path(), program_folder() + "/save");
  EXPECT_EQ(folder.kind(), adv::kSaveFolderBesideProgram);
  EXPECT_GT(folder.drive_type(), adv::kDriveNoRoot);
}

TEST_F(SaveFolderTest, TheOverrideFileWinsWhateverTheDriveAndAFolderOfThatNameDoesNot) {
  adv::SaveFolderSystem cd_rom = adv::SaveFolderSystem::Native();
  cd_rom.drive_type = [](const std::string&) { return adv::kDriveCdRom; };

  std::filesystem::create_directories(root_ / "config/Maker/Game.ini");
  EXPECT_EQ(adv::CSaveFolder(Params(), cd_rom).kind(), adv::kSaveFolderPerUser);

  std::filesystem::remove(root_ / "config/Maker/Game.ini");
  root_.Write("config/Maker/Game.ini", "[INSTALL]\r\nSaveFold=/srv/saves/game\r\n");
  const adv::CSaveFolder folder(Params(), cd_rom);
  EXPECT_EQ(folder.path(), "/srv/saves/game");
  EXPECT_EQ(folder.kind(), adv::kSaveFolderOverride);
  EXPECT_EQ(folder.drive_type(), adv::kDriveNotTested);

  // Without the key the save folder is empty, and start-up refuses it when it creates the folder.
  root_.Write("config/Maker/Game.ini", "[INSTALL]\r\nOther=1\r\n");
  EXPECT_EQ(adv::CSaveFolder(Params(), cd_rom).path(), "");
  EXPECT_TRUE(boxes_.empty());
}

TEST_F(SaveFolderTest, AProtectedOrReadOnlyProgramFolderSavesUnderTheDocuments) {
  adv::SaveFolderSystem system = adv::SaveFolderSystem::Native();
  system.protected_roots = {root_ / "games"};
  adv::CSaveFolder folder(Params(), system);
  EXPECT_EQ(folder.path(), PerUserPath());
  EXPECT_EQ(folder.kind(), adv::kSaveFolderPerUser);
  EXPECT_EQ(adv::CSaveFolder(Params(""), system).path(), root_ / "home/Docs/Maker/Product/save");

  // Whole path components: a root that is only a prefix of the program folder's name does not
  // protect it.
  system.protected_roots = {root_ / "games/Ga"};
  EXPECT_EQ(adv::CSaveFolder(Params(), system).kind(), adv::kSaveFolderBesideProgram);

  system = adv::SaveFolderSystem::Native();
  system.writable_folder = [](const std::string&) { return false; };
  EXPECT_EQ(adv::CSaveFolder(Params(), system).path(), PerUserPath());

  system = adv::SaveFolderSystem::Native();
  system.drive_type = [](const std::string&) { return adv::kDriveCdRom; };
  EXPECT_EQ(adv::CSaveFolder(Params(), system).path(), PerUserPath());

  // Without a known documents folder nothing changes.
  system.documents_folder = [] { return std::string(); };
  EXPECT_EQ(adv::CSaveFolder(Params(), system).path(), program_folder() + "/save");
}

// Names from "System.ini" are one folder each, so the saves (and the delete question that clears
// them) stay under the maker's folder in the documents; a "\\" that is the second byte of a
// double-byte character is part of the name.
TEST_F(SaveFolderTest, NamesFromTheSettingsCannotLeaveTheDocumentsFolder) {
  adv::SaveFolderSystem system = adv::SaveFolderSystem::Native();
  system.drive_type = [](const std::string&) { return adv::kDriveCdRom; };
  const struct {
    const char* maker;
    const char* sub;
    const char* product;
    const char* path;  // under the documents folder
  } cases[] = {
      {"Maker", "Sub", "../../../../tmp/x/product", "Maker/Sub/.._.._.._.._tmp_x_product/save"},
      {"Maker", "", "..", "Maker/__/save"},
      {"..", "..", ".", "__/__/_/save"},
      {"/etc", "a\\..\\b", "Product", "_etc/a_.._b/Product/save"},
      {"Maker", "", "\x83\x5C", "Maker/\x83\x5C/save"},
      {"Maker", "", "...", "Maker/.../save"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.product);
    const adv::CSaveFolder folder(
        adv::SaveFolderParams(program_folder(), c.maker, c.sub, "Game.exe", c.product), system);
    EXPECT_EQ(folder.path(), root_ / (std::string("home/Docs/") + c.path));
    EXPECT_EQ(folder.kind(), adv::kSaveFolderPerUser);
  }
  // The maker's folder of the override file is one folder too.
  root_.Write("config/_etc/Game.ini", "[INSTALL]\r\nSaveFold=/srv/saves/game\r\n");
  EXPECT_EQ(
      adv::CSaveFolder(adv::SaveFolderParams(program_folder(), "/etc", "", "Game.exe", "P"), system)
          .path(),
      "/srv/saves/game");
}

// Root may write anywhere, so as root the folder is resolved in a child that has become an
// ordinary user first: the operating system itself answers whether the folder is writable.
TEST_F(SaveFolderTest, AProgramFolderTheUserCannotWriteToIsProtected) {
  namespace fs = std::filesystem;
  // The ordinary user reaches the folders and the settings that name the documents folder.
  fs::permissions(root_.path(),
                  fs::perms::group_read | fs::perms::group_exec | fs::perms::others_read |
                      fs::perms::others_exec,
                  fs::perm_options::add);
  fs::permissions(program_folder(), fs::perms::owner_read | fs::perms::owner_exec |
                                        fs::perms::group_read | fs::perms::group_exec |
                                        fs::perms::others_read | fs::perms::others_exec);
  EXPECT_EXIT(
      {
        constexpr uid_t kNobody = 65534;
        if (geteuid() == 0 &&
            (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0)) {
          std::_Exit(2);
        }
        const adv::CSaveFolder beside(Params());
        std::_Exit(beside.path() == PerUserPath() ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
  fs::permissions(program_folder(), fs::perms::owner_all);
}

TEST_F(SaveFolderTest, SetupTellsThePlayerOnceBeforeAFolderIsMadeUnderTheDocuments) {
  adv::SaveFolderSystem system = adv::SaveFolderSystem::Native();
  system.protected_roots = {root_ / "games"};
  EXPECT_EQ(adv::SaveFolderSetup(Params(), system), PerUserPath());
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0].text, "セーブフォルダを " + PerUserPath() + " に作成します。");
  EXPECT_EQ(boxes_[0].caption, "システムフォルダからの起動");

  system.drive_type = [](const std::string&) { return adv::kDriveCdRom; };
  adv::SaveFolderSetup(Params(), system);
  ASSERT_EQ(boxes_.size(), 2u);
  EXPECT_EQ(boxes_[1].caption, "ディスクメディアドライブからの起動");

  std::filesystem::create_directories(PerUserPath());
  EXPECT_EQ(adv::SaveFolderSetup(Params(), system), PerUserPath());
  EXPECT_EQ(boxes_.size(), 2u);

  // The folder beside the program gets no box even when it does not exist yet.
  EXPECT_EQ(adv::SaveFolderSetup(Params()), program_folder() + "/save");
  EXPECT_EQ(boxes_.size(), 2u);
}

TEST_F(SaveFolderTest, ARelativeProgramFolderHasNoRootAndStaysBesideTheProgram) {
  adv::SaveFolderSystem system = adv::SaveFolderSystem::Native();
  system.writable_folder = [](const std::string&) { return false; };
  const adv::CSaveFolder folder(adv::SaveFolderParams("games/Game", "Maker", "", "Game", "Product"),
                                system);
  EXPECT_EQ(folder.drive_type(), adv::kDriveNoRoot);
  EXPECT_EQ(folder.path(), "games/Game/save");
}

}  // namespace
