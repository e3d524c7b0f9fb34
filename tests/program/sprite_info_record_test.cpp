#include <gtest/gtest.h>

#include <cstring>

#include "program/data/sprite_info_record.h"

namespace {

TEST(SpriteInfoRecord, StoresEveryFieldInOrderAndReadsItBack) {
  YelSpriteInfo info{};
  info.visible = 1;
  info.colour = 0x80112233;
  info.x = 1.5f;
  info.priority = -7;
  info.layer = 0xABCD;
  std::strcpy(info.file_name, "BG01");
  info.texture_height = 1024;
  info.perspective = 1;
  adv::ByteWriter out;
  adv::WriteSpriteInfo(out, info);
  const std::string bytes = out.Take();
  ASSERT_EQ(bytes.size(), adv::kSpriteInfoSize);
  EXPECT_EQ(bytes.substr(0, 8), std::string("\x01\0\0\0\x33\x22\x11\x80", 8));
  EXPECT_EQ(bytes.substr(8, 4), std::string("\0\0\xC0\x3F", 4));  // 1.5f
  EXPECT_EQ(bytes.substr(84, 4), "BG01");
  EXPECT_EQ(bytes.substr(364, 4), std::string("\x01\0\0\0", 4));

  YelSpriteInfo back{};
  adv::ByteReader in(bytes);
  ASSERT_TRUE(adv::ReadSpriteInfo(in, back));
  EXPECT_EQ(std::memcmp(&back, &info, sizeof info), 0);
  adv::ByteReader short_in(std::string_view(bytes).substr(1));
  EXPECT_FALSE(adv::ReadSpriteInfo(short_in, back));
}

}  // namespace
