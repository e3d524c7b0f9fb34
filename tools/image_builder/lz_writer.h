// The LZ stream of "GE" and delta images, written: flag bytes whose bits (lowest first) mark
// literal runs (0) and back references (1).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace imgbuild {

// Compresses `data` into a stream that expands to exactly data.size() bytes. Back references
// reach at most 4095 bytes back; long ones (more than 11 bytes) only from 4 bytes back or more.
std::vector<uint8_t> LzCompress(const std::vector<uint8_t>& data);

// Writes tokens as they are decided; also used by tests to build streams token by token.
class LzTokenWriter {
 public:
  void Literal(const uint8_t* bytes, uint8_t count);
  // 1 <= distance <= 4095; a length of 4 to 11 is a short token, 12 to 2051 (distance >= 4) long.
  void Match(uint32_t distance, uint32_t length);
  // A flag byte follows every eighth token, the last one included, as readers expect.
  std::vector<uint8_t> Finish();

 private:
  void StartToken(bool match);

  std::vector<uint8_t> out_;
  size_t flag_at_ = 0;
  uint32_t tokens_ = 0;
};

}  // namespace imgbuild
