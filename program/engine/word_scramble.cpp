#include "program/engine/word_scramble.h"

namespace adv {
namespace {

uint8_t RotateLeft(uint8_t value, unsigned bits) {
  bits &= 7;
  return bits == 0 ? value : static_cast<uint8_t>((value << bits) | (value >> (8 - bits)));
}

uint8_t RotateRight(uint8_t value, unsigned bits) { return RotateLeft(value, 8 - (bits & 7)); }

uint32_t LoadWord(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

void StoreWord(uint8_t* p, uint32_t word) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(word >> (8 * i));
}

}  // namespace

void DataDescramble(uint8_t* buffer, size_t length) {
  uint8_t counter = 4;
  for (size_t offset = 0; offset + 4 <= length; offset += 4, ++counter) {
    uint8_t* word = buffer + offset;
    word[0] = RotateLeft(word[0], counter);
    StoreWord(word, LoadWord(word) ^ kScrambleKeyA ^ kScrambleKeyB);
  }
}

void DataScramble(uint8_t* buffer, size_t length) {
  uint8_t counter = 4;
  for (size_t offset = 0; offset + 4 <= length; offset += 4, ++counter) {
    uint8_t* word = buffer + offset;
    StoreWord(word, LoadWord(word) ^ kScrambleKeyA ^ kScrambleKeyB);
    word[0] = RotateRight(word[0], counter);
  }
}

}  // namespace adv
