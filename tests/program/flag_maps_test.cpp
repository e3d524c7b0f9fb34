#include <gtest/gtest.h>

#include "program/game/game_task.h"

namespace {

TEST(FileState, MarkingFollowsTheTwoBitRule) {
  // Entry 1 of byte 0 (bits 2 and 3) from each state: 0 -> 3, 1 stays 1, 2 -> 3, 3 stays 3.
  const struct {
    uint8_t before, after;
  } cases[] = {{0x00, 0x0C}, {0x04, 0x04}, {0x08, 0x0C}, {0x0C, 0x0C}};
  for (const auto& c : cases) {
    std::vector<uint8_t> map = {c.before};
    adv::FileStateSet(map, 1);
    EXPECT_EQ(map[0], c.after) << int{c.before};
  }
  std::vector<uint8_t> map = {0xFF, 0x00};
  adv::FileStateClear(map, 2);
  EXPECT_EQ(map[0], 0xCF);
  adv::FileStateSet(map, 8);  // beyond the map: ignored
  adv::FileStateClear(map, 100);
  EXPECT_EQ(map, (std::vector<uint8_t>{0xCF, 0x00}));
}

TEST(TextRead, BitsAndBounds) {
  std::vector<uint8_t> bitmap(2, 0);
  adv::TextReadFlagSet(bitmap, 9);
  EXPECT_TRUE(adv::TextReadFlagTest(bitmap, 9));
  EXPECT_FALSE(adv::TextReadFlagTest(bitmap, 8));
  EXPECT_EQ(bitmap[1], 0x02);
  adv::TextReadFlagSet(bitmap, 16);
  EXPECT_FALSE(adv::TextReadFlagTest(bitmap, 16));
}

}  // namespace
