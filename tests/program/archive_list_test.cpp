#include "program/data/archive_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "os/message_box.h"
#include "tests/program/temp_folder.h"

namespace {

// Records what MountArchives asks of the file layer, in order: "mount NAME" and "read NAME".
class ArchiveListTest : public ::testing::Test {
 protected:
  ArchiveListTest() {
    os::SetMessageBoxHook(
        [this](const std::string& text, const std::string& caption, os::BoxButtons) {
          calls_.push_back("box " + caption + ": " + text);
          return os::BoxAnswer::kOk;
        });
  }
  ~ArchiveListTest() override { os::SetMessageBoxHook(nullptr); }

  std::vector<std::string> Mount(int row, adv::MountErrors errors = adv::MountErrors::kShowBox) {
    calls_.clear();
    const adv::GameFileRead files = test::FolderReader(base_.path());
    const adv::GameFileRead read = [&](const std::string& name, uint64_t offset, size_t length) {
      if (!name.ends_with("archive.dat")) {
        calls_.push_back("read " + name + " " + std::to_string(length));
      }
      return files(name, offset, length);
    };
    const bool ok = adv::MountArchives(
        row, base_.path(), read,
        [&](const std::string& name) {
          calls_.push_back("mount " + name);
          return true;
        },
        errors);
    calls_.push_back(ok ? "ok" : "failed");
    return calls_;
  }

  test::TempFolder base_;
  std::vector<std::string> calls_;
};

TEST_F(ArchiveListTest, EachRowMountsItsArchivesInOrderAfterTheDataFolder) {
  base_.Write("data/archive.dat", "a|b,c");
  EXPECT_EQ(Mount(0), (std::vector<std::string>{"mount data", "mount a", "read a.pac 4", "mount b",
                                                "read b.pac 4", "ok"}));
  EXPECT_EQ(Mount(1), (std::vector<std::string>{"mount data", "mount c", "read c.pac 4", "ok"}));
  EXPECT_EQ(Mount(2),
            (std::vector<std::string>{"mount data", "box error: ArchiveData Read Fail", "failed"}));
  EXPECT_EQ(Mount(-1),
            (std::vector<std::string>{"mount data", "box error: ArchiveData Read Fail", "failed"}));
}

TEST_F(ArchiveListTest, BlanksAndLineBreaksInsideAFieldAreRemovedAndEmptyNamesSkipped) {
  base_.Write("data/archive.dat", " ar\r\n ch || x y ,\r\nsecond\r\n");
  EXPECT_EQ(Mount(0), (std::vector<std::string>{"mount data", "mount arch", "read arch.pac 4",
                                                "mount xy", "read xy.pac 4", "ok"}));
  EXPECT_EQ(Mount(1),
            (std::vector<std::string>{"mount data", "mount second", "read second.pac 4", "ok"}));
}

TEST_F(ArchiveListTest, FieldsCountCommasOutsideDoubleByteCharacters) {
  base_.Write("data/archive.dat", "\x82,a,b");
  EXPECT_EQ(Mount(1), (std::vector<std::string>{"mount data", "mount b", "read b.pac 4", "ok"}));
}

TEST_F(ArchiveListTest, TheCsvFolderStandsInForDataAndNeitherIsAFailure) {
  EXPECT_EQ(Mount(0),
            (std::vector<std::string>{"mount data", "box error: ArchiveData Fail", "failed"}));
  base_.Write("csv/archive.dat", "z");
  EXPECT_EQ(Mount(0), (std::vector<std::string>{"mount data", "mount z", "read z.pac 4", "ok"}));
}

TEST_F(ArchiveListTest, AQuietMountFailsWithoutABox) {
  EXPECT_EQ(Mount(0, adv::MountErrors::kQuiet), (std::vector<std::string>{"mount data", "failed"}));
  base_.Write("data/archive.dat", "a");
  EXPECT_EQ(Mount(1, adv::MountErrors::kQuiet), (std::vector<std::string>{"mount data", "failed"}));
}

}  // namespace
