// The access list and "access.dat": the names of files the script reached that have no number in
// "File.dat", each with a state byte that the access commands read and clear. The file holds the
// records one after another, 33 bytes each (a 32-byte name, zero-terminated when shorter, and the
// state byte), scrambled as a whole.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

#include "program/savedata/save_folder_file.h"

namespace adv {

inline constexpr size_t kAccessNameSize = 32;
inline constexpr size_t kAccessRecordSize = 33;
static_assert(kAccessNameSize + sizeof(uint8_t) == kAccessRecordSize);
// The longest "access.dat" read, about half a million names; a longer file is damaged.
inline constexpr size_t kAccessFileLimit = 16u << 20;

struct AccessRecord {
  std::array<char, kAccessNameSize> name{};
  uint8_t state = 0;

  // The name up to its zero, or all 32 bytes when it fills the field.
  std::string_view Name() const;
};

struct AccessList {
  bool created = false;              // set by AccessLoad; a list never loaded is never saved
  std::deque<AccessRecord> records;  // newest first; a deque keeps records in place as it grows
};

// The first record whose name equals `name`, or null.
AccessRecord* AccessListFind(AccessList& list, std::string_view name);
// Adds a record in front of the others; false for a name longer than 32 bytes.
bool AccessListAdd(AccessList& list, std::string_view name, uint8_t state);
void AccessListRelease(AccessList& list);

// The file image of the list, scrambled; records in list order.
std::string SerializeAccessList(const AccessList& list);
// Appends the whole records of a file image in file order (so the order survives a save and a
// load); trailing bytes of a partial record are ignored.
void ParseAccessList(std::string bytes, AccessList& list);

// Creates the list and fills it from the file. A missing or empty file leaves it empty; so does
// one that cannot be read, which then is never written over (result false), and a damaged one,
// which is set aside for a fresh file.
bool AccessLoad(SaveFolderFile& file, AccessList& list);
// Writes the list (an empty list gives an empty file); false for a list that was never created or
// when the write did not complete.
bool AccessSave(SaveFolderFile& file, const AccessList& list);

}  // namespace adv
