// Engine names on a case-sensitive disk: conversion, matching without regard to case, cached
// folder listings that follow changes, and reads at offsets.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "os/file_system.h"

namespace {

namespace fs = std::filesystem;

class FileSystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() /
            ("os_fs_" + std::to_string(getpid()) + "_" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    fs::create_directories(root_);
  }
  void TearDown() override { fs::remove_all(root_); }
  void Write(const fs::path& relative, const std::string& content) {
    fs::create_directories((root_ / relative).parent_path());
    std::ofstream(root_ / relative, std::ios::binary) << content;
  }
  std::string Find(const std::string& relative) {
    return os::FindPathNoCase(root_.string() + "/" + relative);
  }
  fs::path root_;
};

TEST(DiskPath, ConvertsCp932AndSeparators) {
  EXPECT_EQ(os::DiskPath("DATA\\SYS\\ABC.PNG"), "DATA/SYS/ABC.PNG");
  // The second byte of "表" is 0x5C and stays part of the character.
  EXPECT_EQ(os::DiskPath("BG\\\x95\x5c.PNG"), "BG/表.PNG");
}

TEST_F(FileSystemTest, EachComponentMatchesWithoutRegardToCase) {
  Write("Data/Sys/abc.png", "x");
  Write("Data/Sys/表.png", "y");
  const std::string expected = (root_ / "Data/Sys/abc.png").string();
  EXPECT_EQ(Find("DATA/SYS/ABC.PNG"), expected);
  EXPECT_EQ(Find("data/sys/abc.png"), expected);
  EXPECT_EQ(Find("DATA/./SYS/../SYS/ABC.PNG"), (root_ / "Data/./Sys/../Sys/abc.png").string());
  EXPECT_EQ(Find("DATA/SYS/表.PNG"), (root_ / "Data/Sys/表.png").string());
  EXPECT_EQ(Find("DATA/SYS/NONE.PNG"), "");
  EXPECT_EQ(Find("DATA/NONE/ABC.PNG"), "");
  EXPECT_EQ(Find("DATA/SYS/ABC.PNG/X"), "");
}

TEST_F(FileSystemTest, AnExactNameWinsOverOtherCases) {
  Write("dir/Name.txt", "mixed");
  Write("dir/name.txt", "lower");
  EXPECT_EQ(Find("dir/name.txt"), (root_ / "dir/name.txt").string());
  EXPECT_EQ(Find("dir/NAME.TXT"), (root_ / "dir/Name.txt").string()) << "lowest in byte order";
}

TEST_F(FileSystemTest, CachedListingsFollowTheFolder) {
  Write("dir/old.txt", "x");
  EXPECT_NE(Find("DIR/OLD.TXT"), "");
  EXPECT_EQ(Find("DIR/NEW.TXT"), "");
  Write("dir/new.txt", "y");
  EXPECT_EQ(Find("DIR/NEW.TXT"), (root_ / "dir/new.txt").string());
  fs::remove(root_ / "dir/old.txt");
  EXPECT_EQ(Find("DIR/OLD.TXT"), "");
  fs::rename(root_ / "dir", root_ / "Moved");
  EXPECT_EQ(Find("MOVED/NEW.TXT"), (root_ / "Moved/new.txt").string());
}

TEST_F(FileSystemTest, ReadsAtOffsetsStopAtTheEnd) {
  Write("file.bin", "0123456789");
  auto file = os::ReadOnlyFile::Open((root_ / "file.bin").string());
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->Size(), 10u);
  char buffer[16] = {};
  EXPECT_EQ(file->ReadAt(7, buffer, sizeof buffer), 3);
  EXPECT_EQ(std::string(buffer, 3), "789");
  EXPECT_EQ(file->ReadAt(10, buffer, 4), 0);
  EXPECT_TRUE(file->ReadExactAt(2, buffer, 4));
  EXPECT_FALSE(file->ReadExactAt(8, buffer, 4));
  EXPECT_EQ(file->ReadAt(UINT64_MAX - 2, buffer, 4), -1);
  EXPECT_EQ(os::ReadOnlyFile::Open(root_.string()), nullptr) << "a folder is not a file";
  EXPECT_EQ(os::ReadOnlyFile::Open((root_ / "missing").string()), nullptr);
}

}  // namespace
