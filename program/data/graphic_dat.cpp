#include "program/data/graphic_dat.h"

#include <algorithm>
#include <cstring>
#include <map>

#include "program/data/word_scramble.h"

namespace adv {
namespace {

uint32_t Le16(const uint8_t* b) {
  return static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8;
}

uint32_t Le32(const uint8_t* b) {
  return Le16(b) | Le16(b + 2) << 16;
}

void Put16(std::vector<uint8_t>& out, size_t at, uint32_t value) {
  out[at] = static_cast<uint8_t>(value);
  out[at + 1] = static_cast<uint8_t>(value >> 8);
}

void Put32(std::vector<uint8_t>& out, size_t at, uint32_t value) {
  Put16(out, at, value & 0xFFFF);
  Put16(out, at + 2, value >> 16);
}

std::array<char, kGraphicDatNameSize> PaddedName(std::string_view name) {
  std::array<char, kGraphicDatNameSize> key{};
  std::memcpy(key.data(), name.data(), std::min(name.size(), key.size()));
  return key;
}

void WriteRecord(const GraphicDatRecord& r, std::vector<uint8_t>& out, size_t at) {
  std::memcpy(&out[at], r.name.data(), kGraphicDatNameSize);
  Put32(out, at + 32, r.flags);
  std::memcpy(&out[at + 36], r.file_name.data(), kGraphicDatNameSize);
  std::memcpy(&out[at + 68], r.animation.data(), kGraphicDatNameSize);
  const int32_t words[] = {
      r.priority_step, r.blend_mode, r.x, r.y, r.scale_percent, static_cast<int32_t>(r.colour),
      r.centre_x,      r.centre_y};
  for (size_t i = 0; i < std::size(words); ++i) {
    Put32(out, at + 100 + 4 * i, static_cast<uint32_t>(words[i]));
  }
}

}  // namespace

GraphicDatRecord ReadGraphicDatRecord(const uint8_t* b) {
  GraphicDatRecord r;
  std::memcpy(r.name.data(), b, kGraphicDatNameSize);
  r.flags = Le32(b + 32);
  std::memcpy(r.file_name.data(), b + 36, kGraphicDatNameSize);
  std::memcpy(r.animation.data(), b + 68, kGraphicDatNameSize);
  int32_t* const fields[] = {&r.priority_step, &r.blend_mode, &r.x,        &r.y,
                             &r.scale_percent, nullptr,       &r.centre_x, &r.centre_y};
  for (size_t i = 0; i < std::size(fields); ++i) {
    const uint32_t word = Le32(b + 100 + 4 * i);
    if (fields[i]) *fields[i] = static_cast<int32_t>(word);
  }
  r.colour = Le32(b + 120);
  return r;
}

void GraphicDatIndex::Clear() {
  bytes_.clear();
  buckets_ = {};
  loaded_ = false;
}

bool GraphicDatIndex::Load(std::vector<uint8_t> bytes, std::string* error) {
  Clear();
  if (bytes.size() < kGraphicDatRecordArea) {
    if (error) *error = "shorter than its header and bucket table";
    return false;
  }
  if (bytes[0] == '$') {
    DataDescramble(bytes.data() + kGraphicDatHeaderSize, bytes.size() - kGraphicDatHeaderSize);
  }
  const uint64_t area = bytes.size() - kGraphicDatRecordArea;
  std::array<Bucket, kGraphicDatBucketCount> buckets{};
  for (size_t b = 0; b < kGraphicDatBucketCount; ++b) {
    const uint8_t* entry = &bytes[kGraphicDatHeaderSize + b * kGraphicDatBucketSize];
    Bucket bucket{Le16(entry), Le32(entry + 4)};
    if (bucket.count == 0) continue;
    // Every record of the bucket must lie wholly inside the record area.
    const uint64_t end = uint64_t{bucket.offset} + uint64_t{bucket.count} * kGraphicDatRecordSize;
    if (end > area) {
      if (error) {
        *error = "bucket " + std::to_string(b) + " (" + std::to_string(bucket.count) +
                 " records at " + std::to_string(bucket.offset) + ") reaches past the " +
                 std::to_string(area) + " bytes of records";
      }
      return false;
    }
    buckets[b] = bucket;
  }
  bytes_ = std::move(bytes);
  buckets_ = buckets;
  loaded_ = true;
  return true;
}

bool GraphicDatIndex::Find(std::string_view name, GraphicDatRecord* out) const {
  if (out) *out = GraphicDatRecord{};
  if (!loaded_ || name.empty()) return false;
  const uint8_t first = static_cast<uint8_t>(name[0]);
  if (first >= kGraphicDatBucketCount) return false;  // 0xFF has no bucket
  const Bucket& bucket = buckets_[first];
  const std::array<char, kGraphicDatNameSize> key = PaddedName(name);
  const uint8_t* records = bytes_.data() + kGraphicDatRecordArea + bucket.offset;
  for (uint32_t i = 0; i < bucket.count; ++i) {
    const uint8_t* record = records + size_t{i} * kGraphicDatRecordSize;
    if (std::memcmp(record, key.data(), kGraphicDatNameSize) != 0) continue;
    if (out) *out = ReadGraphicDatRecord(record);
    return true;
  }
  return false;
}

bool BuildGraphicDat(const std::vector<GraphicDatRecord>& records, bool scramble,
                     std::vector<uint8_t>* out, std::string* error) {
  std::map<uint8_t, std::vector<const GraphicDatRecord*>> buckets;
  for (const GraphicDatRecord& r : records) {
    const uint8_t first = static_cast<uint8_t>(r.name[0]);
    if (first == 0 || first >= kGraphicDatBucketCount) {
      if (error) *error = "an image name is empty or begins with byte 0xFF";
      return false;
    }
    buckets[first].push_back(&r);
  }
  std::vector<uint8_t>& file = *out;
  file.assign(kGraphicDatRecordArea + records.size() * kGraphicDatRecordSize, 0);
  size_t offset = 0;
  for (const auto& [first, list] : buckets) {
    if (list.size() > 0xFFFF) {
      if (error) *error = "more than 65535 names begin with the same byte";
      return false;
    }
    const size_t entry = kGraphicDatHeaderSize + size_t{first} * kGraphicDatBucketSize;
    Put16(file, entry, static_cast<uint32_t>(list.size()));
    Put32(file, entry + 4, static_cast<uint32_t>(offset));
    for (const GraphicDatRecord* r : list) {
      WriteRecord(*r, file, kGraphicDatRecordArea + offset);
      offset += kGraphicDatRecordSize;
    }
  }
  if (scramble) {
    file[0] = '$';
    DataScramble(file.data() + kGraphicDatHeaderSize, file.size() - kGraphicDatHeaderSize);
  }
  return true;
}

}  // namespace adv
