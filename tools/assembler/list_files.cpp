#include "tools/assembler/list_files.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "os/ini_file.h"
#include "os/paths.h"
#include "program/data/script_files.h"
#include "program/data/word_scramble.h"

namespace advasm {
namespace {

void AppendWord(std::vector<uint8_t>& bytes, uint32_t word) {
  for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(word >> (8 * i)));
}

// Byte 0 marks a scrambled body; bytes 1 to 11 are not read by the engine and carry the kind of
// list for people looking at a dump; the word at byte 12 is the entry count.
std::vector<uint8_t> Header(const char* kind, uint32_t count, bool scramble) {
  std::vector<uint8_t> bytes(adv::kListHeaderSize - 4, 0);
  bytes[0] = scramble ? adv::kScrambledMark : '_';
  std::memcpy(bytes.data() + 1, kind, std::min<size_t>(std::strlen(kind), 11));
  AppendWord(bytes, count);
  return bytes;
}

std::vector<uint8_t> Finish(std::vector<uint8_t> bytes, bool scramble) {
  if (scramble) {
    adv::DataScramble(bytes.data() + adv::kListHeaderSize, bytes.size() - adv::kListHeaderSize);
  }
  return bytes;
}

}  // namespace

std::vector<uint8_t> BuildScriptImage(const std::vector<uint32_t>& code, uint32_t stamp,
                                      uint32_t entry) {
  std::vector<uint8_t> bytes;
  bytes.reserve(adv::kScriptHeaderSize + code.size() * 4);
  AppendWord(bytes, adv::kScriptMagic);
  AppendWord(bytes, stamp);
  AppendWord(bytes, entry);
  for (uint32_t word : code) AppendWord(bytes, word);
  return bytes;
}

std::vector<uint8_t> BuildFileList(const std::vector<std::string>& names, bool scramble) {
  std::vector<uint8_t> bytes = Header("FILE", static_cast<uint32_t>(names.size()), scramble);
  for (const std::string& name : names) {
    const size_t start = bytes.size();
    bytes.resize(start + adv::kFileNameSize, 0);
    std::memcpy(bytes.data() + start, name.data(), std::min(name.size(), adv::kFileNameSize - 1));
  }
  return Finish(std::move(bytes), scramble);
}

std::vector<uint8_t> BuildTextList(const std::vector<std::string>& texts, bool scramble) {
  std::vector<uint8_t> bytes = Header("TEXT", static_cast<uint32_t>(texts.size()), scramble);
  for (size_t number = 0; number < texts.size(); ++number) {
    AppendWord(bytes, static_cast<uint32_t>(number));
    bytes.insert(bytes.end(), texts[number].begin(), texts[number].end());
    bytes.push_back(0);
  }
  return Finish(std::move(bytes), scramble);
}

std::vector<uint8_t> BuildTableList(const std::vector<uint32_t>& cells, bool scramble) {
  std::vector<uint8_t> bytes = Header("MEM", static_cast<uint32_t>(cells.size()), scramble);
  for (uint32_t cell : cells) AppendWord(bytes, cell);
  return Finish(std::move(bytes), scramble);
}

std::vector<uint8_t> BuildPointList(const std::vector<uint32_t>& offsets, bool scramble) {
  std::vector<uint8_t> bytes = Header("POINT", static_cast<uint32_t>(offsets.size()), scramble);
  for (auto it = offsets.rbegin(); it != offsets.rend(); ++it) AppendWord(bytes, *it);
  return Finish(std::move(bytes), scramble);
}

bool WriteScriptFiles(const ScriptFiles& files, const std::string& folder, std::string* error) {
  if (!os::CreateFolders(folder)) {
    if (error) *error = "cannot create the folder '" + folder + "': " + std::strerror(errno);
    return false;
  }
  const std::pair<const char*, const std::vector<uint8_t>*> outputs[] = {
      {"Script.src", &files.script},    {"File.dat", &files.file_list},
      {"Text.dat", &files.text_list},   {"Mem.dat", &files.table_list},
      {"Point.dat", &files.point_list},
  };
  for (const auto& [name, bytes] : outputs) {
    const std::string path = folder + "/" + name;
    if (!os::WriteFileAtomically(path, std::string(bytes->begin(), bytes->end()))) {
      if (error) *error = "cannot write '" + path + "': " + std::strerror(errno);
      return false;
    }
  }
  return true;
}

}  // namespace advasm
