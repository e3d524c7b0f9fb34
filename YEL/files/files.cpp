// The file layer: finding a game file in the search folders, their archives and the base
// folder, and reading its data through a YelFile.
#include "YEL/files/files.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#include "YEL/files/file_names.h"
#include "YEL/files/file_paths.h"
#include "YEL/files/pac_format.h"
#include "YEL/files/pac_reader.h"
#include "YEL/yel.h"
#include "os/file_system.h"

// An opened file and the part of it that holds the data. The position counts in offsets of the
// opened file, as the entry record does, so callers may seek to start + n.
struct YelFile {
  std::unique_ptr<os::ReadOnlyFile> file;
  uint64_t start = 0;
  uint64_t end = 0;
  uint64_t position = 0;
};

namespace yel {
namespace {

struct Found {
  std::unique_ptr<YelFile> file;
  std::string folder;  // where it was found
  std::string name;    // the upper-cased file-name part
};

std::unique_ptr<YelFile> MakeFile(std::unique_ptr<os::ReadOnlyFile> file, uint64_t start,
                                  uint64_t size) {
  auto opened = std::make_unique<YelFile>();
  opened->file = std::move(file);
  opened->start = start;
  opened->end = start + size;
  opened->position = start;
  return opened;
}

os::ReadPattern PatternOf(uint32_t flags) {
  if (flags & YEL_FILE_FLAG_SEQUENTIAL_SCAN) return os::ReadPattern::kSequential;
  if (flags & YEL_FILE_FLAG_RANDOM_ACCESS) return os::ReadPattern::kRandom;
  return os::ReadPattern::kNormal;
}

std::unique_ptr<YelFile> OpenPlain(const std::string& path, os::ReadPattern pattern) {
  const std::string disk = os::FindPathNoCase(os::DiskPath(path));
  if (disk.empty()) return nullptr;
  auto file = os::ReadOnlyFile::Open(disk, pattern);
  if (!file) return nullptr;
  // The entry record holds sizes in 32-bit words.
  if (file->Size() > UINT32_MAX) {
    YelErrorLogPrintf("%s : file too large (%llu bytes)", path.c_str(),
                      static_cast<unsigned long long>(file->Size()));
    return nullptr;
  }
  const uint64_t size = file->Size();
  return MakeFile(std::move(file), 0, size);
}

std::unique_ptr<YelFile> OpenInArchive(const std::string& archive_path, const std::string& name) {
  const std::string disk = os::FindPathNoCase(os::DiskPath(archive_path));
  if (disk.empty()) return nullptr;
  auto archive = os::ReadOnlyFile::Open(disk, os::ReadPattern::kRandom);
  if (!archive) return nullptr;
  PacLocation location;
  std::string problem;
  switch (PacFind(*archive, name, location, problem)) {
    case PacLookup::kFound:
      return MakeFile(std::move(archive), location.offset, location.size);
    case PacLookup::kDamaged:
      YelErrorLogPrintf("%s : damaged archive, %s (looking for %s)", archive_path.c_str(),
                        problem.c_str(), name.c_str());
      return nullptr;
    case PacLookup::kMissing:
      break;
  }
  return nullptr;
}

// The folder as a plain folder, then the archive named after it.
std::unique_ptr<YelFile> OpenInFolder(const std::string& folder, const std::string& name,
                                      os::ReadPattern pattern) {
  if (auto file = OpenPlain(JoinPath(folder, name), pattern)) return file;
  if (folder == "/") return nullptr;
  return OpenInArchive(folder + ".pac", name);
}

Found Search(const char* name, os::ReadPattern pattern) {
  Found found;
  if (!name) return found;
  found.name = pac::UpperCaseName(YelFileNamePart(name));
  if (found.name.empty()) return found;
  std::vector<std::string> folders;
  if (IsAbsolutePath(name)) {
    folders.push_back(YelFolderPart(name));
  } else {
    folders = SearchFolders();
    folders.push_back(BaseFolderForNames());
  }
  for (const std::string& folder : folders) {
    if (folder.empty()) continue;
    found.file = OpenInFolder(folder, found.name, pattern);
    if (found.file) {
      found.folder = folder;
      break;
    }
  }
  return found;
}

// Moves the position by `distance` from the origin (YEL_FILE_BEGIN: `zero`, YEL_FILE_CURRENT:
// the position, YEL_FILE_END: `end`, all offsets in the opened file). The new position counted
// from `zero`, or -1 (position unchanged) for a bad origin or a target before `zero`.
int64_t Move(YelFile& file, uint64_t zero, uint64_t end, int64_t distance, int64_t origin) {
  const int64_t origins[] = {0, static_cast<int64_t>(file.position) - static_cast<int64_t>(zero),
                             static_cast<int64_t>(end - zero)};
  if (origin < YEL_FILE_BEGIN || origin > YEL_FILE_END) return -1;
  int64_t target = 0;
  if (__builtin_add_overflow(origins[origin], distance, &target) || target < 0 ||
      target > INT64_MAX - static_cast<int64_t>(zero)) {
    return -1;
  }
  file.position = zero + static_cast<uint64_t>(target);
  return target;
}

bool ReadExact(YelFile* file, void* buffer, uint32_t size) {
  uint32_t done = 0;
  while (done < size) {
    uint32_t got = 0;
    if (!YelFileRead(file, static_cast<uint8_t*>(buffer) + done, size - done, &got) || got == 0) {
      return false;
    }
    done += got;
  }
  return true;
}

}  // namespace

bool ReadWholeFile(const char* name, std::vector<uint8_t>& out, size_t limit) {
  out.clear();
  YelFileEntry entry{};
  YelFile* file = YelFileCreate(name, &entry);
  if (!file) return false;
  bool read = false;
  if (entry.size > limit) {
    YelErrorLogPrintf("%s : %u bytes are more than the %zu that may be read", name, entry.size,
                      limit);
  } else {
    out.resize(entry.size);
    read = ReadExact(file, out.data(), entry.size);
  }
  YelFileClose(file);
  if (!read) out.clear();
  return read;
}

bool ReadFileInto(const char* name, void* buffer, uint32_t capacity, uint32_t* out_size) {
  if (out_size) *out_size = 0;
  if (!buffer) return false;
  YelFileEntry entry{};
  YelFile* file = YelFileCreate(name, &entry);
  if (!file) return false;
  bool read = false;
  if (entry.size > capacity) {
    YelErrorLogPrintf("%s : %u bytes do not fit the buffer of %u", name, entry.size, capacity);
  } else {
    read = ReadExact(file, buffer, entry.size);
  }
  YelFileClose(file);
  if (read && out_size) *out_size = entry.size;
  return read;
}

void* ReadFileToPool(const char* name, uint32_t* out_size) {
  uint32_t pool_size = 0;
  void* pool = GetMemoryPool(&pool_size);
  return ReadFileInto(name, pool, pool_size, out_size) ? pool : nullptr;
}

}  // namespace yel

extern "C" {

YEL_API YelFile* YelFileCreateEx(const char* name, uint32_t access, uint32_t share_mode,
                                 uint32_t creation, uint32_t flags, YelFileEntry* entry) {
  (void)share_mode;  // every file is opened shared for reading
  if (entry) *entry = YelFileEntry{};
  if ((access & ~YEL_GENERIC_READ) != 0 || creation != YEL_OPEN_EXISTING) {
    YelErrorLogPrintf("%s : the file layer only opens existing files for reading",
                      name ? name : "");
    return nullptr;
  }
  yel::Found found = yel::Search(name, yel::PatternOf(flags));
  if (!found.file) return nullptr;
  if (entry) {
    // Both ends were checked to fit 32 bits when the file or entry was opened.
    entry->start = static_cast<uint32_t>(found.file->start);
    entry->end = static_cast<uint32_t>(found.file->end);
    entry->size = static_cast<uint32_t>(found.file->end - found.file->start);
  }
  return found.file.release();
}

YEL_API YelFile* YelFileCreate(const char* name, YelFileEntry* entry) {
  return YelFileCreateEx(name, YEL_GENERIC_READ, YEL_FILE_SHARE_READ, YEL_OPEN_EXISTING,
                         YEL_FILE_FLAG_SEQUENTIAL_SCAN, entry);
}

YEL_API int YelFileSetFilePointer(YelFile* file, int32_t distance_low, int32_t distance_high,
                                  uint32_t unused, uint32_t method) {
  (void)unused;
  if (!file) return 0;
  const int64_t distance =
      static_cast<int64_t>((static_cast<uint64_t>(static_cast<uint32_t>(distance_high)) << 32) |
                           static_cast<uint32_t>(distance_low));
  return yel::Move(*file, 0, file->file->Size(), distance, method) >= 0 ? 1 : 0;
}

YEL_API int64_t YelFileSeek(YelFile* file, int64_t offset, int32_t origin) {
  return file ? yel::Move(*file, file->start, file->end, offset, origin) : -1;
}

YEL_API int YelFileRead(YelFile* file, void* buffer, uint32_t size, uint32_t* out_read) {
  if (out_read) *out_read = 0;
  if (!file || (!buffer && size > 0)) return 0;
  uint64_t length = 0;
  if (file->position >= file->start && file->position < file->end) {
    length = std::min<uint64_t>(size, file->end - file->position);
  }
  if (length == 0) return 1;
  const int64_t got = file->file->ReadAt(file->position, buffer, static_cast<size_t>(length));
  if (got < 0) return 0;
  file->position += static_cast<uint64_t>(got);
  if (out_read) *out_read = static_cast<uint32_t>(got);
  return 1;
}

YEL_API uint32_t YelFileGetSize(YelFile* file) {
  return file ? static_cast<uint32_t>(file->end - file->start) : 0;
}

YEL_API int YelFileClose(YelFile* file) {
  if (!file) return 0;
  delete file;
  return 1;
}

YEL_API int YelFileGetFullPath(char* buffer, uint32_t size, const char* name) {
  yel::Found found = yel::Search(name, os::ReadPattern::kNormal);
  if (!found.file) return 0;
  found.file.reset();
  const std::string path = yel::JoinPath(found.folder, found.name);
  // The path needs its terminating zero as well.
  if (!buffer || path.size() >= size) return 0;
  std::memset(buffer, 0, size);
  std::memcpy(buffer, path.c_str(), path.size());
  return 1;
}

}  // extern "C"
