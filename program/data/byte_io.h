// Little-endian readers and writers for the engine's file formats. Records are written and read
// field by field through these, never by copying a struct.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace adv {

class ByteWriter {
 public:
  void U16(uint16_t value) {
    for (int i = 0; i < 2; ++i) bytes_.push_back(static_cast<char>(value >> (8 * i)));
  }
  void U32(uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes_.push_back(static_cast<char>(value >> (8 * i)));
  }
  void I32(int32_t value) { U32(static_cast<uint32_t>(value)); }
  void Bytes(const void* data, size_t length) {
    bytes_.append(static_cast<const char*>(data), length);
  }
  const std::string& bytes() const { return bytes_; }
  std::string Take() { return std::move(bytes_); }

 private:
  std::string bytes_;
};

// Reads from a byte string. A read past the end yields zeros and clears ok(), so a caller reads
// a whole record and checks once.
class ByteReader {
 public:
  explicit ByteReader(std::string_view bytes) : bytes_(bytes) {}

  uint16_t U16() { return static_cast<uint16_t>(Unsigned(2)); }
  uint32_t U32() { return static_cast<uint32_t>(Unsigned(4)); }
  int32_t I32() { return static_cast<int32_t>(U32()); }
  // Copies `length` bytes; on a short read nothing is copied and `out` is left as it was.
  bool Bytes(void* out, size_t length) {
    if (remaining() < length) {
      Fail();
      return false;
    }
    if (length > 0) bytes_.copy(static_cast<char*>(out), length, position_);
    position_ += length;
    return true;
  }
  void Skip(size_t length) {
    if (remaining() < length)
      Fail();
    else
      position_ += length;
  }

  bool ok() const { return ok_; }
  size_t position() const { return position_; }
  size_t remaining() const { return bytes_.size() - position_; }

 private:
  uint64_t Unsigned(int size) {
    if (remaining() < static_cast<size_t>(size)) {
      Fail();
      return 0;
    }
    uint64_t value = 0;
    for (int i = 0; i < size; ++i) {
      value |= static_cast<uint64_t>(static_cast<uint8_t>(bytes_[position_ + i])) << (8 * i);
    }
    position_ += static_cast<size_t>(size);
    return value;
  }
  void Fail() {
    ok_ = false;
    position_ = bytes_.size();
  }

  std::string_view bytes_;
  size_t position_ = 0;
  bool ok_ = true;
};

}  // namespace adv
