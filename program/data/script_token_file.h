// Script token files: texts of numbers and quoted texts separated by commas and line ends, which
// the script reads as an array of 32-bit values and a table of texts.
//
// The data block holds the value area, one 32-bit word per token in file order (a number: its
// value; a text: 0x80000000 | the offset of its record in the text table), then the text table,
// one record per text token in file order: a 16-bit length and that many bytes, no zero.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace adv {

inline constexpr uint32_t kTokenTextBit = 0x80000000u;

struct TokenFileData {
  std::vector<uint8_t> bytes;  // value area, then text table
  uint32_t value_size = 0;     // 4 × number of tokens
};

// The file's text without what carries no meaning: blanks outside quotes, "//" comments with
// their line end, and empty lines; a quoted run is kept as it stands.
std::string TokenFileNormalise(std::string_view file);

// The data block of a token file; nothing when it would not fit in 31 bits.
std::optional<TokenFileData> TokenFileBuild(std::string_view file);

}  // namespace adv
