#include "tools/pac_builder/pac_writer.h"

#include <algorithm>
#include <fstream>
#include <map>

#include "os/encoding.h"
#include "tools/common/read_file.h"

namespace pacbuild {
namespace fs = std::filesystem;

// An archive addresses at most 4 GiB of data behind its index.
constexpr size_t kMaxArchiveBytes = (size_t{1} << 32) + (size_t{1} << 24);
using namespace yel::pac;

namespace {

std::string Printable(const EntryName& name) {
  const auto end = std::find(name.begin(), name.end(), 0);
  return os::Cp932ToUtf8(std::string(name.begin(), end));
}

// The entry name of a file name on disk, or an explanation of why there is none.
bool EntryNameOf(const std::string& disk_name, EntryName& name, std::ostream& notes,
                 std::string& error) {
  const std::string cp932 = os::Utf8ToCp932(disk_name);
  if (os::Cp932ToUtf8(cp932) != disk_name) {
    error = "\"" + disk_name + "\" cannot be written in CP932";
    return false;
  }
  const std::string upper = UpperCaseName(cp932);
  if (static_cast<uint8_t>(upper[0]) >= 0x80) {
    error = "\"" + disk_name + "\" starts with a non-ASCII character; names like that are " +
            "never looked up in archives";
    return false;
  }
  if (upper.size() > kNameSize) {
    notes << "note: \"" << disk_name << "\" is stored by its first " << kNameSize
          << " bytes, which is also all a lookup compares\n";
  }
  name = MakeEntryName(upper);
  return true;
}

void WriteHeader(uint8_t* bytes, uint32_t entry_count, uint32_t data_start) {
  std::copy(std::begin(kMagic), std::end(kMagic), bytes);
  StoreLe32(bytes + 4, entry_count);
  StoreLe32(bytes + 8, data_start);
}

// Copies one file's data; false when it no longer has the size it had when collected.
bool CopyData(const SourceFile& file, std::ofstream& out, std::string& error) {
  std::ifstream in(file.path, std::ios::binary);
  std::vector<char> chunk(1 << 16);
  uint64_t left = file.entry.size;
  while (in && left > 0) {
    in.read(chunk.data(), static_cast<std::streamsize>(std::min<uint64_t>(left, chunk.size())));
    out.write(chunk.data(), in.gcount());
    left -= static_cast<uint64_t>(in.gcount());
  }
  if (left != 0 || in.peek() != std::char_traits<char>::eof()) {
    error = "\"" + file.disk_name + "\" changed while it was packed";
    return false;
  }
  return true;
}

}  // namespace

bool CollectFolder(const fs::path& folder, std::vector<SourceFile>& files, std::ostream& notes,
                   std::string& error) {
  std::error_code ec;
  fs::directory_iterator it(folder, ec);
  if (ec) {
    error = "cannot read the folder " + folder.string() + ": " + ec.message();
    return false;
  }
  std::map<EntryName, std::string> seen;
  for (const fs::directory_entry& item : it) {
    const std::string disk_name = item.path().filename().string();
    if (!item.is_regular_file(ec)) {
      notes << "note: skipping \"" << disk_name << "\", which is not a file\n";
      continue;
    }
    SourceFile file{item.path(), disk_name, Entry{}};
    if (!EntryNameOf(disk_name, file.entry.name, notes, error)) return false;
    const uint64_t size = item.file_size(ec);
    if (ec || size > UINT32_MAX) {
      error = "\"" + disk_name + "\" is too large for an archive entry";
      return false;
    }
    file.entry.size = static_cast<uint32_t>(size);
    auto [previous, inserted] = seen.try_emplace(file.entry.name, disk_name);
    if (!inserted) {
      error = "\"" + previous->second + "\" and \"" + disk_name + "\" have the same archive name " +
              Printable(file.entry.name);
      return false;
    }
    files.push_back(std::move(file));
  }
  return true;
}

bool LayOut(std::vector<SourceFile>& files, BucketTable& buckets, std::string& error) {
  std::sort(files.begin(), files.end(), [](const SourceFile& a, const SourceFile& b) {
    return CompareNames(a.entry.name, b.entry.name) < 0;
  });
  // Every bucket starts where the names of the buckets before it end, empty ones included.
  uint32_t index = 0;
  for (uint32_t b = 0; b < kBucketCount; ++b) {
    buckets[b].first = index;
    while (index < files.size() && files[index].entry.name[0] == b) ++index;
    buckets[b].count = index - buckets[b].first;
  }
  uint64_t offset = EntryPosition(files.size());
  for (SourceFile& file : files) {
    if (offset + file.entry.size > UINT32_MAX) {
      error = "the files add up to more than an archive can address (4 GiB)";
      return false;
    }
    file.entry.offset = static_cast<uint32_t>(offset);
    offset += file.entry.size;
  }
  return true;
}

bool WriteArchive(const fs::path& archive, const std::vector<SourceFile>& files,
                  const BucketTable& buckets, std::string& error) {
  std::vector<uint8_t> index(EntryPosition(files.size()));
  WriteHeader(index.data(), static_cast<uint32_t>(files.size()),
              static_cast<uint32_t>(index.size()));
  for (uint32_t b = 0; b < kBucketCount; ++b) EncodeBucket(buckets[b], &index[BucketPosition(b)]);
  for (size_t i = 0; i < files.size(); ++i) EncodeEntry(files[i].entry, &index[EntryPosition(i)]);

  const fs::path temporary = archive.string() + ".tmp";
  std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(index.data()),
            static_cast<std::streamsize>(index.size()));
  for (const SourceFile& file : files) {
    if (!out || !CopyData(file, out, error)) break;
  }
  out.close();
  std::error_code ec;
  if (!error.empty() || !out) {
    if (error.empty()) error = "cannot write " + temporary.string();
    fs::remove(temporary, ec);
    return false;
  }
  fs::rename(temporary, archive, ec);
  if (ec) error = "cannot replace " + archive.string() + ": " + ec.message();
  return !ec;
}

bool ListArchive(const fs::path& archive, std::ostream& out, std::string& error) {
  std::string contents;
  if (!tools::ReadRegularFile(archive.string(), kMaxArchiveBytes, &contents, &error)) return false;
  const std::vector<uint8_t> bytes(contents.begin(), contents.end());
  if (bytes.size() < kEntryTableOffset) {
    error = archive.string() + " is shorter than an archive index";
    return false;
  }
  for (uint32_t b = 0; b < kBucketCount; ++b) {
    const Bucket bucket = DecodeBucket(&bytes[BucketPosition(b)]);
    if (EntryPosition(uint64_t{bucket.first} + bucket.count) > bytes.size()) {
      error = "bucket " + std::to_string(b) + " points outside the archive";
      return false;
    }
    for (uint64_t i = bucket.first; i < uint64_t{bucket.first} + bucket.count; ++i) {
      const Entry entry = DecodeEntry(&bytes[EntryPosition(i)]);
      const bool inside = uint64_t{entry.offset} + entry.size <= bytes.size();
      out << b << '\t' << Printable(entry.name) << '\t' << entry.size << '\t' << entry.offset
          << (inside ? "" : "\t(outside the archive)") << '\n';
    }
  }
  return true;
}

}  // namespace pacbuild
