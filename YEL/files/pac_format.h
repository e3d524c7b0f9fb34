// The ".pac" archive, shared by the library's reader and the archive builder in tools/, so that
// the two agree on every byte.
//
//   offset 0      12 bytes   header (the reader does not look at it)
//   offset 12     255 x 8    buckets: index of the bucket's first entry, number of entries;
//                            bucket b holds the names whose first byte is b
//   offset 2052   n x 40     entries: 32-byte name, size, offset of the data in the archive
//   anywhere      data
//
// All numbers are unsigned 32-bit little-endian words. Within a bucket the entries are sorted by
// their 32 name bytes compared as unsigned bytes.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "os/byte_order.h"

namespace yel::pac {

inline constexpr uint32_t kHeaderSize = 12;
inline constexpr uint32_t kBucketCount = 255;
inline constexpr uint32_t kBucketSize = 8;
inline constexpr uint32_t kBucketTableOffset = kHeaderSize;
inline constexpr uint32_t kEntryTableOffset = kBucketTableOffset + kBucketCount * kBucketSize;
inline constexpr uint32_t kNameSize = 32;
inline constexpr uint32_t kEntrySize = kNameSize + 8;
static_assert(kEntryTableOffset == 2052, "the entry table follows 255 buckets of 8 bytes");
static_assert(kEntrySize == 40, "an entry is a 32-byte name and two words");

// What the builder puts in the header: this magic, the number of entries and the offset of the
// first data byte. Archives from elsewhere may hold anything there.
inline constexpr char kMagic[4] = {'P', 'A', 'C', 'K'};

using EntryName = std::array<uint8_t, kNameSize>;

struct Bucket {
  uint32_t first = 0;
  uint32_t count = 0;
};

struct Entry {
  EntryName name{};
  uint32_t size = 0;
  uint32_t offset = 0;
};

using os::LoadLe32;
using os::StoreLe32;

inline Bucket DecodeBucket(const uint8_t* bytes) {
  return {LoadLe32(bytes), LoadLe32(bytes + 4)};
}

inline void EncodeBucket(const Bucket& bucket, uint8_t* bytes) {
  StoreLe32(bytes, bucket.first);
  StoreLe32(bytes + 4, bucket.count);
}

inline Entry DecodeEntry(const uint8_t* bytes) {
  Entry entry;
  std::memcpy(entry.name.data(), bytes, kNameSize);
  entry.size = LoadLe32(bytes + kNameSize);
  entry.offset = LoadLe32(bytes + kNameSize + 4);
  return entry;
}

inline void EncodeEntry(const Entry& entry, uint8_t* bytes) {
  std::memcpy(bytes, entry.name.data(), kNameSize);
  StoreLe32(bytes + kNameSize, entry.size);
  StoreLe32(bytes + kNameSize + 4, entry.offset);
}

inline uint64_t BucketPosition(uint32_t bucket) {
  return kBucketTableOffset + uint64_t{kBucketSize} * bucket;
}

inline uint64_t EntryPosition(uint64_t index) {
  return kEntryTableOffset + kEntrySize * index;
}

// Upper-cases the ASCII letters of a file name as the engine does for every name it looks up:
// a byte of 0x80 or above keeps itself and the byte after it, which may look like a letter but
// is the second half of a double-byte character. A high byte at the very end stands alone.
inline std::string UpperCaseName(std::string_view name) {
  std::string out(name);
  for (size_t i = 0; i < out.size(); ++i) {
    const auto byte = static_cast<uint8_t>(out[i]);
    if (byte >= 0x80) {
      ++i;
    } else if (byte >= 'a' && byte <= 'z') {
      out[i] = static_cast<char>(byte - 'a' + 'A');
    }
  }
  return out;
}

// The stored form of an upper-cased name: zero-padded to 32 bytes, or cut after 32 bytes, so a
// longer name matches by its first 32 bytes.
inline EntryName MakeEntryName(std::string_view upper_name) {
  EntryName name{};
  std::memcpy(name.data(), upper_name.data(), std::min<size_t>(upper_name.size(), kNameSize));
  return name;
}

// The bucket a lookup searches, or -1: a name whose first byte is 0x80 or above is never looked
// for in archives.
inline int SearchBucket(const EntryName& name) {
  return name[0] >= 0x80 ? -1 : name[0];
}

// The order of entries within a bucket.
inline int CompareNames(const EntryName& a, const EntryName& b) {
  return std::memcmp(a.data(), b.data(), kNameSize);
}

}  // namespace yel::pac
