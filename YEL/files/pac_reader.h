// Looking a name up in an opened ".pac" archive (format in pac_format.h).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "os/file_system.h"

namespace yel {

enum class PacLookup { kFound, kMissing, kDamaged };

// Where an entry's data lies in the archive.
struct PacLocation {
  uint32_t offset = 0;
  uint32_t size = 0;
};

// Finds an upper-cased file name by binary search in its bucket. Every count and offset read
// from the archive is checked against the archive's size before it is used: a bucket or entry
// that points outside the file gives kDamaged with a description in `problem`.
PacLookup PacFind(const os::ReadOnlyFile& archive, std::string_view upper_name,
                  PacLocation& location, std::string& problem);

}  // namespace yel
