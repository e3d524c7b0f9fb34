// "graphic.dat", the image index: per-image settings that the game's tools write beside the
// images. A 16-byte header ("$" in byte 0 when the rest is scrambled), a table of 255 buckets of
// 8 bytes (u16 record count, u16 reserved, u32 offset of the bucket's first record in the record
// area), then the 132-byte records, each bucket's records together. The bucket of a name is its
// first byte; a name beginning with 0xFF has none.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace adv {

inline constexpr size_t kGraphicDatHeaderSize = 16;
inline constexpr size_t kGraphicDatBucketCount = 255;
inline constexpr size_t kGraphicDatBucketSize = 8;
inline constexpr size_t kGraphicDatRecordArea =
    kGraphicDatHeaderSize + kGraphicDatBucketCount * kGraphicDatBucketSize;  // 2,056
inline constexpr size_t kGraphicDatRecordSize = 132;
inline constexpr size_t kGraphicDatNameSize = 32;

// Attribute flags the engine reads.
enum GraphicDatFlag : uint32_t {
  kGraphicBlendMode = 0x2000,
  kGraphicAnimation = 0x4000,
  kGraphicCentreOffset = 0x8000 | 0x10000,
  kGraphicPosition = 0x20000 | 0x40000,
  kGraphicColour = 0x80000,
  kGraphicScale = 0x100000,
};

// One record, field by field (the file is little-endian).
struct GraphicDatRecord {
  std::array<char, kGraphicDatNameSize> name{};       // the lookup key, zero-padded
  uint32_t flags = 0;                                 // 0: the record carries no attribute
  std::array<char, kGraphicDatNameSize> file_name{};  // loaded in place of the image name
  std::array<char, kGraphicDatNameSize> animation{};  // ".ani" name without extension
  int32_t priority_step = 0;  // layer commands add 134 x this to the draw priority
  int32_t blend_mode = 0;     // blend mode minus 1
  int32_t x = 0, y = 0;
  int32_t scale_percent = 0;
  uint32_t colour = 0;  // ARGB
  int32_t centre_x = 0, centre_y = 0;
};

// The index read from the file's bytes. Every bucket is checked against the file when it is
// read, so a lookup never reads outside it.
class GraphicDatIndex {
 public:
  // Takes the whole file. False, with the reason in `error`, when the file is shorter than its
  // tables or a bucket reaches past the records; the index is then empty.
  bool Load(std::vector<uint8_t> bytes, std::string* error);
  void Clear();
  bool loaded() const { return loaded_; }

  // The record whose 32 name bytes equal the key's (zero-padded); false when absent (and the
  // record is zeroed).
  bool Find(std::string_view name, GraphicDatRecord* out) const;

 private:
  struct Bucket {
    uint32_t count = 0;
    uint32_t offset = 0;
  };
  std::vector<uint8_t> bytes_;
  std::array<Bucket, kGraphicDatBucketCount> buckets_{};
  bool loaded_ = false;
};

// Reads one record from 132 bytes.
GraphicDatRecord ReadGraphicDatRecord(const uint8_t* bytes);

// The file for a set of records (bucketed by their first name byte, in the order given within a
// bucket), scrambled after the header when `scramble` is set. False with the reason in `error`
// when a name is empty, too long or begins with 0xFF, or a bucket holds more than 65,535
// records.
bool BuildGraphicDat(const std::vector<GraphicDatRecord>& records, bool scramble,
                     std::vector<uint8_t>* out, std::string* error);

}  // namespace adv
