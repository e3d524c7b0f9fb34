// The file layer: search order, archives beside folders, names on disk in any case, the file
// handle's reads and seeks, full paths and whole-file reads.
#include <gtest/gtest.h>

#include <cstring>

#include "YEL/core/system.h"
#include "YEL/files/files.h"
#include "tests/yel/file_test_support.h"

namespace {

using filetest::ReadGameFile;
using filetest::WriteFile;

class FileSearch : public filetest::BaseFolderTest {};

TEST_F(FileSearch, LastAddedFolderFirstAndTheBaseFolderLast) {
  WriteFile(base_ / "A" / "X.TXT", "from a");
  WriteFile(base_ / "B" / "X.TXT", "from b");
  WriteFile(base_ / "X.TXT", "from base");
  WriteFile(base_ / "Y.TXT", "only in base");
  ASSERT_EQ(YelSystemPathSet("A"), 1);
  ASSERT_EQ(YelSystemPathSet("B"), 1);
  EXPECT_EQ(ReadGameFile("X.TXT"), "from b");
  EXPECT_EQ(ReadGameFile("Y.TXT"), "only in base");

  ASSERT_EQ(YelSystemPathClear(), 1);
  EXPECT_EQ(ReadGameFile("X.TXT"), "from base");
  ASSERT_EQ(YelSystemPathSet("B"), 1);
  ASSERT_EQ(YelSystemPathSet("A"), 1);
  EXPECT_EQ(ReadGameFile("X.TXT"), "from a");
}

TEST_F(FileSearch, AFolderIsTriedBeforeTheArchiveOfTheSameName) {
  WriteFile(base_ / "src" / "x.txt", "packed x");
  WriteFile(base_ / "src" / "z.txt", "packed z");
  ASSERT_EQ(filetest::RunPacBuilder({(base_ / "src").string(), (base_ / "D.pac").string()}), 0);
  WriteFile(base_ / "D" / "X.TXT", "plain x");
  ASSERT_EQ(YelSystemPathSet("D"), 1);

  YelFileEntry entry{};
  EXPECT_EQ(ReadGameFile("X.TXT", &entry), "plain x");
  EXPECT_EQ(entry.start, 0u);
  EXPECT_EQ(ReadGameFile("Z.TXT", &entry), "packed z");
  EXPECT_GT(entry.start, 0u);
  EXPECT_EQ(entry.end, entry.start + entry.size);

  // Once the plain file is gone the archive answers (the folder listing is not stale).
  std::filesystem::remove(base_ / "D" / "X.TXT");
  EXPECT_EQ(ReadGameFile("X.TXT"), "packed x");
}

TEST_F(FileSearch, NamesMatchFilesOnDiskInAnyCaseByTheirFileNamePart) {
  WriteFile(base_ / "Data" / "Sys" / "abc.png", "image");
  WriteFile(base_ / "other" / "zzz.png", "not searched");
  ASSERT_EQ(YelSystemPathSet("DATA\\SYS"), 1);
  EXPECT_EQ(ReadGameFile("bg\\abc.png"), "image");
  EXPECT_EQ(ReadGameFile("ABC.PNG"), "image");

  YelFileEntry entry{1, 2, 3};
  EXPECT_EQ(YelFileCreate("other\\zzz.png", &entry), nullptr);
  EXPECT_EQ(entry.start + entry.end + entry.size, 0u);
  EXPECT_EQ(YelFileCreate("", &entry), nullptr);
  EXPECT_EQ(YelFileCreate(nullptr, &entry), nullptr);
}

TEST_F(FileSearch, AnAbsoluteNameIsLookedForOnlyInItsOwnFolderAndArchive) {
  WriteFile(base_ / "q" / "abc.png", "own folder");
  WriteFile(base_ / "S" / "X.TXT", "search folder");
  WriteFile(base_ / "src" / "z.txt", "packed z");
  ASSERT_EQ(filetest::RunPacBuilder({(base_ / "src").string(), (base_ / "q.pac").string()}), 0);
  ASSERT_EQ(YelSystemPathSet("S"), 1);

  const std::string folder = (base_ / "Q").string();
  EXPECT_EQ(ReadGameFile((folder + "/ABC.PNG").c_str()), "own folder");
  EXPECT_EQ(ReadGameFile((folder + "/Z.TXT").c_str()), "packed z");
  EXPECT_EQ(ReadGameFile((folder + "/X.TXT").c_str()), std::nullopt);
  // An absolute search folder is taken as it is.
  ASSERT_EQ(YelSystemPathSet(folder.c_str()), 1);
  EXPECT_EQ(ReadGameFile("abc.png"), "own folder");
}

TEST_F(FileSearch, ReadsStayInsideTheEntryAndBothSeeksCountAsDocumented) {
  WriteFile(base_ / "src" / "a.txt", "AAAA");
  WriteFile(base_ / "src" / "b.txt", "0123456789");
  WriteFile(base_ / "src" / "c.txt", "CCCC");
  ASSERT_EQ(filetest::RunPacBuilder({(base_ / "src").string(), (base_ / "P.pac").string()}), 0);
  ASSERT_EQ(YelSystemPathSet("P"), 1);
  YelFileEntry entry{};
  YelFile* file = YelFileCreate("B.TXT", &entry);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(YelFileGetSize(file), 10u);

  char buffer[64] = {};
  uint32_t got = 0;
  ASSERT_EQ(YelFileRead(file, buffer, sizeof buffer, &got), 1);
  EXPECT_EQ(std::string(buffer, got), "0123456789") << "the next entry's bytes are not read";
  ASSERT_EQ(YelFileRead(file, buffer, sizeof buffer, &got), 1);
  EXPECT_EQ(got, 0u);

  // The file pointer counts in archive offsets, like the entry record.
  ASSERT_EQ(
      YelFileSetFilePointer(file, static_cast<int32_t>(entry.start + 7), 0, 0, YEL_FILE_BEGIN), 1);
  ASSERT_EQ(YelFileRead(file, buffer, 2, &got), 1);
  EXPECT_EQ(std::string(buffer, got), "78");
  ASSERT_EQ(YelFileSetFilePointer(file, 0, 0, 0, YEL_FILE_BEGIN), 1);
  ASSERT_EQ(YelFileRead(file, buffer, sizeof buffer, &got), 1);
  EXPECT_EQ(got, 0u) << "the archive's index is not part of the entry";
  EXPECT_EQ(YelFileSetFilePointer(file, -1, -1, 0, YEL_FILE_BEGIN), 0);

  // YelFileSeek counts from the entry's start.
  EXPECT_EQ(YelFileSeek(file, -3, YEL_FILE_END), 7);
  EXPECT_EQ(YelFileSeek(file, 1, YEL_FILE_CURRENT), 8);
  ASSERT_EQ(YelFileRead(file, buffer, sizeof buffer, &got), 1);
  EXPECT_EQ(std::string(buffer, got), "89");
  EXPECT_EQ(YelFileSeek(file, -1, YEL_FILE_BEGIN), -1);
  EXPECT_EQ(YelFileSeek(file, 0, 7), -1);
  EXPECT_EQ(YelFileClose(file), 1);

  EXPECT_EQ(YelFileRead(nullptr, buffer, 1, &got), 0);
  EXPECT_EQ(YelFileSeek(nullptr, 0, YEL_FILE_BEGIN), -1);
  EXPECT_EQ(YelFileGetSize(nullptr), 0u);
  EXPECT_EQ(YelFileClose(nullptr), 0);
}

TEST_F(FileSearch, OnlyReadingExistingFilesIsAccepted) {
  WriteFile(base_ / "X.TXT", "x");
  YelFileEntry entry{};
  EXPECT_EQ(
      YelFileCreateEx("X.TXT", YEL_GENERIC_READ | 0x40000000u, 0, YEL_OPEN_EXISTING, 0, &entry),
      nullptr);
  EXPECT_EQ(YelFileCreateEx("X.TXT", YEL_GENERIC_READ, 0, 2, 0, &entry), nullptr);
  YelFile* file = YelFileCreateEx("X.TXT", YEL_GENERIC_READ, YEL_FILE_SHARE_READ, YEL_OPEN_EXISTING,
                                  YEL_FILE_FLAG_RANDOM_ACCESS, &entry);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(entry.size, 1u);
  YelFileClose(file);
}

TEST_F(FileSearch, FullPathNeedsRoomForItsTerminator) {
  WriteFile(base_ / "Data" / "abc.png", "image");
  ASSERT_EQ(YelSystemPathSet("DATA"), 1);
  const std::string expected = base_.string() + "/DATA/ABC.PNG";
  std::vector<char> buffer(expected.size() + 8, 'x');

  EXPECT_EQ(YelFileGetFullPath(buffer.data(), static_cast<uint32_t>(expected.size()), "abc.png"),
            0);
  EXPECT_EQ(buffer[0], 'x') << "a refused call leaves the buffer alone";
  ASSERT_EQ(
      YelFileGetFullPath(buffer.data(), static_cast<uint32_t>(expected.size() + 1), "bg\\abc.png"),
      1);
  EXPECT_STREQ(buffer.data(), expected.c_str());
  EXPECT_EQ(YelFileGetFullPath(buffer.data(), static_cast<uint32_t>(buffer.size()), "none.png"), 0);
  EXPECT_EQ(YelFileGetFullPath(nullptr, 100, "abc.png"), 0);
}

TEST(SearchFolderList, CallsWithoutAListAreRefusedAndNothingIsKept) {
  YelSystemPathUninit();
  const int32_t blocks = YelGetAllocCount();
  EXPECT_EQ(YelSystemPathSet("data"), 0);
  EXPECT_EQ(YelSystemPathClear(), 0);
  EXPECT_EQ(YelSystemPathUninit(), 0);
  EXPECT_EQ(YelGetAllocCount(), blocks);

  // A second start releases the first list with its folders.
  ASSERT_EQ(YelSystemPathInit(), 1);
  ASSERT_EQ(YelSystemPathSet("a"), 1);
  ASSERT_EQ(YelSystemPathInit(), 1);
  EXPECT_TRUE(yel::SearchFolders().empty());
  ASSERT_EQ(YelSystemPathSet("/abs"), 1);
  EXPECT_EQ(yel::SearchFolders(), std::vector<std::string>{"/abs"});
  ASSERT_EQ(YelSystemPathUninit(), 1);
  EXPECT_EQ(YelGetAllocCount(), blocks);
}

class WholeFileRead : public filetest::BaseFolderTest {};

TEST_F(WholeFileRead, IsBoundedByTheLimitAndByThePool) {
  WriteFile(base_ / "SIXTEEN.BIN", std::string(16, 'a'));
  WriteFile(base_ / "SEVENTEEN.BIN", std::string(17, 'b'));
  std::vector<uint8_t> data;
  EXPECT_TRUE(yel::ReadWholeFile("SIXTEEN.BIN", data, 16));
  EXPECT_EQ(data.size(), 16u);
  EXPECT_FALSE(yel::ReadWholeFile("SEVENTEEN.BIN", data, 16));
  EXPECT_TRUE(data.empty());
  EXPECT_FALSE(yel::ReadWholeFile("MISSING.BIN", data));

  // A record with a 16-byte pool stands in for the running system's.
  yel::YelSystem system;
  system.pool_size = 16;
  std::vector<uint8_t> pool(16);
  yel::SetSystem(&system);
  yel::Process().pool = pool.data();
  uint32_t size = 99;
  EXPECT_EQ(yel::ReadFileToPool("SIXTEEN.BIN", &size), pool.data());
  EXPECT_EQ(size, 16u);
  EXPECT_EQ(pool[15], 'a');
  EXPECT_EQ(yel::ReadFileToPool("SEVENTEEN.BIN", &size), nullptr);
  EXPECT_EQ(size, 0u);
  yel::Process().pool = nullptr;
  yel::SetSystem(nullptr);
}

}  // namespace
