// Reading files on disk, and finding them by engine names.
//
// Engine names are CP932 bytes with `\` between folders and are upper-cased by the engine, while
// file names on disk are UTF-8 in any case. A name is therefore converted to UTF-8 with `/`
// between folders, and each component is then matched against the folder's entries without
// regard to ASCII case. Folder listings are cached and read again when the folder changes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace os {

// An engine path (CP932 bytes, `\` or `/` between components) as a UTF-8 path with `/`.
std::string DiskPath(std::string_view engine_path);

// The path on disk whose components match those of `disk_path` without regard to ASCII case
// (an exact match is preferred; among several others the lowest in byte order wins). Empty when
// some component has no match. "." and ".." components are kept as they are.
std::string FindPathNoCase(const std::string& disk_path);

// Drops every cached folder listing.
void ForgetFolderListings();

// How a file is going to be read; passed on to the kernel as a hint.
enum class ReadPattern { kNormal, kSequential, kRandom };

// A regular file opened for reading. Reads take an explicit offset, so one object keeps no
// position of its own and the offsets of a caller never depend on another caller's reads.
class ReadOnlyFile {
 public:
  // Opens an existing regular file (not a folder); null when it cannot be opened.
  static std::unique_ptr<ReadOnlyFile> Open(const std::string& disk_path,
                                            ReadPattern pattern = ReadPattern::kNormal);
  ~ReadOnlyFile();
  ReadOnlyFile(const ReadOnlyFile&) = delete;
  ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

  // The size when the file was opened.
  uint64_t Size() const { return size_; }
  // Reads up to `length` bytes at `offset`; the count read (short only at the end of the
  // file), or -1 on a read error.
  int64_t ReadAt(uint64_t offset, void* buffer, size_t length) const;
  // Reads exactly `length` bytes at `offset`; false when fewer are there.
  bool ReadExactAt(uint64_t offset, void* buffer, size_t length) const;

 private:
  ReadOnlyFile(int fd, uint64_t size) : fd_(fd), size_(size) {}

  int fd_;
  uint64_t size_;
};

}  // namespace os
