#include "program/savedata/access_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "program/data/word_scramble.h"
#include "tests/program/temp_folder.h"

namespace {

const std::string kFullName(32, 'N');  // fills the name field: no zero after it

std::vector<std::string> Names(const adv::AccessList& list) {
  std::vector<std::string> names;
  for (const adv::AccessRecord& record : list.records) names.emplace_back(record.Name());
  return names;
}

std::string Descrambled(std::string bytes) {
  adv::DataDescramble(reinterpret_cast<uint8_t*>(bytes.data()), bytes.size());
  return bytes;
}

TEST(AccessFile, RecordsAre33BytesScrambledAsAWhole) {
  adv::AccessList list;
  list.created = true;
  ASSERT_TRUE(adv::AccessListAdd(list, "BG01.PNG", 3));
  ASSERT_TRUE(adv::AccessListAdd(list, kFullName, 1));
  EXPECT_FALSE(adv::AccessListAdd(list, kFullName + "X", 1));
  const std::string bytes = adv::SerializeAccessList(list);
  ASSERT_EQ(bytes.size(), 66u);
  EXPECT_EQ(Descrambled(bytes), kFullName + "\x01" + "BG01.PNG" + std::string(24, '\0') + "\x03");
  EXPECT_NE(bytes.substr(0, 4), kFullName.substr(0, 4));
}

TEST(AccessFile, TheOrderSurvivesSaveAndLoadAndUnterminatedNamesStayInTheirField) {
  test::TempFolder save;
  adv::SaveFolderFile file(save.path(), "access.dat", adv::kAccessFileLimit);
  adv::AccessList list;
  ASSERT_TRUE(adv::AccessLoad(file, list));  // no file yet: an empty list
  adv::AccessListAdd(list, "A", 3);
  adv::AccessListAdd(list, kFullName, 3);
  adv::AccessListAdd(list, "C", 0);
  ASSERT_TRUE(adv::AccessSave(file, list));
  const std::string first = save.Read("access.dat");
  for (int run = 0; run < 2; ++run) {
    adv::AccessList next;
    ASSERT_TRUE(adv::AccessLoad(file, next));
    EXPECT_EQ(Names(next), (std::vector<std::string>{"C", kFullName, "A"}));
    ASSERT_TRUE(adv::AccessSave(file, next));
    EXPECT_EQ(save.Read("access.dat"), first);
  }
  adv::AccessRecord* full = adv::AccessListFind(list, kFullName);
  ASSERT_NE(full, nullptr);
  EXPECT_EQ(full->Name().size(), 32u);
  EXPECT_EQ(adv::AccessListFind(list, kFullName + "X"), nullptr);
  EXPECT_EQ(adv::AccessListFind(list, kFullName.substr(0, 31)), nullptr);
}

TEST(AccessFile, TheNewestOfTwoEqualNamesIsFoundFirst) {
  adv::AccessList list;
  adv::AccessListAdd(list, "X", 1);
  adv::AccessListAdd(list, "X", 2);
  ASSERT_NE(adv::AccessListFind(list, "X"), nullptr);
  EXPECT_EQ(adv::AccessListFind(list, "X")->state, 2);
  adv::AccessListFind(list, "X")->state = 0;  // the access commands clear it in place
  EXPECT_EQ(list.records.front().state, 0);
}

TEST(AccessFile, APartialRecordAtTheEndIsIgnored) {
  std::string image = "ONE.PNG" + std::string(25, '\0') + "\x03" + "Z";
  adv::DataScramble(reinterpret_cast<uint8_t*>(image.data()), image.size());
  adv::AccessList list;
  adv::ParseAccessList(image, list);
  ASSERT_EQ(list.records.size(), 1u);
  EXPECT_EQ(list.records[0].Name(), "ONE.PNG");
  EXPECT_EQ(list.records[0].state, 3);
}

TEST(AccessFile, ANeverLoadedOrUnreadableListIsNotWrittenOverThePlayersFile) {
  test::TempFolder save;
  adv::SaveFolderFile file(save.path(), "access.dat", adv::kAccessFileLimit);
  adv::AccessList never_loaded;
  EXPECT_FALSE(adv::AccessSave(file, never_loaded));
  EXPECT_FALSE(save.Exists("access.dat"));

  adv::AccessList empty;
  ASSERT_TRUE(adv::AccessLoad(file, empty));
  ASSERT_TRUE(adv::AccessSave(file, empty));
  EXPECT_EQ(save.Read("access.dat"), "");

  std::filesystem::remove(save / "access.dat");
  std::filesystem::create_symlink("access.dat", save / "access.dat");  // opens with ELOOP
  adv::SaveFolderFile unreadable(save.path(), "access.dat", adv::kAccessFileLimit);
  adv::AccessList list;
  EXPECT_FALSE(adv::AccessLoad(unreadable, list));
  EXPECT_TRUE(list.records.empty());
  adv::AccessListAdd(list, "NEW", 3);
  EXPECT_FALSE(adv::AccessSave(unreadable, list));
  EXPECT_TRUE(std::filesystem::is_symlink(save / "access.dat"));

  adv::AccessListRelease(list);
  EXPECT_TRUE(list.records.empty());
  EXPECT_FALSE(list.created);
}

}  // namespace
