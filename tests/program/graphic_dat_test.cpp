// "graphic.dat": records found by their padded name, scrambled files, and files whose tables do
// not fit the file refused with the reason.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "program/data/graphic_dat.h"
#include "tools/graphic_dat_builder/graphic_table.h"

namespace {

using adv::GraphicDatIndex;
using adv::GraphicDatRecord;

GraphicDatRecord Record(const char* name, int32_t step) {
  GraphicDatRecord r;
  std::strncpy(r.name.data(), name, r.name.size());
  std::strncpy(r.file_name.data(), "OTHER", r.file_name.size());
  r.flags = adv::kGraphicColour;
  r.priority_step = step;
  r.colour = 0x80FF0000;
  r.scale_percent = 150;
  r.centre_y = -7;
  return r;
}

std::vector<uint8_t> Build(const std::vector<GraphicDatRecord>& records, bool scramble) {
  std::vector<uint8_t> file;
  std::string error;
  EXPECT_TRUE(adv::BuildGraphicDat(records, scramble, &file, &error)) << error;
  return file;
}

TEST(GraphicDat, FindsRecordsByTheirPaddedNameInPlainAndScrambledFiles) {
  for (bool scramble : {false, true}) {
    GraphicDatIndex index;
    std::string error;
    ASSERT_TRUE(index.Load(
        Build({Record("BG01", 1), Record("BG02", 2), Record("CH01", -1)}, scramble), &error))
        << error;
    GraphicDatRecord found;
    ASSERT_TRUE(index.Find("BG02", &found));
    EXPECT_EQ(found.priority_step, 2);
    EXPECT_EQ(found.colour, 0x80FF0000u);
    EXPECT_EQ(found.scale_percent, 150);
    EXPECT_EQ(found.centre_y, -7);
    EXPECT_STREQ(found.file_name.data(), "OTHER");
    ASSERT_TRUE(index.Find("CH01", &found));
    EXPECT_EQ(found.priority_step, -1);
    EXPECT_FALSE(index.Find("BG0", &found));
    EXPECT_EQ(found.flags, 0u);  // zeroed when absent
    EXPECT_FALSE(index.Find("BG02X", &found));
    EXPECT_FALSE(
        index.Find("\xFF"
                   "BG",
                   &found));
  }
}

TEST(GraphicDat, NamesDifferingAfterTheirZeroDoNotMatch) {
  GraphicDatRecord r = Record("AB", 0);
  r.name[5] = 'Z';  // bytes after the terminating zero
  GraphicDatIndex index;
  ASSERT_TRUE(index.Load(Build({r}, false), nullptr));
  EXPECT_FALSE(index.Find("AB", nullptr));
}

struct DamagedCase {
  const char* what;
  size_t cut;      // bytes dropped from the end
  uint16_t count;  // written into bucket 'B' when not 0
  uint32_t offset;
  const char* reason;  // part of the error text
};

TEST(GraphicDat, RefusesTablesThatReachPastTheFile) {
  const DamagedCase cases[] = {
      {"shorter than the bucket table", 2000, 0, 0, "shorter than its header"},
      {"last record cut", 1, 0, 0, "reaches past"},
      {"count too large", 0, 3, 0, "bucket 66 (3 records at 0)"},
      {"offset beyond the records", 0, 1, 132 * 2, "reaches past the 264 bytes"},
      {"offset wraps 32 bits", 0, 1, 0xFFFFFFF0u, "reaches past"},
  };
  for (const DamagedCase& c : cases) {
    std::vector<uint8_t> file = Build({Record("BG01", 0), Record("BG02", 0)}, false);
    if (c.count) {
      uint8_t* entry = &file[adv::kGraphicDatHeaderSize + 'B' * adv::kGraphicDatBucketSize];
      entry[0] = static_cast<uint8_t>(c.count);
      entry[1] = 0;
      std::memcpy(entry + 4, &c.offset, 4);
    }
    file.resize(file.size() - c.cut);
    GraphicDatIndex index;
    std::string error;
    EXPECT_FALSE(index.Load(file, &error)) << c.what;
    EXPECT_NE(error.find(c.reason), std::string::npos) << c.what << ": " << error;
    EXPECT_FALSE(index.loaded());
    EXPECT_FALSE(index.Find("BG01", nullptr)) << c.what;
  }
}

TEST(GraphicDat, BuilderRefusesNamesWithoutABucket) {
  std::vector<uint8_t> file;
  std::string error;
  EXPECT_FALSE(adv::BuildGraphicDat({Record("\xFF"
                                            "A",
                                            0)},
                                    false, &file, &error));
  EXPECT_FALSE(adv::BuildGraphicDat({Record("", 0)}, false, &file, &error));
}

}  // namespace

namespace {

// The text table of gdatbuild: attributes set their flags, bad lines name their line.
TEST(GraphicTable, ReadsRecordsAndRefusesBadLines) {
  std::vector<adv::GraphicDatRecord> records;
  std::string error;
  ASSERT_TRUE(
      tools::ParseGraphicTable("# images\n"
                               "bg01 - 0\n"
                               "chara01\tchara01_b -2 colour=80FF0000 scale=120 pos=3,-4 "
                               "centre=5,6 blend=2 anim=blink # comment\n",
                               &records, &error))
      << error;
  ASSERT_EQ(records.size(), 2u);
  EXPECT_STREQ(records[0].name.data(), "BG01");
  EXPECT_STREQ(records[0].file_name.data(), "BG01");
  EXPECT_EQ(records[0].flags, 0u);
  const adv::GraphicDatRecord& r = records[1];
  EXPECT_STREQ(r.file_name.data(), "CHARA01_B");
  EXPECT_EQ(r.priority_step, -2);
  EXPECT_EQ(r.colour, 0x80FF0000u);
  EXPECT_EQ(r.scale_percent, 120);
  EXPECT_EQ(r.x, 3);
  EXPECT_EQ(r.y, -4);
  EXPECT_EQ(r.blend_mode, 1);
  EXPECT_STREQ(r.animation.data(), "BLINK");
  EXPECT_EQ(r.flags, 0x2000u | 0x4000u | 0x8000u | 0x20000u | 0x80000u | 0x100000u);

  const char* bad[][2] = {
      {"bg01 -\n", "line 1: needs NAME FILE STEP"},
      {"bg01 - x\n", "line 1: step 'x'"},
      {"\nbg01 - 0 size=3\n", "line 2: unknown attribute 'size'"},
      {"bg01 - 0 colour=FF\n", "line 1: bad value"},
      {"bg01 - 0\nBG01 - 1\n", "line 2: 'BG01' is listed twice"},
      {"abcdefghijabcdefghijabcdefghijab - 0\n", "longer than 31 bytes"},
  };
  for (const auto& [text, reason] : bad) {
    records.clear();
    EXPECT_FALSE(tools::ParseGraphicTable(text, &records, &error)) << text;
    EXPECT_NE(error.find(reason), std::string::npos) << error;
  }
}

}  // namespace
