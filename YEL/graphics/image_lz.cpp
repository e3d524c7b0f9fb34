#include "YEL/graphics/image_lz.h"

#include <cstring>

namespace yel {
namespace {

// Reads the stream with every index checked; `output` is where the next byte goes.
class LzExpander {
 public:
  LzExpander(uint8_t* destination, size_t size, const uint8_t* source, size_t source_size)
      : out_(destination), size_(size), in_(source), in_size_(source_size) {}

  bool Run() {
    uint32_t flags = 0;
    int tokens_left = 0;
    while (output_ < size_) {
      if (tokens_left == 0) {
        if (!ReadByte(flags)) return false;
        tokens_left = 8;
      }
      const bool ok = (flags & 1) ? Match() : Literal();
      if (!ok) return false;
      flags >>= 1;
      --tokens_left;
    }
    return true;
  }

 private:
  bool ReadByte(uint32_t& value) {
    if (input_ >= in_size_) return false;
    value = in_[input_++];
    return true;
  }

  bool Literal() {
    uint32_t count = 0;
    if (!ReadByte(count)) return false;
    if (count > in_size_ - input_ || count > size_ - output_) return false;
    std::memcpy(out_ + output_, in_ + input_, count);
    input_ += count;
    output_ += count;
    return true;
  }

  bool Match() {
    uint32_t low = 0, high = 0;
    if (!ReadByte(low) || !ReadByte(high)) return false;
    const uint32_t word = low | high << 8;
    const size_t distance = word >> 4;
    if (distance == 0 || distance > output_) return false;
    if (word & 8) return CopyBytes(distance, (word & 7) + 4);
    uint32_t extra = 0;
    if (!ReadByte(extra)) return false;
    // Whole 4-byte units are read before they are written: a unit closer than 4 bytes would read
    // output that does not exist yet, which no encoder writes.
    if (distance < 4) return false;
    const size_t units = (((word & 7) << 6) | (extra >> 2)) + 1;
    const size_t length = units * 4 + (extra & 3);
    if (length > size_ - output_) return false;
    uint8_t* target = out_ + output_;
    for (size_t unit = 0; unit < units; ++unit, target += 4) std::memcpy(target, target - distance, 4);
    output_ += units * 4;
    return CopyBytes(distance, extra & 3);
  }

  // Byte by byte, so that an overlapping source repeats what was just written.
  bool CopyBytes(size_t distance, size_t length) {
    if (length > size_ - output_) return false;
    uint8_t* target = out_ + output_;
    if (distance >= length) {
      std::memcpy(target, target - distance, length);
    } else {
      for (size_t i = 0; i < length; ++i) target[i] = target[i - distance];
    }
    output_ += length;
    return true;
  }

  uint8_t* out_;
  size_t size_;
  const uint8_t* in_;
  size_t in_size_;
  size_t output_ = 0;
  size_t input_ = 0;
};

}  // namespace

bool ImageLzDecompress(uint8_t* destination, size_t size, const uint8_t* source,
                       size_t source_size) {
  return LzExpander(destination, size, source, source_size).Run();
}

}  // namespace yel
