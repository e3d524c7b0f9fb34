// The compiled script and its four list files, parsed from bytes already read whole: the code
// "Script.src" and "File.dat" (file names), "Text.dat" (texts), "Mem.dat" (32-bit cells) and
// "Point.dat" (label offsets). Reading the bytes from a folder or an archive is the caller's job;
// these parsers only check and index them.
//
// Every number or offset that the data or the script supplies is bounded here: a file too short
// for its header is refused, and a label, file number, text offset or cell index outside what
// the file holds yields "none" instead of a read outside the image.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "os/byte_order.h"

namespace adv {

// "Sv20" read as a little-endian word.
inline constexpr uint32_t kScriptMagic = 0x30327653u;
// Label offsets and thread entry offsets count from this byte of "Script.src".
inline constexpr uint32_t kCodeOrigin = 12;
inline constexpr size_t kScriptHeaderSize = 12;
// Every list file starts with a 16-byte header: byte 0 is "$" when the body is scrambled, the
// word at byte 12 is the entry count.
inline constexpr size_t kListHeaderSize = 16;
inline constexpr size_t kListCountOffset = 12;
inline constexpr uint8_t kScrambledMark = '$';
inline constexpr size_t kFileNameSize = 32;

// The loaded "Script.src": the whole image (header included, since the entry word and the
// program counter count from its first byte) and the two header words.
struct ScriptCode {
  std::vector<uint8_t> image;
  uint32_t build_stamp = 0;
  uint32_t entry = 0;
  // Changes with every load, so that what was derived from an image knows when it is stale.
  uint64_t generation = 0;

  uint32_t size() const { return static_cast<uint32_t>(image.size()); }
  // The word at a byte offset of the image; false when fewer than four bytes lie there. Inline:
  // the interpreter reads every instruction and operand through it.
  bool Word(uint32_t offset, uint32_t* word) const {
    if (offset > image.size() || image.size() - offset < 4) return false;
    *word = os::LoadLe32(image.data() + offset);
    return true;
  }
};

// A number not handed out before in this process: the generation of a loaded image.
uint64_t NextLoadGeneration();

// Checks and keeps a "Script.src" image. Refused (false, with the reason in `error`): an image
// shorter than its 12-byte header, a wrong magic, an entry before the code origin or past the
// end. An entry equal to the size is valid: such a script runs no instruction.
bool ScriptLoad(ScriptCode& code, std::vector<uint8_t> bytes, std::string* error);

// A text of "Text.dat": its number (the index of its read bit) and its Shift-JIS bytes without
// the terminating zero. The view points into the loaded image.
struct TextEntry {
  uint32_t number = 0;
  std::string_view text;
};

// The four loaded list files. Images are kept as stored, with the body unscrambled; the cells
// of "Mem.dat" are kept as host words so that the interpreter can address them directly.
class ListFileRecord {
 public:
  // The size in bytes of each file as loaded (0 before it is loaded).
  size_t FileListSize() const { return file_list_.size(); }
  size_t TextListSize() const { return text_list_.size(); }
  size_t TableListSize() const { return table_size_; }
  size_t PointListSize() const { return point_list_.size(); }

  // The entry count of a file's header (the word at byte 12), as stored. Only a hint for sizing
  // per-entry tables: indexes are bounded by what the bodies hold, below.
  uint32_t FileHeaderCount() const { return file_header_count_; }
  uint32_t TextHeaderCount() const { return text_header_count_; }

  // "File.dat": the number of 32-byte names, name n (32 bytes, not necessarily terminated) or
  // nullptr when n is beyond the names.
  uint32_t FileCount() const;
  const uint8_t* FileName(uint32_t n) const;

  // "Text.dat": the entry at a byte offset, or none when the offset lies in the header or leaves
  // no room for a text number. A text that runs to the end of the image unterminated is cut
  // there.
  std::optional<TextEntry> TextAt(uint32_t offset) const;
  // The loaded image, header included, for callers that copy entries as stored.
  const std::vector<uint8_t>& TextImage() const { return text_list_; }

  // "Mem.dat": cell i (counted after the header) or nullptr when i is beyond the cells. Cells
  // are writable; writes change only this copy.
  uint32_t TableCellCount() const { return static_cast<uint32_t>(table_cells_.size()); }
  int32_t* TableCell(uint32_t i);
  const int32_t* TableCell(uint32_t i) const;

  // "Point.dat": the number of labels stored.
  uint32_t LabelCount() const;
  // The offset of a label from the code origin: 0 for label 0, the stored word for labels 1 to
  // LabelCount(); false beyond. Inline and table-driven: every taken jump asks it.
  bool LabelOffset(uint32_t label, uint32_t* offset) const {
    if (label >= label_offsets_.size()) return false;
    *offset = label_offsets_[label];
    return true;
  }
  // The same table whole, index = label (for a run loop that keeps it at hand), and a number
  // that changes whenever it is loaded.
  std::span<const uint32_t> LabelOffsets() const { return label_offsets_; }
  uint64_t LabelGeneration() const { return label_generation_; }

 private:
  friend bool LoadFileList(ListFileRecord&, std::vector<uint8_t>, std::string*);
  friend bool LoadTextList(ListFileRecord&, std::vector<uint8_t>, std::string*);
  friend bool LoadTableList(ListFileRecord&, std::vector<uint8_t>, std::string*);
  friend bool LoadPointList(ListFileRecord&, std::vector<uint8_t>, std::string*);

  std::vector<uint8_t> file_list_;
  std::vector<uint8_t> text_list_;
  std::vector<int32_t> table_cells_;
  size_t table_size_ = 0;
  std::vector<uint8_t> point_list_;
  // Built when "Point.dat" loads: index = label number, so label 0 is always there.
  std::vector<uint32_t> label_offsets_{0};
  uint64_t label_generation_ = 0;
  uint32_t file_header_count_ = 0;
  uint32_t text_header_count_ = 0;
};

// Load one list file each from its bytes: the header is checked, a "$" body is unscrambled in
// place. False (reason in `error`) for a file shorter than its 16-byte header, and for a
// "File.dat" with a name that fills its 32 bytes without a zero; the record keeps what it held
// before.
bool LoadFileList(ListFileRecord& lists, std::vector<uint8_t> bytes, std::string* error);
bool LoadTextList(ListFileRecord& lists, std::vector<uint8_t> bytes, std::string* error);
bool LoadTableList(ListFileRecord& lists, std::vector<uint8_t> bytes, std::string* error);
bool LoadPointList(ListFileRecord& lists, std::vector<uint8_t> bytes, std::string* error);

// The offset of a label, relative to the code origin: 0 for label 0, the stored word for labels
// 1 to LabelCount(), none beyond.
std::optional<uint32_t> GetLabelOffset(const ListFileRecord& lists, uint32_t label);

// The file number of a name in "File.dat", or -1. The 32-byte form compares all 32 bytes as
// unsigned bytes (a binary search over the sorted names); the string form pads the name with
// zeros and finds nothing for a name of 32 bytes or more.
int32_t FileListFind(const ListFileRecord& lists, const uint8_t* name32);
int32_t FileListFind(const ListFileRecord& lists, std::string_view name);

}  // namespace adv
