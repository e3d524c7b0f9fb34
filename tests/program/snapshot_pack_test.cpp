// The word run-length code of the previous image and the 2 MiB bound of the snapshot writer.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "program/savedata/save_state.h"
#include "program/savedata/snapshot_image.h"
#include "program/savedata/snapshot_pack.h"

namespace {

std::vector<uint8_t> Words(const std::vector<uint32_t>& words) {
  std::vector<uint8_t> bytes(words.size() * 4);
  std::memcpy(bytes.data(), words.data(), bytes.size());
  return bytes;
}

std::vector<uint8_t> Pack(const std::vector<uint8_t>& image) {
  std::vector<uint8_t> out(adv::PackedBound(image.size()));
  out.resize(adv::PackWords(image.data(), image.size(), out.data(), out.size()));
  return out;
}

TEST(SnapshotPack, KnownVectors) {
  EXPECT_EQ(Pack({}), std::vector<uint8_t>{0x00});
  const std::vector<uint8_t> w = {0x78, 0x56, 0x34, 0x12};
  std::vector<uint8_t> expected = {0x03};
  expected.insert(expected.end(), w.begin(), w.end());
  expected.push_back(0xFF);
  expected.insert(expected.end(), w.begin(), w.end());
  expected.push_back(0x2B);
  EXPECT_EQ(Pack(Words(std::vector<uint32_t>(300, 0x12345678))), expected);
}

// Images of every shape come back whole: runs across group and flag-byte boundaries, a last
// partial word (padded with zeros), and no repeats at all, which is the largest packing.
TEST(SnapshotPack, RoundTrips) {
  std::mt19937 random(17);
  for (size_t length : {size_t{1}, size_t{7}, size_t{33}, size_t{4096}, size_t{100003}}) {
    for (int runs : {0, 1}) {
      std::vector<uint8_t> image(length);
      for (size_t i = 0; i < length; ++i) {
        image[i] = runs ? static_cast<uint8_t>((i / 1500) & 1 ? 0 : random() % 3)
                        : static_cast<uint8_t>(random());
      }
      const std::vector<uint8_t> packed = Pack(image);
      ASSERT_GT(packed.size(), 0u);
      std::vector<uint8_t> out((length + 3) / 4 * 4);
      size_t unpacked = 0;
      ASSERT_TRUE(
          adv::UnpackWords(packed.data(), packed.size(), out.data(), out.size(), &unpacked));
      ASSERT_EQ(unpacked, out.size());
      EXPECT_TRUE(std::equal(image.begin(), image.end(), out.begin())) << length;
    }
  }
}

// A 2 MiB image without repeats grows by a flag byte per 32 bytes: it still fits, and a buffer
// one byte short refuses it rather than being overrun.
TEST(SnapshotPack, IncompressibleImageFitsItsBufferOrIsRefused) {
  std::vector<uint32_t> words(adv::kSnapshotBufferSize / 4);
  for (size_t i = 0; i < words.size(); ++i) words[i] = static_cast<uint32_t>(i);
  const std::vector<uint8_t> image = Words(words);
  const size_t bound = adv::PackedBound(image.size());
  std::vector<uint8_t> out(bound + 16, 0xEE);
  const size_t packed = adv::PackWords(image.data(), image.size(), out.data(), bound);
  EXPECT_EQ(packed, image.size() + image.size() / 32);
  EXPECT_EQ(adv::PackWords(image.data(), image.size(), out.data(), packed - 1), 0u);
  EXPECT_EQ(out[bound], 0xEE);
}

// A cut packing is refused or gives a shorter image (which the caller compares with the length
// it recorded); a packing that would write past its output is refused.
TEST(SnapshotPack, DamagedPackingIsRefused) {
  const std::vector<uint8_t> packed = Pack(Words(std::vector<uint32_t>(300, 7)));
  std::vector<uint8_t> out(1200);
  size_t length = 0;
  for (size_t cut = 0; cut < packed.size(); ++cut) {
    if (adv::UnpackWords(packed.data(), cut, out.data(), out.size(), &length)) {
      EXPECT_LT(length, out.size()) << cut;
    }
  }
  EXPECT_FALSE(adv::UnpackWords(packed.data(), packed.size(), out.data(), 1196, &length));
  EXPECT_TRUE(adv::UnpackWords(packed.data(), packed.size(), out.data(), 1200, &length));
}

// A write that ends exactly at byte 2,097,152 is taken; one byte more is dropped and marks the
// image as incomplete.
TEST(SnapshotWriter, TakesWritesUpToTheBufferEnd) {
  std::vector<uint8_t> buffer(adv::kSnapshotBufferSize);
  adv::SnapshotWriter full(buffer.data(), adv::kSnapshotBufferSize, adv::kSnapshotBufferSize - 4);
  full.U32(0xA1B2C3D4);
  EXPECT_FALSE(full.overflow());
  EXPECT_EQ(full.cursor(), adv::kSnapshotBufferSize);
  EXPECT_EQ(buffer[adv::kSnapshotBufferSize - 4], 0xD4);  // little-endian

  adv::SnapshotWriter over(buffer.data(), adv::kSnapshotBufferSize, adv::kSnapshotBufferSize - 3);
  over.U32(1);
  EXPECT_TRUE(over.overflow());
  EXPECT_EQ(over.cursor(), adv::kSnapshotBufferSize - 3);
}

}  // namespace
