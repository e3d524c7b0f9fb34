#include "program/savedata/snapshot_pack.h"

#include <cstring>

namespace adv {
namespace {

constexpr int kGroupsPerFlag = 8;
constexpr uint32_t kLongestRun = 255;

uint32_t WordAt(const uint8_t* image, size_t length, size_t index) {
  uint8_t bytes[4] = {0, 0, 0, 0};
  const size_t at = index * 4;
  std::memcpy(bytes, image + at, length - at < 4 ? length - at : 4);
  return uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 |
         uint32_t{bytes[3]} << 24;
}

void PutWord(uint8_t* out, uint32_t word) {
  for (int i = 0; i < 4; ++i) out[i] = static_cast<uint8_t>(word >> (8 * i));
}

}  // namespace

size_t PackWords(const uint8_t* image, size_t length, uint8_t* out, size_t capacity) {
  const size_t words = (length + 3) / 4;
  if (capacity < 1) return 0;
  size_t flag_at = 0;
  size_t used = 1;
  out[0] = 0;
  int groups = 0;
  for (size_t i = 0; i < words;) {
    if (groups == kGroupsPerFlag) {
      if (used + 1 > capacity) return 0;
      flag_at = used++;
      out[flag_at] = 0;
      groups = 0;
    }
    const uint32_t word = WordAt(image, length, i++);
    uint32_t repeats = 0;
    while (i < words && repeats < kLongestRun && WordAt(image, length, i) == word) {
      ++repeats;
      ++i;
    }
    if (used + 4 + (repeats ? 1 : 0) > capacity) return 0;
    PutWord(out + used, word);
    used += 4;
    if (repeats) {
      out[used++] = static_cast<uint8_t>(repeats);
      out[flag_at] = static_cast<uint8_t>(out[flag_at] | (1u << groups));
    }
    ++groups;
  }
  return used;
}

bool UnpackWords(const uint8_t* packed, size_t packed_length, uint8_t* out, size_t capacity,
                 size_t* length) {
  *length = 0;
  if (packed_length < 1) return false;
  size_t at = 1;
  uint8_t flags = packed[0];
  int groups = 0;
  size_t written = 0;
  while (at < packed_length) {
    if (groups == kGroupsPerFlag) {
      flags = packed[at++];
      groups = 0;
      if (at == packed_length) return false;
    }
    if (packed_length - at < 4) return false;
    size_t copies = 1;
    const uint8_t* word = packed + at;
    at += 4;
    if (flags & (1u << groups)) {
      if (at == packed_length || packed[at] == 0) return false;
      copies += packed[at++];
    }
    if (copies * 4 > capacity - written) return false;
    for (size_t i = 0; i < copies; ++i, written += 4) std::memcpy(out + written, word, 4);
    ++groups;
  }
  *length = written;
  return true;
}

}  // namespace adv
