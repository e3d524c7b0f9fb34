// Builds "Script.src" and the four list files from resolved contents, and writes them to a
// game folder. List files may be written scrambled ("$" in byte 0, the body scrambled with the
// engine's own key) or plain.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace advasm {

struct ScriptFiles {
  std::vector<uint8_t> script;      // "Script.src"
  std::vector<uint8_t> file_list;   // "File.dat"
  std::vector<uint8_t> text_list;   // "Text.dat"
  std::vector<uint8_t> table_list;  // "Mem.dat"
  std::vector<uint8_t> point_list;  // "Point.dat"
};

// "Sv20", the build stamp, the entry offset, then the code words.
std::vector<uint8_t> BuildScriptImage(const std::vector<uint32_t>& code, uint32_t stamp,
                                      uint32_t entry);
// 32-byte zero-padded names in the given order (callers sort them).
std::vector<uint8_t> BuildFileList(const std::vector<std::string>& names, bool scramble);
// Entries {text number = index, bytes, 0} one after another from byte 16.
std::vector<uint8_t> BuildTextList(const std::vector<std::string>& texts, bool scramble);
std::vector<uint8_t> BuildTableList(const std::vector<uint32_t>& cells, bool scramble);
// Label n (n >= 1, offsets[n - 1]) is stored at (file size - 4 n): the last label first.
std::vector<uint8_t> BuildPointList(const std::vector<uint32_t>& offsets, bool scramble);

// Writes the five files into `folder` (created when missing), each through a temporary file
// that is renamed into place. False with the reason in `error`.
bool WriteScriptFiles(const ScriptFiles& files, const std::string& folder, std::string* error);

}  // namespace advasm
