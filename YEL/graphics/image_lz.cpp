#include "YEL/graphics/image_lz.h"

#include <cstring>

namespace yel {
namespace {

// Where the expander stands; kept in locals of one loop so the compiler can hold them in
// registers (byte stores would otherwise force reloads of members through aliasing).
struct Cursor {
  uint8_t* out;
  size_t output;
  size_t size;
  const uint8_t* in;
  size_t input;
  size_t in_size;
};

constexpr size_t kWide = 16;

// Copies 16 bytes in one load and one store. Callers use it only where the bytes past the token
// lie inside the output and are written again by later tokens (a valid stream fills all of it).
inline void CopyWide(uint8_t* target, const uint8_t* source) {
  uint8_t block[kWide];
  std::memcpy(block, source, kWide);
  std::memcpy(target, block, kWide);
}

// Byte by byte when the source overlaps, so that it repeats what was just written.
inline bool CopyBack(Cursor& c, size_t distance, size_t length) {
  if (length > c.size - c.output) return false;
  uint8_t* target = c.out + c.output;
  if (distance >= length && length <= kWide && c.size - c.output >= kWide) {
    CopyWide(target, target - distance);
  } else if (distance >= length) {
    std::memcpy(target, target - distance, length);
  } else {
    for (size_t i = 0; i < length; ++i) target[i] = target[i - distance];
  }
  c.output += length;
  return true;
}

inline bool Literal(Cursor& c) {
  if (c.input >= c.in_size) return false;
  const size_t count = c.in[c.input++];
  if (count > c.in_size - c.input || count > c.size - c.output) return false;
  if (count <= kWide && c.in_size - c.input >= kWide && c.size - c.output >= kWide) {
    CopyWide(c.out + c.output, c.in + c.input);
  } else {
    std::memcpy(c.out + c.output, c.in + c.input, count);
  }
  c.input += count;
  c.output += count;
  return true;
}

inline bool Match(Cursor& c) {
  if (c.in_size - c.input < 2) return false;
  const uint32_t word = c.in[c.input] | c.in[c.input + 1] << 8;
  c.input += 2;
  const size_t distance = word >> 4;
  if (distance == 0 || distance > c.output) return false;
  if (word & 8) return CopyBack(c, distance, (word & 7) + 4);
  if (c.input >= c.in_size) return false;
  const uint32_t extra = c.in[c.input++];
  // Whole 4-byte units are read before they are written: a unit closer than 4 bytes would read
  // output that does not exist yet, which no encoder writes.
  if (distance < 4) return false;
  const size_t units = (((word & 7) << 6) | (extra >> 2)) + 1;
  if (units * 4 + (extra & 3) > c.size - c.output) return false;
  uint8_t* target = c.out + c.output;
  if (distance >= kWide && c.size - c.output >= units * 4 + kWide) {
    for (size_t done = 0; done < units * 4; done += kWide)
      CopyWide(target + done, target + done - distance);
  } else if (distance >= units * 4) {
    std::memcpy(target, target - distance, units * 4);
  } else {
    for (size_t unit = 0; unit < units; ++unit, target += 4)
      std::memcpy(target, target - distance, 4);
  }
  c.output += units * 4;
  return CopyBack(c, distance, extra & 3);
}

}  // namespace

bool ImageLzDecompress(uint8_t* destination, size_t size, const uint8_t* source,
                       size_t source_size) {
  Cursor c{destination, 0, size, source, 0, source_size};
  while (c.output < size) {
    if (c.input >= c.in_size) return false;
    uint32_t flags = c.in[c.input++];
    for (int token = 0; token < 8 && c.output < size; ++token, flags >>= 1) {
      if (!((flags & 1) ? Match(c) : Literal(c))) return false;
    }
  }
  return true;
}

}  // namespace yel
