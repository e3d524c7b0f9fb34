#include "program/data/script_files.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#include "os/byte_order.h"
#include "program/data/word_scramble.h"

namespace adv {
namespace {

void SetError(std::string* error, std::string text) {
  if (error) *error = std::move(text);
}

// The steps every list file shares: the header must be whole, and a "$" body is unscrambled
// from byte 16 to the end. A shorter file is refused here, so the body length below can never
// be negative.
bool PrepareListImage(std::vector<uint8_t>& bytes, const char* name, std::string* error) {
  if (bytes.size() < kListHeaderSize) {
    SetError(error, std::string(name) + ": " + std::to_string(bytes.size()) +
                        " bytes, shorter than the 16-byte header");
    return false;
  }
  if (bytes[0] == kScrambledMark) {
    DataDescramble(bytes.data() + kListHeaderSize, bytes.size() - kListHeaderSize);
  }
  return true;
}

uint32_t HeaderCount(const std::vector<uint8_t>& image) {
  return os::LoadLe32(image.data() + kListCountOffset);
}

}  // namespace

uint64_t NextLoadGeneration() {
  static std::atomic<uint64_t> generation{0};
  return ++generation;
}

bool ScriptLoad(ScriptCode& code, std::vector<uint8_t> bytes, std::string* error) {
  if (bytes.size() < kScriptHeaderSize) {
    SetError(error, "Script.src: " + std::to_string(bytes.size()) +
                        " bytes, shorter than the 12-byte header");
    return false;
  }
  if (bytes.size() > UINT32_MAX) {
    SetError(error, "Script.src: larger than 4 GB");
    return false;
  }
  if (os::LoadLe32(bytes.data()) != kScriptMagic) {
    SetError(error, "Script.src: the file does not begin with \"Sv20\"");
    return false;
  }
  const uint32_t entry = os::LoadLe32(bytes.data() + 8);
  if (entry < kCodeOrigin || entry > bytes.size()) {
    SetError(error, "Script.src: entry offset " + std::to_string(entry) +
                        " lies outside the code (12 to " + std::to_string(bytes.size()) + ")");
    return false;
  }
  code.build_stamp = os::LoadLe32(bytes.data() + 4);
  code.entry = entry;
  code.image = std::move(bytes);
  code.generation = NextLoadGeneration();
  return true;
}

uint32_t ListFileRecord::FileCount() const {
  if (file_list_.size() < kListHeaderSize) return 0;
  return static_cast<uint32_t>((file_list_.size() - kListHeaderSize) / kFileNameSize);
}

const uint8_t* ListFileRecord::FileName(uint32_t n) const {
  if (n >= FileCount()) return nullptr;
  return file_list_.data() + kListHeaderSize + size_t{n} * kFileNameSize;
}

std::optional<TextEntry> ListFileRecord::TextAt(uint32_t offset) const {
  if (offset < kListHeaderSize || offset > text_list_.size() || text_list_.size() - offset < 4) {
    return std::nullopt;
  }
  const uint8_t* start = text_list_.data() + offset + 4;
  const uint8_t* end = text_list_.data() + text_list_.size();
  const uint8_t* zero = std::find(start, end, uint8_t{0});
  TextEntry entry;
  entry.number = os::LoadLe32(text_list_.data() + offset);
  entry.text = std::string_view(reinterpret_cast<const char*>(start), zero - start);
  return entry;
}

int32_t* ListFileRecord::TableCell(uint32_t i) {
  return i < table_cells_.size() ? &table_cells_[i] : nullptr;
}

const int32_t* ListFileRecord::TableCell(uint32_t i) const {
  return i < table_cells_.size() ? &table_cells_[i] : nullptr;
}

uint32_t ListFileRecord::LabelCount() const {
  if (point_list_.size() < kListHeaderSize) return 0;
  return static_cast<uint32_t>((point_list_.size() - kListHeaderSize) / 4);
}

bool LoadFileList(ListFileRecord& lists, std::vector<uint8_t> bytes, std::string* error) {
  if (!PrepareListImage(bytes, "File.dat", error)) return false;
  // Names are used as C strings wherever a file is opened: each field must hold its zero.
  const size_t count = (bytes.size() - kListHeaderSize) / kFileNameSize;
  for (size_t n = 0; n < count; ++n) {
    const uint8_t* field = bytes.data() + kListHeaderSize + n * kFileNameSize;
    if (!std::memchr(field, 0, kFileNameSize)) {
      SetError(error, "File.dat: name " + std::to_string(n) + " fills its 32 bytes without a zero");
      return false;
    }
  }
  lists.file_header_count_ = HeaderCount(bytes);
  lists.file_list_ = std::move(bytes);
  return true;
}

bool LoadTextList(ListFileRecord& lists, std::vector<uint8_t> bytes, std::string* error) {
  if (!PrepareListImage(bytes, "Text.dat", error)) return false;
  // Text offsets are script values below 0x0FFFFFFF; a larger file could not be addressed whole
  // and is almost certainly damaged.
  if (bytes.size() > 0x0FFFFFFFu) {
    SetError(error, "Text.dat: larger than the 256 MB a text offset can reach");
    return false;
  }
  lists.text_header_count_ = HeaderCount(bytes);
  lists.text_list_ = std::move(bytes);
  return true;
}

bool LoadTableList(ListFileRecord& lists, std::vector<uint8_t> bytes, std::string* error) {
  if (!PrepareListImage(bytes, "Mem.dat", error)) return false;
  const size_t count = (bytes.size() - kListHeaderSize) / 4;
  std::vector<int32_t> cells(count);
  for (size_t i = 0; i < count; ++i) {
    cells[i] = static_cast<int32_t>(os::LoadLe32(bytes.data() + kListHeaderSize + 4 * i));
  }
  lists.table_cells_ = std::move(cells);
  lists.table_size_ = bytes.size();
  return true;
}

bool LoadPointList(ListFileRecord& lists, std::vector<uint8_t> bytes, std::string* error) {
  if (!PrepareListImage(bytes, "Point.dat", error)) return false;
  lists.point_list_ = std::move(bytes);
  const uint32_t count = lists.LabelCount();
  lists.label_offsets_.assign(size_t{count} + 1, 0);
  // Labels are stored from the end backwards: label 1 is the last word of the file.
  const uint8_t* last = lists.point_list_.data() + lists.point_list_.size();
  for (uint32_t label = 1; label <= count; ++label) {
    lists.label_offsets_[label] = os::LoadLe32(last - size_t{4} * label);
  }
  lists.label_generation_ = NextLoadGeneration();
  return true;
}

std::optional<uint32_t> GetLabelOffset(const ListFileRecord& lists, uint32_t label) {
  uint32_t offset = 0;
  if (!lists.LabelOffset(label, &offset)) return std::nullopt;
  return offset;
}

int32_t FileListFind(const ListFileRecord& lists, const uint8_t* name32) {
  uint32_t low = 0;
  uint32_t high = lists.FileCount();
  while (low < high) {
    const uint32_t middle = low + (high - low) / 2;
    const int order = std::memcmp(lists.FileName(middle), name32, kFileNameSize);
    if (order == 0) return static_cast<int32_t>(middle);
    if (order < 0) {
      low = middle + 1;
    } else {
      high = middle;
    }
  }
  return -1;
}

int32_t FileListFind(const ListFileRecord& lists, std::string_view name) {
  if (name.size() >= kFileNameSize) return -1;
  uint8_t padded[kFileNameSize] = {};
  std::memcpy(padded, name.data(), name.size());
  return FileListFind(lists, padded);
}

}  // namespace adv
