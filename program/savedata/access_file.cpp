#include "program/savedata/access_file.h"

#include <algorithm>
#include <cstring>

#include "program/data/word_scramble.h"

namespace adv {
namespace {

std::string_view Terminated(std::string_view text) {
  return text.substr(0, text.find('\0'));
}

bool MakeRecord(std::string_view name, uint8_t state, AccessRecord& record) {
  name = Terminated(name);
  if (name.size() > kAccessNameSize) return false;
  record = AccessRecord();
  std::copy(name.begin(), name.end(), record.name.begin());
  record.state = state;
  return true;
}

}  // namespace

std::string_view AccessRecord::Name() const {
  // strnlen keeps to the field: a name of exactly 32 bytes has no zero after it.
  return std::string_view(name.data(), strnlen(name.data(), name.size()));
}

AccessRecord* AccessListFind(AccessList& list, std::string_view name) {
  name = Terminated(name);
  for (AccessRecord& record : list.records) {
    if (record.Name() == name) return &record;
  }
  return nullptr;
}

bool AccessListAdd(AccessList& list, std::string_view name, uint8_t state) {
  AccessRecord record;
  if (!MakeRecord(name, state, record)) return false;
  list.records.push_front(record);
  return true;
}

void AccessListRelease(AccessList& list) {
  list.records.clear();
  list.created = false;
}

std::string SerializeAccessList(const AccessList& list) {
  std::string bytes;
  bytes.reserve(list.records.size() * kAccessRecordSize);
  for (const AccessRecord& record : list.records) {
    bytes.append(record.name.data(), record.name.size());
    bytes.push_back(static_cast<char>(record.state));
  }
  DataScramble(reinterpret_cast<uint8_t*>(bytes.data()), bytes.size());
  return bytes;
}

void ParseAccessList(std::string bytes, AccessList& list) {
  DataDescramble(reinterpret_cast<uint8_t*>(bytes.data()), bytes.size());
  for (size_t offset = 0; offset + kAccessRecordSize <= bytes.size(); offset += kAccessRecordSize) {
    AccessRecord record;
    std::memcpy(record.name.data(), bytes.data() + offset, kAccessNameSize);
    record.state = static_cast<uint8_t>(bytes[offset + kAccessNameSize]);
    list.records.push_back(record);
  }
}

bool AccessLoad(SaveFolderFile& file, AccessList& list) {
  list.records.clear();
  list.created = true;
  std::string bytes;
  const SaveFolderFile::ReadStatus status = file.Read(bytes);
  if (status == SaveFolderFile::ReadStatus::kOk) ParseAccessList(std::move(bytes), list);
  if (status == SaveFolderFile::ReadStatus::kDamaged) file.SetAsideDamaged();
  return !file.write_refused();
}

bool AccessSave(SaveFolderFile& file, const AccessList& list) {
  if (!list.created) return false;
  return file.Write(SerializeAccessList(list));
}

}  // namespace adv
