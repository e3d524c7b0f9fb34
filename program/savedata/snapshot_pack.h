// The word run-length code of the previous image. The image (rounded up to whole words, padded
// with zeros) is a sequence of groups: a literal word, optionally followed by a count byte
// (1-255) of further copies of it. Flag bytes precede the groups, one per eight, whose bits (lowest
// first) say which groups have a count byte. An empty image packs to the single flag byte 0.
#pragma once

#include <cstddef>
#include <cstdint>

namespace adv {

// The largest packed size of an image of `length` bytes (no word repeats).
constexpr size_t PackedBound(size_t length) {
  const size_t words = (length + 3) / 4;
  return 4 * words + (words + 7) / 8 + 1;
}

// Packs `length` bytes into `out`; the packed length, or 0 when it would pass `capacity`.
size_t PackWords(const uint8_t* image, size_t length, uint8_t* out, size_t capacity);
// Unpacks into `out`; false when the packed bytes are damaged or would write past `capacity`.
bool UnpackWords(const uint8_t* packed, size_t packed_length, uint8_t* out, size_t capacity,
                 size_t* length);

}  // namespace adv
