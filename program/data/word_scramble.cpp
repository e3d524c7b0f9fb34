#include "program/data/word_scramble.h"

#include "os/byte_order.h"

namespace adv {
namespace {

uint8_t RotateLeft(uint8_t value, unsigned bits) {
  bits &= 7;
  return bits == 0 ? value : static_cast<uint8_t>((value << bits) | (value >> (8 - bits)));
}

uint8_t RotateRight(uint8_t value, unsigned bits) { return RotateLeft(value, 8 - (bits & 7)); }

}  // namespace

void DataDescramble(uint8_t* buffer, size_t length) {
  uint8_t counter = 4;
  for (size_t offset = 0; offset + 4 <= length; offset += 4, ++counter) {
    uint8_t* word = buffer + offset;
    word[0] = RotateLeft(word[0], counter);
    os::StoreLe32(word, os::LoadLe32(word) ^ kScrambleKeyA ^ kScrambleKeyB);
  }
}

void DataScramble(uint8_t* buffer, size_t length) {
  uint8_t counter = 4;
  for (size_t offset = 0; offset + 4 <= length; offset += 4, ++counter) {
    uint8_t* word = buffer + offset;
    os::StoreLe32(word, os::LoadLe32(word) ^ kScrambleKeyA ^ kScrambleKeyB);
    word[0] = RotateRight(word[0], counter);
  }
}

}  // namespace adv
