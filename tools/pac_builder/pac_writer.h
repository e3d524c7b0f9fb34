// Building ".pac" archives from a folder, and listing them. The layout is the one the library
// reads (YEL/files/pac_format.h).
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "YEL/files/pac_format.h"

namespace pacbuild {

// A file to pack: where it is on disk and the entry it becomes.
struct SourceFile {
  std::filesystem::path path;
  std::string disk_name;  // as on disk (UTF-8), for messages
  yel::pac::Entry entry;  // name and size; the offset is set by LayOut
};

using BucketTable = std::array<yel::pac::Bucket, yel::pac::kBucketCount>;

// Collects the regular files directly inside `folder` under the names the engine looks them
// up by (CP932, ASCII letters upper-cased). Sub-folders are skipped with a note. False with a
// message in `error` for a name the engine could never find or two files with one entry name.
bool CollectFolder(const std::filesystem::path& folder, std::vector<SourceFile>& files,
                   std::ostream& notes, std::string& error);

// Sorts the entries, fills the buckets and gives each entry its data offset; false when the
// archive would not fit 32-bit offsets.
bool LayOut(std::vector<SourceFile>& files, BucketTable& buckets, std::string& error);

// Writes the archive through a temporary file that replaces `archive` only when complete.
bool WriteArchive(const std::filesystem::path& archive, const std::vector<SourceFile>& files,
                  const BucketTable& buckets, std::string& error);

// Prints every entry (bucket, name, size, offset); false when the index is damaged.
bool ListArchive(const std::filesystem::path& archive, std::ostream& out, std::string& error);

}  // namespace pacbuild
