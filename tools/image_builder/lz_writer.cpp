// A greedy compressor with hash chains over 4-byte prefixes: the output only has to be valid and
// reasonably small, since images are built once and read many times.
#include "tools/image_builder/lz_writer.h"

#include <algorithm>
#include <cstring>

namespace imgbuild {
namespace {

constexpr uint32_t kWindow = 4095;
constexpr uint32_t kMinMatch = 4;
constexpr uint32_t kMaxShort = 11;
constexpr uint32_t kMaxLong = 2051;
constexpr uint32_t kLongMinDistance = 4;
constexpr int kChainDepth = 64;
constexpr uint32_t kHashBits = 15;

uint32_t HashAt(const uint8_t* p) {
  uint32_t word;
  std::memcpy(&word, p, 4);
  return (word * 2654435761u) >> (32 - kHashBits);
}

struct MatchFound {
  uint32_t distance = 0;
  uint32_t length = 0;
};

class Matcher {
 public:
  explicit Matcher(const std::vector<uint8_t>& data)
      : data_(data), head_(1u << kHashBits, -1), previous_(data.size(), -1) {}

  void Insert(size_t position) {
    if (position + kMinMatch > data_.size()) return;
    const uint32_t hash = HashAt(&data_[position]);
    previous_[position] = head_[hash];
    head_[hash] = static_cast<int64_t>(position);
  }

  MatchFound Longest(size_t position) const {
    MatchFound best;
    if (position + kMinMatch > data_.size()) return best;
    int64_t candidate = head_[HashAt(&data_[position])];
    for (int depth = 0; candidate >= 0 && depth < kChainDepth; ++depth) {
      const uint32_t distance = static_cast<uint32_t>(position - candidate);
      if (distance > kWindow) break;
      const uint32_t limit = distance >= kLongMinDistance ? kMaxLong : kMaxShort;
      const uint32_t length = MatchLength(candidate, position, limit);
      if (length > best.length) best = {distance, length};
      candidate = previous_[candidate];
    }
    return best;
  }

 private:
  uint32_t MatchLength(size_t from, size_t position, uint32_t limit) const {
    const size_t available = std::min<size_t>(limit, data_.size() - position);
    uint32_t length = 0;
    while (length < available && data_[from + length] == data_[position + length]) ++length;
    return length;
  }

  const std::vector<uint8_t>& data_;
  std::vector<int64_t> head_;
  std::vector<int64_t> previous_;
};

}  // namespace

void LzTokenWriter::StartToken(bool match) {
  if (tokens_ % 8 == 0) {
    flag_at_ = out_.size();
    out_.push_back(0);
  }
  if (match) out_[flag_at_] |= static_cast<uint8_t>(1u << (tokens_ % 8));
  ++tokens_;
}

void LzTokenWriter::Literal(const uint8_t* bytes, uint8_t count) {
  StartToken(false);
  out_.push_back(count);
  out_.insert(out_.end(), bytes, bytes + count);
}

void LzTokenWriter::Match(uint32_t distance, uint32_t length) {
  StartToken(true);
  if (length <= kMaxShort) {
    const uint32_t word = distance << 4 | 8 | (length - 4);
    out_.push_back(static_cast<uint8_t>(word));
    out_.push_back(static_cast<uint8_t>(word >> 8));
    return;
  }
  const uint32_t units = length / 4 - 1;  // stored one less
  const uint32_t word = distance << 4 | (units >> 6);
  out_.push_back(static_cast<uint8_t>(word));
  out_.push_back(static_cast<uint8_t>(word >> 8));
  out_.push_back(static_cast<uint8_t>((units & 63) << 2 | (length & 3)));
}

std::vector<uint8_t> LzTokenWriter::Finish() {
  if (tokens_ > 0 && tokens_ % 8 == 0) out_.push_back(0);
  return std::move(out_);
}

std::vector<uint8_t> LzCompress(const std::vector<uint8_t>& data) {
  LzTokenWriter writer;
  Matcher matcher(data);
  size_t literal_start = 0;
  auto flush_literals = [&](size_t end) {
    while (literal_start < end) {
      const uint8_t count = static_cast<uint8_t>(std::min<size_t>(255, end - literal_start));
      writer.Literal(&data[literal_start], count);
      literal_start += count;
    }
  };
  size_t position = 0;
  while (position < data.size()) {
    const MatchFound match = matcher.Longest(position);
    if (match.length < kMinMatch) {
      matcher.Insert(position++);
      continue;
    }
    flush_literals(position);
    writer.Match(match.distance, match.length);
    for (uint32_t i = 0; i < match.length; ++i) matcher.Insert(position++);
    literal_start = position;
  }
  flush_literals(position);
  return writer.Finish();
}

}  // namespace imgbuild
