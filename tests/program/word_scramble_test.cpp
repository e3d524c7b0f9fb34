#include "program/data/word_scramble.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

std::vector<uint8_t> Pattern(size_t length) {
  std::vector<uint8_t> bytes(length);
  for (size_t i = 0; i < length; ++i) bytes[i] = static_cast<uint8_t>(i * 37 + 11);
  return bytes;
}

TEST(WordScramble, ScrambleThenDescrambleIsTheIdentityForEveryLength) {
  for (size_t length = 0; length <= 45; ++length) {
    const std::vector<uint8_t> original = Pattern(length);
    std::vector<uint8_t> bytes = original;
    adv::DataScramble(bytes.data(), bytes.size());
    adv::DataDescramble(bytes.data(), bytes.size());
    EXPECT_EQ(bytes, original) << "length " << length;
  }
}

TEST(WordScramble, OnlyWholeWordsChange) {
  const std::vector<uint8_t> original = Pattern(7);
  std::vector<uint8_t> bytes = original;
  adv::DataScramble(bytes.data(), bytes.size());
  EXPECT_FALSE(std::equal(bytes.begin(), bytes.begin() + 4, original.begin()));
  EXPECT_TRUE(std::equal(bytes.begin() + 4, bytes.end(), original.begin() + 4));
  std::vector<uint8_t> short_buffer = Pattern(3);
  adv::DataScramble(short_buffer.data(), short_buffer.size());
  EXPECT_EQ(short_buffer, Pattern(3));
}

TEST(WordScramble, RotationRepeatsEveryEightWordsAndWordFourIsOnlyKeyed) {
  std::vector<uint8_t> bytes(40, 0x81);
  adv::DataScramble(bytes.data(), bytes.size());
  for (int i = 0; i < 4; ++i) EXPECT_EQ(bytes[i], bytes[32 + i]) << "word 0 and word 8";
  const uint32_t key = adv::kScrambleKeyA ^ adv::kScrambleKeyB;
  EXPECT_EQ(bytes[16], static_cast<uint8_t>(0x81 ^ (key & 0xFF))) << "word 4 is not rotated";
  EXPECT_NE(bytes[0], static_cast<uint8_t>(0x81 ^ (key & 0xFF))) << "word 0 is rotated";
}

}  // namespace
