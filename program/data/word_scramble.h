// Word scrambling of data files: the list files and the image index (after their 16-byte
// header, when they begin with "$") and the whole of "access.dat". Both directions work in
// place on whole 32-bit words; 1 to 3 trailing bytes stay as they are.
#pragma once

#include <cstddef>
#include <cstdint>

namespace adv {

// The key is the exclusive or of two constants, shared by the engine and the data tools.
inline constexpr uint32_t kScrambleKeyA = 0x5A17C3E9u;
inline constexpr uint32_t kScrambleKeyB = 0x0D6B924Fu;

void DataDescramble(uint8_t* buffer, size_t length);
void DataScramble(uint8_t* buffer, size_t length);

}  // namespace adv
