#include "YEL/files/pac_reader.h"

#include "YEL/files/pac_format.h"

namespace yel {
namespace {

std::string Describe(const char* what, uint64_t a, uint64_t b, uint64_t file_size) {
  return std::string(what) + " " + std::to_string(a) + " + " + std::to_string(b) +
         " lies beyond the archive size " + std::to_string(file_size);
}

}  // namespace

PacLookup PacFind(const os::ReadOnlyFile& archive, std::string_view upper_name,
                  PacLocation& location, std::string& problem) {
  const pac::EntryName wanted = pac::MakeEntryName(upper_name);
  const int bucket_index = pac::SearchBucket(wanted);
  if (upper_name.empty() || bucket_index < 0) return PacLookup::kMissing;

  const uint64_t file_size = archive.Size();
  uint8_t bucket_bytes[pac::kBucketSize];
  if (file_size < pac::kEntryTableOffset ||
      !archive.ReadExactAt(pac::BucketPosition(bucket_index), bucket_bytes, sizeof bucket_bytes)) {
    problem = "the archive is shorter than its bucket table";
    return PacLookup::kDamaged;
  }
  const pac::Bucket bucket = pac::DecodeBucket(bucket_bytes);
  if (bucket.count == 0) return PacLookup::kMissing;
  // 64-bit sums: a first index and count near 2^32 cannot wrap round to a small position.
  const uint64_t table_end = pac::EntryPosition(uint64_t{bucket.first} + bucket.count);
  if (table_end > file_size) {
    problem = Describe("bucket entries", bucket.first, bucket.count, file_size);
    return PacLookup::kDamaged;
  }

  uint64_t low = bucket.first;
  uint64_t high = uint64_t{bucket.first} + bucket.count;
  while (low < high) {
    const uint64_t probe = low + (high - low) / 2;
    uint8_t entry_bytes[pac::kEntrySize];
    if (!archive.ReadExactAt(pac::EntryPosition(probe), entry_bytes, sizeof entry_bytes)) {
      problem = "an entry cannot be read";
      return PacLookup::kDamaged;
    }
    const pac::Entry entry = pac::DecodeEntry(entry_bytes);
    const int order = pac::CompareNames(wanted, entry.name);
    if (order < 0) {
      high = probe;
    } else if (order > 0) {
      low = probe + 1;
    } else {
      // The entry record keeps the data's end in a 32-bit word as well.
      const uint64_t data_end = uint64_t{entry.offset} + entry.size;
      if (data_end > file_size || data_end > UINT32_MAX) {
        problem = Describe("entry data", entry.offset, entry.size, file_size);
        return PacLookup::kDamaged;
      }
      location = PacLocation{entry.offset, entry.size};
      return PacLookup::kFound;
    }
  }
  return PacLookup::kMissing;
}

}  // namespace yel
